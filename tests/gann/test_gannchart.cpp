#include "forms/gann/ganncalc.h"
#include "forms/gann/gannchart.h"
#include "forms/gann/gannchartgeometry.h"
#include "platform/picturesurface.h"

#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(Layout)
Q_DECLARE_METATYPE(GannChartKind)

using Numbers = QList<int>;

namespace {

const QDate Today(2024, 6, 1);
const qint32 Half = 4250;   // a window 9000 twips high

GannState Calculated(Layout layout, const QString& price, const QDate& date = Today)
{
    GannState s = InitialGannState(layout, Today, Half);
    if (CalculateGann(s, price, date, Today, layout) != GannVerdict::Calculated)
        qFatal("calculation refused");
    return s;
}

const GannLabel* LabelOf(const std::vector<GannLabel>& labels, int number)
{
    const QString text = FourCharNumber(number);
    for (const GannLabel& l : labels)
        if (l.text == text) return &l;
    return nullptr;
}

bool Inside(const GannLabel& l, const GannBox& b)
{
    return l.x > b.left && l.x < b.right && l.y > b.top && l.y < b.bottom;
}

// Share of the box's pixels that carry the colour (spokes and numbers cross some).
double ColourShare(const QImage& img, const PictureSurface& s, const GannBox& b, const QColor& c)
{
    int hits = 0, all = 0;
    for (int x = s.toPixels(b.left); x < s.toPixels(b.right); ++x)
        for (int y = s.toPixels(b.top); y < s.toPixels(b.bottom); ++y) {
            ++all;
            hits += QColor(img.pixel(x, y)) == c;
        }
    return all ? double(hits) / all : 0;
}

}  // namespace

// The chart is what a trader reads the projection from: every box must sit in the
// cell of its number, every date at the spoke of its angle.
class TestGannChart : public QObject {
    Q_OBJECT
private slots:
    void squareGeometry_data();
    void squareGeometry();
    void ringOutlinesCloseEveryRing_data();
    void ringOutlinesCloseEveryRing();
    void price100Boxes_data();
    void price100Boxes();
    void initialChart();
    void fourCharacterNumbers_data();
    void fourCharacterNumbers();
    void chartKindLimits_data();
    void chartKindLimits();
    void wheelWorkedExample_data();
    void wheelWorkedExample();
    void wheelAnglesStayInOneTurn();
    void dateRing();
    void bandWalkPrice1000();
    void bandStart_data();
    void bandStart();
    void bandShows51Boxes_data();
    void bandShows51Boxes();
    void bandLowerLeftDiagonal_data();
    void bandLowerLeftDiagonal();
    void chartStepWritesState();
    void paintedPixels_data();
    void paintedPixels();
    void redrawBeyondLimitStaysBlank();
};

void TestGannChart::squareGeometry_data()
{
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("nearEdge");
    QTest::addColumn<int>("farEdge");
    QTest::addColumn<int>("cellSize");
    QTest::newRow("small square, 27 cells") << 4150 << 27 << 1316 << 7184 << 217;
    QTest::newRow("compact middle square, 31 cells") << 5150 << 31 << 608 << 7892 << 235;
}

void TestGannChart::squareGeometry()
{
    QFETCH(int, radius);
    QFETCH(int, cells);
    QFETCH(int, nearEdge);
    QFETCH(int, farEdge);
    QFETCH(int, cellSize);
    const GannSquareGeometry g = SquareGeometry(Half, radius, cells);
    QCOMPARE(g.SquareLeft, nearEdge);
    QCOMPARE(g.SquareTop, nearEdge);
    QCOMPARE(g.SquareRight, farEdge);
    QCOMPARE(g.SquareBottom, farEdge);
    QCOMPARE(g.CellSize, cellSize);
}

void TestGannChart::ringOutlinesCloseEveryRing_data()
{
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("bandRings");
    QTest::newRow("27 cells") << 4150 << 27 << -1;
    QTest::newRow("31 cells, larger radius") << 5150 << 31 << -1;
    QTest::newRow("37 cells") << 6650 << 37 << -1;
    QTest::newRow("band of 27") << 4150 << 27 << 3;
    QTest::newRow("band of 31") << 5410 << 31 << 3;
}

