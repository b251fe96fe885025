#include "forms/output/frmOutput.h"
#include "forms/output/frmPrintOption.h"
#include "modules/textfile.h"
#include "platform/picturebox.h"
#include "platform/qtplatform.h"
#include "fakeplatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

FibonacciReportValues FibValues()
{
    FibonacciReportValues v;
    v.ProjectName = "Project Name";
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
    v.NotesText = "Notes";
    return v;
}

GannReportValues GannValues()
{
    GannReportValues v;
    v.ProjectText = "Project Name";
    v.PriceText = "100";
    v.InputDate = v.Today = QDate(2024, 6, 1);
    for (int k = 1; k <= 8; ++k) {
        v.PotentialHigh[k] = qint16(100 + 5 * k);
        v.PotentialLow[k] = qint16(100 - 5 * k);
    }
    v.NotesText = "Notes\n";
    return v;
}

// Answers the destination question with clicks on the real dialog.
void AnswerDestination(const QStringList& clicks)
{
    frmPrintOption::setModalRunner([clicks](frmPrintOption& d) {
        for (const QString& name : clicks)
            d.findChild<QAbstractButton*>(name)->click();
    });
}

} // namespace

class OutputActionsTest : public QObject {
    Q_OBJECT

    FakePlatform fake;
    QTemporaryDir dir;
    PictureBox* box = nullptr;
    QImage chart;           // what the box showed before printing
    int calculations = 0;   // runs of the window's calculation

    std::function<void()> Calculate()
    {
        return [this] {
            ++calculations;
            // A recalculation erases the box and draws the chart again.
            box->surface().setPictureNone();
            box->surface().cls();
            DrawChart();
        };
    }

    void DrawChart()
    {
        PictureSurface& s = box->surface();
        s.line(1250, 7500, 7500, 7500, Qt::black);
        s.line(1250, 7500, 1250, 1000, Qt::black);
        s.filledBox(2000, 3000, 6000, 3300, Qt::blue);
        s.setFont("verdana", 10);
        s.setForeColor(Qt::black);
        s.keepPicture();
    }

