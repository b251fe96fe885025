#include "forms/gann/ganncalc.h"
#include "forms/gann/gannchart.h"
#include "forms/gann/gannchartgeometry.h"
#include "platform/picturesurface.h"

#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(Layout)
Q_DECLARE_METATYPE(GannChartKind)
Q_DECLARE_METATYPE(GannLabelSide)

using Numbers = QList<int>;

namespace {

const QDate Today(2024, 6, 1);
const qint32 Half = 4250;   // a window 9000 twips high

GannState Calculated(Layout layout, const QString& price, const QDate& date = Today)
{
    GannState s = InitialGannState(layout, Today, Half);
    if (CalculateGann(s, price, date, Today, layout) != GannVerdict::Calculated) qFatal("calculation refused");
    return s;
}

const GannLabel* LabelOf(const std::vector<GannLabel>& labels, int number)
{
    for (const GannLabel& l : labels)
        if (l.text == FourCharNumber(number)) return &l;
    return nullptr;
}

bool Inside(const GannLabel& l, const GannBox& b)
{
    return l.x > b.left && l.x < b.right && l.y > b.top && l.y < b.bottom;
}

PictureSurface ChartBox()
{
    PictureSurface surface;   // 15 twips a pixel
    surface.setSizeTwips(2 * Half, 2 * Half);
    return surface;
}

}  // namespace

// The chart is what a trader reads the projection from: every box must sit in the
// cell of its number, every date at the spoke of its angle.
class TestGannChart : public QObject {
    Q_OBJECT
private slots:
    void squareGeometry();
    void ringOutlinesCloseEveryRing_data();
    void ringOutlinesCloseEveryRing();
    void price100Boxes();
    void initialChartAndNumbers();
    void chartKind_data();
    void chartKind();
    void wheelWorkedExample_data();
    void wheelWorkedExample();
    void wheelAnglesStayInOneTurn();
    void dateRing();
    void bandStart_data();
    void bandStart();
    void bandShows51Boxes_data();
    void bandShows51Boxes();
    void bandLowerLeftDiagonal_data();
    void bandLowerLeftDiagonal();
    void chartStepWritesState();
    void redrawBeyondLimitStaysBlank();
};

void TestGannChart::squareGeometry()
{
    // Small size: 27 cells span 5859 twips against 5868 between the edges.
    GannSquareGeometry g = SquareGeometry(Half, 4150, 27);
    QCOMPARE((Numbers{g.SquareLeft, g.SquareTop, g.SquareRight, g.SquareBottom, g.CellSize}),
             (Numbers{1316, 1316, 7184, 7184, 217}));
    g = SquareGeometry(Half, 5150, 31);   // the compact layout's middle size
    QCOMPARE((Numbers{g.SquareLeft, g.SquareTop, g.SquareRight, g.SquareBottom, g.CellSize}),
             (Numbers{608, 608, 7892, 7892, 235}));
}

void TestGannChart::ringOutlinesCloseEveryRing_data()
{
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("bandRings");
    QTest::newRow("27 cells") << 4150 << 27 << -1;
    QTest::newRow("band of 27") << 4150 << 27 << 3;
}

void TestGannChart::ringOutlinesCloseEveryRing()
{
    QFETCH(int, radius);
    QFETCH(int, cells);
    QFETCH(int, bandRings);
    const GannSquareGeometry g = SquareGeometry(Half, radius, cells);
    const std::vector<GannSegment> segs = RingOutlineSegments(g, bandRings);
    // Far sides are placed from the near edge cell by cell, near sides run to the
    // rounded far edge: corners may miss each other by that difference only.
    const int slack = std::abs(g.SquareRight - g.SquareLeft - cells * g.CellSize);
    QVERIFY(slack < cells);
    auto drawn = [&](int x1, int y1, int x2, int y2) {
        int count = 0;
        for (const GannSegment& s : segs)
            for (const GannSegment& t : {s, GannSegment{s.x2, s.y2, s.x1, s.y1}})
                count += std::abs(t.x1 - x1) <= slack && std::abs(t.y1 - y1) <= slack
                         && std::abs(t.x2 - x2) <= slack && std::abs(t.y2 - y2) <= slack;
        return count;
    };
    // Each boundary i cells in is a closed square of four whole sides, drawn once; the
    // band chart outlines only its outer edge and three ring boundaries.
    const int boundaries = bandRings < 0 ? cells / 2 + 1 : bandRings + 1;
    for (int i = 0; i < boundaries; ++i) {
        const int lo = g.SquareLeft + i * g.CellSize, hi = g.SquareLeft + (cells - i) * g.CellSize;
        QCOMPARE(drawn(lo, lo, hi, lo), 1);
        QCOMPARE(drawn(lo, hi, hi, hi), 1);
        QCOMPARE(drawn(lo, lo, lo, hi), 1);
        QCOMPARE(drawn(hi, lo, hi, hi), 1);
    }
    QCOMPARE(int(segs.size()), 4 * boundaries);
}