void TestGannChart::ringOutlinesCloseEveryRing()
{
    QFETCH(int, radius);
    QFETCH(int, cells);
    QFETCH(int, bandRings);
    const GannSquareGeometry g = SquareGeometry(Half, radius, cells);
    const std::vector<GannSegment> segs = RingOutlineSegments(g, bandRings);
    // The far sides are placed from the near edge cell by cell, the near sides run
    // to the rounded far edge: corners may miss each other by that difference only.
    const int slack = std::abs(g.SquareRight - g.SquareLeft - cells * g.CellSize);
    QVERIFY(slack < cells);

    QSet<int> levels;
    for (const GannSegment& s : segs) {
        const bool horizontal = s.y1 == s.y2;
        QVERIFY(horizontal || s.x1 == s.x2);
        const int at = horizontal ? s.y1 - g.SquareTop : s.x1 - g.SquareLeft;
        QCOMPARE(at % g.CellSize, 0);
        const int level = at / g.CellSize;
        levels << (horizontal ? level : -1 - level);
        // A line at level j is one whole side of the boundary min(j, n - j) cells in:
        // no line stops between two cells of a ring.
        const int in = std::min(level, cells - level);
        const int from = horizontal ? s.x1 : s.y1, to = horizontal ? s.x2 : s.y2;
        QVERIFY(std::abs(std::min(from, to) - ((horizontal ? g.SquareLeft : g.SquareTop) + in * g.CellSize)) <= slack);
        QVERIFY(std::abs(std::max(from, to) - ((horizontal ? g.SquareLeft : g.SquareTop) + (cells - in) * g.CellSize)) <= slack);
        // Every end meets the end of a line of the other direction: the squares close.
        for (const QPoint end : {QPoint(s.x1, s.y1), QPoint(s.x2, s.y2)}) {
            bool met = false;
            for (const GannSegment& o : segs) {
                if ((o.y1 == o.y2) == horizontal) continue;
                for (const QPoint oe : {QPoint(o.x1, o.y1), QPoint(o.x2, o.y2)})
                    met = met || (std::abs(oe.x() - end.x()) <= slack && std::abs(oe.y() - end.y()) <= slack);
            }
            QVERIFY2(met, qPrintable(QStringLiteral("open corner at %1,%2").arg(end.x()).arg(end.y())));
        }
    }
    // Each level once per direction: every boundary drawn, none twice.
    const int drawnLevels = bandRings < 0 ? cells + 1 : 2 * (bandRings + 1);
    QCOMPARE(int(segs.size()), 2 * drawnLevels);
    QCOMPARE(levels.size(), 2 * drawnLevels);
}

void TestGannChart::price100Boxes_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<int>("cells");
    QTest::newRow("compact") << Layout::Compact << 27;
    QTest::newRow("large") << Layout::Large << 31;
}

