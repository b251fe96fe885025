#include "core/gann/gannchartgeometry.h"

#include "core/gann/ganncalc.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"

#include <cmath>

namespace {

// Sector bounds of the date ring and of the band walk, built from the same rounded pi
// as the spokes so that a spoke lying exactly on a diagonal always lands on the same
// side. They are written as the products divided by four on purpose: in double,
// 15.7075 / 4 is not 5 * 3.1415 / 4 (nor 5 * GannPi / 4) in the last bit, and a spoke
// or price angle built from GannPi can sit right on such a bound, so the other
// spelling moves a label to the neighbouring side or starts the band walk elsewhere.
constexpr double Q1 = GannPi / 4;        // 0.785375
constexpr double Q3 = 9.4245 / 4;        // 3 pi / 4
constexpr double Q5 = 15.7075 / 4;       // 5 pi / 4
constexpr double Q7 = 21.9905 / 4;       // 7 pi / 4

// Dates sit just outside the square; the left offset leaves room for "mmm dd".
constexpr qint32 LabelGapRight = 100;
constexpr qint32 LabelGapTop = 200;
constexpr qint32 LabelGapLeft = 500;
constexpr qint32 LabelGapBottom = 50;

// The band chart uses the three outer rings of its fixed square.
constexpr int BandRings = 3;

qint32 Twips(double x) { return static_cast<qint32>(RoundHalfEven(x)); }

bool IsSpiralNumber(int n) { return n >= 0 && n <= GannMaxNumber; }

GannBox CellBox(const GannSquareGeometry& square, int number, int column, int row, const QColor& color)
{
    GannBox box;
    box.left = square.cellLeft(column);
    box.top = square.cellTop(row);
    box.right = box.left + square.CellSize;
    box.bottom = box.top + square.CellSize;
    box.color = color;
    box.number = number;
    box.column = column;
    box.row = row;
    return box;
}

GannLabel NumberLabel(const GannSquareGeometry& square, int column, int row, int number, const QColor& color)
{
    GannLabel label;
    label.x = square.cellLeft(column) + GannNumberOffsetX;
    label.y = square.cellTop(row) + GannNumberOffsetY;
    label.text = FourCharNumber(number);
    label.color = color;
    label.points = GannCellNumberPoints;
    return label;
}

}  // namespace

GannChartKind GannChartKindFor(const GannSpiral& spiral, Layout layout)
{
    return spiral.GridCenter <= GannConstants(layout).fullSquareLimit ? GannChartKind::Full
                                                                       : GannChartKind::Band;
}

QString GannChartKindName(GannChartKind kind)
{
    return kind == GannChartKind::Full ? QStringLiteral("full") : QStringLiteral("band");
}

GannSquareGeometry SquareGeometry(qint32 chartHalf, qint32 chartRadius, int cells)
{
    GannSquareGeometry g;
    g.cells = cells;
    const double root2 = std::sqrt(2.0);
    const double h = double(chartRadius) / root2;
    g.SquareLeft = Twips(double(chartHalf) - h);
    g.SquareRight = Twips(h + double(chartHalf));
    g.SquareTop = Twips(double(chartHalf) - h);
    g.SquareBottom = Twips(h + double(chartHalf));
    g.CellSize = cells > 0 ? Twips(double(chartRadius) * root2 / double(cells)) : 0;
    return g;
}

std::vector<GannSegment> RingOutlineSegments(const GannSquareGeometry& s, int bandRings)
{
    const int n = s.cells;
    auto kept = [&](int i) { return bandRings < 0 || i <= bandRings || n - i <= bandRings; };
    std::vector<GannSegment> out;
    for (int i = 0; i <= n; ++i) {
        if (!kept(i)) continue;
        const qint32 in = i * s.CellSize;
        out.push_back({s.SquareLeft + in, s.SquareTop + in, s.SquareRight - in, s.SquareTop + in});
    }
    for (int i = 0; i <= n; ++i) {
        if (!kept(i)) continue;
        const qint32 in = i * s.CellSize;
        out.push_back({s.SquareLeft + in, s.SquareTop + in, s.SquareLeft + in, s.SquareBottom - in});
    }
    return out;
}

QString FourCharNumber(int v)
{
    return (QStringLiteral("    ") + QString::number(v)).right(4);
}

