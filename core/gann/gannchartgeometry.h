#pragma once
#include "core/gann/gannstate.h"
#include "core/numbers/layout.h"

#include <QColor>
#include <QDate>
#include <QPoint>
#include <QString>
#include <array>
#include <map>
#include <vector>

// Where everything on the Square of Nine chart goes, worked out from the state of a
// Gann window without drawing anything: the square's edges and cells, the ring
// outlines, the coloured boxes over the price and the results, the numbers in the
// cells, the wheel of eight spokes with its date ring, and for spirals too large to
// show whole the band chart. Painting (gannchart.h) walks this onto a picture box;
// the command-line tool reads it to say where each number ended up.
//
// All positions are twips (1/1440 inch) on the chart box, origin top left, y down,
// rounded to the nearest twip with halves to even.

// The chart's colours. Grey marks the two spiral neighbours of each result on the
// band chart, so a trader sees which way the spiral runs through the result.
namespace GannChartColors {
inline QColor Black() { return QColor(0, 0, 0); }
inline QColor White() { return QColor(255, 255, 255); }
inline QColor Blue() { return QColor(0, 0, 255); }
inline QColor Red() { return QColor(255, 0, 0); }
inline QColor Grey() { return QColor(150, 150, 150); }
}  // namespace GannChartColors

inline const QString GannChartFontName = QStringLiteral("Arial");
constexpr double GannCellNumberPoints = 5;   // numbers in the cells
constexpr double GannDateLabelPoints = 7;    // dates on the wheel
// A number sits this far right of and below its cell's top-left corner.
constexpr qint32 GannNumberOffsetX = 10;
constexpr qint32 GannNumberOffsetY = 70;

// A square small enough is drawn cell by cell; beyond the layout's limit only the
// results are shown, on a band of three rings (the band chart).
enum class GannChartKind { Full, Band };

// Full while GridCenter is at most 16 (compact) or 19 (large), else Band.
GannChartKind GannChartKindFor(const GannSpiral& spiral, Layout layout);
// "full" or "band".
QString GannChartKindName(GannChartKind kind);

// The drawn square: inscribed in the wheel circle of radius ChartRadius around
// (ChartHalf, ChartHalf), split into `cells` cells per side. The edges and the cell
// size are each rounded on their own, so cells x CellSize can miss the right edge by
// a few twips.
struct GannSquareGeometry {
    qint32 SquareLeft = 0;
    qint32 SquareTop = 0;
    qint32 SquareRight = 0;
    qint32 SquareBottom = 0;
    qint32 CellSize = 0;
    int cells = 0;

    qint32 cellLeft(int column) const { return SquareLeft + column * CellSize; }
    qint32 cellTop(int row) const { return SquareTop + row * CellSize; }
};

GannSquareGeometry SquareGeometry(qint32 chartHalf, qint32 chartRadius, int cells);

struct GannSegment {
    qint32 x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const GannSegment& o) const
    { return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2; }
};

// The ring boundaries as two passes over i = 0..cells: first the horizontal segments
// (y = top + i cells, from i cells in on the left to i cells in on the right), then
// the vertical ones. Below the middle a pass gives the top and left side of the
// boundary i cells in, past the middle the bottom and right side of the one
// cells - i in, so every boundary closes and no line runs between cells of one ring.
// With bandRings >= 0 only the i within bandRings of either edge are kept: the outer
// edge and the inner boundaries of that many outer rings.
std::vector<GannSegment> RingOutlineSegments(const GannSquareGeometry& square, int bandRings = -1);

// A filled box over one cell, and the number written on it when it has one.
struct GannBox {
    qint32 left = 0, top = 0, right = 0, bottom = 0;
    QColor color;
    int number = 0;       // the spiral number the box marks
    int column = 0;       // its cell, 0-based, rows counted downwards
    int row = 0;
};

// A piece of text, top-left at (x, y).
struct GannLabel {
    qint32 x = 0, y = 0;
    QString text;
    QColor color;
    double points = 0;    // font size; the font is always GannChartFontName
};

// v right-aligned in four characters: "   1", " 625", "9999"; a five-digit number
// keeps its last four digits ("0000" for 10000), as the cell has room for four.
QString FourCharNumber(int v);

// Full square: the price in black, then for each angle its high in blue and its low
// in red; an entry of 0 has no box. Each box covers its cell exactly.
std::vector<GannBox> ResultBoxes(const GannState& state, const GannSquareGeometry& square);