void TestGannChart::price100Boxes()
{
    QFETCH(Layout, layout);
    QFETCH(int, cells);
    const GannState s = Calculated(layout, "100");
    const GannChartGeometry chart = ComputeGannChart(s, layout, Today);
    QCOMPARE(chart.kind, GannChartKind::Full);
    QCOMPARE(chart.cells, cells);
    QCOMPARE(int(chart.cellNumbers.size()), cells * cells);
    QCOMPARE(int(chart.resultBoxes.size()), 17);

    Numbers blue, red, black;
    for (const GannBox& b : chart.resultBoxes) {
        // Exactly one cell, the one that holds the number.
        QCOMPARE(b.right - b.left, chart.CellSize);
        QCOMPARE(b.bottom - b.top, chart.CellSize);
        QCOMPARE(int(s.Grid[b.column][b.row]), b.number);
        const GannLabel* label = LabelOf(chart.cellNumbers, b.number);
        QVERIFY(label);
        QVERIFY(Inside(*label, b));
        QCOMPARE(label->color, GannChartColors::White());
        if (b.color == GannChartColors::Blue()) blue << b.number;
        else if (b.color == GannChartColors::Red()) red << b.number;
        else if (b.color == GannChartColors::Black()) black << b.number;
    }
    QCOMPARE(black, Numbers{100});
    QCOMPARE(blue, (Numbers{105, 110, 115, 120, 126, 132, 138, 144}));
    QCOMPARE(red, (Numbers{95, 90, 85, 80, 77, 72, 69, 64}));

    int white = 0;
    for (const GannLabel& l : chart.cellNumbers) {
        white += l.color == GannChartColors::White();
        QCOMPARE(l.points, 5.0);
    }
    QCOMPARE(white, 17);
    // The wheel's first spoke points at the price cell.
    QCOMPARE(chart.wheel.spokes[0].angle, s.PriceAngle + (s.PriceAngle < 0 ? GannFullTurn : 0));
}

void TestGannChart::initialChart()
{
    const GannState s = InitialGannState(Layout::Compact, Today, Half);
    const GannChartGeometry chart = ComputeInitialGannChart(s, Layout::Compact, Today);
    QVERIFY(!chart.blank);
    QCOMPARE(chart.cells, 27);
    QVERIFY(chart.resultBoxes.empty());
    QVERIFY(chart.wheel.dateLabels.empty());
    QCOMPARE(chart.wheel.spokes[0].angle, 0.0);
    for (const GannLabel& l : chart.cellNumbers)
        QCOMPARE(l.color, GannChartColors::Black());
    // The centre cell shows 1, offset into the cell.
    const GannLabel* one = LabelOf(chart.cellNumbers, 1);
    QVERIFY(one);
    QCOMPARE(one->x, chart.SquareLeft + 13 * chart.CellSize + 10);
    QCOMPARE(one->y, chart.SquareTop + 13 * chart.CellSize + 70);
    QVERIFY(LabelOf(chart.cellNumbers, 729));

    // Without highlighting even marked cells are written black.
    const GannState p = Calculated(Layout::Compact, "100");
    for (const GannLabel& l : CellNumberLabels(p, SquareGeometry(Half, 4150, 27), false))
        QCOMPARE(l.color, GannChartColors::Black());
}

void TestGannChart::fourCharacterNumbers_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("centre") << 1 << "   1";
    QTest::newRow("three digits") << 625 << " 625";
    QTest::newRow("four digits fill the cell") << 9999 << "9999";
    QTest::newRow("five digits keep the last four") << 10000 << "0000";
    QTest::newRow("five digits, 10403") << 10403 << "0403";
}

void TestGannChart::fourCharacterNumbers()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(FourCharNumber(number), text);
}

void TestGannChart::chartKindLimits_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<GannChartKind>("kind");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("radius");   // relative to ChartHalf
    QTest::newRow("compact 625") << Layout::Compact << "625" << GannChartKind::Full << 27 << -100;
    QTest::newRow("compact 626") << Layout::Compact << "626" << GannChartKind::Full << 31 << 900;
    QTest::newRow("compact 842") << Layout::Compact << "842" << GannChartKind::Band << 27 << -100;
    QTest::newRow("large 841") << Layout::Large << "841" << GannChartKind::Full << 31 << -100;
    QTest::newRow("large 842") << Layout::Large << "842" << GannChartKind::Full << 37 << 1200;
    QTest::newRow("large 1225") << Layout::Large << "1225" << GannChartKind::Full << 37 << 1200;
    QTest::newRow("large 1226") << Layout::Large << "1226" << GannChartKind::Band << 31 << -100;
}

