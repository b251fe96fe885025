// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateEdit>
#include <optional>

// A date picker that always holds a date between 1/1/1601 and 12/31/9999, shown in
// the form m/d/yyyy, with a calendar that drops down. Change() fires on every change
// of the date, also when the program sets it, as the windows' change tracking expects.
//
// Typing works on the text as a whole, as in a text box: m/d/yyyy or mm/dd/yyyy,
// typing over a selection, "/" (or a second digit) moving on to the next part. A
// typed text becomes the date only when it is a whole valid date in range; until
// then the picker shows it in red, keeps its previous date, and isComplete() is
// false, so the windows refuse to calculate or save rather than use another date.
// Up and Down step the part under the cursor (December up is January of the next
// year). The picker is one Tab stop; the arrows and typing move between its parts.
//
// The mouse: the click that brings the focus into the picker selects the whole date,
// so what is typed next replaces it; once it has the focus, a click selects the month,
// day or year under the pointer, and a double click the whole date again.
class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

    QDate value() const { return date(); }
    // An invalid date or one outside the range is ignored (the picker keeps its date).
    void setValue(const QDate& d);

    // false while the typed text is not a whole date in range.
    bool isComplete() const;
    // true when the picker is complete; else says so, takes the focus and returns false.
    bool checkComplete();

    // The date a typed text names, when it is a whole m/d/yyyy date in range.
    static std::optional<QDate> ParseTyped(const QString& text);

signals:
    void Change();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QDateTime dateTimeFromText(const QString& text) const override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a left click on the text selects; true when the click is used up.
    bool selectByMouse(QEvent* event);
    void typeCharacter(QChar c);
    int partAtCursor() const;
    void selectPart(int part);
    void showCompleteness();

    bool m_focusByClick = false;  // the focus came with the click now being delivered
};
