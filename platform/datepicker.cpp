#include "platform/datepicker.h"

#include "core/numbers/dates.h"
#include "platform/platform.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <utility>

namespace {

// Parts of the text: 0 month, 1 day, 2 year, split at "/".
constexpr int LastPart = 2;

// The start and length of a part in the text.
std::pair<int, int> PartSpan(const QString& text, int part)
{
    int start = 0;
    for (int i = 0; i < part; ++i) {
        const int slash = text.indexOf(QLatin1Char('/'), start);
        if (slash < 0)
            return {int(text.size()), 0};
        start = slash + 1;
    }
    const int end = text.indexOf(QLatin1Char('/'), start);
    return {start, (end < 0 ? int(text.size()) : end) - start};
}

// The part a position in the text falls in: left of the first "/" the month, and so on.
int PartAt(const QString& text, int pos)
{
    return std::min(LastPart, int(text.left(pos).count(QLatin1Char('/'))));
}

} // namespace

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDateRange(FirstPickerDate(), LastPickerDate());
    setDisplayFormat(QStringLiteral("M/d/yyyy"));
    // The date edit snaps the cursor to its sections and reverts the text to the last
    // date whenever the cursor leaves a half-typed part; typing here works on the text
    // as a whole instead, so that link is cut.
    disconnect(lineEdit(), &QLineEdit::cursorPositionChanged, this, nullptr);
    // Clicks land on the text field inside the picker; they are judged here.
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DatePicker::showCompleteness);
    connect(this, &QDateEdit::dateChanged, this, &DatePicker::Change);
}

void DatePicker::setValue(const QDate& d) {
    if (!d.isValid() || d < minimumDate() || d > maximumDate()) return;
    setDate(d);
}

std::optional<QDate> DatePicker::ParseTyped(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    if (!d.isValid() || !IsPickerDate(d)) return std::nullopt;
    return d;
}

bool DatePicker::isComplete() const {
    return ParseTyped(lineEdit()->text()).has_value();
}

bool DatePicker::checkComplete() {
    if (isComplete()) return true;
    ShowMessage(QStringLiteral(
        "Type the whole date as m/d/yyyy, from 1/1/1601 to 12/31/9999, or pick it from the calendar."));
    setFocus();
    lineEdit()->selectAll();
    return false;
}

QValidator::State DatePicker::validate(QString& input, int&) const {
    // What may still become a date by typing on is let through, shown as incomplete.
    static const QRegularExpression partial(QStringLiteral("^\\d{0,2}(/\\d{0,2}(/\\d{0,4})?)?$"));
    if (ParseTyped(input)) return QValidator::Acceptable;
    return partial.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

void DatePicker::fixup(QString&) const {
    // An incomplete text stays as typed: it is never turned into some other date.
}

QDateTime DatePicker::dateTimeFromText(const QString& text) const {
    return QDateTime(ParseTyped(text).value_or(date()), QTime(0, 0));
}

int DatePicker::partAtCursor() const {
    const QLineEdit* e = lineEdit();
    return PartAt(e->text(), e->hasSelectedText() ? e->selectionStart() : e->cursorPosition());
}

void DatePicker::selectPart(int part) {
    const auto [start, length] = PartSpan(lineEdit()->text(), part);
    lineEdit()->setSelection(start, length);
}

void DatePicker::stepBy(int steps) {
    if (!isComplete()) return;
    const int part = partAtCursor();
    const QDate d = part == 0 ? date().addMonths(steps)   // December + 1: January, next year
                  : part == 1 ? date().addDays(steps)
                              : date().addYears(steps);
    if (d.isValid() && IsPickerDate(d)) setDate(d);
    selectPart(part);
}

QAbstractSpinBox::StepEnabled DatePicker::stepEnabled() const {
    return isComplete() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

// "/" moves on to the next part, and so does a second digit in the month or the day,
// so both 1/5/2024 and 01052024 type a whole date.
void DatePicker::typeCharacter(QChar c) {
    QLineEdit* e = lineEdit();
    if (c == QLatin1Char('/')) {
        const QString text = e->text();
        const int part = partAtCursor();
        const int pos = e->cursorPosition();
        if (part < text.count(QLatin1Char('/')))
            selectPart(part + 1);
        else if (!e->hasSelectedText() && pos > 0 && text[pos - 1].isDigit() && part < LastPart)
            e->insert(QStringLiteral("/"));
        return;
    }
    e->insert(QString(c));
    const int part = partAtCursor();
    const QString text = e->text();
    const auto [start, length] = PartSpan(text, part);
    if (part < LastPart && length == 2 && e->cursorPosition() == start + length) {
        if (start + length < text.size())
            selectPart(part + 1);
        else
            e->insert(QStringLiteral("/"));
    }
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    m_focusByClick = false;
    QLineEdit* e = lineEdit();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (event->matches(QKeySequence::SelectAll)) {
        e->selectAll();
        return;
    }
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy) ||
        event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo)) {
        static_cast<QObject*>(e)->event(event);
        return;
    }
    const QString text = event->text();
    if (plain && text.size() == 1 && text[0].isPrint()) {
        if (text[0].isDigit() || text[0] == QLatin1Char('/'))
            typeCharacter(text[0]);
        return;   // letters and the like have no place in a date
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        static_cast<QObject*>(e)->event(event);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (plain) {
            QAbstractSpinBox::keyPressEvent(event);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!isComplete()) {
            event->ignore();   // the window's Enter: its check tells the trader
            return;
        }
        break;
    default:
        break;
    }
    QDateEdit::keyPressEvent(event);
}

bool DatePicker::focusNextPrevChild(bool next) {
    // One Tab stop: Tab leaves the picker instead of walking through its parts.
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    // The date edit would rewrite the text from its last date here; a half-typed date
    // must stay as the trader left it.
    QAbstractSpinBox::focusInEvent(event);
    // Qt gives the focus before it delivers the click that asked for it.
    m_focusByClick = event->reason() == Qt::MouseFocusReason;
}

void DatePicker::focusOutEvent(QFocusEvent* event) {
    m_focusByClick = false;
    if (isComplete()) {
        QDateEdit::focusOutEvent(event);
        return;
    }
    // Leaving a half-typed date would put the last date back; it stays as typed.
    static_cast<QObject*>(lineEdit())->event(event);
    QWidget::focusOutEvent(event);
}

// The calendar's drop-down button is the picker's own; only the text takes part clicks.
void DatePicker::mousePressEvent(QMouseEvent* event) {
    m_focusByClick = false;
    QDateEdit::mousePressEvent(event);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && selectByMouse(event))
        return true;
    return QDateEdit::eventFilter(watched, event);
}

// A trader who clicks into a date and types means a new date, wherever the pointer
// was: placing the cursor inside "12/15/2024" would splice the typing into the old
// text. So the first click takes the whole date, later clicks one part, and the
// field never drags a selection across parts.
bool DatePicker::selectByMouse(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseMove) return mouse->buttons() & Qt::LeftButton;
    if (mouse->button() != Qt::LeftButton) return false;
    if (type == QEvent::MouseButtonRelease) return true;
    const bool entering = std::exchange(m_focusByClick, false) || !hasFocus();
    if (entering || type == QEvent::MouseButtonDblClick)
        lineEdit()->selectAll();
    else
        selectPart(PartAt(lineEdit()->text(), lineEdit()->cursorPositionAt(mouse->position().toPoint())));
    return true;
}

void DatePicker::showCompleteness() {
    QPalette p = palette();
    p.setColor(QPalette::Text, isComplete() ? QPalette().color(QPalette::Text) : QColor(Qt::red));
    lineEdit()->setPalette(p);
}