void TestGannChart::chartKindLimits()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(GannChartKind, kind);
    QFETCH(int, cells);
    QFETCH(int, radius);
    const GannState s = Calculated(layout, price);
    QCOMPARE(GannChartKindFor(s, layout), kind);
    const GannChartGeometry chart = ComputeGannChart(s, layout, Today);
    QCOMPARE(chart.kind, kind);
    QCOMPARE(chart.cells, cells);
    QCOMPARE(chart.wheel.radius, Half + radius);
    QCOMPARE(GannChartKindName(kind), kind == GannChartKind::Full ? QString("full") : QString("band"));
    if (kind == GannChartKind::Full) {
        QVERIFY(LabelOf(chart.cellNumbers, cells * cells));
    } else {
        QVERIFY(chart.cellNumbers.empty());
        QCOMPARE(int(chart.ringOutlines.size()), 16);
    }
}

void TestGannChart::wheelWorkedExample_data()
{
    QTest::addColumn<int>("spoke");
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QPoint>("label");
    QTest::addColumn<int>("side");
    const int R = int(GannLabelSide::Right), T = int(GannLabelSide::Top);
    const int L = int(GannLabelSide::Left), B = int(GannLabelSide::Bottom);
    QTest::newRow("1 right") << 1 << QPoint(8400, 4250) << QPoint(7284, 4250) << R;
    QTest::newRow("2 on the bound q: top") << 2 << QPoint(7185, 1316) << QPoint(7185, 1116) << T;
    QTest::newRow("3 up") << 3 << QPoint(4250, 100) << QPoint(4250, 1116) << T;
    QTest::newRow("4 on the bound 3q: left") << 4 << QPoint(1316, 1315) << QPoint(816, 1315) << L;
    QTest::newRow("5 left") << 5 << QPoint(100, 4250) << QPoint(816, 4250) << L;
    QTest::newRow("6 on the bound 5q: bottom") << 6 << QPoint(1315, 7184) << QPoint(1315, 7234) << B;
    QTest::newRow("7 down") << 7 << QPoint(4249, 8400) << QPoint(4250, 7234) << B;
    QTest::newRow("8 on the bound 7q: right") << 8 << QPoint(7184, 7185) << QPoint(7284, 7185) << R;
}

void TestGannChart::wheelWorkedExample()
{
    QFETCH(int, spoke);
    QFETCH(QPoint, end);
    QFETCH(QPoint, label);
    QFETCH(int, side);
    GannState s;
    s.ChartHalf = Half;
    s.ChartRadius = 4150;
    const GannWheel w = AngleWheel(s, SquareGeometry(Half, 4150, 27), 0, s.GannDate);
    QCOMPARE(w.spokes[spoke - 1].end, end);
    QCOMPARE(w.spokes[spoke - 1].label, label);
    QCOMPARE(int(w.spokes[spoke - 1].side), side);
    QCOMPARE(int(w.diameters.size()), 4);
    QCOMPARE(w.diameters[(spoke - 1) % 4].x1, w.spokes[(spoke - 1) % 4].end.x());
    QCOMPARE(w.diameters[(spoke - 1) % 4].x2, w.spokes[(spoke - 1) % 4 + 4].end.x());
}

void TestGannChart::wheelAnglesStayInOneTurn()
{
    GannState s;
    s.ChartHalf = Half;
    s.ChartRadius = 4150;
    const GannSquareGeometry g = SquareGeometry(Half, 4150, 27);
    // Price cells straight below, just past the lower-left diagonal, and far round.
    for (double rotation : {-GannPi / 2, 3 * GannPi / 2 - 0.0001, 3.93, 4.5}) {
        const GannWheel w = AngleWheel(s, g, rotation, s.GannDate);
        for (const GannSpoke& spoke : w.spokes) {
            QVERIFY(spoke.angle >= 0);
            QVERIFY(spoke.angle <= GannFullTurn);
        }
    }
}

