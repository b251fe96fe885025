#include "forms/output/reports.h"
#include "modules/dates.h"
#include "platform/picturesurface.h"

#include <QGuiApplication>
#include <QtTest>

Q_DECLARE_METATYPE(FibonacciReportValues)
Q_DECLARE_METATYPE(GannReportValues)

namespace {

QString Crlf(const QStringList& lines)
{
    return lines.join("\r\n") + "\r\n";
}

QStringList ReportLines(const QString& text)
{
    QStringList lines = text.split("\r\n");
    lines.removeLast();   // the text ends in CR LF
    return lines;
}

// Prices 100 and 150, dates 1/1/2004 and 3/1/2004, ratios 0.382, 0.5, 0.618.
FibonacciReportValues FibCalculated()
{
    FibonacciReportValues v;
    v.ProjectName = "Gold";
    v.Price1 = 100;
    v.Price2 = 150;
    v.Date1 = QDate(2004, 1, 1);
    v.Date2 = QDate(2004, 3, 1);
    v.PotentialPrice[1] = 130.9;
    v.PotentialPrice[2] = 125;
    v.PotentialPrice[3] = 119.1;
    v.PotentialDate[1] = QDate(2004, 3, 23);
    v.PotentialDate[2] = QDate(2004, 3, 31);
    v.PotentialDate[3] = QDate(2004, 4, 7);
    v.NotesText = "Watch the\nmarch high";
    return v;
}

// A new Gann window: nothing calculated, picker at today, the designed texts.
GannReportValues GannUntouched()
{
    GannReportValues v;
    v.ProjectText = "Project Name";
    v.InputDate = QDate(2024, 6, 1);
    v.Today = QDate(2024, 6, 1);
    v.NotesText = "Notes\n";
    return v;
}

// Price 100 and date 1/15/2024 calculated.
GannReportValues GannCalculated()
{
    GannReportValues v = GannUntouched();
    v.ProjectText = "  Corn  ";
    v.PriceText = " 100 ";
    v.InputDate = QDate(2024, 1, 15);
    const qint16 highs[] = {105, 110, 115, 120, 126, 132, 138, 144};
    const qint16 lows[] = {95, 90, 85, 80, 77, 72, 69, 64};
    const QDate dates[] = {{2024, 2, 29}, {2024, 4, 15}, {2024, 5, 31}, {2024, 7, 16},
                           {2024, 9, 1},  {2024, 10, 17}, {2024, 11, 30}, {2025, 1, 14}};
    for (int k = 1; k <= 8; ++k) {
        v.PotentialHigh[k] = highs[k - 1];
        v.PotentialLow[k] = lows[k - 1];
        v.AngleDate[k] = dates[k - 1];
    }
    v.NotesText = "Seasonal low\r\nexpected";
    return v;
}

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT

private slots:
    void fibonacciWholeReport()
    {
        const QString expected = Crlf({
            "Fibonacci Analysis", "", "Project Name: Gold", "", "", "Input Values", "------------",
            "Price1: 100.00", "Price2: 150.00", "Date1 : 1/1/2004", "Date2 : 3/1/2004", "", "",
            "Results", "-------", "", "Potential Prices", "----------------", "Price1: 130.90",
            "Price2: 125.00", "Price3: 119.10", "", "Potential Dates", "---------------",
            "Date1: 3/23/2004", "Date2: 3/31/2004", "Date3: 4/7/2004", "", "Notes", "-----",
            "Watch the", "march high"});
        QCOMPARE(FibonacciReportText(FibCalculated()), expected);
    }

