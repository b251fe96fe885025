#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/output/frmPrintOption.h"
#include "forms/shell/settings.h"
#include "modules/textfile.h"
#include "platform/widgets.h"
#include "uitest.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

Q_DECLARE_METATYPE(Layout)

namespace {

QStringList FileLines(const QString& path)
{
    return ReadTextLines(path).value_or(QStringList{"<unreadable>"});
}

int Pixels(int twips)
{
    return qRound(twips / 15.0);
}

// Pixels of img in the column range that are not background.
int InkBetween(const QImage& img, int fromX, int toX)
{
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = fromX; x < qMin(toX, img.width()); ++x)
            if (img.pixelColor(x, y) != QColor(Qt::white))
                ++ink;
    return ink;
}

} // namespace

// Export and Print Image on the real windows of both analyses, in both layouts, with
// the destination dialog answered through its own modal loop.
class OutputWindowsTest : public UiTest {
    Q_OBJECT

    // Answers the next destination question with these clicks.
    void Destination(const QStringList& clicks)
    {
        watchdog().expectDialog("frmPrintOption", [clicks](QWidget* d) {
            for (const QString& name : clicks)
                QVERIFY2(ui::click(d, name).isEmpty(), qPrintable(name));
        });
    }

    QString InDir(const QString& name) const { return programDir() + "/" + name; }

    FibonacciWindow* Fibonacci(Layout layout)
    {
        FibonacciWindow* w = layout == Layout::Compact ? static_cast<FibonacciWindow*>(new frmFibonacci86)
                                                       : static_cast<FibonacciWindow*>(new frmFibonacci);
        w->show();
        return w;
    }

    GannWindow* Gann(Layout layout)
    {
        GannWindow* w = layout == Layout::Compact ? static_cast<GannWindow*>(new frmGann86)
                                                  : static_cast<GannWindow*>(new frmGann);
        w->show();
        return w;
    }

    // 100 and 150 from 1/1/2004 to 3/1/2004, calculated.
    void FibCalculate(FibonacciWindow* w)
    {
        UI_TYPE(w, "txtPrice1", "100");
        UI_TYPE(w, "txtPrice2", "150");
        UI_PICK(w, "dtpDate1", QDate(2004, 1, 1));
        UI_PICK(w, "dtpDate2", QDate(2004, 3, 1));
        UI_CLICK(w, "cmdCalculate");
    }

private slots:
    void initTestCase()
    {
        SetCurrentRatios(DefaultRatios);
    }

    void layouts_data()
    {
        QTest::addColumn<Layout>("layout");
        QTest::newRow("large") << Layout::Large;
        QTest::newRow("compact") << Layout::Compact;
    }

    void fibonacciExport_data() { layouts_data(); }
    void fibonacciExport()
    {
        QFETCH(Layout, layout);
        std::unique_ptr<FibonacciWindow> w(Fibonacci(layout));
        FibCalculate(w.get());
        // Inputs changed after the calculation: the report shows the new inputs beside
        // the results of the last calculation.
        UI_RETYPE(w.get(), "txtPrice2", "200");
        fake().saveAnswers << InDir("report");
        UI_CLICK(w.get(), "cmdExport");
        QCOMPARE(fake().saveRequests, QStringList{"Text File| *.txt|" + InDir("FibonacciResults.txt")});
        QCOMPARE(fake().lastMessage(), "Results exported to file " + InDir("report"));
        const QStringList lines = FileLines(InDir("report"));
        QCOMPARE(lines.mid(2, 1), QStringList{"Project Name: "});
        QCOMPARE(lines.mid(7, 4), QStringList({"Price1: 100.00", "Price2: 200.00",
                                               "Date1 : 1/1/2004", "Date2 : 3/1/2004"}));
        QCOMPARE(lines.mid(18, 3), QStringList({"Price1: 130.90", "Price2: 125.00", "Price3: 119.10"}));
        QCOMPARE(lines.mid(24, 3), QStringList({"Date1: 3/23/2004", "Date2: 3/31/2004", "Date3: 4/7/2004"}));
        QCOMPARE(lines.mid(28), QStringList({"Notes", "-----", "Notes"}));
    }