    QString InDir(const QString& name) const { return dir.path() + "/" + name; }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        fake.dir = dir.path();
        setPlatform(&fake);
    }
    void cleanupTestCase()
    {
        frmPrintOption::setModalRunner({});
        setPlatform(nullptr);
    }
    void init()
    {
        fake = FakePlatform();
        fake.dir = dir.path();
        box = new PictureBox;
        box->setSizeTwips(8500, 8500);
        DrawChart();
        chart = box->surface().image().copy();
        calculations = 0;
    }
    void cleanup()
    {
        QVERIFY2(fake.unexpected.isEmpty(), qPrintable(fake.unexpected.join("; ")));
        delete box;
        for (const QString& f : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(InDir(f));
    }

    // --- Export -------------------------------------------------------------------

    void exportOffersAndWrites_data()
    {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("fib placeholder") << false << "Project Name" << "FibonacciResults.txt"
                                         << "FibonacciResults.txt";
        QTest::newRow("fib named") << false << "Gold" << "Gold.txt" << "Gold.txt";
        QTest::newRow("gann placeholder") << true << "Project Name" << "GannResults.txt"
                                          << "GannResults.txt";
        QTest::newRow("gann named with blanks") << true << "  Corn  " << "Corn.txt" << "Corn.txt";
        QTest::newRow("no extension added") << false << "Gold" << "Gold.txt" << "gold report";
        QTest::newRow("any extension kept") << true << "Corn" << "Corn.txt" << "corn.csv";
    }
    void exportOffersAndWrites()
    {
        QFETCH(bool, gann);
        QFETCH(QString, name);
        QFETCH(QString, offered);
        QFETCH(QString, chosen);
        fake.saveAnswers << InDir(chosen);
        QString expected;
        if (gann) {
            GannReportValues v = GannValues();
            v.ProjectText = name;
            ExportGannResults(v);
            expected = GannReportText(v);
        } else {
            FibonacciReportValues v = FibValues();
            v.ProjectName = name;
            ExportFibonacciResults(v);
            expected = FibonacciReportText(v);
        }
        QCOMPARE(fake.saveRequests, QStringList{"Text File| *.txt|" + InDir(offered)});
        QFile f(InDir(chosen));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), EncodeFileText(expected));
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.messages[0].text, "Results exported to file " + InDir(chosen));
        QCOMPARE(fake.messages[0].caption, ProgramTitle);
        QCOMPARE(fake.messages[0].icon, MsgIcon::None);
        QCOMPARE(fake.messages[0].buttons, MsgButtons::Ok);
    }

    void exportReplacesAnExistingFile()
    {
        QVERIFY(WriteTextFile(InDir("old.txt"), QString(5000, QLatin1Char('x'))));
        fake.saveAnswers << InDir("old.txt");
        ExportFibonacciResults(FibValues());
        QFile f(InDir("old.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), EncodeFileText(FibonacciReportText(FibValues())));
    }

    void exportCancelledIsSilent()
    {
        fake.saveAnswers << std::nullopt;
        ExportGannResults(GannValues());
        QVERIFY(fake.messages.isEmpty());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }

    void exportFailure_data()
    {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("fibonacci") << false << "Can't export to result file.";
        QTest::newRow("gann") << true << "Could not export results";
    }
    void exportFailure()
    {
        QFETCH(bool, gann);
        QFETCH(QString, sentence);
        const QString path = InDir("no such folder/report.txt");
        fake.saveAnswers << path;
        gann ? ExportGannResults(GannValues()) : ExportFibonacciResults(FibValues());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.messages[0].text, "Action failed:\n" + sentence);
        QCOMPARE(fake.messages[0].caption, QStringLiteral("Action failed"));
        QCOMPARE(fake.messages[0].icon, MsgIcon::Critical);
    }

    // --- Print Image --------------------------------------------------------------

    void cancelledDestinationChangesNothing()
    {
        AnswerDestination({"cmdCancel"});
        PrintFibonacciImage(*box, FibValues(), 7500, 1000, Calculate());
        QCOMPARE(box->widthTwips(), 8500);
        QCOMPARE(box->surface().image(), chart);
        QCOMPARE(calculations, 0);
        QVERIFY(fake.saveRequests.isEmpty() && fake.messages.isEmpty());
    }

    // The saved bitmap: the widened box, the chart where it was, the text beside it.
    void bitmapOfTheWidenedBox_data()
    {
        QTest::addColumn<int>("which");   // 0 Fibonacci, 1 Gann compact, 2 Gann large
        QTest::addColumn<QString>("offered");
        QTest::addColumn<int>("width");     // pixels
        QTest::addColumn<int>("textLeft");  // pixels: nothing of the text left of it
        QTest::addColumn<int>("textTop");
        QTest::newRow("Fibonacci") << 0 << "fibchart.bmp" << 733 << 513 << 80;
        QTest::newRow("Gann compact") << 1 << "gannchart.bmp" << 800 << 580 << 33;
        QTest::newRow("Gann large") << 2 << "gannchart.bmp" << 800 << 580 << 66;
    }
    void bitmapOfTheWidenedBox()
    {
        QFETCH(int, which);
        QFETCH(QString, offered);
        QFETCH(int, width);
        QFETCH(int, textLeft);
        QFETCH(int, textTop);
        AnswerDestination({"cmdOk"});
        fake.saveAnswers << InDir("chart.bmp");
        if (which == 0)
            PrintFibonacciImage(*box, FibValues(), 7500, 1000, Calculate());
        else
            PrintGannImage(*box, which == 1 ? Layout::Compact : Layout::Large, GannValues(),
                           Calculate());
        QCOMPARE(fake.saveRequests, QStringList{"BMP Image File| *.bmp|" + InDir(offered)});
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.lastMessage()));

        QImage bmp;
        QVERIFY(bmp.load(InDir("chart.bmp"), "BMP"));
        QCOMPARE(bmp.size(), QSize(width, 567));
        bmp = bmp.convertToFormat(QImage::Format_RGB32);
        // Left of the text block the picture is the chart as the window showed it.
        const int chartPart = qMin(textLeft, chart.width());
        QCOMPARE(bmp.copy(0, 0, chartPart, 567), chart.copy(0, 0, chartPart, 567));
        for (int x = chartPart; x < textLeft; ++x)   // the Gann strip's margin is background
            for (int y = 0; y < 567; ++y)
                QCOMPARE(bmp.pixelColor(x, y), QColor(Qt::white));
        // The text block writes into the strip from its left edge and top on.
        int dark = 0, firstRow = -1;
        for (int y = 0; y < 567; ++y)
            for (int x = textLeft; x < width; ++x)
                if (bmp.pixelColor(x, y) != QColor(Qt::white)) {
                    ++dark;
                    if (firstRow < 0) firstRow = y;
                }
        QVERIFY(dark > 500);
        QVERIFY(firstRow >= textTop);
        // Afterwards the box has its width back and shows the chart alone.
        QCOMPARE(box->widthTwips(), 8500);
        QCOMPARE(box->width(), 567);
        QCOMPARE(calculations, 1);
        QCOMPARE(box->surface().image(), chart);
    }

    void sameBitmapReplacedTwice()
    {
        for (int i = 0; i < 2; ++i) {
            AnswerDestination({"cmdOk"});
            fake.saveAnswers << InDir("fibchart.bmp");
            PrintFibonacciImage(*box, FibValues(), 7500, 1000, Calculate());
        }
        QCOMPARE(fake.saveRequests.size(), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"fibchart.bmp"});
        QVERIFY(fake.messages.isEmpty());
    }

    // After a cancelled save or a failure the trader still gets the chart back.
    void restoredAfterCancelOrFailure_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("cancelSave");
        QTest::addColumn<bool>("printerWorks");
        QTest::addColumn<QString>("message");
        QTest::newRow("save dialog cancelled") << QStringList{"cmdOk"} << true << true << "";
        QTest::newRow("bitmap cannot be written") << QStringList{"cmdOk"} << false << true
                                                  << "Error in Printing: Cannot write the file ";
        QTest::newRow("no printer") << QStringList{"optPrinter", "cmdOk"} << false << false
                                    << "Error in Printing: No printer is installed";
    }
    void restoredAfterCancelOrFailure()
    {
        QFETCH(QStringList, clicks);
        QFETCH(bool, cancelSave);
        QFETCH(bool, printerWorks);
        QFETCH(QString, message);
        AnswerDestination(clicks);
        if (clicks.size() == 1)
            fake.saveAnswers << (cancelSave ? std::nullopt
                                            : std::optional<QString>(InDir("missing/chart.bmp")));
        fake.printSucceeds = printerWorks;
        PrintGannImage(*box, Layout::Large, GannValues(), Calculate());
        if (message.isEmpty()) {
            QVERIFY(fake.messages.isEmpty());
        } else {
            QCOMPARE(fake.messages.size(), 1);
            QVERIFY2(fake.messages[0].text.startsWith(message), qPrintable(fake.messages[0].text));
            QCOMPARE(fake.messages[0].caption, ProgramTitle);
            QCOMPARE(fake.messages[0].icon, MsgIcon::None);
        }
        QVERIFY(fake.printedImages.isEmpty());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
        QCOMPARE(box->widthTwips(), 8500);
        QCOMPARE(calculations, 1);
        QCOMPARE(box->surface().image(), chart);
    }

    // --- The page path behind the printer -----------------------------------------

    // A PDF printer stands in for the default printer: the whole widened picture must
    // land on one page at its own size, at (1000, 200) twips.
    void pdfPage_data()
    {
        QTest::addColumn<int>("widthTwips");
        QTest::addColumn<bool>("monochrome");
        QTest::newRow("fibonacci large, monochrome") << 8500 + 2500 << true;
        QTest::newRow("gann large, colour") << 9000 + 3500 << false;
        QTest::newRow("wider than any paper") << 30000 << false;
    }
    void pdfPage()
    {
        QFETCH(int, widthTwips);
        QFETCH(bool, monochrome);
        PictureSurface s(15.0);
        s.setSizeTwips(widthTwips, 8500);
        s.filledBox(0, 0, widthTwips, 8500, Qt::red);
        s.keepPicture();
        const QString pdf = InDir("page.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QString error;
        QVERIFY2(PrintImageOn(printer, s.picture(), monochrome, 15.0, &error), qPrintable(error));
        const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
        QVERIFY(area.width() >= (widthTwips + 1000) / 20.0);
        QVERIFY(area.height() >= (8500 + 200) / 20.0);
        QCOMPARE(printer.colorMode() == QPrinter::GrayScale, monochrome);
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
        QVERIFY(f.size() > 1000);
    }

    void pdfPageThatCannotStart()
    {
        PictureSurface s(15.0);
        s.setSizeTwips(3000, 3000);
        s.keepPicture();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(InDir("no such folder/page.pdf"));
        QString error;
        QVERIFY(!PrintImageOn(printer, s.picture(), false, 15.0, &error));
        QVERIFY(!error.isEmpty());
    }

    // On a machine without printers the real platform reports it like any failure.
    void noPrinterInstalled()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed here; not printing a real page in a test");
        QtPlatform real;
        QString error;
        QVERIFY(!real.printImage(box->surface().image(), true, &error));
        QCOMPARE(error, QStringLiteral("No printer is installed"));
    }
};

QTEST_MAIN(OutputActionsTest)
#include "test_output_actions.moc"