void TestGannChart::dateRing()
{
    const GannState s = Calculated(Layout::Compact, "100", QDate(2024, 1, 15));
    const GannWheel w = ComputeGannChart(s, Layout::Compact, Today).wheel;
    // The analysis date at the price spoke, then the projected dates clockwise:
    // AngleDate(7) one spoke counter-clockwise, AngleDate(1) one spoke clockwise.
    const QStringList expected{"Jan 15", "Nov 30", "Oct 17", "Sep 01", "Jul 16", "May 31", "Apr 15", "Feb 29"};
    QCOMPARE(int(w.dateLabels.size()), 8);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(w.dateLabels[i].text, expected[i]);
        QCOMPARE(QPoint(w.dateLabels[i].x, w.dateLabels[i].y), w.spokes[i].label);
        QCOMPARE(w.dateLabels[i].points, 7.0);
        QCOMPARE(w.dateLabels[i].color, GannChartColors::Black());
    }
    // Today's date means no date: the spokes stay unlabelled.
    QVERIFY(ComputeGannChart(Calculated(Layout::Compact, "100"), Layout::Compact, Today).wheel.dateLabels.empty());
}

void TestGannChart::bandWalkPrice1000()
{
    const GannState s = Calculated(Layout::Compact, "1000");
    const GannChartGeometry chart = ComputeGannChart(s, Layout::Compact, Today);
    QCOMPARE(chart.kind, GannChartKind::Band);
    QCOMPARE(chart.band.shift, -4);
    QCOMPARE(chart.band.bandStart, 441);

    QString phases;
    Numbers numbers, cells;
    for (const GannBandPlacement& p : chart.band.placements) {
        phases += QLatin1Char(p.phase);
        numbers << p.number;
        cells << p.bandCell;
    }
    QCOMPARE(phases, QString("LLLLLLLLIHHHHHHHH"));
    QCOMPARE(numbers, (Numbers{878, 890, 908, 920, 938, 950, 968, 981, 1000,
                               1013, 1032, 1045, 1064, 1077, 1096, 1111, 1130}));
    QCOMPARE(cells, (Numbers{468, 477, 490, 499, 512, 521, 534, 544, 558,
                             568, 582, 592, 606, 616, 631, 642, 657}));

    // The band square's own cells of those band numbers, from a 27-cell spiral.
    GannState band;
    BuildSpiral(band, 14, 27);
    const std::map<int, QPoint> at = BandCellMap(chart);
    auto cellOf = [&](int n) { return QPoint(band.CellX[n], band.CellY[n]); };
    QCOMPARE(at.at(1000), QPoint(6, 1));
    QCOMPARE(at.at(878), QPoint(7, 2));
    QCOMPARE(at.at(877), cellOf(467));
    QCOMPARE(at.at(879), cellOf(469));
    QCOMPARE(at.at(1130), QPoint(6, 0));
    for (const GannBandPlacement& p : chart.band.placements) {
        QCOMPARE(at.at(p.number), cellOf(p.bandCell));
        QCOMPARE(QPoint(p.column, p.row), cellOf(p.bandCell));
    }
}

void TestGannChart::bandStart_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("start");
    QTest::newRow("right") << Layout::Compact << 0.0 << 485;
    QTest::newRow("left") << Layout::Compact << GannPi << 441;
    QTest::newRow("up") << Layout::Compact << GannPi / 2 << 441;
    QTest::newRow("down") << Layout::Compact << -GannPi / 2 << 485;
    // Cells on the diagonals have the exact 45 degrees, just past the rounded bounds.
    QTest::newRow("upper-right diagonal") << Layout::Compact << std::atan(1.0) << 441;
    QTest::newRow("lower-left diagonal") << Layout::Compact << std::atan(1.0) + GannPi << 485;
    QTest::newRow("right, large") << Layout::Large << 0.0 << 677;
    QTest::newRow("left, large") << Layout::Large << GannPi << 625;
}

void TestGannChart::bandStart()
{
    QFETCH(Layout, layout);
    QFETCH(double, angle);
    QFETCH(int, start);
    GannState s = Calculated(layout, "5000");
    s.PriceAngle = angle;
    const int n = GannConstants(layout).bandCells;
    QCOMPARE(BandChart(s, layout, SquareGeometry(Half, s.ChartRadius, n)).bandStart, start);
}