    // Rejected inputs: only the check's own message, no dialog, no file.
    void fibonacciExportOfRejectedInputs()
    {
        std::unique_ptr<FibonacciWindow> w(Fibonacci(Layout::Large));
        UI_TYPE(w.get(), "txtPrice1", "100");
        UI_CLICK(w.get(), "cmdExport");
        QCOMPARE(fake().messageTexts(), QStringList{"Either both or none of the prices should be entered"});
        QVERIFY(fake().saveRequests.isEmpty());
    }

    void gannExport_data() { layouts_data(); }
    void gannExport()
    {
        QFETCH(Layout, layout);
        std::unique_ptr<GannWindow> w(Gann(layout));
        // Before any calculation every result line ends after its colon.
        fake().saveAnswers << InDir("before.txt");
        UI_CLICK(w.get(), "cmdExport");
        QCOMPARE(fake().saveRequests, QStringList{"Text File| *.txt|" + InDir("GannResults.txt")});
        QStringList lines = FileLines(InDir("before.txt"));
        QCOMPARE(lines.size(), 51);
        QCOMPARE(lines.mid(7, 2), QStringList({"Price: ", "Date : "}));
        QCOMPARE(lines.at(16), QStringLiteral("Price1: "));
        QCOMPARE(lines.at(45), QStringLiteral("Date8: "));
        QCOMPARE(lines.mid(47), QStringList({"Notes", "-----", "Notes", ""}));

        // Price 100 with the picker at today: highs and lows, no dates.
        UI_RETYPE(w.get(), "txtProject", "  Corn ");
        UI_TYPE(w.get(), "txtPrice", "100");
        UI_CLICK(w.get(), "cmdCalculate");
        fake().saveAnswers << InDir("after.txt");
        UI_CLICK(w.get(), "cmdExport");
        QCOMPARE(fake().saveRequests.last(), "Text File| *.txt|" + InDir("Corn.txt"));
        lines = FileLines(InDir("after.txt"));
        QCOMPARE(lines.at(2), QStringLiteral("Project Name: Corn"));
        QCOMPARE(lines.mid(7, 2), QStringList({"Price: 100", "Date : "}));
        QCOMPARE(lines.mid(16, 2), QStringList({"Price1: 105", "Price2: 110"}));
        QCOMPARE(lines.at(34), QStringLiteral("Price8: 64"));
        QCOMPARE(lines.at(38), QStringLiteral("Date1: "));
    }

    void gannExportWithDate()
    {
        std::unique_ptr<GannWindow> w(Gann(Layout::Large));
        UI_PICK(w.get(), "dtpInputDate", QDate(2024, 1, 15));
        UI_CLICK(w.get(), "cmdCalculate");
        fake().saveAnswers << InDir("dated.txt");
        UI_CLICK(w.get(), "cmdExport");
        const QStringList lines = FileLines(InDir("dated.txt"));
        QCOMPARE(lines.at(8), QStringLiteral("Date : 01/15/2024"));
        QCOMPARE(lines.at(16), QStringLiteral("Price1: "));
        QCOMPARE(lines.mid(38, 8), QStringList({"Date1: 02/29/2024", "Date2: 04/15/2024",
                                                "Date3: 05/31/2024", "Date4: 07/16/2024",
                                                "Date5: 09/01/2024", "Date6: 10/17/2024",
                                                "Date7: 11/30/2024", "Date8: 01/14/2025"}));
    }

    // The bitmap: the widened chart box with the chart as the window showed it and the
    // text block beside it; afterwards the window shows the plain chart again.
    void fibonacciBitmap_data() { layouts_data(); }
    void fibonacciBitmap()
    {
        QFETCH(Layout, layout);
        std::unique_ptr<FibonacciWindow> w(Fibonacci(layout));
        FibCalculate(w.get());
        const QImage chart = w->pbFibonacci->surface().image().copy();
        const int width = w->pbFibonacci->widthTwips();
        const int height = w->pbFibonacci->heightTwips();
        const int textLeft = Pixels(w->TimeAxisRight + 200);

        Destination({"cmdOk"});
        fake().saveAnswers << InDir("fibchart.bmp");
        UI_CLICK(w.get(), "cmdPrint");
        QCOMPARE(fake().saveRequests, QStringList{"BMP Image File| *.bmp|" + InDir("fibchart.bmp")});
        QVERIFY2(fake().messages.isEmpty(), qPrintable(fake().lastMessage()));

        QImage bmp(InDir("fibchart.bmp"), "BMP");
        QCOMPARE(bmp.size(), QSize(Pixels(width + 2500), Pixels(height)));
        bmp = bmp.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(bmp.copy(0, 0, textLeft - 1, bmp.height()), chart.copy(0, 0, textLeft - 1, chart.height()));
        QVERIFY(InkBetween(bmp, chart.width(), bmp.width()) > 200);   // the text runs on into the strip

        QCOMPARE(w->pbFibonacci->widthTwips(), width);
        QCOMPARE(w->pbFibonacci->surface().image(), chart);
    }

