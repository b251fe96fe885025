#include "platform/datepicker.h"

#include "modules/dates.h"

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDateRange(FirstPickerDate(), LastPickerDate());
    setDisplayFormat(QStringLiteral("M/d/yyyy"));
    connect(this, &QDateEdit::dateChanged, this, &DatePicker::Change);
}

void DatePicker::setValue(const QDate& d) {
    if (!d.isValid() || d < minimumDate() || d > maximumDate()) return;
    setDate(d);
}
