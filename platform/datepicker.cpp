#include "platform/datepicker.h"

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
    setDisplayFormat(QStringLiteral("M/d/yyyy"));
    connect(this, &QDateEdit::dateChanged, this, &DatePicker::Change);
}

void DatePicker::setValue(const QDate& d) {
    if (!d.isValid() || d < minimumDate() || d > maximumDate()) return;
    setDate(d);
}
