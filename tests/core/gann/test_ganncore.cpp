// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/gann/ganncalc.h"
#include "core/gann/gannchart.h"
#include "core/gann/gannchartgeometry.h"
#include "core/gann/gannlisting.h"
#include "core/gann/gannproject.h"
#include "core/numbers/dates.h"
#include "core/numbers/errors.h"
#include "core/drawing/picturesurface.h"

#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(Layout)
Q_DECLARE_METATYPE(GannChartKind)
Q_DECLARE_METATYPE(GannLabelSide)

using Numbers = QList<int>;

namespace {

const QDate Today(2024, 6, 1);
const qint32 Half = 4250;   // an 800 x 600 screen

GannState Calculated(Layout layout, const QString& price, const QDate& date = Today) {
    GannState s = InitialGannState(layout, Today, Half);
    if (!CalculateGann(s, price, date, Today, layout).accepted()) qFatal("calculation refused");
    return s;
}

Numbers Highs(const GannState& s) { return Numbers(s.results.PotentialHigh.begin() + 1, s.results.PotentialHigh.end()); }
Numbers Lows(const GannState& s) { return Numbers(s.results.PotentialLow.begin() + 1, s.results.PotentialLow.end()); }

const GannLabel* LabelOf(const std::vector<GannLabel>& labels, int number) {
    for (const GannLabel& l : labels)
        if (l.text == FourCharNumber(number)) return &l;
    return nullptr;
}

bool Inside(const GannLabel& l, const GannBox& b) { return l.x > b.left && l.x < b.right && l.y > b.top && l.y < b.bottom; }

}  // namespace

// The projections traders check by hand against a printed Square of Nine, the chart
// they read them from (every box in the cell of its number, every date at the spoke of
// its angle) and the project file. The worked examples' listings are the guide's.
class TestGannCore : public QObject {
    Q_OBJECT
private slots:
    void fiveByFiveSpiral() {
        GannSpiral s;
        BuildSpiral(s, 3);
        const Numbers rows{13, 14, 15, 16, 17, 12, 3, 4, 5, 18, 11, 2, 1, 6, 19, 10, 9, 8, 7, 20, 25, 24, 23, 22, 21};
        for (int i = 0; i < 25; ++i) QCOMPARE(int(s.Grid[i % 5][i / 5]), rows[i]);
        // The walk ends after the lower-left corner; the guard row and column stay empty.
        for (int i = 0; i <= 5; ++i) QCOMPARE(s.Grid[5][i] + s.Grid[i][5], 0);
    }

