#include "core/reports/reports.h"
#include "core/numbers/dates.h"
#include "core/drawing/picturesurface.h"
#include "testfiles.h"

#include <QtTest>

// The whole reports of the worked examples are the guide's Swing2004.txt and Pivot100.txt.
namespace {

// 100 to 150 from 1/1/2004 to 3/1/2004 with the ratios 0.382, 0.5, 0.618.
FibonacciReportValues Fib() {
    return {"Gold", 100, 150, {2004, 1, 1}, {2004, 3, 1}, {0, 130.9, 125, 119.1},
            {{}, {2004, 3, 23}, {2004, 3, 31}, {2004, 4, 7}}, "Watch the\nmarch high"};
}

// Price 100 and 1/15/2024, typed with blanks around the name and the price.
GannReportValues Gann() {
    return {"  Corn  ", " 100 ", {2024, 1, 15}, 8,
            {0, 105, 110, 115, 120, 126, 132, 138, 144}, {0, 95, 90, 85, 80, 77, 72, 69, 64},
            {{}, {2024, 2, 29}, {2024, 4, 15}, {2024, 5, 31}, {2024, 7, 16}, {2024, 9, 1},
             {2024, 10, 17}, {2024, 11, 30}, {2025, 1, 14}},
            "Seasonal low\r\nexpected"};
}

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT

private slots:
    // Each row changes the worked example a little; the lines under the heading `part`
    // (the title's on for none), split at CR LF. A last expected "" is the end of the file.
    void lines_data() {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("part");
        QTest::addColumn<QStringList>("expected");

        FibonacciReportValues f = Fib();
        f.Date1 = f.Date2 = NullDate();
        QTest::newRow("fib no dates: inputs") << FibonacciReportText(f) << "Input Values"
                                               << QStringList{"Price1: 100.00", "Price2: 150.00", "Date1 : ", "Date2 : "};
        // An earlier calculation's dates are not reported once the dates are gone.
        QTest::newRow("fib no dates: results")
            << FibonacciReportText(f) << "Potential Prices"
            << QStringList{"Price1: 130.90", "Price2: 125.00", "Price3: 119.10", "", "Potential Dates",
                           "---------------", "Date1: ", "Date2: ", "Date3: "};
        // Only the null date is "no date": a study of 1899 prints its dates; a result
        // never computed prints nothing.
        f = Fib();
        f.Date1 = QDate(1899, 1, 1);
        f.Date2 = QDate(1900, 1, 2);
        f.PotentialDate[1] = QDate(1900, 5, 21);
        f.PotentialDate[2] = QDate();
        f.PotentialDate[3] = QDate(1900, 1, 1);
        QTest::newRow("fib dates before 1900: inputs") << FibonacciReportText(f) << "Input Values"
            << QStringList{"Price1: 100.00", "Price2: 150.00", "Date1 : 1/1/1899", "Date2 : 1/2/1900"};
        QTest::newRow("fib dates before 1900: results")
            << FibonacciReportText(f) << "Potential Dates" << QStringList{"Date1: 5/21/1900", "Date2: ", "Date3: 1/1/1900"};
        f = Fib();
        f.NotesText = "a\nb\r\n\nc\rd";
        QTest::newRow("notes: LF and CR LF alike, a lone CR kept") << FibonacciReportText(f) << "Notes"
                                                                   << QStringList{"a", "b", "", "c\rd", ""};

        GannReportValues g = Gann();
        g.ProjectText = " Project Name ";
        QTest::newRow("gann placeholder name with blanks") << GannReportText(g) << QString()
                                                   << QStringList{"Gann Analysis", "", "Project Name: "};
        g = Gann();
        g.PriceText = "\t 42";
        g.PotentialHigh[3] = 0;
        QTest::newRow("gann price trimmed of blanks only") << GannReportText(g) << "Input Values"
                                                    << QStringList{"Price: \t 42"};
        g.InputDate = QDate(1711, 5, 24);
        QTest::newRow("gann input date of 1711") << GannReportText(g) << "Input Values"
                                          << QStringList{"Price: \t 42", "Date : 05/24/1711"};
        g.InputDate = QDate();
        QTest::newRow("gann picker at today") << GannReportText(g) << "Input Values"
                                       << QStringList{"Price: \t 42", "Date : "};
        QTest::newRow("gann missing high") << GannReportText(g) << "Potential High Prices"
                                    << QStringList{"Price1: 105", "Price2: 110", "Price3: "};
        g = Gann();
        g.AngleDate[1] = QDate(1900, 1, 2);
        g.AngleDate[2] = NullDate();
        g.AngleDate[3] = QDate(1899, 12, 30);
        g.AngleDate[4] = QDate();
        QTest::newRow("gann angle dates up to 1/1/1900 are none")
            << GannReportText(g) << "Potential Dates" << QStringList{"Date1: 01/02/1900", "Date2: ", "Date3: ", "Date4: "};
        g = Gann();
        g.NotesText = "Notes\n";
        QTest::newRow("notes ending in a line break") << GannReportText(g) << "Notes" << QStringList{"Notes", "", ""};
    }
    void lines() {
        QFETCH(QString, report);
        QFETCH(QString, part);
        QFETCH(QStringList, expected);
        const QStringList lines = report.split("\r\n");
        QCOMPARE(part.isEmpty() ? lines.mid(0, expected.size()) : ReportSection(lines, part, expected.size()),
                 expected);
    }

