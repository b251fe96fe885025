#include "core/gann/ganncalc.h"

#include "core/numbers/dates.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"

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

// The seasonal walk of the date projection: a cursor moving day by day from the
// analysed date, and the seasonal degrees elapsed by the end of its day.
struct SeasonWalk {
    QDate from;                     // the analysed date
    QDate SeasonStart, SeasonEnd;   // the season the cursor is in
    QDate DayCursor;
    double DayDegrees = 0;
    double SeasonBaseDegrees = 0;   // degrees of the seasons already walked through

    explicit SeasonWalk(const QDate& date)
        : from(date), SeasonStart(SeasonStartOf(date)), SeasonEnd(NextSeasonDate(SeasonStart)),
          DayCursor(AddDays(date, -1))
    {
    }

    // One day further; DayDegrees becomes the degrees elapsed by the end of DayCursor.
    void advanceOneDay()
    {
        static const QDate lastDay(9999, 12, 31);
        if (DayCursor >= lastDay)
            throw CalcError(QString::fromLatin1(DateAfterRangeMessage));
        DayCursor = DayCursor.addDays(1);
        if (DayCursor == SeasonEnd) {
            if (SeasonBaseDegrees == 0)
                SeasonBaseDegrees = DayDegrees;   // the first, partial season ends here
            else
                SeasonBaseDegrees = SeasonBaseDegrees + 90;
            SeasonStart = SeasonEnd;
            SeasonEnd = NextSeasonDate(SeasonStart);
        }
        const double seasonDays = double(DaysBetween(SeasonStart, SeasonEnd));
        if (from < SeasonStart)
            DayDegrees = SeasonBaseDegrees + 90 * double(DaysBetween(SeasonStart, DayCursor) + 1) / seasonDays;
        else
            DayDegrees = 90 * double(DaysBetween(from, DayCursor) + 1) / seasonDays;
    }
};

// A quarter turn clockwise on the screen, where dy grows downwards.
struct GridStep {
    int dx = 0;
    int dy = 0;
    GridStep clockwise() const { return {-dy, dx}; }
};

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
    s.frame.ChartHalf = chartHalf;
    s.frame.ChartRadius = chartHalf - GannWheelInset;
    s.results.PriceAngle = 0;
    s.results.AngleCount = GannAngleCount;
    s.inputs = GannInputs{0, today, false};
    BuildSpiral(s.spiral, GannConstants(layout).smallCenter);
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

void ClearGannResults(GannState& state)
{
    GannResults& s = state.results;
    for (int k = 1; k <= s.AngleCount; ++k) {
        s.CellMark[CheckedNumber(s.PotentialHigh[k])] = GannPlainCell;
        s.CellMark[CheckedNumber(s.PotentialLow[k])] = GannPlainCell;
        s.PotentialHigh[k] = 0;
        s.PotentialLow[k] = 0;
    }
    state.inputs.GannPrice = 0;
}

void BuildSpiral(GannSpiral& s, qint16 center)
{
    const int size = 2 * center - 1;
    Q_ASSERT(size < GannGridCells && size * size <= GannMaxNumber);
    s.GridCenter = center;
    s.GridSize = qint16(size);
    // One row and column more than the square; the probe never looks further.
    for (int i = 0; i <= size; ++i)
        for (int j = 0; j <= size; ++j)
            s.Grid[i][j] = 0;

    GridStep step{0, 1};    // down
    GridStep turn{-1, 0};   // the side probed for a free cell: left
    int x = center - 1;
    int y = center - 1;
    s.Grid[x][y] = 1;
    s.CellX[1] = qint16(x);
    s.CellY[1] = qint16(y);
    for (int n = 2;; ++n) {
        // Turn clockwise whenever the cell on the inner side is still free.
        if (s.Grid[x + turn.dx][y + turn.dy] == 0) {
            step = turn;
            turn = turn.clockwise();
        }
        x += step.dx;
        y += step.dy;
        if (x == -1)
            break;   // stepped left out of the lower-left corner: the square is full
        s.Grid[x][y] = qint16(n);
        s.CellX[n] = qint16(x);
        s.CellY[n] = qint16(y);
    }
}

double CellAngle(const GannSpiral& s, int n)
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