void TestGannChart::price100Boxes()
{
    const GannState s = Calculated(Layout::Compact, "100");
    const GannChartGeometry chart = ComputeGannChart(s, Layout::Compact, Today);
    QCOMPARE(chart.kind, GannChartKind::Full);
    QCOMPARE(int(chart.cellNumbers.size()), 27 * 27);
    QCOMPARE(int(chart.resultBoxes.size()), 17);

    Numbers blue, red, black;
    for (const GannBox& b : chart.resultBoxes) {
        // Exactly one cell, the one that holds the number, with the number written white.
        QCOMPARE(b.right - b.left, chart.CellSize);
        QCOMPARE(b.bottom - b.top, chart.CellSize);
        QCOMPARE(int(s.Grid[b.column][b.row]), b.number);
        const GannLabel* label = LabelOf(chart.cellNumbers, b.number);
        QVERIFY(label && Inside(*label, b));
        QCOMPARE(label->color, GannChartColors::White());
        (b.color == GannChartColors::Blue() ? blue : b.color == GannChartColors::Red() ? red : black) << b.number;
    }
    QCOMPARE(black, Numbers{100});
    QCOMPARE(blue, (Numbers{105, 110, 115, 120, 126, 132, 138, 144}));
    QCOMPARE(red, (Numbers{95, 90, 85, 80, 77, 72, 69, 64}));
    int white = 0;
    for (const GannLabel& l : chart.cellNumbers) white += l.color == GannChartColors::White();
    QCOMPARE(white, 17);
    // The wheel's first spoke points at the price cell.
    QCOMPARE(chart.wheel.spokes[0].angle, s.PriceAngle + (s.PriceAngle < 0 ? GannFullTurn : 0));
}

void TestGannChart::initialChartAndNumbers()
{
    // No price yet: no boxes, no dates, every number black, spokes from 0 degrees.
    const GannState s = InitialGannState(Layout::Compact, Today, Half);
    const GannChartGeometry chart = ComputeInitialGannChart(s, Layout::Compact, Today);
    QVERIFY(!chart.blank);
    QVERIFY(chart.resultBoxes.empty());
    QVERIFY(chart.wheel.dateLabels.empty());
    QCOMPARE(chart.wheel.spokes[0].angle, 0.0);
    for (const GannLabel& l : chart.cellNumbers) QCOMPARE(l.color, GannChartColors::Black());
    QVERIFY(LabelOf(chart.cellNumbers, 1) && LabelOf(chart.cellNumbers, 729));

    // Without highlighting even marked cells are written black.
    const GannState p = Calculated(Layout::Compact, "100");
    for (const GannLabel& l : CellNumberLabels(p, SquareGeometry(Half, 4150, 27), false))
        QCOMPARE(l.color, GannChartColors::Black());

    // Four characters a cell; a five-digit number keeps its last four.
    QCOMPARE(FourCharNumber(1), QString("   1"));
    QCOMPARE(FourCharNumber(9999), QString("9999"));
    QCOMPARE(FourCharNumber(10000), QString("0000"));
}

void TestGannChart::chartKind_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::addColumn<GannChartKind>("kind");
    QTest::addColumn<int>("cells");
    QTest::newRow("compact 841") << Layout::Compact << "841" << GannChartKind::Full << 31;
    QTest::newRow("compact 842") << Layout::Compact << "842" << GannChartKind::Band << 27;
    QTest::newRow("large 1225") << Layout::Large << "1225" << GannChartKind::Full << 37;
    QTest::newRow("large 1226") << Layout::Large << "1226" << GannChartKind::Band << 31;
}

void TestGannChart::chartKind()
{
    QFETCH(Layout, layout);
    QFETCH(QString, price);
    QFETCH(GannChartKind, kind);
    QFETCH(int, cells);
    const GannChartGeometry chart = ComputeGannChart(Calculated(layout, price), layout, Today);
    QCOMPARE(chart.kind, kind);
    QCOMPARE(chart.cells, cells);
    if (kind == GannChartKind::Full) {
        QVERIFY(LabelOf(chart.cellNumbers, cells * cells));
    } else {
        QVERIFY(chart.cellNumbers.empty());
        QCOMPARE(int(chart.ringOutlines.size()), 16);   // the outer edge and three ring boundaries
    }
}

