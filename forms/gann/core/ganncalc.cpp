#include "forms/gann/core/ganncalc.h"

#include "modules/dates.h"
#include "modules/errors.h"
#include "modules/modFunctions.h"
#include "modules/numbers.h"

#include <cmath>

namespace {

// Each constant on its own line, the compact value first, the large one second.
GannLayoutConstants ConstantsFor(bool compact)
{
    GannLayoutConstants c;
    c.smallCenter = compact ? 14 : 16;
    c.smallPriceLimit = compact ? 625 : 841;
    c.middleCenter = compact ? 16 : 19;
    c.middlePriceLimit = compact ? 841 : 1225;
    c.middleRadiusExtra = compact ? 900 : 1200;
    c.fullSquareLimit = compact ? 16 : 19;
    c.bandCells = compact ? 27 : 31;
    c.bandCenter = compact ? 14 : 16;
    c.listingFontPoints = compact ? 7.0 : 8.0;
    return c;
}

const GannLayoutConstants CompactConstants = ConstantsFor(true);
const GannLayoutConstants LargeConstants = ConstantsFor(false);

// Cell tables are read by number; a number outside them cannot come from a price up
// to 9999 (the largest square holds 10609 numbers), so this only guards the walk.
int CheckedNumber(int n)
{
    if (n < 0 || n > GannMaxNumber)
        throw CalcError(QStringLiteral("The price lies too far out on the square. Enter a smaller price."));
    return n;
}

double Sgn(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

// The seasonal year turns at the equinoxes and solstices, on the days the trading
// calendar fixes for them.
struct SeasonMark {
    int month, day;
};
constexpr SeasonMark SeasonMarks[4] = {{3, 21}, {6, 21}, {9, 23}, {12, 21}};

QDate SeasonMarkIn(int i, int year) { return QDate(year, SeasonMarks[i].month, SeasonMarks[i].day); }

// The season mark that follows `mark`, itself a season mark.
QDate NextSeasonDate(const QDate& mark)
{
    for (int i = 0; i < 3; ++i)
        if (mark.month() == SeasonMarks[i].month)
            return SeasonMarkIn(i + 1, mark.year());
    return SeasonMarkIn(0, mark.year() + 1);
}

// The season mark on or before d: the season d lies in starts there.
QDate SeasonStartOf(const QDate& d)
{
    for (int i = 3; i >= 0; --i)
        if (SeasonMarkIn(i, d.year()) <= d)
            return SeasonMarkIn(i, d.year());
    return SeasonMarkIn(3, d.year() - 1);
}

// One day further on the seasonal walk; DayDegrees becomes the seasonal degrees
// elapsed by the end of DayCursor.
void AdvanceOneDay(GannState& s)
{
    static const QDate lastDay(9999, 12, 31);
    if (s.DayCursor >= lastDay)
        throw CalcError(QString::fromLatin1(DateAfterRangeMessage));
    s.DayCursor = s.DayCursor.addDays(1);
    if (s.DayCursor == s.SeasonEnd) {
        if (s.SeasonBaseDegrees == 0)
            s.SeasonBaseDegrees = s.DayDegrees;   // the first, partial season ends here
        else
            s.SeasonBaseDegrees = s.SeasonBaseDegrees + 90;
        s.SeasonStart = s.SeasonEnd;
        s.SeasonEnd = NextSeasonDate(s.SeasonStart);
    }
    const double seasonDays = double(DaysBetween(s.SeasonStart, s.SeasonEnd));
    if (s.GannDate < s.SeasonStart)
        s.DayDegrees = s.SeasonBaseDegrees
            + 90 * double(DaysBetween(s.SeasonStart, s.DayCursor) + 1) / seasonDays;
    else
        s.DayDegrees = 90 * double(DaysBetween(s.GannDate, s.DayCursor) + 1) / seasonDays;
}

}  // namespace

const GannLayoutConstants& GannConstants(Layout layout)
{
    return layout == Layout::Compact ? CompactConstants : LargeConstants;
}

GannPriceReading ReadGannPrice(const QString& text)
{
    GannPriceReading reading;
    bool beyondDouble = false;
    const double value = ReadLeadingNumber(text, &beyondDouble);
    if (beyondDouble || std::isnan(value)) {
        reading.tooLarge = value > 0;
        return reading;
    }
    const double rounded = RoundHalfEven(value);
    if (rounded <= 0)
        return reading;   // a pasted negative number counts as no price
    if (rounded > GannMaxPrice) {
        reading.tooLarge = true;
        if (auto fits = ToInt16(rounded))
            reading.price = *fits;
        return reading;
    }
    reading.price = qint16(rounded);
    return reading;
}

qint32 ChartHalfForHeight(double windowHeightTwips)
{
    // Worked out in single precision, as the window's own measure is.
    const float half = float(windowHeightTwips) / 2.0f - float(ChartBoxMargin);
    return qint32(RoundHalfEven(double(half)));
}

void LoadGannState(GannState& s, Layout layout, const QDate& today, qint32 chartHalf)
{
    const GannLayoutConstants& c = GannConstants(layout);
    s.ChartHalf = chartHalf;
    s.ChartRadius = chartHalf - GannWheelInset;
    s.GridCenter = c.smallCenter;
    s.GridSize = qint16(2 * c.smallCenter - 1);
    s.PriceAngle = 0;
    s.AngleCount = GannAngleCount;
    s.GannPrice = 0;
    s.GannDate = today;
    s.DateEntered = false;
    BuildSpiral(s, s.GridCenter, s.GridSize);
}

GannState InitialGannState(Layout layout, const QDate& today, qint32 chartHalf)
{
    GannState s;
    LoadGannState(s, layout, today, chartHalf);
    return s;
}

GannDocument FreshGannDocument(const QDate& today)
{
    // The notes box is designed with a line break after its placeholder.
    return GannDocument{ProjectNamePlaceholder, QString(), today, NotesPlaceholder + QStringLiteral("\r\n")};
}

void ClearGannResults(GannState& s)
{
    for (int k = 1; k <= s.AngleCount; ++k) {
        s.CellMark[CheckedNumber(s.PotentialHigh[k])] = GannPlainCell;
        s.CellMark[CheckedNumber(s.PotentialLow[k])] = GannPlainCell;
        s.PotentialHigh[k] = 0;
        s.PotentialLow[k] = 0;
    }
    s.GannPrice = 0;
}

void ChooseSquareSize(GannState& s, Layout layout)
{
    const GannLayoutConstants& c = GannConstants(layout);
    const int p = s.GannPrice;
    if (p <= c.smallPriceLimit) {
        s.GridCenter = c.smallCenter;
        s.ChartRadius = s.ChartHalf - GannWheelInset;
    } else if (p <= c.middlePriceLimit) {
        // One size up keeps the cells readable by letting the wheel run past the box.
        s.GridCenter = c.middleCenter;
        s.ChartRadius = s.ChartHalf + c.middleRadiusExtra;
    } else {
        // At least one ring beyond the price's ring, so a full turn past it fits.
        s.GridCenter = qint16(RoundHalfEven(std::sqrt(double(p)) / 2) + 2);
        s.ChartRadius = s.ChartHalf - GannWheelInset;
    }
    s.GridSize = qint16(2 * s.GridCenter - 1);
}

void TurnSpiral(GannState& s)
{
    s.SpiralStep = s.SpiralTurn;
    const GannDirection t = s.SpiralTurn;
    if (t == GannDirection{1, 0})
        s.SpiralTurn = {0, 1};
    else if (t == GannDirection{0, 1})
        s.SpiralTurn = {-1, 0};
    else if (t == GannDirection{-1, 0})
        s.SpiralTurn = {0, -1};
    else if (t == GannDirection{0, -1})
        s.SpiralTurn = {1, 0};
}

void BuildSpiral(GannState& s, qint16 center, qint16 size)
{
    Q_ASSERT(size < GannGridCells && int(size) * size <= GannMaxNumber);
    // One row and column more than the square; the probe never looks further.
    for (int i = 0; i <= size; ++i)
        for (int j = 0; j <= size; ++j)
            s.Grid[i][j] = 0;

    s.SpiralStep = {0, 1};    // down
    s.SpiralTurn = {-1, 0};   // left
    int x = center - 1;
    int y = center - 1;
    s.Grid[x][y] = 1;
    s.CellX[1] = qint16(x);
    s.CellY[1] = qint16(y);
    int n = 2;
    for (;;) {
        // Turn clockwise whenever the cell on the inner side is still free.
        if (s.Grid[x + s.SpiralTurn.dx][y + s.SpiralTurn.dy] == 0)
            TurnSpiral(s);
        x += s.SpiralStep.dx;
        y += s.SpiralStep.dy;
        if (x == -1)
            break;   // stepped left out of the lower-left corner: the square is full
        s.Grid[x][y] = qint16(n);
        s.CellX[n] = qint16(x);
        s.CellY[n] = qint16(y);
        ++n;
    }
}

double CellAngle(const GannState& s, int n)
{
    n = CheckedNumber(n);
    return GridAngle(s.CellX[n] - s.GridCenter + 1, s.CellY[n] - s.GridCenter + 1);
}

double GridAngle(double dx, double dy)
{
    // dy grows downwards, the angle counter-clockwise.
    if (dx == 0)
        return -Sgn(dy) * GannPi / 2;
    if (dx < 0)
        return std::atan(-dy / dx) + GannPi;
    return std::atan(-dy / dx);
}

double AngleDistance(double angle, double target)
{
    double diff = std::abs(angle - target);
    while (std::abs(diff - GannFullTurn) < diff)
        diff = std::abs(diff - GannFullTurn);
    return diff;
}

double NormalizeAngle(double angle)
{
    double result = std::atan(std::tan(angle));
    if (std::cos(angle) < 0)
        result += GannPi;
    return result;
}

void SetTargetAngles(GannState& s)
{
    const double a = s.PriceAngle;
    for (int k = 1; k <= s.AngleCount; ++k) {
        s.HighTargetAngle[k] = NormalizeAngle(a - k * GannPi / 4);
        s.LowTargetAngle[k] = NormalizeAngle(a + k * GannPi / 4);
    }
}

// Each high is the last number before the distance to its target starts to grow; the
// next search starts over at the number where the growth was seen. A tie still counts
// as getting closer.
void FindHighs(GannState& s)
{
    int n = s.GannPrice;
    int k = 1;
    double best = GannPi;
    for (;;) {
        n = n + 1;
        const double diff = AngleDistance(CellAngle(s, n), s.HighTargetAngle[k]);
        if (best < diff) {
            s.PotentialHigh[k] = qint16(n - 1);
            s.CellMark[n - 1] = GannHighCell;
            k = k + 1;
            n = n - 1;
            best = GannPi;
        } else {
            best = diff;
        }
        if (k > s.AngleCount)
            return;
    }
}

void FindLows(GannState& s)
{
    int n = s.GannPrice;
    int k = 1;
    double best = GannPi;
    for (;;) {
        n = n - 1;
        if (n == 0)
            return;   // ran into the centre: the remaining lows stay 0
        const double diff = AngleDistance(CellAngle(s, n), s.LowTargetAngle[k]);
        if (best < diff) {
            s.PotentialLow[k] = qint16(n + 1);
            s.CellMark[n + 1] = GannLowCell;
            k = k + 1;
            n = n + 1;
            best = GannPi;
        } else {
            best = diff;
        }
        if (k > s.AngleCount)
            return;
    }
}

void ProjectDates(GannState& s)
{
    s.SeasonYear = qint16(s.GannDate.year());
    s.SeasonStart = SeasonStartOf(s.GannDate);
    s.SeasonEnd = NextSeasonDate(s.SeasonStart);

    s.DayCursor = AddDays(s.GannDate, -1);
    s.SeasonBaseDegrees = 0;
    for (int k = 1; k <= s.AngleCount; ++k) {
        do {
            AdvanceOneDay(s);
        } while (!(s.DayDegrees > k * 45));
        s.AngleDate[k] = s.DayCursor;
    }
}

namespace {

// Every result of one calculation from GannPrice, GannDate and DateEntered, rebuilt
// from scratch.
void CalculateResults(GannState& s, Layout layout)
{
    ChooseSquareSize(s, layout);
    BuildSpiral(s, s.GridCenter, s.GridSize);
    s.PriceAngle = 0;

    s.CellMark.fill(GannPlainCell);
    for (int k = 1; k <= GannAngleSlots; ++k) {
        s.PotentialHigh[k] = 0;
        s.PotentialLow[k] = 0;
        s.HighTargetAngle[k] = 0;
        s.LowTargetAngle[k] = 0;
        s.AngleDate[k] = NullDate();
    }

    if (s.GannPrice > 0) {
        s.PriceAngle = CellAngle(s, s.GannPrice);
        SetTargetAngles(s);
        FindHighs(s);
        FindLows(s);
    }
    if (s.DateEntered)
        ProjectDates(s);
}

}  // namespace

CalcOutcome CalculateGann(GannState& state, const QString& priceText, const QDate& pickerDate,
                          const QDate& today, Layout layout)
{
    // today is read once here, so every later reading of this calculation agrees.
    const bool dateEntered = !PickerMeansNoDate(pickerDate, today);
    if (priceText.isEmpty() && !dateEntered)
        return {CalcOutcome::Rejected, GannNoInputMessage};

    const GannPriceReading reading = ReadGannPrice(priceText);
    if (reading.tooLarge) {
        // The rejected inputs are kept, the results stay those of the last calculation.
        if (reading.price != 0)
            state.GannPrice = reading.price;
        state.GannDate = pickerDate;
        state.DateEntered = dateEntered;
        return {CalcOutcome::Rejected, GannPriceTooLargeMessage};
    }

    // Worked on a copy and committed at the end, so a date the calendar cannot hold
    // leaves the window exactly as it was.
    GannState s = state;
    s.GannPrice = reading.price;
    s.GannDate = pickerDate;
    s.DateEntered = dateEntered;
    try {
        CalculateResults(s, layout);
    } catch (const CalcError& error) {
        return {CalcOutcome::Failed, error.text};
    }
    state = s;
    return {};
}