    // line: 1-based line of the report; the rows change one thing of a calculated project.
    void fibonacciLines_data()
    {
        QTest::addColumn<FibonacciReportValues>("values");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");

        FibonacciReportValues v = FibCalculated();
        v.ProjectName = "Project Name";
        QTest::newRow("placeholder name prints nothing") << v << 3 << "Project Name: ";
        v.ProjectName.clear();
        QTest::newRow("empty name") << v << 3 << "Project Name: ";

        v = FibCalculated();
        v.Date1 = v.Date2 = NullDate();
        QTest::newRow("no dates: Date1") << v << 10 << "Date1 : ";
        QTest::newRow("no dates: Date2") << v << 11 << "Date2 : ";
        // Results of an earlier calculation with dates are not reported without dates.
        QTest::newRow("no dates: result 1") << v << 25 << "Date1: ";
        QTest::newRow("no dates: result 3") << v << 27 << "Date3: ";
        QTest::newRow("no dates: prices still listed") << v << 19 << "Price1: 130.90";

        v = FibCalculated();
        v.Price1 = v.Price2 = 0;
        v.PotentialPrice[1] = v.PotentialPrice[2] = v.PotentialPrice[3] = 0;
        QTest::newRow("dates only: Price1") << v << 8 << "Price1: 0.00";
        QTest::newRow("dates only: result") << v << 21 << "Price3: 0.00";

        v = FibCalculated();
        v.Price1 = 1234567.891;
        v.PotentialPrice[2] = 100.615;
        QTest::newRow("large price, no separators") << v << 8 << "Price1: 1234567.89";
        QTest::newRow("half to even") << v << 20 << "Price2: 100.62";

        v = FibCalculated();
        v.Date1 = QDate(2010, 5, 7);
        v.Date2 = QDate(2010, 12, 25);
        QTest::newRow("short form has no leading zeros") << v << 10 << "Date1 : 5/7/2010";
        QTest::newRow("two-digit month and day") << v << 11 << "Date2 : 12/25/2010";
    }
    void fibonacciLines()
    {
        QFETCH(FibonacciReportValues, values);
        QFETCH(int, line);
        QFETCH(QString, expected);
        const QStringList lines = ReportLines(FibonacciReportText(values));
        QCOMPARE(lines.value(line - 1), expected);
    }