// The number of every cell, column by column. With highlight, the price and the
// marked highs and lows are written white (they sit on a filled box), all else black.
std::vector<GannLabel> CellNumberLabels(const GannState& state, const GannSquareGeometry& square,
                                        bool highlight, int firstColumn = 0, int firstRow = 0);

// ---- The angle wheel ---------------------------------------------------------

// Which side of the square a spoke's date is written beside.
enum class GannLabelSide { Right, Top, Left, Bottom };

struct GannSpoke {
    double angle = 0;          // radians, 0 right, counter-clockwise, within 0..6.283
    QPoint end;                // on the wheel circle
    QPoint label;              // top-left of its date, just outside the square
    GannLabelSide side = GannLabelSide::Right;
};

struct GannWheel {
    QPoint center;
    qint32 radius = 0;
    std::array<GannSpoke, 8> spokes{};       // spoke 1 points at the price cell
    std::vector<GannSegment> diameters;      // spoke i to spoke i + 4, i = 1..4
    // "mmm dd" dates: GannDate at spoke 1, then AngleDate(k) at the spoke k x 45
    // degrees clockwise, k = 7 .. 1. None when no date was entered.
    std::vector<GannLabel> dateLabels;
};

// The wheel for a rotation (the price cell's angle) over an already computed square.
GannWheel AngleWheel(const GannState& state, const GannSquareGeometry& square, double rotation);

// ---- The band chart ----------------------------------------------------------

// The walk takes the lows first (from 360 degrees down to 45), then the price, then
// the highs (from 45 degrees up to 360).
enum class GannBandPhase { Low, Price, High };

// One result matched to a band cell by the walk, with its angle index k (0 for the price).
struct GannBandPlacement {
    GannBandPhase phase = GannBandPhase::Low;
    int k = 0;
    int number = 0;        // the result's spiral number
    int bandCell = 0;      // the band square's number whose cell it takes
    int column = 0;        // that cell in the band square
    int row = 0;
};

// A write of a number's cell while placing (number, new column, new row), in order.
struct GannCellMove {
    int number = 0;
    int column = 0;
    int row = 0;
};

struct GannBandChart {
    int N = 0;                                // cells per side of the band square
    int M = 0;                                // its centre index, 1-based
    int shift = 0;                            // M - GridCenter
    int bandStart = 0;                        // the walk begins after this number
    std::vector<GannBandPlacement> placements; // lows 8..1, the price, highs 1..8
    std::vector<GannCellMove> moves;          // every CellX / CellY write, in order
    // The 51 boxes in drawing order: each high with its two neighbours, each low with
    // its neighbours, the price with its neighbours. numbers[i] is written on boxes[i].
    std::vector<GannBox> boxes;
    std::vector<GannLabel> numbers;
};

// The band chart's walk and boxes for the state after a calculation whose square is
// beyond the full-square limit. Needs the square geometry of N cells.
GannBandChart BandChart(const GannState& state, Layout layout, const GannSquareGeometry& square);

// ---- The whole chart -----------------------------------------------------------

// Everything one drawing of pbGann shows, in the order it is drawn:
// Full: ring outlines, result boxes, wheel, cell numbers.
// Band: band outlines, wheel, then each box with its number.
// blank: nothing at all (the initial chart of a square too large to draw whole).
struct GannChartGeometry : GannSquareGeometry {
    GannChartKind kind = GannChartKind::Full;
    bool blank = false;
    qint32 ChartHalf = 0;
    qint32 ChartRadius = 0;

    std::vector<GannSegment> ringOutlines;
    std::vector<GannBox> resultBoxes;      // full square: price, highs, lows
    GannWheel wheel;
    std::vector<GannLabel> cellNumbers;    // full square: every cell's number
    GannBandChart band;                    // band chart only
};

// The chart that ends a calculation: the whole square, or the band chart beyond the
// layout's limit. The wheel carries dates when the calculation had a date.
GannChartGeometry ComputeGannChart(const GannState& state, Layout layout);

// The chart at window load (and after New): the whole square, or nothing when the
// square is beyond the limit (the band chart is drawn only by a calculation).
GannChartGeometry ComputeInitialGannChart(const GannState& state, Layout layout);

// Band chart: spiral number -> [column, row] in the band square of every number it
// shows, after all moves. Empty for a full chart.
std::map<int, QPoint> BandCellMap(const GannChartGeometry& chart);