    void gannBitmap_data() { layouts_data(); }
    void gannBitmap()
    {
        QFETCH(Layout, layout);
        std::unique_ptr<GannWindow> w(Gann(layout));
        UI_RETYPE(w.get(), "txtProject", "  Corn");
        UI_TYPE(w.get(), "txtPrice", "100");
        UI_CLICK(w.get(), "cmdCalculate");
        const QImage chart = w->pbGann->surface().image().copy();
        const int width = w->pbGann->widthTwips();

        Destination({"cmdOk"});
        fake().saveAnswers << InDir("gannchart.bmp");
        UI_CLICK(w.get(), "cmdPrint");
        QCOMPARE(fake().saveRequests, QStringList{"BMP Image File| *.bmp|" + InDir("gannchart.bmp")});
        QVERIFY2(fake().messages.isEmpty(), qPrintable(fake().lastMessage()));

        QImage bmp(InDir("gannchart.bmp"), "BMP");
        QCOMPARE(bmp.size(), QSize(Pixels(width + 3500), chart.height()));
        bmp = bmp.convertToFormat(QImage::Format_RGB32);
        // The Gann block lies wholly in the added strip, from 200 twips into it.
        QCOMPARE(bmp.copy(0, 0, chart.width(), chart.height()), chart);
        QCOMPARE(InkBetween(bmp, chart.width(), Pixels(width + 200)), 0);
        QVERIFY(InkBetween(bmp, Pixels(width + 200), bmp.width()) > 500);

        QCOMPARE(w->pbGann->widthTwips(), width);
        QCOMPARE(w->pbGann->surface().image(), chart);
    }

    void printerBothWindows_data()
    {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("monochrome");
        QTest::newRow("fibonacci monochrome") << false << QStringList{"optPrinter", "cmdOk"} << true;
        QTest::newRow("gann colour") << true << QStringList{"optPrinter", "optColor", "cmdOk"} << false;
    }
    void printerBothWindows()
    {
        QFETCH(bool, gann);
        QFETCH(QStringList, clicks);
        QFETCH(bool, monochrome);
        std::unique_ptr<QWidget> owner;
        PictureBox* box;
        int extra;
        if (gann) {
            auto* w = Gann(Layout::Large);
            owner.reset(w);
            UI_TYPE(w, "txtPrice", "100");
            UI_CLICK(w, "cmdCalculate");
            box = w->pbGann;
            extra = 3500;
        } else {
            auto* w = Fibonacci(Layout::Large);
            owner.reset(w);
            FibCalculate(w);
            box = w->pbFibonacci;
            extra = 2500;
        }
        const QImage chart = box->surface().image().copy();
        Destination(clicks);
        UI_CLICK(owner.get(), "cmdPrint");
        QCOMPARE(fake().printedImages.size(), 1);
        QCOMPARE(fake().printedMonochrome, QList<bool>{monochrome});
        QCOMPARE(fake().printedImages[0].width(), Pixels(box->widthTwips() + extra));
        QCOMPARE(box->surface().image(), chart);
    }

    void cancelledDestinationLeavesTheWindow()
    {
        std::unique_ptr<FibonacciWindow> w(Fibonacci(Layout::Compact));
        FibCalculate(w.get());
        const QImage chart = w->pbFibonacci->surface().image().copy();
        const QString prices = w->lblPrices->text();
        Destination({"cmdCancel"});
        UI_CLICK(w.get(), "cmdPrint");
        QVERIFY(fake().saveRequests.isEmpty() && fake().messages.isEmpty());
        QCOMPARE(w->pbFibonacci->surface().image(), chart);
        QCOMPARE(w->lblPrices->text(), prices);
        QCOMPARE(w->ChangedFlag, QStringLiteral("YES"));
    }
};

QTEST_MAIN(OutputWindowsTest)
#include "test_output_windows.moc"