std::vector<GannBox> ResultBoxes(const GannState& state, const GannSquareGeometry& square)
{
    std::vector<GannBox> out;
    auto add = [&](int n, const QColor& color) {
        if (n == 0 || !IsSpiralNumber(n)) return;
        out.push_back(CellBox(square, n, state.spiral.CellX[n], state.spiral.CellY[n], color));
    };
    add(state.inputs.GannPrice, GannChartColors::Black());
    for (int k = 1; k <= state.results.AngleCount && k <= GannAngleCount; ++k) {
        add(state.results.PotentialHigh[k], GannChartColors::Blue());
        add(state.results.PotentialLow[k], GannChartColors::Red());
    }
    return out;
}

std::vector<GannLabel> CellNumberLabels(const GannState& state, const GannSquareGeometry& square,
                                        bool highlight, int firstColumn, int firstRow)
{
    std::vector<GannLabel> out;
    const int n = square.cells;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const int c = firstColumn + i, r = firstRow + j;
            if (c < 0 || r < 0 || c >= GannGridCells || r >= GannGridCells) continue;
            const int v = state.spiral.Grid[c][r];
            // A marked cell carries a filled box, so its number is written in white.
            const bool marked = IsSpiralNumber(v)
                && (state.results.CellMark[v] == GannHighCell || state.results.CellMark[v] == GannLowCell);
            const bool onBox = highlight && (v == state.inputs.GannPrice || marked);
            out.push_back(NumberLabel(square, i, j, v, onBox ? GannChartColors::White() : GannChartColors::Black()));
        }
    }
    return out;
}

namespace {

// A spoke at angle a of the wheel around (half, half): its end on the circle and its
// date label where it leaves the square.
GannSpoke Spoke(double a, double half, double radius, const GannSquareGeometry& square)
{
    GannSpoke s;
    if (a < 0) a += GannFullTurn;
    if (a > GannFullTurn) a -= GannFullTurn;
    s.angle = a;
    s.end = QPoint(Twips(radius * std::cos(a) + half), Twips(half - radius * std::sin(a)));

    // A spoke exactly on a corner belongs to the side counter-clockwise from it.
    const double h = radius / std::sqrt(2.0);
    if (a < Q1 || a >= Q7) {
        s.side = GannLabelSide::Right;
        s.label = QPoint(square.SquareRight + LabelGapRight, Twips(half - h * std::tan(a)));
    } else if (a < Q3) {
        s.side = GannLabelSide::Top;
        s.label = QPoint(Twips(h / std::tan(a) + half), square.SquareTop - LabelGapTop);
    } else if (a < Q5) {
        s.side = GannLabelSide::Left;
        s.label = QPoint(square.SquareLeft - LabelGapLeft, Twips(h * std::tan(a) + half));
    } else {
        s.side = GannLabelSide::Bottom;
        s.label = QPoint(Twips(half - h / std::tan(a)), square.SquareBottom + LabelGapBottom);
    }
    return s;
}

GannLabel DateLabel(const GannSpoke& spoke, const QDate& date)
{
    GannLabel l;
    l.x = spoke.label.x();
    l.y = spoke.label.y();
    l.text = FormatMmmDd(date);
    l.color = GannChartColors::Black();
    l.points = GannDateLabelPoints;
    return l;
}

}  // namespace

GannWheel AngleWheel(const GannState& state, const GannSquareGeometry& square, double rotation)
{
    GannWheel w;
    w.center = QPoint(state.frame.ChartHalf, state.frame.ChartHalf);
    w.radius = state.frame.ChartRadius;
    for (int i = 0; i < 8; ++i)
        w.spokes[i] = Spoke(double(i) * GannPi / 4 + rotation, state.frame.ChartHalf, state.frame.ChartRadius,
                            square);
    for (int i = 0; i < 4; ++i) {
        const QPoint a = w.spokes[i].end, b = w.spokes[i + 4].end;
        w.diameters.push_back({a.x(), a.y(), b.x(), b.y()});
    }

    // Without a date the ring stays unlabelled.
    if (state.inputs.DateEntered) {
        w.dateLabels.push_back(DateLabel(w.spokes[0], state.inputs.GannDate));
        // Spoke i + 1 is i x 45 degrees counter-clockwise, (8 - i) x 45 clockwise: the
        // way the spiral's numbers and the seasons run.
        for (int i = 1; i <= 7; ++i)
            w.dateLabels.push_back(DateLabel(w.spokes[i], state.results.AngleDate[8 - i]));
    }
    return w;
}