namespace {

// The square a price is drawn on: its centre index and the radius of the wheel.
struct SquareSize {
    qint16 center;
    qint32 radius;
};

SquareSize ChooseSquareSize(int price, qint32 chartHalf, Layout layout)
{
    const GannLayoutConstants& c = GannConstants(layout);
    if (price <= c.smallPriceLimit)
        return {c.smallCenter, chartHalf - GannWheelInset};
    // One size up keeps the cells readable by letting the wheel run past the box.
    if (price <= c.middlePriceLimit)
        return {c.middleCenter, chartHalf + c.middleRadiusExtra};
    // At least one ring beyond the price's ring, so a full turn past it fits.
    return {qint16(RoundHalfEven(std::sqrt(double(price)) / 2) + 2), chartHalf - GannWheelInset};
}

// HighTargetAngle(k) and LowTargetAngle(k), k x 45 degrees either side of PriceAngle.
void SetTargetAngles(GannResults& s)
{
    const double a = s.PriceAngle;
    for (int k = 1; k <= s.AngleCount; ++k) {
        s.HighTargetAngle[k] = NormalizeAngle(a - k * GannPi / 4);
        s.LowTargetAngle[k] = NormalizeAngle(a + k * GannPi / 4);
    }
}

// Walks the spiral from the price one number at a time (direction +1 for the highs,
// -1 for the lows). Each result is the last number before the distance to its target
// starts to grow; the next search starts over at the number where the growth was seen.
// A tie still counts as getting closer. The lows stop at 1: a low below 1 does not
// exist, and the remaining lows stay 0.
void FindTurns(const GannSpiral& spiral, GannResults& s, int price, int direction,
               const GannPerAngle<double>& targets, GannPerAngle<qint16>& found, qint16 mark)
{
    int n = price;
    int k = 1;
    double best = GannPi;
    for (;;) {
        n = n + direction;
        if (n == 0)
            return;
        const double diff = AngleDistance(CellAngle(spiral, n), targets[k]);
        if (best < diff) {
            n = n - direction;
            found[k] = qint16(n);
            s.CellMark[n] = mark;
            k = k + 1;
            best = GannPi;
        } else {
            best = diff;
        }
        if (k > s.AngleCount)
            return;
    }
}

// Numbers grow clockwise, so highs are sought at falling angles, lows at rising ones.
void FindHighsAndLows(const GannSpiral& spiral, GannResults& s, int price)
{
    s.PriceAngle = CellAngle(spiral, price);
    SetTargetAngles(s);
    FindTurns(spiral, s, price, +1, s.HighTargetAngle, s.PotentialHigh, GannHighCell);
    FindTurns(spiral, s, price, -1, s.LowTargetAngle, s.PotentialLow, GannLowCell);
}

GannAngleDates NoDates()
{
    GannAngleDates dates;
    dates.fill(NullDate());
    return dates;
}

// AngleDate(1..angleCount) from the analysed date through the seasonal walk: the first
// day past every further 45 degrees. Throws CalcError when the walk would pass
// 12/31/9999.
GannAngleDates ProjectDates(const QDate& date, int angleCount)
{
    GannAngleDates dates = NoDates();
    SeasonWalk walk(date);
    for (int k = 1; k <= angleCount && k <= GannAngleCount; ++k) {
        do {
            walk.advanceOneDay();
        } while (!(walk.DayDegrees > k * 45));
        dates[k] = walk.DayCursor;
    }
    return dates;
}

// Every result from the inputs, rebuilt from scratch, with the dates already walked.
void CalculateResults(GannState& state, Layout layout, const GannAngleDates& dates)
{
    const qint16 price = state.inputs.GannPrice;
    const SquareSize size = ChooseSquareSize(price, state.frame.ChartHalf, layout);
    state.frame.ChartRadius = size.radius;
    BuildSpiral(state.spiral, size.center);

    GannResults& s = state.results;
    s.PriceAngle = 0;
    s.CellMark.fill(GannPlainCell);
    for (int k = 1; k <= GannAngleCount; ++k) {
        s.PotentialHigh[k] = 0;
        s.PotentialLow[k] = 0;
        s.HighTargetAngle[k] = 0;
        s.LowTargetAngle[k] = 0;
        s.AngleDate[k] = dates[k];
    }
    if (price > 0)
        FindHighsAndLows(state.spiral, s, price);
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
            state.inputs.GannPrice = reading.price;
        state.inputs.GannDate = pickerDate;
        state.inputs.DateEntered = dateEntered;
        return {CalcOutcome::Rejected, GannPriceTooLargeMessage};
    }

    try {
        // The dates are walked before anything is written, so a date the calendar
        // cannot hold leaves the window exactly as it was.
        const GannAngleDates dates = dateEntered ? ProjectDates(pickerDate, state.results.AngleCount) : NoDates();
        state.inputs = GannInputs{reading.price, pickerDate, dateEntered};
        CalculateResults(state, layout, dates);
    } catch (const CalcError& error) {
        return {CalcOutcome::Failed, error.text};
    }
    return {};
}
