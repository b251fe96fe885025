#pragma once
#include <QDateEdit>

// A date picker that is never empty: it always shows a date between 1/1/1601 and
// 12/31/9999 in the form m/d/yyyy, with a calendar that drops down. Change() fires
// on every change of the date, also when the program sets it, as the windows'
// change tracking expects.
class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

    QDate value() const { return date(); }
    // An invalid date or one outside the range is ignored (the picker keeps its date).
    void setValue(const QDate& d);

signals:
    void Change();
};