    // "_" marks an underlined line, "+" one with an extra gap above it.
    void textBlocks() {
        const auto render = [](const TextBlock& block) {
            QStringList lines;
            for (const TextBlockLine& l : block)
                lines << (l.advancesBefore > 1 ? "+" : "") + QString(l.underline ? "_" : "") + l.text;
            return lines;
        };
        QCOMPARE(FibonacciTextBlock(Fib()).first().advancesBefore, 0);
        QCOMPARE(render(FibonacciTextBlock(Fib())),
                 QStringList({"_Project Name: Gold", "_Input Values", "Price1: 100.00", "Price2: 150.00",
                              "Date1 : 1/1/2004", "Date2 : 3/1/2004", "_Results", "_Potential Prices",
                              "Price1: 130.90", "Price2: 125.00", "Price3: 119.10", "_Potential Dates",
                              "Date1: 3/23/2004", "Date2: 3/31/2004", "Date3: 4/7/2004"}));
        // The printed name keeps the blanks the report trims.
        const QStringList gann = render(GannTextBlock(Gann()));
        QCOMPARE(gann.size(), 32);
        QCOMPARE(gann.mid(0, 6), QStringList({"_Project Name:   Corn  ", "_Input Values", "+Price: 100",
                                              "Date : 01/15/2024", "_Results", "_Potential High Prices"}));
        QCOMPARE(gann.mid(14, 1), QStringList{"_Potential Low Prices"});
        QCOMPARE(gann.last(), QStringLiteral("Date8: 01/14/2025"));
    }

    // The Fibonacci block writes in the font and colour the chart left; the Gann block
    // in its own small black font.
    void textBlockFonts() {
        PictureSurface s(15.0);
        s.setSizeTwips(8500, 8500);
        s.setFont("verdana", 10);
        s.setForeColor(Qt::blue);
        ComposeChartPicture(s, FibonacciTextBlock(Fib()), FibonacciPlacement(7500, 1000));
        QCOMPARE(s.font().pointSizeF(), 10.0);
        QCOMPARE(s.foreColor(), QColor(Qt::blue));
        WriteTextBlock(s, GannTextBlock(Gann()), GannPlacement(Layout::Compact, 8000));
        QCOMPARE(s.font().pointSizeF(), 7.0);
        QCOMPARE(s.foreColor(), QColor(Qt::black));
    }
};

QTEST_MAIN(ReportsTest)
#include "test_reports.moc"