    // The projection, the square it needs and the chart drawn: the square grows with
    // the price; past the layout's limit only the band chart of three rings is drawn.
    // highs, lows: the last of PotentialHigh(1..8), PotentialLow(1..8) worked out by hand.
    void projection_data() {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QString>("price");
        QTest::addColumn<int>("center");
        QTest::addColumn<int>("radius");   // relative to ChartHalf
        QTest::addColumn<GannChartKind>("kind");
        QTest::addColumn<int>("cells");    // drawn per side
        QTest::addColumn<Numbers>("highs");
        QTest::addColumn<Numbers>("lows");
        const Layout C = Layout::Compact, L = Layout::Large;
        const GannChartKind full = GannChartKind::Full, band = GannChartKind::Band;
        QTest::newRow("625 ends at the last cell") << C << "625" << 14 << -100 << full << 27
            << Numbers{638, 651, 664, 677, 690, 703, 716, 729} << Numbers{613, 601, 589, 577, 565, 553, 541, 529};
        QTest::newRow("700 in the middle square") << C << "700" << 16 << 900 << full << 31
            << Numbers{714, 726, 741, 754, 769, 782, 797, 810} << Numbers{688, 674, 662, 648, 636, 622, 611, 598};
        QTest::newRow("1 the centre") << C << "1" << 14 << -100 << full << 27 << Numbers{2, 3, 4, 5, 6, 7, 8, 9}
                                      << Numbers(8, 0);
        QTest::newRow("2 next to the centre") << L << "2" << 16 << -100 << full << 31
                                              << Numbers{3, 4, 5, 6, 7, 8, 9, 11} << Numbers(8, 0);
        QTest::newRow("5 runs out of lows") << C << "5" << 14 << -100 << full << 27
                                            << Numbers{6, 7, 8, 9, 11, 13, 15, 17} << Numbers{4, 3, 2, 0, 0, 0, 0, 0};
        QTest::newRow("compact 626") << C << "626" << 16 << 900 << full << 31 << Numbers() << Numbers();
        QTest::newRow("compact 841") << C << "841" << 16 << 900 << full << 31 << Numbers() << Numbers();
        QTest::newRow("compact 842") << C << "842" << 17 << -100 << band << 27 << Numbers() << Numbers();
        QTest::newRow("compact 1089: half of 33 rounds to even")
            << C << "1089" << 18 << -100 << band << 27 << Numbers{1225} << Numbers{961};
        QTest::newRow("large 841") << L << "841" << 16 << -100 << full << 31 << Numbers() << Numbers();
        QTest::newRow("large 842") << L << "842" << 19 << 1200 << full << 37 << Numbers() << Numbers();
        QTest::newRow("large 1225") << L << "1225" << 19 << 1200 << full << 37 << Numbers() << Numbers();
        QTest::newRow("large 1226") << L << "1226" << 20 << -100 << band << 31 << Numbers() << Numbers();
        QTest::newRow("9999") << C << "9999" << 52 << -100 << band << 27 << Numbers{10403} << Numbers{9603};
    }
    void projection() {
        QFETCH(Layout, layout);
        QFETCH(QString, price);
        QFETCH(int, center);
        QFETCH(int, cells);
        QFETCH(Numbers, highs);
        QFETCH(Numbers, lows);
        const GannState s = Calculated(layout, price);
        QCOMPARE(int(s.spiral.GridCenter), center);
        QCOMPARE(int(s.spiral.GridSize), 2 * center - 1);
        QTEST(s.frame.ChartRadius - Half, "radius");
        QCOMPARE(Highs(s).mid(8 - highs.size()), highs);
        QCOMPARE(Lows(s).mid(8 - lows.size()), lows);
        // A full turn past the price fits in the square.
        QVERIFY(s.results.PotentialHigh[8] > 0 && s.results.PotentialHigh[8] <= s.spiral.GridSize * s.spiral.GridSize);
        // Exactly the results are marked, for the chart to write them white.
        QList<int> marked(3, 0);
        for (qint16 m : s.results.CellMark) ++marked[m];
        if (highs.size() == 8)
            QCOMPARE(marked[GannHighCell] + marked[GannLowCell], 16 - int(highs.count(0) + lows.count(0)));
        for (int h : highs) QVERIFY(s.results.CellMark[h] == GannHighCell || !h);
        for (int l : lows) QVERIFY(s.results.CellMark[l] == GannLowCell || !l);
        for (int k = 1; k <= GannAngleCount; ++k) QVERIFY(IsNullDate(s.results.AngleDate[k]));
        const GannChartGeometry chart = ComputeGannChart(s, layout);
        QTEST(chart.kind, "kind");
        QCOMPARE(chart.cells, cells);
        if (chart.kind == GannChartKind::Full)
            QVERIFY(LabelOf(chart.cellNumbers, cells * cells));
        else   // no cell numbers; the outer edge and three ring boundaries
            QCOMPARE(int(chart.cellNumbers.size() + chart.ringOutlines.size()), 16);
        // The outlines are black whatever colour the last drawing left on the surface.
        PictureSurface surface(15.0);
        surface.setSizeTwips(2 * Half, 2 * Half);
        surface.setForeColor(Qt::red);
        PaintGannChart(surface, chart);
        const GannSegment& edge = chart.ringOutlines.front();
        const QPoint quarter = QPoint(3 * edge.x1 + edge.x2, 3 * edge.y1 + edge.y2) / 4;
        QCOMPARE(surface.image().pixelColor(surface.toPixels(quarter.x()), surface.toPixels(quarter.y())),
                 QColor(Qt::black));
    }

