// Each row is calculated twice: in the real window, typed into its controls on a
// scripted platform, and by the tessaray-cli program. The listing, the report and the
// printed bitmap must be the window's, byte for byte.
#include "clirunner.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "core/settings/settings.h"
#include "core/numbers/dates.h"
#include "platform/widgets.h"
#include "testfiles.h"
#include "uitest.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>

namespace {

// The control each option types into.
const QHash<QString, QString> Controls{
    {"--price1", "txtPrice1"}, {"--price2", "txtPrice2"}, {"--price", "txtPrice"},
    {"--date1", "dtpDate1"},   {"--date2", "dtpDate2"},   {"--date", "dtpInputDate"},
    {"--name", "txtProject"},  {"--notes", "txtNotes"}};

// A caption as a listing line block: ended by CR LF unless empty.
QString Ended(const QString& caption) {
    return caption.isEmpty() || caption.endsWith("\r\n") ? caption : caption + "\r\n";
}

}  // namespace

class TestCliOutputs : public UiTest {
    Q_OBJECT
private slots:
    // "--screen 800x600" opens the compact window, as the main menu would.
    void sameAsWindow_data() {
        QTest::addColumn<QString>("analysis");
        QTest::addColumn<QStringList>("options");
        const QStringList fib{"--price1", "100", "--price2", "150", "--date1", "1/1/2004", "--date2", "3/1/2004"};
        QTest::newRow("fib prices and dates") << "fib" << fib;
        QTest::newRow("fib compact, named, two lines of notes")
            << "fib" << fib + QStringList{"--screen", "800x600", "--name", "Gold, weekly", "--notes", "first\nsecond"};
        QTest::newRow("gann full square with wheel dates")
            << "gann" << QStringList{"--price", "100", "--date", "1/15/2024"};
        QTest::newRow("gann compact band chart, named")
            << "gann" << QStringList{"--price", "1000", "--screen", "800x600", "--name", "  Crude, front", "--notes", "watch 45"};
    }
    void sameAsWindow() {
        QFETCH(QString, analysis);
        QFETCH(QStringList, options);
        const bool compact = options.contains("--screen");
        fake().screen = compact ? QSize(800, 600) : QSize(1024, 768);
        const Layout layout = compact ? Layout::Compact : Layout::Large;
        std::unique_ptr<DocumentWindow> w(analysis == "fib"
            ? static_cast<DocumentWindow*>(MakeLayoutWindow<FibonacciWindow>(layout, ratios()))
            : MakeLayoutWindow<GannWindow>(layout));
        for (int i = 0; i + 1 < options.size(); i += 2) {
            const QString control = Controls.value(options[i]);
            // Options without a control (--screen) would match any child by an empty name.
            if (control.isEmpty())
                continue;
            if (auto* picker = w->findChild<DatePicker*>(control))
                picker->setValue(*ParseFileDate(options[i + 1]));
            else if (auto* box = w->findChild<TextBox*>(control))
                box->setText(options[i + 1]);
            else if (auto* notes = w->findChild<MultiLineTextBox*>(control))
                notes->setText(options[i + 1]);
        }
        w->findChild<QPushButton*>("cmdCalculate")->click();
        QCOMPARE(fake().messageTexts(), QStringList());
        QStringList args = QStringList{analysis, "--today", "6/1/2024"} + options;
        if (analysis == "fib")
            args << "--ratios" << "0.382,0.5,0.618";

        const CliResult listing = RunCliProgram(args + QStringList{"--format", "listing"});
        QCOMPARE(listing.errText(), QString());
        QCOMPARE(listing.outText(), Ended(w->findChild<QLabel*>("lblPrices")->text()) + "=====\r\n"
                                        + Ended(w->findChild<QLabel*>("lblDates")->text()));

        fake().saveAnswers << programDir() + "/export.txt" << programDir() + "/window.bmp";
        w->findChild<QPushButton*>("cmdExport")->click();
        watchdog().expectDialog("frmPrintOption", [](QWidget* d) { d->findChild<QPushButton*>("cmdOk")->click(); });
        w->findChild<QPushButton*>("cmdPrint")->click();
        const CliResult report = RunCliProgram(args + QStringList{"--chart", programDir() + "/cli.bmp"});
        QCOMPARE(report.status, 0);
        QCOMPARE(report.out, ReadBytes(programDir() + "/export.txt"));
        QVERIFY(ReadBytes(programDir() + "/window.bmp").startsWith("BM"));
        QVERIFY(ReadBytes(programDir() + "/cli.bmp") == ReadBytes(programDir() + "/window.bmp"));

        // The same picture as PNG, named or on standard output (the report then stays off it).
        QVERIFY(RunCliProgram(args + QStringList{"--chart", programDir() + "/cli.png"}).status == 0);
        const QByteArray png = ReadBytes(programDir() + "/cli.png");
        QVERIFY(png.startsWith("\x89PNG\r\n"));
        QCOMPARE(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB888),
                 QImage(programDir() + "/window.bmp", "BMP").convertToFormat(QImage::Format_RGB888));
        QVERIFY(RunCliProgram(args + QStringList{"--chart", "-"}).out == png);
    }
};

QTEST_MAIN(TestCliOutputs)
#include "test_cli_outputs.moc"