namespace {

// Where the band walk begins: the start of the half ring that holds the price's
// direction, so that the deepest low's target comes up before the walk has gone round
// once.
int BandStart(int N, double priceAngle)
{
    const int lowerLeftStart = (N - 6) * (N - 6);              // closes the ring inside the band
    const int upperRightStart = lowerLeftStart + 2 * (N - 5);   // top-right corner of the first band ring
    const double a = priceAngle;
    return ((-Q3 < a && a <= Q1) || a > Q5) ? upperRightStart : lowerLeftStart;
}

// The walk over the band square's numbers that matches each result to a band cell, in
// the order lows AngleCount..1, the price, highs 1..AngleCount. It moves each result
// and its two spiral neighbours into the band as it goes and later reads those moved
// cells again, so it works on its own copy of the cell tables.
class BandWalk {
public:
    BandWalk(const GannState& state, GannBandChart& band)
        : m_state(state), m_band(band), m_cellX(state.spiral.CellX), m_cellY(state.spiral.CellY),
          m_k(state.results.AngleCount), m_target(state.results.LowTargetAngle[m_k])
    {
    }

    void run()
    {
        const int walkEnd = m_band.N * m_band.N + 1;
        double d = GannPi;
        for (int v = m_band.bandStart;;) {
            const double prev = d;
            ++v;
            if (v == walkEnd)
                return;
            d = AngleDistance(BandAngle(v), m_target);
            // Still closing in (a tie counts as closing in): look at the next cell.
            if (d <= prev)
                continue;
            // The distance grew, so the cell before was the closest to this target.
            --v;
            Place(v);
            d = GannPi;
            if (!NextTarget())
                return;
        }
    }

    // Where a number ended up: its band cell when the walk moved it there, else its
    // spiral cell.
    int column(int number) const { return m_cellX[number]; }
    int row(int number) const { return m_cellY[number]; }

private:
    double BandAngle(int v) const
    {
        const int centre = m_band.M - 1;
        return GridAngle(m_cellX[v] + m_band.shift - centre, m_cellY[v] + m_band.shift - centre);
    }

    int Result() const
    {
        return m_phase == GannBandPhase::Low     ? m_state.results.PotentialLow[m_k]
             : m_phase == GannBandPhase::Price ? m_state.inputs.GannPrice
                                               : m_state.results.PotentialHigh[m_k];
    }

    void Place(int f)
    {
        const int r = Result();
        GannBandPlacement p;
        p.phase = m_phase;
        p.k = m_phase == GannBandPhase::Price ? 0 : m_k;
        p.number = r;
        p.bandCell = f;
        p.column = m_cellX[f] + m_band.shift;
        p.row = m_cellY[f] + m_band.shift;
        m_band.placements.push_back(p);
        Move(r, f);
        Move(r - 1, f - 1);
        Move(r + 1, f + 1);
    }

    void Move(int to, int from)
    {
        if (!IsSpiralNumber(to) || !IsSpiralNumber(from)) return;
        m_cellX[to] = qint16(m_cellX[from] + m_band.shift);
        m_cellY[to] = qint16(m_cellY[from] + m_band.shift);
        m_band.moves.push_back({to, m_cellX[to], m_cellY[to]});
    }

    // On to the next result; false after the last high.
    bool NextTarget()
    {
        if (m_phase == GannBandPhase::Low) {
            --m_k;
            if (m_k == 0) {
                m_phase = GannBandPhase::Price;
                m_target = m_state.results.PriceAngle;
            } else {
                m_target = m_state.results.LowTargetAngle[m_k];
            }
            return true;
        }
        if (m_phase == GannBandPhase::Price) {
            m_phase = GannBandPhase::High;
            m_k = 1;
            m_target = m_state.results.HighTargetAngle[1];
            return true;
        }
        ++m_k;
        if (m_k > m_state.results.AngleCount)
            return false;
        m_target = m_state.results.HighTargetAngle[m_k];
        return true;
    }