void TestGannChart::bandShows51Boxes_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::newRow("842 compact") << Layout::Compact << "842";
    QTest::newRow("1000 compact") << Layout::Compact << "1000";
    QTest::newRow("1226 large") << Layout::Large << "1226";
    QTest::newRow("5000 large") << Layout::Large << "5000";
    QTest::newRow("9999 compact") << Layout::Compact << "9999";
}

void TestGannChart::bandShows51Boxes()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    const GannState s = Calculated(layout, price);
    const GannChartGeometry chart = ComputeGannChart(s, layout, Today);
    const int n = chart.band.N;
    QCOMPARE(int(chart.band.placements.size()), 17);
    QCOMPARE(int(chart.band.boxes.size()), 51);
    QCOMPARE(int(chart.band.numbers.size()), 51);
    int blue = 0, red = 0, black = 0, grey = 0;
    for (size_t i = 0; i < chart.band.boxes.size(); ++i) {
        const GannBox& b = chart.band.boxes[i];
        blue += b.color == GannChartColors::Blue();
        red += b.color == GannChartColors::Red();
        black += b.color == GannChartColors::Black();
        grey += b.color == GannChartColors::Grey();
        // Only the three outer rings are used; a result in the band's first cell has
        // its lower neighbour in the corner where the ring inside the band closes.
        const int ring = std::min({b.column, b.row, n - 1 - b.column, n - 1 - b.row});
        const bool innerCorner = b.color == GannChartColors::Grey() && b.column == 3 && b.row == n - 4;
        QVERIFY2((ring >= 0 && ring < 3) || innerCorner, qPrintable(QString::number(b.number)));
        QCOMPARE(b.right - b.left, chart.CellSize);
        QVERIFY(Inside(chart.band.numbers[i], b));
        QCOMPARE(chart.band.numbers[i].text, FourCharNumber(b.number));
        QCOMPARE(chart.band.numbers[i].color, GannChartColors::White());
    }
    QCOMPARE(blue, 8);
    QCOMPARE(red, 8);
    QCOMPARE(black, 1);
    QCOMPARE(grey, 34);
    // Highs, then lows, then the price, each followed by its two neighbours.
    QCOMPARE(chart.band.boxes[0].number, int(s.PotentialHigh[1]));
    QCOMPARE(chart.band.boxes[1].number, s.PotentialHigh[1] - 1);
    QCOMPARE(chart.band.boxes[2].number, s.PotentialHigh[1] + 1);
    QCOMPARE(chart.band.boxes[24].number, int(s.PotentialLow[1]));
    QCOMPARE(chart.band.boxes[48].number, int(s.GannPrice));
    // Only the band's outer edge and three ring boundaries are outlined.
    QCOMPARE(int(chart.ringOutlines.size()), 16);
    // Each result sits at the spoke direction of its own spiral cell: within one
    // band cell of its spiral angle.
    for (const GannBandPlacement& p : chart.band.placements) {
        const double spiral = CellAngle(s, p.number);
        const double band = std::atan2(-(p.row - (n - 1) / 2.0), p.column - (n - 1) / 2.0);
        double diff = std::abs(spiral - band);
        while (diff > GannPi) diff = std::abs(diff - 2 * M_PI);
        QVERIFY2(diff < 0.25, qPrintable(QString::number(p.number)));
    }
}

void TestGannChart::bandLowerLeftDiagonal_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::newRow("961 compact") << Layout::Compact << "961";
    QTest::newRow("1089 compact") << Layout::Compact << "1089";
    QTest::newRow("1369 large") << Layout::Large << "1369";
}

