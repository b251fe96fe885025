// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/output/exportprint.h"
#include "forms/output/frmPrintOption.h"
#include "core/settings/settings.h"
#include "core/files/textfile.h"
#include "platform/picturebox.h"
#include "testfiles.h"
#include "uitest.h"

#include <QAbstractButton>
#include <QFile>

#include <climits>

Q_DECLARE_METATYPE(Layout)
Q_DECLARE_METATYPE(PrintStatus)

namespace {

int Pixels(int twips) { return qRound(twips / 15.0); }

// Pixels of img in columns fromX..toX - 1, above row toY, that are not background.
int InkBetween(const QImage& img, int fromX, int toX, int toY = INT_MAX) {
    int ink = 0;
    for (int y = 0; y < qMin(toY, img.height()); ++y)
        for (int x = fromX; x < qMin(toX, img.width()); ++x)
            ink += img.pixelColor(x, y) != QColor(Qt::white);
    return ink;
}

} // namespace

// The destination dialog, Export and Print Image, driven through the real windows; the
// dialog runs its own modal loop and the watchdog clicks it.
class OutputWindowsTest : public UiTest {
    Q_OBJECT

    // Answers the next destination question; "close" is the title-bar close box. A
    // greyed-out option ignores its click, as under the mouse.
    void Destination(const QStringList& clicks) {
        watchdog().expectDialog("frmPrintOption", [clicks](QWidget* d) {
            for (const QString& name : clicks) {
                if (name == "close")
                    d->close();
                else if (name == "Escape")
                    QTest::keyClick(d, Qt::Key_Escape);
                else if (auto* b = d->findChild<QAbstractButton*>(name))
                    b->click();
                else
                    QFAIL(qPrintable("no control " + name));
            }
        });
    }

    QString InDir(const QString& name) const { return programDir() + "/" + name; }

    DocumentWindow* Open(bool gann, Layout layout) {
        DocumentWindow* w = gann ? static_cast<DocumentWindow*>(MakeLayoutWindow<GannWindow>(layout))
                                 : MakeLayoutWindow<FibonacciWindow>(layout, ratios());
        w->show();
        return w;
    }

    // Fibonacci 100 and 150 from 1/1/2004 to 3/1/2004, Gann price 100 with the picker at
    // today; what went wrong, if anything.
    static QString Calculate(QWidget* w, bool gann) {
        QString error;   // each step only after the one before
        if (gann) {
            error += ui::type(w, "txtPrice", "100");
        } else {
            error += ui::type(w, "txtPrice1", "100");
            error += ui::type(w, "txtPrice2", "150");
            error += ui::pickDate(w, "dtpDate1", QDate(2004, 1, 1));
            error += ui::pickDate(w, "dtpDate2", QDate(2004, 3, 1));
        }
        return error + ui::click(w, "cmdCalculate");
    }

private slots:
    // One entry per question, its clicks separated by blanks; the answer of the last.
    // OK untouched (file) and Printer (monochrome) are Print Image's rows below.
    void destination_data() {
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<int>("expected");
        QTest::newRow("File wins over a colour") << QStringList{"optPrinter optColor optFile cmdOk"} << 1;
        QTest::newRow("Escape is Cancel") << QStringList{"optPrinter cmdOk", "Escape"} << 0;
        QTest::newRow("each question starts at File, Color greyed out")
            << QStringList{"optPrinter optColor cmdOk", "optColor cmdOk"} << 1;
        QTest::newRow("close box repeats a colour")
            << QStringList{"optPrinter optColor cmdOk", "optPrinter close"} << 3;
    }
    void destination() {
        QFETCH(QStringList, questions);
        QFETCH(int, expected);
        qint16 option = -1;
        for (const QString& clicks : questions) {
            Destination(clicks.split(' '));
            frmPrintOption::GetOption(option);
        }
        QCOMPARE(int(option), expected);
    }