    void dateProjection_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("dates");
        QTest::newRow("the day before a seasonal date") << QDate(2023, 12, 20)
            << "02/03/2024 03/19/2024 05/04/2024 06/19/2024 08/05/2024 09/21/2024 11/05/2024 12/20/2024";
        QTest::newRow("on a seasonal date: the quarters fall on the next marks") << QDate(2023, 12, 21)
            << "02/04/2024 03/21/2024 05/06/2024 06/21/2024 08/07/2024 09/23/2024 11/06/2024 12/21/2024";
        QTest::newRow("a full turn ends on the last day") << QDate(9998, 12, 31)
            << "02/14/9999 03/31/9999 05/16/9999 07/01/9999 08/17/9999 10/02/9999 11/16/9999 12/31/9999";
    }
    void dateProjection() {
        QFETCH(QDate, date);
        const GannState s = Calculated(Layout::Compact, QString(), date);
        QStringList dates;
        for (int k = 1; k <= 8; ++k) dates << s.results.AngleDate[k].toString("MM/dd/yyyy");
        QTEST(dates.join(' '), "dates");
        QCOMPARE(s.inputs.GannDate, date);
        QCOMPARE(Highs(s), Numbers(8, 0));
    }

    // Pasted texts and the rounding rules are the hardening and number tables'; these
    // are the limits of the Gann price itself.
    void readPrice_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("price");
        QTest::addColumn<bool>("tooLarge");
        QTest::newRow("half to even up") << "3.5" << 4 << false;
        QTest::newRow("huge negative is no price") << "-1e400" << 0 << false;
        QTest::newRow("just below the limit") << "9999.4" << 9999 << false;
        QTest::newRow("rounds over the limit") << "9999.5" << 10000 << true;
    }
    void readPrice() {
        QFETCH(QString, text);
        const GannPriceReading r = ReadGannPrice(text);
        QTEST(int(r.price), "price");
        QTEST(r.tooLarge, "tooLarge");
    }

    // A price too large is remembered with its date; a date past the calendar changes
    // nothing. Neither touches what was computed.
    void rejectionsKeepResults() {
        GannState s = Calculated(Layout::Compact, "700", QDate(2024, 1, 15));
        const GannState before = s;
        const auto unchanged = [&] {
            const GannResults &now = s.results, &then = before.results;
            return s.spiral.GridCenter == before.spiral.GridCenter && s.spiral.Grid == before.spiral.Grid
                && now.CellMark == then.CellMark && now.PotentialHigh == then.PotentialHigh
                && now.AngleDate == then.AngleDate;
        };
        const CalcOutcome failed = CalculateGann(s, "100", QDate(9999, 1, 15), Today, Layout::Compact);
        QCOMPARE(failed.kind, CalcOutcome::Failed);
        QCOMPARE(failed.message, QString(DateAfterRangeMessage));
        QVERIFY(unchanged());
        QCOMPARE(s.inputs.GannPrice, before.inputs.GannPrice);
        QCOMPARE(s.inputs.GannDate, before.inputs.GannDate);
        const CalcOutcome rejected = CalculateGann(s, "12000", QDate(2024, 6, 21), Today, Layout::Compact);
        QCOMPARE(rejected.kind, CalcOutcome::Rejected);
        QCOMPARE(rejected.message, QStringLiteral("Please enter a price smaller than 10000"));
        QVERIFY(unchanged());
        QCOMPARE(int(s.inputs.GannPrice), 12000);
        QCOMPARE(s.inputs.GannDate, QDate(2024, 6, 21));
    }

    // A date alone projects dates only: the prices of the last calculation go.
    void dateAloneClearsThePrices() {
        GannState s = Calculated(Layout::Compact, "700");
        QVERIFY(CalculateGann(s, "", QDate(2024, 1, 15), Today, Layout::Compact).accepted());
        QCOMPARE(Highs(s), Numbers(8, 0));
        QCOMPARE(Lows(s), Numbers(8, 0));
    }

    // Read in a fixed-width font: a blank too many or too few breaks the columns.
    void listingLine_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<int>("line");   // 1-based, headers included
        QTest::addColumn<QString>("text");
        QTest::newRow("price 5, 135 degrees still has a low") << "5" << 5 << "135    8      2";
        QTest::newRow("price 5, 180 degrees: high column kept whole") << "5" << 6 << "180    9      ";
        QTest::newRow("price 1 has no lows") << "1" << 3 << "45     2      ";
    }
    void listingLine() {
        QFETCH(QString, price);
        QFETCH(int, line);
        const GannState s = Calculated(Layout::Compact, price);
        const QStringList lines = GannPriceListing(s.inputs, s.results).split("\r\n");
        QCOMPARE(lines.size(), 11);   // 10 lines and the empty rest after the last CR LF
        QTEST(lines.at(line - 1), "text");
    }

    void projectLines() {
        QCOMPARE(GannProjectLines(GannDocument{"  Gold  ", " 12 ", QDate(2003, 3, 9), "  \tx  "}),
                 (QStringList{"NM=Gold", "PR=12", "DT=3/9/2003", "NT=\tx"}));
    }

    // Read over what the window showed before: "Old | 42 | 5/5/2020 | old notes".
    void readProject_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("fields");   // name | price text | date | notes
        QTest::newRow("hand-written keys") << QStringList{"nm = Test ", " Pr=  100", "dt = 1/15/24", "nt = a", "b"}
                                           << true << "Test | 100 | 1/15/2024 | a\r\nb";
        QTest::newRow("five digits reach the price box") << QStringList{"PR=12345"} << true
                                                         << "Old | 12345 | 5/5/2020 | old notes";
        QTest::newRow("no NT and no DT leave notes and date") << QStringList{"NM=New", "PR=7"} << true
                                                              << "New | 7 | 5/5/2020 | old notes";
        QTest::newRow("a day that does not exist stops the reading")
            << QStringList{"NM=Partly", "DT=2/30/2024", "PR=9"} << false << "Partly | 42 | 5/5/2020 | old notes";
        QTest::newRow("a date the picker cannot hold") << QStringList{"DT=1/1/1600"} << false
                                                       << "Old | 42 | 5/5/2020 | old notes";
    }
    void readProject() {
        QFETCH(QStringList, lines);
        GannDocument d{"Old", "42", QDate(2020, 5, 5), "old notes"};
        QTEST(ApplyGannProjectLines(lines, d), "ok");
        QTEST(d.projectName + " | " + d.priceText + " | " + d.date.toString("M/d/yyyy") + " | " + d.notes, "fields");
    }

    void squareGeometry() {
        // Small size: 27 cells span 5859 twips against 5868 between the edges.
        GannSquareGeometry g = SquareGeometry(Half, 4150, 27);
        QCOMPARE((Numbers{g.SquareLeft, g.SquareTop, g.SquareRight, g.SquareBottom, g.CellSize}),
                 (Numbers{1316, 1316, 7184, 7184, 217}));
        g = SquareGeometry(Half, 5150, 31);   // the compact layout's middle size
        QCOMPARE((Numbers{g.SquareLeft, g.SquareTop, g.SquareRight, g.SquareBottom, g.CellSize}),
                 (Numbers{608, 608, 7892, 7892, 235}));
    }

    // Each boundary i cells in is a closed square of four whole sides, drawn once; the
    // band chart outlines only its outer edge and three ring boundaries.
    void ringOutlinesCloseEveryRing() {
        const int cells = 27;
        const GannSquareGeometry g = SquareGeometry(Half, 4150, cells);
        // Far sides are placed from the near edge cell by cell, near sides run to the
        // rounded far edge: corners may miss each other by that difference only.
        const int slack = std::abs(g.SquareRight - g.SquareLeft - cells * g.CellSize);
        QVERIFY(slack < cells);
        for (int bandRings : {-1, 3}) {
            const std::vector<GannSegment> segs = RingOutlineSegments(g, bandRings);
            auto drawn = [&](int x1, int y1, int x2, int y2) {
                int count = 0;
                for (const GannSegment& s : segs)
                    for (const GannSegment& t : {s, GannSegment{s.x2, s.y2, s.x1, s.y1}})
                        count += std::abs(t.x1 - x1) <= slack && std::abs(t.y1 - y1) <= slack
                                 && std::abs(t.x2 - x2) <= slack && std::abs(t.y2 - y2) <= slack;
                return count;
            };
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
    }

    void price100Chart() {
        const GannState s = Calculated(Layout::Compact, "100", QDate(2024, 1, 15));
        const GannChartGeometry chart = ComputeGannChart(s, Layout::Compact);
        QCOMPARE(int(chart.cellNumbers.size()), 27 * 27);
        QCOMPARE(int(chart.resultBoxes.size()), 17);
        Numbers blue, red, black;
        for (const GannBox& b : chart.resultBoxes) {
            // Exactly one cell, the one that holds the number, with the number written white.
            QCOMPARE(b.right - b.left, chart.CellSize);
            QCOMPARE(b.bottom - b.top, chart.CellSize);
            QCOMPARE(int(s.spiral.Grid[b.column][b.row]), b.number);
            const GannLabel* label = LabelOf(chart.cellNumbers, b.number);
            QVERIFY(label && Inside(*label, b));
            QCOMPARE(label->color, GannChartColors::White());
            (b.color == GannChartColors::Blue() ? blue : b.color == GannChartColors::Red() ? red : black) << b.number;
        }
        QCOMPARE(black, Numbers{100});
        QCOMPARE(blue, Highs(s));
        QCOMPARE(red, Lows(s));
        int white = 0;
        for (const GannLabel& l : chart.cellNumbers) white += l.color == GannChartColors::White();
        QCOMPARE(white, 17);
        // The wheel's first spoke points at the price cell and carries the analysis date,
        // then the projected dates go clockwise: AngleDate(7) one spoke counter-clockwise,
        // AngleDate(1) one spoke clockwise.
        const GannWheel& w = chart.wheel;
        QCOMPARE(w.spokes[0].angle, s.results.PriceAngle + (s.results.PriceAngle < 0 ? GannFullTurn : 0));
        const QStringList dates{"Jan 15", "Nov 30", "Oct 17", "Sep 01", "Jul 16", "May 31", "Apr 15", "Feb 29"};
        QCOMPARE(int(w.dateLabels.size()), 8);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(w.dateLabels[i].text, dates[i]);
            QCOMPARE(QPoint(w.dateLabels[i].x, w.dateLabels[i].y), w.spokes[i].label);
        }
    }

    void initialChartAndNumbers() {
        // No price yet: no boxes, every number black, spokes from 0 degrees; the picker at
        // today means no date, so the spokes stay unlabelled.
        const GannState s = InitialGannState(Layout::Compact, Today, Half);
        const GannChartGeometry chart = ComputeInitialGannChart(s, Layout::Compact);
        QVERIFY(!chart.blank && chart.resultBoxes.empty() && chart.wheel.dateLabels.empty());
        QCOMPARE(chart.wheel.spokes[0].angle, 0.0);
        for (const GannLabel& l : chart.cellNumbers) QCOMPARE(l.color, GannChartColors::Black());
        QVERIFY(LabelOf(chart.cellNumbers, 1) && LabelOf(chart.cellNumbers, 729));
        // Four characters a cell; a five-digit number keeps its last four.
        QCOMPARE(FourCharNumber(1) + FourCharNumber(9999) + FourCharNumber(10000), QString("   199990000"));
    }

    void wheelWorkedExample_data() {
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
    void wheelWorkedExample() {
        QFETCH(int, spoke);
        GannState s;
        s.frame.ChartHalf = Half;
        s.frame.ChartRadius = 4150;
        const GannSquareGeometry square = SquareGeometry(Half, 4150, 27);
        const GannWheel w = AngleWheel(s, square, 0);
        QTEST(w.spokes[spoke - 1].end, "end");
        QTEST(w.spokes[spoke - 1].label, "label");
        QTEST(w.spokes[spoke - 1].side, "side");
        // Diameters join spoke i to spoke i + 4.
        const int i = (spoke - 1) % 4;
        QCOMPARE(int(w.diameters.size()), 4);
        QCOMPARE(QPoint(w.diameters[i].x1, w.diameters[i].y1), w.spokes[i].end);
        QCOMPARE(QPoint(w.diameters[i].x2, w.diameters[i].y2), w.spokes[i + 4].end);
        // Price cells straight below, just past the lower-left diagonal, and far round:
        // every spoke stays within one turn.
        for (double rotation : {-GannPi / 2, 3 * GannPi / 2 - 0.0001, 3.93, 4.5})
            QVERIFY(AngleWheel(s, square, rotation).spokes[spoke - 1].angle >= 0
                    && AngleWheel(s, square, rotation).spokes[spoke - 1].angle <= GannFullTurn);
        // A price straight above the middle turns spoke 4 exactly onto the 5q bound; a
        // spoke on a corner belongs to the side counter-clockwise from it.
        QCOMPARE(AngleWheel(s, square, GannPi / 2).spokes[3].side, GannLabelSide::Bottom);
        // A price straight left of the middle puts spoke 5 exactly one turn round; it is
        // drawn at that angle of the rounded pi, a twip below the spoke at 0 degrees.
        QCOMPARE(AngleWheel(s, square, GannPi).spokes[4].end, QPoint(8400, 4251));
    }

    void bandStart_data() {
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("start");
        QTest::newRow("right") << 0.0 << 485;
        QTest::newRow("left") << GannPi << 441;
        QTest::newRow("up") << GannPi / 2 << 441;
        QTest::newRow("down") << -GannPi / 2 << 485;
        // Cells on the diagonals have the exact 45 degrees, just past the rounded bounds.
        QTest::newRow("upper-right diagonal") << std::atan(1.0) << 441;
        QTest::newRow("lower-left diagonal") << std::atan(1.0) + GannPi << 485;
        QTest::newRow("on the rounded lower-left bound") << 15.7075 / 4 << 441;
    }
    void bandStart() {
        QFETCH(double, angle);
        GannState s = Calculated(Layout::Compact, "5000");
        s.results.PriceAngle = angle;
        QTEST(BandChart(s, Layout::Compact, SquareGeometry(Half, s.frame.ChartRadius, 27)).bandStart, "start");
    }

    void bandShows51Boxes_data() {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QString>("price");
        QTest::newRow("842 compact") << Layout::Compact << "842";
        QTest::newRow("960 compact: the last high one cell before the band's end") << Layout::Compact << "960";
        QTest::newRow("5000 large") << Layout::Large << "5000";
        QTest::newRow("9999 compact") << Layout::Compact << "9999";
    }
    void bandShows51Boxes() {
        QFETCH(Layout, layout);
        QFETCH(QString, price);
        const GannState s = Calculated(layout, price);
        const GannChartGeometry chart = ComputeGannChart(s, layout);
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

        // Lows, the price and highs in that order, each in the band square's cell of its
        // band number, and at the spoke direction of its own spiral cell.
        GannSpiral band;
        BuildSpiral(band, qint16((n + 1) / 2));
        const std::map<int, QPoint> at = BandCellMap(chart);
        Numbers placed, results{s.inputs.GannPrice}, angles, expectedAngles{0};
        for (int k = 1; k <= 8; ++k) results.prepend(s.results.PotentialLow[k]), results.append(s.results.PotentialHigh[k]);
        for (int k = 1; k <= 8; ++k) expectedAngles.prepend(k), expectedAngles.append(k);
        for (const GannBandPlacement& p : chart.band.placements) {
            placed << p.number;
            angles << p.k;
            QCOMPARE(at.at(p.number), QPoint(band.CellX[p.bandCell], band.CellY[p.bandCell]));
            const double spiral = CellAngle(s.spiral, p.number);
            double diff = std::abs(spiral - std::atan2(-(p.row - (n - 1) / 2.0), p.column - (n - 1) / 2.0));
            while (diff > GannPi) diff = std::abs(diff - 2 * M_PI);
            QVERIFY2(diff < 0.25, qPrintable(QString::number(p.number)));
        }
        QCOMPARE(placed, results);
        QCOMPARE(angles, expectedAngles);
    }

    // 961 closes a ring in the lower-left corner: the walk ends at the band's last cell
    // before it can confirm the last high.
    void bandLowerLeftDiagonal() {
        const GannState s = Calculated(Layout::Compact, "961");
        const GannChartGeometry chart = ComputeGannChart(s, Layout::Compact);
        const int n = chart.band.N;
        QCOMPARE(int(chart.band.placements.size()), 16);
        QCOMPARE(chart.band.placements.back().phase, GannBandPhase::High);
        QCOMPARE(chart.band.placements.back().k, 7);
        // The last high and its neighbours keep their spiral cells, below the band square
        // (one past the spiral's last number keeps whatever its entry held).
        const std::map<int, QPoint> at = BandCellMap(chart);
        const int last = s.results.PotentialHigh[8];
        for (int w : {last - 1, last, last + 1}) {
            QCOMPARE(at.at(w), QPoint(s.spiral.CellX[w], s.spiral.CellY[w]));
            if (w <= s.spiral.GridSize * s.spiral.GridSize) QVERIFY(at.at(w).y() >= n);
        }
    }

    void chartStepPaintsTheBand() {
        const GannState s = Calculated(Layout::Large, "2000", QDate(2024, 1, 15));
        PictureSurface surface;   // 15 twips a pixel
        surface.setSizeTwips(2 * Half, 2 * Half);
        const GannChartGeometry chart = DrawGannChartStep(surface, s, Layout::Large);
        QCOMPARE(int(chart.band.boxes.size()), 51);

        const QImage& img = surface.picture();   // kept for repainting and printing
        QCOMPARE(img, surface.image());
        for (size_t i = 0; i < chart.band.boxes.size(); ++i) {
            // Spokes and the number cross a box, the number written inside it in its own
            // colour; most of the box keeps its colour.
            const GannBox& b = chart.band.boxes[i];
            const QColor number = i < chart.band.numbers.size() ? chart.band.numbers[i].color : b.color;
            int hits = 0, all = 0, ink = 0;
            for (int x = surface.toPixels(b.left); x < surface.toPixels(b.right); ++x)
                for (int y = surface.toPixels(b.top); y < surface.toPixels(b.bottom); ++y, ++all) {
                    hits += QColor(img.pixel(x, y)) == b.color;
                    ink += QColor(img.pixel(x, y)) == number;
                }
            QVERIFY2(all && hits > all / 2 && ink > 0, qPrintable(QString::number(b.number)));
        }
        // The wheel circle is blue where it passes the square's corners; outside it the
        // surface stays background.
        const QPoint corner(surface.toPixels(chart.SquareLeft), surface.toPixels(chart.SquareTop));
        bool blue = false;
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) blue = blue || QColor(img.pixel(corner + QPoint(dx, dy))) == GannChartColors::Blue();
        QVERIFY(blue);
        QCOMPARE(QColor(img.pixel(1, 1)), QColor(Qt::white));

        // Drawn as at window load, a square beyond the full-square limit leaves it blank.
        RedrawGannChart(surface, s, Layout::Large);
        QVERIFY(surface.picture().isNull());
        for (int y = 0; y < surface.image().height(); y += 7)
            for (int x = 0; x < surface.image().width(); x += 7)
                QCOMPARE(QColor(surface.image().pixel(x, y)), QColor(Qt::white));
    }
};

QTEST_MAIN(TestGannCore)
#include "test_ganncore.moc"