void TestGannChart::wheelWorkedExample_data()
{
    QTest::addColumn<int>("spoke");
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QPoint>("label");
    QTest::addColumn<GannLabelSide>("side");
    using S = GannLabelSide;
    QTest::newRow("1 right") << 1 << QPoint(8400, 4250) << QPoint(7284, 4250) << S::Right;
    QTest::newRow("2 on the bound q: top") << 2 << QPoint(7185, 1316) << QPoint(7185, 1116) << S::Top;
    QTest::newRow("3 up") << 3 << QPoint(4250, 100) << QPoint(4250, 1116) << S::Top;
    QTest::newRow("4 on the bound 3q: left") << 4 << QPoint(1316, 1315) << QPoint(816, 1315) << S::Left;
    QTest::newRow("5 left") << 5 << QPoint(100, 4250) << QPoint(816, 4250) << S::Left;
    QTest::newRow("6 on the bound 5q: bottom") << 6 << QPoint(1315, 7184) << QPoint(1315, 7234) << S::Bottom;
    QTest::newRow("7 down") << 7 << QPoint(4249, 8400) << QPoint(4250, 7234) << S::Bottom;
    QTest::newRow("8 on the bound 7q: right") << 8 << QPoint(7184, 7185) << QPoint(7284, 7185) << S::Right;
}

void TestGannChart::wheelWorkedExample()
{
    QFETCH(int, spoke);
    GannState s;
    s.ChartHalf = Half;
    s.ChartRadius = 4150;
    const GannWheel w = AngleWheel(s, SquareGeometry(Half, 4150, 27), 0, s.GannDate);
    QTEST(w.spokes[spoke - 1].end, "end");
    QTEST(w.spokes[spoke - 1].label, "label");
    QTEST(w.spokes[spoke - 1].side, "side");
    // Diameters join spoke i to spoke i + 4.
    const int i = (spoke - 1) % 4;
    QCOMPARE(int(w.diameters.size()), 4);
    QCOMPARE(QPoint(w.diameters[i].x1, w.diameters[i].y1), w.spokes[i].end);
    QCOMPARE(QPoint(w.diameters[i].x2, w.diameters[i].y2), w.spokes[i + 4].end);
}

void TestGannChart::wheelAnglesStayInOneTurn()
{
    GannState s;
    s.ChartHalf = Half;
    s.ChartRadius = 4150;
    // Price cells straight below, just past the lower-left diagonal, and far round.
    for (double rotation : {-GannPi / 2, 3 * GannPi / 2 - 0.0001, 3.93, 4.5})
        for (const GannSpoke& spoke : AngleWheel(s, SquareGeometry(Half, 4150, 27), rotation, s.GannDate).spokes)
            QVERIFY(spoke.angle >= 0 && spoke.angle <= GannFullTurn);
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
    }
    // Today's date means no date: the spokes stay unlabelled.
    QVERIFY(ComputeGannChart(Calculated(Layout::Compact, "100"), Layout::Compact, Today).wheel.dateLabels.empty());
}

void TestGannChart::bandStart_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("start");
    QTest::newRow("right") << 0.0 << 485;
    QTest::newRow("left") << GannPi << 441;
    QTest::newRow("up") << GannPi / 2 << 441;
    QTest::newRow("down") << -GannPi / 2 << 485;
    // Cells on the diagonals have the exact 45 degrees, just past the rounded bounds.
    QTest::newRow("upper-right diagonal") << std::atan(1.0) << 441;
    QTest::newRow("lower-left diagonal") << std::atan(1.0) + GannPi << 485;
}

void TestGannChart::bandStart()
{
    QFETCH(double, angle);
    GannState s = Calculated(Layout::Compact, "5000");
    s.PriceAngle = angle;
    QTEST(BandChart(s, Layout::Compact, SquareGeometry(Half, s.ChartRadius, 27)).bandStart, "start");
}