void TestGannChart::bandLowerLeftDiagonal()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    const GannState s = Calculated(layout, price);
    const GannChartGeometry chart = ComputeGannChart(s, layout, Today);
    const int n = chart.band.N;
    QCOMPARE(chart.band.bandStart, (n - 6) * (n - 6) + 2 * (n - 5));
    // The walk ends at the band's last cell before it can confirm the last high.
    QCOMPARE(int(chart.band.placements.size()), 16);
    QCOMPARE(chart.band.placements.back().phase, 'H');
    QCOMPARE(chart.band.placements.back().k, 7);
    QCOMPARE(int(chart.band.boxes.size()), 51);
    // The last high and its neighbours keep their spiral cells, below the band square
    // (one past the spiral's last number keeps whatever its entry held).
    const std::map<int, QPoint> at = BandCellMap(chart);
    for (int w : {s.PotentialHigh[8] - 1, int(s.PotentialHigh[8]), s.PotentialHigh[8] + 1}) {
        QCOMPARE(at.at(w), QPoint(s.CellX[w], s.CellY[w]));
        if (w <= s.GridSize * s.GridSize)
            QVERIFY(at.at(w).y() >= n);
    }
}

void TestGannChart::chartStepWritesState()
{
    GannState s = Calculated(Layout::Compact, "1000");
    PictureSurface surface;
    surface.setSizeTwips(2 * Half, 2 * Half);
    DrawGannChartStep(surface, s, Layout::Compact, Today);
    QCOMPARE(s.SquareLeft, 1316);
    QCOMPARE(s.SquareBottom, 7184);
    QCOMPARE(s.CellSize, 217);
    // Moved into the band until the next calculation rebuilds the spiral.
    QCOMPARE(QPoint(s.CellX[1000], s.CellY[1000]), QPoint(6, 1));
    QCOMPARE(QPoint(s.CellX[1130], s.CellY[1130]), QPoint(6, 0));
    QVERIFY(!surface.picture().isNull());
    QCOMPARE(surface.picture(), surface.image());
}

void TestGannChart::paintedPixels_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::newRow("price 100 compact") << Layout::Compact << "100";
    QTest::newRow("price 700, middle square") << Layout::Compact << "700";
    QTest::newRow("price 1000 band") << Layout::Compact << "1000";
    QTest::newRow("price 2000 band large") << Layout::Large << "2000";
}

void TestGannChart::paintedPixels()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    GannState s = Calculated(layout, price, QDate(2024, 1, 15));
    const GannChartGeometry chart = ComputeGannChart(s, layout, Today);
    PictureSurface surface;   // 15 twips a pixel
    surface.setSizeTwips(2 * Half, 2 * Half);
    DrawGannChartStep(surface, s, layout, Today);
    const QImage& img = surface.picture();
    QVERIFY(!img.isNull());

    const std::vector<GannBox>& boxes =
        chart.kind == GannChartKind::Full ? chart.resultBoxes : chart.band.boxes;
    int seen = 0;
    for (const GannBox& b : boxes) {
        if (b.color == GannChartColors::Grey() && chart.kind == GannChartKind::Full) continue;
        // Spokes and the white number cross a box; most of it keeps its colour.
        QVERIFY2(ColourShare(img, surface, b, b.color) > 0.5, qPrintable(QString::number(b.number)));
        ++seen;
    }
    QVERIFY(seen >= 17);

    // The wheel circle is blue where it passes the square's corners on the surface.
    const QPoint corner(surface.toPixels(chart.SquareLeft), surface.toPixels(chart.SquareTop));
    bool blue = false;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy)
            blue = blue || QColor(img.pixel(corner + QPoint(dx, dy))) == GannChartColors::Blue();
    QVERIFY(blue);
    // Outside the circle, the surface stays background.
    QCOMPARE(QColor(img.pixel(1, 1)), QColor(Qt::white));
}

void TestGannChart::redrawBeyondLimitStaysBlank()
{
    GannState s = Calculated(Layout::Compact, "1000");
    PictureSurface surface;
    surface.setSizeTwips(2 * Half, 2 * Half);
    DrawGannChartStep(surface, s, Layout::Compact, Today);
    RedrawGannChart(surface, s, Layout::Compact, Today);
    QVERIFY(surface.picture().isNull());
    const QImage& img = surface.image();
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7)
            QCOMPARE(QColor(img.pixel(x, y)), QColor(Qt::white));
}

QTEST_MAIN(TestGannChart)
#include "test_gannchart.moc"
