#include "core/numbers/modFunctions.h"

#include "core/numbers/numbers.h"

#include <QFontMetrics>
#include <QPainter>

QString TrimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString WithCrLf(const QString& text)
{
    // Built in one pass: replacing in place moves the rest of the text at every line
    // break, which takes minutes for notes of a few million lines.
    QString out;
    out.reserve(text.size() + text.count(QLatin1Char('\n')));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            out += QLatin1Char('\r');
        out += c;
    }
    return out;
}

void FilterNumericKey(const QString& boxText, int& keyAscii, bool allowDecimal)
{
    // The lists keep their blanks between entries, so the blank key needs a test
    // of its own before the list is consulted.
    const QString acceptable = allowDecimal ? QStringLiteral("0 1 2 3 4 5 6 7 8 9 .")
                                            : QStringLiteral("0 1 2 3 4 5 6 7 8 9");
    if (keyAscii == 32) {
        keyAscii = 0;
        return;
    }
    // Backspace, Enter, Ctrl+V and the other control keys must keep working.
    if (keyAscii <= 26)
        return;
    // The whole text is looked at, selection included, so typing "." over the
    // only "." is refused too.
    if (keyAscii == '.' && boxText.contains(QLatin1Char('.')))
        keyAscii = 0;
    if (keyAscii > 0xFFFF || !acceptable.contains(QChar(static_cast<char16_t>(keyAscii))))
        keyAscii = 0;
}

bool DrawRotatedText(QPainter* painter, const QString& text, int x, int y, float angle)
{
    if (!painter || !painter->isActive())
        return false;
    // Fonts take their escapement in tenths of a degree, so the angle is kept to
    // that precision.
    const double degrees = RoundHalfEven(double(angle) * 10.0) / 10.0;
    const QFontMetrics metrics(painter->font(), painter->device());
    painter->save();
    painter->translate(x, y);
    // Angles count counter-clockwise; on screen y grows downwards, so Qt's
    // clockwise rotation takes the negative angle.
    painter->rotate(-degrees);
    painter->drawText(QPointF(0, metrics.ascent()), text);
    painter->restore();
    return true;
}