    // chosen: the file picked in the save dialog, empty when cancelled. The folder that
    // cannot be written is the hardening test's.
    void exportResults_data() {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("offered");
        QTest::newRow("fib placeholder") << false << "Project Name" << "FibonacciResults.txt" << "FibonacciResults.txt";
        QTest::newRow("fib, no extension added") << false << "Gold" << "gold report" << "Gold.txt";
        QTest::newRow("gann name trimmed") << true << "  Corn  " << "corn.csv" << "Corn.txt";
        QTest::newRow("gann blank name") << true << "   " << "GannResults.txt" << "GannResults.txt";
        QTest::newRow("cancelled") << true << "Corn" << "" << "Corn.txt";
    }
    void exportResults() {
        QFETCH(bool, gann);
        QFETCH(QString, name);
        QFETCH(QString, chosen);
        QFETCH(QString, offered);
        fake().saveAnswers << (chosen.isEmpty() ? std::nullopt : std::optional<QString>(InDir(chosen)));
        if (!chosen.isEmpty())
            WriteTextFile(InDir(chosen), QString(5000, QLatin1Char('x')));   // to be replaced whole
        FibonacciReportValues f;
        f.ProjectName = name;
        GannReportValues g;
        g.ProjectText = name;
        gann ? ExportGannResults(g) : ExportFibonacciResults(f);

        QCOMPARE(fake().saveRequests, QStringList{"Text File| *.txt|" + InDir(offered)});
        if (chosen.isEmpty()) {
            QCOMPARE(fake().messageTexts(), QStringList());
            QVERIFY(QDir(programDir()).isEmpty());
            return;
        }
        QCOMPARE(fake().messageTexts(), QStringList{"Results exported to file " + InDir(chosen)});
        QFile file(InDir(chosen));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), EncodeFileText(gann ? GannReportText(g) : FibonacciReportText(f)));
    }

    // The report shows the inputs the last check stored beside the last results; inputs
    // the check rejects give only its message.
    void fibonacciWindowExport() {
        std::unique_ptr<DocumentWindow> w(Open(false, Layout::Large));
        UI_CHECK(Calculate(w.get(), false));
        UI_RETYPE(w.get(), "txtPrice2", "200");
        fake().saveAnswers << InDir("report");
        UI_CLICK(w.get(), "cmdExport");
        const QStringList lines = ReadTextLines(InDir("report")).value_or(QStringList());
        QCOMPARE(ReportSection(lines, "Input Values", 2), QStringList({"Price1: 100.00", "Price2: 200.00"}));
        QCOMPARE(ReportSection(lines, "Potential Prices", 3),
                 QStringList({"Price1: 130.90", "Price2: 125.00", "Price3: 119.10"}));

        UI_RETYPE(w.get(), "txtPrice1", "200");
        UI_CLICK(w.get(), "cmdExport");
        QCOMPARE(fake().messages.last().text, QStringLiteral("Both prices can't be the same"));
        QCOMPARE(fake().saveRequests.size(), 1);
    }

    // The picture is the chart box widened by a strip: left of the text block it is the
    // chart the window showed, the block is written from its left edge on. The trader
    // hears of a print that failed or waits in a paused queue, of nothing else; and
    // whatever happens, the window shows its plain chart again afterwards.
    void printImage_data() {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<PrintStatus>("service");   // what the print service answers
        QTest::addColumn<QString>("message");
        const QStringList toPrinter{"optPrinter", "cmdOk"};
        QTest::newRow("fib large, file") << false << Layout::Large << QStringList{"cmdOk"} << PrintStatus::Printed << "";
        QTest::newRow("gann compact, file") << true << Layout::Compact << QStringList{"cmdOk"} << PrintStatus::Printed << "";
        QTest::newRow("fib, printer monochrome") << false << Layout::Large << toPrinter << PrintStatus::Printed << "";
        QTest::newRow("gann, no printer") << true << Layout::Large << toPrinter << PrintStatus::Failed
                                          << "Error in Printing: No printer is installed";
        QTest::newRow("fib, paused printer") << false << Layout::Large << toPrinter << PrintStatus::HeldInQueue
            << "The printer PDF is paused. The picture waits in its queue and prints when the printer is resumed.";
        QTest::newRow("gann, print dialog cancelled") << true << Layout::Large << toPrinter << PrintStatus::Cancelled << "";
        QTest::newRow("destination cancelled") << true << Layout::Large << QStringList{"cmdCancel"} << PrintStatus::Printed << "";
    }
    void printImage() {
        QFETCH(bool, gann);
        QFETCH(Layout, layout);
        QFETCH(QStringList, clicks);
        QFETCH(PrintStatus, service);
        QFETCH(QString, message);
        std::unique_ptr<DocumentWindow> w(Open(gann, layout));
        UI_CHECK(Calculate(w.get(), gann));
        PictureBox* box = w->findChild<PictureBox*>(gann ? "pbGann" : "pbFibonacci");
        const QImage chart = box->surface().image().convertToFormat(QImage::Format_RGB32);
        const int width = box->widthTwips();
        const FibChartAxes* axes = gann ? nullptr : &static_cast<FibonacciWindow*>(w.get())->shownChart().axes;
        const int textLeft = Pixels(gann ? width + 200 : axes->TimeAxisRight + 200);
        const int textTop = Pixels(!gann ? axes->PriceAxisTop + 200 : layout == Layout::Compact ? 500 : 1000);
        const QString bmp = InDir(gann ? "gannchart.bmp" : "fibchart.bmp");

        Destination(clicks);
        const bool toFile = clicks == QStringList{"cmdOk"};
        if (toFile)
            fake().saveAnswers << bmp;
        fake().printAnswer.status = service;
        fake().printAnswer.reason = "No printer is installed";
        UI_CLICK(w.get(), "cmdPrint");
        QCOMPARE(fake().messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(box->widthTwips(), width);
        QCOMPARE(box->surface().image().convertToFormat(QImage::Format_RGB32), chart);
        if (clicks.last() == "cmdCancel" || service == PrintStatus::Failed || service == PrintStatus::Cancelled) {
            QVERIFY(fake().printedImages.isEmpty());
            return;
        }

        if (toFile)
            QCOMPARE(fake().saveRequests, QStringList{"BMP Image File| *.bmp|" + bmp});
        else
            QCOMPARE(fake().printedMonochrome, QList<bool>{true});
        const QImage picture = (toFile ? QImage(bmp, "BMP") : fake().printedImages.value(0)).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(Pixels(width + (gann ? 3500 : 2500)), chart.height()));
        const int chartPart = qMin(textLeft - 1, chart.width());
        QCOMPARE(picture.copy(0, 0, chartPart, chart.height()), chart.copy(0, 0, chartPart, chart.height()));
        QCOMPARE(InkBetween(picture, chart.width(), textLeft), 0);
        QVERIFY(InkBetween(picture, qMax(textLeft, chart.width()), picture.width()) > 200);
        QCOMPARE(InkBetween(picture, qMax(textLeft, chart.width()), picture.width(), textTop), 0);
    }
};

QTEST_MAIN(OutputWindowsTest)
#include "test_output_windows.moc"