    const GannState& m_state;
    GannBandChart& m_band;
    std::array<qint16, GannMaxNumber + 1> m_cellX, m_cellY;
    GannBandPhase m_phase = GannBandPhase::Low;
    int m_k;
    double m_target;
};

// Each result with its spiral neighbours either side, so the direction of the spiral
// through it stays visible; a result the walk could not place keeps its spiral cell,
// which may lie outside the band square.
void AddBandBoxes(GannBandChart& band, const GannState& state, const BandWalk& walk,
                  const GannSquareGeometry& square)
{
    auto add = [&](int w, const QColor& color) {
        if (!IsSpiralNumber(w)) return;
        const GannBox box = CellBox(square, w, walk.column(w), walk.row(w), color);
        band.boxes.push_back(box);
        band.numbers.push_back(NumberLabel(square, box.column, box.row, w, GannChartColors::White()));
    };
    auto addWithNeighbours = [&](int w, const QColor& color) {
        add(w, color);
        add(w - 1, GannChartColors::Grey());
        add(w + 1, GannChartColors::Grey());
    };
    for (int i = 1; i <= state.results.AngleCount; ++i)
        addWithNeighbours(state.results.PotentialHigh[i], GannChartColors::Blue());
    for (int i = 1; i <= state.results.AngleCount; ++i)
        addWithNeighbours(state.results.PotentialLow[i], GannChartColors::Red());
    addWithNeighbours(state.inputs.GannPrice, GannChartColors::Black());
}

}  // namespace

GannBandChart BandChart(const GannState& state, Layout layout, const GannSquareGeometry& square)
{
    // The band shows the three outer rings of an N x N spiral. Its inner numbers sit at
    // the same offsets from the centre in every spiral, so the real spiral's cells moved
    // by `shift` are the band square's cells.
    const GannLayoutConstants& c = GannConstants(layout);
    GannBandChart band;
    band.N = c.bandCells;
    band.M = c.bandCenter;
    band.shift = band.M - state.spiral.GridCenter;
    band.bandStart = BandStart(band.N, state.results.PriceAngle);
    BandWalk walk(state, band);
    walk.run();
    AddBandBoxes(band, state, walk, square);
    return band;
}

namespace {

GannChartGeometry WithSquare(const GannState& state, GannChartKind kind, int cells)
{
    GannChartGeometry chart;
    static_cast<GannSquareGeometry&>(chart) =
        SquareGeometry(state.frame.ChartHalf, state.frame.ChartRadius, cells);
    chart.kind = kind;
    chart.ChartHalf = state.frame.ChartHalf;
    chart.ChartRadius = state.frame.ChartRadius;
    return chart;
}

}  // namespace

GannChartGeometry ComputeGannChart(const GannState& state, Layout layout)
{
    const GannChartKind kind = GannChartKindFor(state.spiral, layout);
    if (kind == GannChartKind::Full) {
        GannChartGeometry chart = WithSquare(state, kind, state.spiral.GridSize);
        chart.ringOutlines = RingOutlineSegments(chart);
        chart.resultBoxes = ResultBoxes(state, chart);
        chart.wheel = AngleWheel(state, chart, state.results.PriceAngle);
        chart.cellNumbers = CellNumberLabels(state, chart, true);
        return chart;
    }
    GannChartGeometry chart = WithSquare(state, kind, GannConstants(layout).bandCells);
    chart.ringOutlines = RingOutlineSegments(chart, BandRings);
    chart.wheel = AngleWheel(state, chart, state.results.PriceAngle);
    chart.band = BandChart(state, layout, chart);
    return chart;
}

GannChartGeometry ComputeInitialGannChart(const GannState& state, Layout layout)
{
    if (GannChartKindFor(state.spiral, layout) == GannChartKind::Band) {
        GannChartGeometry chart;
        chart.kind = GannChartKind::Band;
        chart.blank = true;
        chart.ChartHalf = state.frame.ChartHalf;
        chart.ChartRadius = state.frame.ChartRadius;
        return chart;
    }
    return ComputeGannChart(state, layout);
}

std::map<int, QPoint> BandCellMap(const GannChartGeometry& chart)
{
    std::map<int, QPoint> out;
    if (chart.kind != GannChartKind::Band || chart.blank) return out;
    for (const GannBox& b : chart.band.boxes)
        out[b.number] = QPoint(b.column, b.row);
    return out;
}