void TestGannChart::bandShows51Boxes_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::newRow("842 compact") << Layout::Compact << "842";
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
    QMap<QRgb, int> colours;
    for (size_t i = 0; i < chart.band.boxes.size(); ++i) {
        const GannBox& b = chart.band.boxes[i];
        ++colours[b.color.rgb()];
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
    using namespace GannChartColors;
    QCOMPARE((Numbers{colours[Blue().rgb()], colours[Red().rgb()], colours[Black().rgb()], colours[Grey().rgb()]}),
             (Numbers{8, 8, 1, 34}));
    // Highs, then lows, then the price, each followed by its two neighbours.
    const auto& boxes = chart.band.boxes;
    QCOMPARE((Numbers{boxes[0].number, boxes[1].number, boxes[2].number}),
             (Numbers{s.PotentialHigh[1], s.PotentialHigh[1] - 1, s.PotentialHigh[1] + 1}));
    QCOMPARE(boxes[24].number, int(s.PotentialLow[1]));
    QCOMPARE(boxes[48].number, int(s.GannPrice));

    // Lows, the price and highs in that order, each in the band square's cell of its
    // band number, and at the spoke direction of its own spiral cell.
    GannState band;
    BuildSpiral(band, qint16((n + 1) / 2), qint16(n));
    const std::map<int, QPoint> at = BandCellMap(chart);
    Numbers placed, results{s.GannPrice};
    for (int k = 1; k <= 8; ++k) results.prepend(s.PotentialLow[k]), results.append(s.PotentialHigh[k]);
    for (const GannBandPlacement& p : chart.band.placements) {
        placed << p.number;
        QCOMPARE(at.at(p.number), QPoint(band.CellX[p.bandCell], band.CellY[p.bandCell]));
        const double spiral = CellAngle(s, p.number);
        double diff = std::abs(spiral - std::atan2(-(p.row - (n - 1) / 2.0), p.column - (n - 1) / 2.0));
        while (diff > GannPi) diff = std::abs(diff - 2 * M_PI);
        QVERIFY2(diff < 0.25, qPrintable(QString::number(p.number)));
    }
    QCOMPARE(placed, results);
}

void TestGannChart::bandLowerLeftDiagonal_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QString>("price");
    QTest::newRow("961 compact") << Layout::Compact << "961";
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
        if (w <= s.GridSize * s.GridSize) QVERIFY(at.at(w).y() >= n);
    }
}

void TestGannChart::chartStepWritesState()
{
    GannState s = Calculated(Layout::Large, "2000", QDate(2024, 1, 15));
    const GannChartGeometry chart = ComputeGannChart(s, Layout::Large, Today);
    const std::map<int, QPoint> at = BandCellMap(chart);
    PictureSurface surface = ChartBox();
    DrawGannChartStep(surface, s, Layout::Large, Today);
    QCOMPARE((Numbers{s.SquareLeft, s.SquareBottom, s.CellSize}),
             (Numbers{chart.SquareLeft, chart.SquareBottom, chart.CellSize}));
    // Moved into the band until the next calculation rebuilds the spiral.
    for (int n : {int(s.PotentialLow[8]), 2000, int(s.PotentialHigh[8])})
        QCOMPARE(QPoint(s.CellX[n], s.CellY[n]), at.at(n));

    const QImage& img = surface.picture();   // kept for repainting and printing
    QCOMPARE(img, surface.image());
    for (const GannBox& b : chart.band.boxes) {
        // Spokes and the white number cross a box; most of it keeps its colour.
        int hits = 0, all = 0;
        for (int x = surface.toPixels(b.left); x < surface.toPixels(b.right); ++x)
            for (int y = surface.toPixels(b.top); y < surface.toPixels(b.bottom); ++y, ++all)
                hits += QColor(img.pixel(x, y)) == b.color;
        QVERIFY2(all && hits > all / 2, qPrintable(QString::number(b.number)));
    }
    // The wheel circle is blue where it passes the square's corners; outside it the
    // surface stays background.
    const QPoint corner(surface.toPixels(chart.SquareLeft), surface.toPixels(chart.SquareTop));
    bool blue = false;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) blue = blue || QColor(img.pixel(corner + QPoint(dx, dy))) == GannChartColors::Blue();
    QVERIFY(blue);
    QCOMPARE(QColor(img.pixel(1, 1)), QColor(Qt::white));
}

void TestGannChart::redrawBeyondLimitStaysBlank()
{
    GannState s = Calculated(Layout::Compact, "1000");
    PictureSurface surface = ChartBox();
    DrawGannChartStep(surface, s, Layout::Compact, Today);
    RedrawGannChart(surface, s, Layout::Compact, Today);
    QVERIFY(surface.picture().isNull());
    const QImage& img = surface.image();
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7) QCOMPARE(QColor(img.pixel(x, y)), QColor(Qt::white));
}

QTEST_MAIN(TestGannChart)
#include "test_gannchart.moc"