    // The notes close the report as the box holds them, one report line per box line.
    void notes_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("tail");
        QTest::newRow("one line") << "Notes" << "-----\r\nNotes\r\n";
        QTest::newRow("empty box") << "" << "-----\r\n\r\n";
        QTest::newRow("several lines") << "a\nb\n\nc" << "-----\r\na\r\nb\r\n\r\nc\r\n";
        QTest::newRow("already CR LF") << "a\r\nb" << "-----\r\na\r\nb\r\n";
        QTest::newRow("ends with a line break") << "Notes\n" << "-----\r\nNotes\r\n\r\n";
        QTest::newRow("blanks kept") << "  indented  " << "-----\r\n  indented  \r\n";
    }
    void notes()
    {
        QFETCH(QString, notes);
        QFETCH(QString, tail);
        FibonacciReportValues f = FibCalculated();
        f.NotesText = notes;
        QVERIFY2(FibonacciReportText(f).endsWith("\r\n\r\nNotes\r\n" + tail),
                 qPrintable(FibonacciReportText(f)));
        GannReportValues g = GannCalculated();
        g.NotesText = notes;
        QVERIFY(GannReportText(g).endsWith("\r\n\r\nNotes\r\n" + tail));
    }

    void gannWholeReport()
    {
        const QString expected = Crlf({
            "Gann Analysis", "", "Project Name: Corn", "", "", "Input Values", "------------",
            "Price: 100", "Date : 01/15/2024", "", "", "Results", "-------", "",
            "Potential High Prices", "---------------------",
            "Price1: 105", "Price2: 110", "Price3: 115", "Price4: 120", "Price5: 126", "Price6: 132",
            "Price7: 138", "Price8: 144", "", "Potential Low Prices", "--------------------",
            "Price1: 95", "Price2: 90", "Price3: 85", "Price4: 80", "Price5: 77", "Price6: 72",
            "Price7: 69", "Price8: 64", "", "Potential Dates", "---------------",
            "Date1: 02/29/2024", "Date2: 04/15/2024", "Date3: 05/31/2024", "Date4: 07/16/2024",
            "Date5: 09/01/2024", "Date6: 10/17/2024", "Date7: 11/30/2024", "Date8: 01/14/2025",
            "", "Notes", "-----", "Seasonal low", "expected"});
        QCOMPARE(GannReportText(GannCalculated()), expected);
    }

    // Before any calculation every result line ends after its colon, the name is the
    // placeholder and the untouched notes box ends with an empty line.
    void gannBeforeCalculation()
    {
        const QStringList lines = ReportLines(GannReportText(GannUntouched()));
        QCOMPARE(lines.size(), 51);
        QCOMPARE(lines.at(2), QStringLiteral("Project Name: "));
        QCOMPARE(lines.at(7), QStringLiteral("Price: "));
        QCOMPARE(lines.at(8), QStringLiteral("Date : "));
        for (int k = 1; k <= 8; ++k) {
            QCOMPARE(lines.at(16 + k - 1), QStringLiteral("Price%1: ").arg(k));
            QCOMPARE(lines.at(27 + k - 1), QStringLiteral("Price%1: ").arg(k));
            QCOMPARE(lines.at(38 + k - 1), QStringLiteral("Date%1: ").arg(k));
        }
        QCOMPARE(lines.at(47), QStringLiteral("Notes"));
        QCOMPARE(lines.at(49), QStringLiteral("Notes"));   // the notes start on line 50
        QCOMPARE(lines.at(50), QString());
    }

    void gannLines_data()
    {
        QTest::addColumn<GannReportValues>("values");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");

        GannReportValues v = GannCalculated();
        v.InputDate = v.Today;
        QTest::newRow("picker at today: no date") << v << 9 << "Date : ";
        v.ProjectText = "  Project Name ";
        QTest::newRow("placeholder name with blanks") << v << 3 << "Project Name: ";
        v = GannCalculated();
        v.PotentialHigh[3] = 0;
        v.PotentialLow[8] = 0;
        QTest::newRow("a missing high") << v << 19 << "Price3: ";
        QTest::newRow("a missing low") << v << 35 << "Price8: ";
        v.AngleDate[2] = NullDate();
        v.AngleDate[3] = QDate(1899, 12, 30);
        v.AngleDate[4] = QDate();
        QTest::newRow("null angle date") << v << 40 << "Date2: ";
        QTest::newRow("angle date before 1900") << v << 41 << "Date3: ";
        QTest::newRow("angle date never set") << v << 42 << "Date4: ";
        QTest::newRow("1/2/1900 is a date") << [] {
            GannReportValues w = GannCalculated();
            w.AngleDate[1] = QDate(1900, 1, 2);
            return w;
        }() << 39 << "Date1: 01/02/1900";
        v = GannCalculated();
        v.PriceText = "\t 42";
        QTest::newRow("price text trimmed of blanks only") << v << 8 << "Price: \t 42";
    }
    void gannLines()
    {
        QFETCH(GannReportValues, values);
        QFETCH(int, line);
        QFETCH(QString, expected);
        QCOMPARE(ReportLines(GannReportText(values)).value(line - 1), expected);
    }

    void baseNames_data()
    {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fib named") << false << "Gold 2004" << "Gold 2004";
        QTest::newRow("fib placeholder") << false << "Project Name" << "FibonacciResults";
        QTest::newRow("fib empty") << false << "" << "FibonacciResults";
        QTest::newRow("gann named, blanks trimmed") << true << "  Corn " << "Corn";
        QTest::newRow("gann placeholder with blanks") << true << " Project Name " << "GannResults";
        QTest::newRow("gann blank") << true << "   " << "GannResults";
    }
    void baseNames()
    {
        QFETCH(bool, gann);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(gann ? GannReportBaseName(name) : FibonacciReportBaseName(name), expected);
    }

    void fibonacciTextBlock()
    {
        FibonacciReportValues v = FibCalculated();
        const TextBlock b = FibonacciTextBlock(v);
        QStringList texts, underlined;
        for (const TextBlockLine& l : b) {
            texts << l.text;
            if (l.underline) underlined << l.text;
            QCOMPARE(l.advancesBefore, texts.size() == 1 ? 0 : 1);
        }
        QCOMPARE(texts, QStringList({"Project Name: Gold", "Input Values", "Price1: 100.00",
                                     "Price2: 150.00", "Date1 : 1/1/2004", "Date2 : 3/1/2004",
                                     "Results", "Potential Prices", "Price1: 130.90",
                                     "Price2: 125.00", "Price3: 119.10", "Potential Dates",
                                     "Date1: 3/23/2004", "Date2: 3/31/2004", "Date3: 4/7/2004"}));
        QCOMPARE(underlined, QStringList({"Project Name: Gold", "Input Values", "Results",
                                          "Potential Prices", "Potential Dates"}));

        v.Date1 = v.Date2 = NullDate();
        v.ProjectName = "Project Name";
        const TextBlock n = FibonacciTextBlock(v);
        QCOMPARE(n.at(0).text, QStringLiteral("Project Name: "));
        QCOMPARE(n.at(4).text, QStringLiteral("Date1 : "));
        QCOMPARE(n.at(5).text, QStringLiteral("Date2 : "));
        QCOMPARE(n.at(12).text, QStringLiteral("Date1: "));
        QCOMPARE(n.at(14).text, QStringLiteral("Date3: "));
    }

    void gannTextBlock()
    {
        GannReportValues v = GannCalculated();
        const TextBlock b = GannTextBlock(v);
        QCOMPARE(b.size(), 32);
        // The printed name keeps the typed blanks; the report trims them.
        QCOMPARE(b.at(0).text, QStringLiteral("Project Name:   Corn  "));
        QCOMPARE(b.at(2).text, QStringLiteral("Price: 100"));
        QCOMPARE(b.at(2).advancesBefore, 2);   // an extra gap under "Input Values"
        QCOMPARE(b.at(3).text, QStringLiteral("Date : 01/15/2024"));
        QCOMPARE(b.at(6).text, QStringLiteral("Price1: 105"));
        QCOMPARE(b.at(14).text, QStringLiteral("Potential Low Prices"));
        QCOMPARE(b.at(31).text, QStringLiteral("Date8: 01/14/2025"));
        QStringList underlined;
        for (const TextBlockLine& l : b)
            if (l.underline) underlined << l.text;
        QCOMPARE(underlined, QStringList({"Project Name:   Corn  ", "Input Values", "Results",
                                          "Potential High Prices", "Potential Low Prices",
                                          "Potential Dates"}));

        v.InputDate = v.Today;
        v.ProjectText = "Project Name";
        const TextBlock t = GannTextBlock(v);
        QCOMPARE(t.at(0).text, QStringLiteral("Project Name: "));
        QCOMPARE(t.at(3).text, QStringLiteral("Date : "));
    }

    void placements_data()
    {
        QTest::addColumn<int>("which");   // 0 Fibonacci, 1 Gann compact, 2 Gann large
        QTest::addColumn<QList<int>>("expected");   // extra, left, top, gap
        QTest::addColumn<double>("points");
        QTest::newRow("Fibonacci") << 0 << QList<int>{2500, 7700, 1200, 150} << 0.0;
        QTest::newRow("Gann compact") << 1 << QList<int>{3500, 6700, 500, 60} << 7.0;
        QTest::newRow("Gann large") << 2 << QList<int>{3500, 6700, 1000, 100} << 8.0;
    }
    void placements()
    {
        QFETCH(int, which);
        QFETCH(QList<int>, expected);
        QFETCH(double, points);
        // Fibonacci: a box 8500 wide has its time axis end at 7500; the price axis top is 1000.
        const TextBlockPlacement at =
            which == 0 ? FibonacciPlacement(7500, 1000)
                       : GannPlacement(which == 1 ? Layout::Compact : Layout::Large, 6500);
        QCOMPARE((QList<int>{at.extraWidth, at.left, at.top, at.gap}), expected);
        QCOMPARE(at.ownFont, which != 0);
        if (at.ownFont) {
            QCOMPARE(at.fontName, QStringLiteral("verdana"));
            QCOMPARE(at.fontPoints, points);
        }
    }

    // Each line leaves the position one line height lower; each advance adds the gap.
    void writeTextBlockAdvances()
    {
        PictureSurface s(15.0);
        s.setSizeTwips(12000, 9000);
        const TextBlockPlacement at = GannPlacement(Layout::Compact, 8000);
        WriteTextBlock(s, GannTextBlock(GannCalculated()), at);
        QCOMPARE(s.font().pointSizeF(), 7.0);
        QCOMPARE(s.foreColor(), QColor(Qt::black));
        QVERIFY(!s.font().underline());   // the last line is plain
        QCOMPARE(s.currentX(), 0);
        QCOMPARE(s.currentY(), 500 + 32 * s.textHeight() + 32 * 60);
    }

    // The Fibonacci block uses whatever font and colour the chart left on the box.
    void fibonacciKeepsTheChartFont()
    {
        PictureSurface s(15.0);
        s.setSizeTwips(8500, 8500);
        s.setFont("verdana", 10);
        s.setForeColor(Qt::blue);
        ComposeChartPicture(s, FibonacciTextBlock(FibCalculated()), FibonacciPlacement(7500, 1000));
        QCOMPARE(s.font().pointSizeF(), 10.0);
        QCOMPARE(s.foreColor(), QColor(Qt::blue));
        QCOMPARE(s.widthTwips(), 11000);
        QCOMPARE(s.currentY(), 1200 + 15 * s.textHeight() + 14 * 150);
    }
};

QTEST_MAIN(ReportsTest)
#include "test_reports.moc"
