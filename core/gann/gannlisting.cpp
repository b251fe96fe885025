#include "core/gann/gannlisting.h"

#include "core/numbers/dates.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// Appends blanks and cuts, so a wide value eats into the blanks but never shifts the
// next column.
QString Column(const QString& text, int blanks)
{
    return (text + QString(blanks, QLatin1Char(' '))).left(7);
}

QString AngleColumn(int k) { return Column(QString::number(k * 45), 7); }

QString NumberOrNothing(qint16 n) { return n == 0 ? QString() : QString::number(n); }

}  // namespace

QString GannPriceListing(const GannInputs& inputs, const GannResults& s)
{
    QString text = QStringLiteral("Angle  High   Low") + LineEnd
        + QStringLiteral("-----  ----   ---") + LineEnd;
    if (inputs.GannPrice > 0) {
        for (int k = 1; k <= s.AngleCount; ++k)
            text += AngleColumn(k) + Column(NumberOrNothing(s.PotentialHigh[k]), 11)
                + NumberOrNothing(s.PotentialLow[k]) + LineEnd;
    }
    return text;
}

QString GannDateListing(const GannInputs& inputs, const GannResults& s)
{
    QString text = QStringLiteral("Angle  Date") + LineEnd + QStringLiteral("-----  ----") + LineEnd;
    if (inputs.DateEntered) {
        for (int k = 1; k <= s.AngleCount; ++k)
            text += AngleColumn(k) + FormatMmDdYyyy(s.AngleDate[k]) + LineEnd;
    }
    return text;
}
