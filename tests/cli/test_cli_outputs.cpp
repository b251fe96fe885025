// Each row is calculated twice: in the real window, typed into its controls on a
// scripted platform, and by the tessaray-cli program. The listing, the report and the
// chart bitmap must be the window's, byte for byte.
#include "clirunner.h"
#include "fakeplatform.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "platform/picturebox.h"
#include "platform/widgets.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// The control each option types into.
const QHash<QString, QString> Controls{
    {"--price1", "txtPrice1"}, {"--price2", "txtPrice2"}, {"--price", "txtPrice"},
    {"--date1", "dtpDate1"},   {"--date2", "dtpDate2"},   {"--date", "dtpInputDate"},
    {"--name", "txtProject"},  {"--notes", "txtNotes"}};

// A caption as a listing line block: ended by CR LF unless empty.
QString Ended(const QString& caption)
{
    return caption.isEmpty() || caption.endsWith("\r\n") ? caption : caption + "\r\n";
}

}  // namespace

class TestCliOutputs : public QObject {
    Q_OBJECT

    FakePlatform m_fake;
    QTemporaryDir m_dir;
    QPointer<QWidget> m_window;

    // The window the main menu opens on that screen, the options typed in, calculated.
    QWidget* Calculate(const QString& analysis, const QStringList& options)
    {
        const int at = options.indexOf("--screen");
        m_fake.screen = at < 0 ? QSize(1024, 768)
                               : QSize(options[at + 1].section('x', 0, 0).toInt(), options[at + 1].section('x', 1).toInt());
        const bool compact = ChooseLayout(m_fake.screen) == Layout::Compact;
        QWidget* w = analysis == "fib" ? (compact ? static_cast<QWidget*>(new frmFibonacci86) : new frmFibonacci)
                                       : (compact ? static_cast<QWidget*>(new frmGann86) : new frmGann);
        m_window = w;
        for (int i = 0; i + 1 < options.size(); i += 2) {
            const QString control = Controls.value(options[i]);
            if (auto* picker = w->findChild<DatePicker*>(control))
                picker->setValue(*ParseFileDate(options[i + 1]));
            else if (auto* box = w->findChild<TextBox*>(control))
                box->setText(options[i + 1]);
            else if (auto* notes = w->findChild<MultiLineTextBox*>(control))
                notes->setText(options[i + 1]);
        }
        w->findChild<QPushButton*>("cmdCalculate")->click();
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setPlatform(&m_fake);
        SetCurrentRatios(DefaultRatios);
    }
    void init()
    {
        m_fake = FakePlatform();
        m_fake.dir = m_dir.path();
    }
    void cleanup()
    {
        delete m_window;
        QVERIFY2(m_fake.unexpected.isEmpty(), qPrintable(m_fake.unexpected.join("; ")));
    }

    void sameAsWindow_data()
    {
        QTest::addColumn<QString>("analysis");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("chart");
        const QStringList fib{"--price1", "100", "--price2", "150", "--date1", "1/1/2004", "--date2", "3/1/2004"};
        QTest::newRow("fib prices and dates") << "fib" << fib << true;
        QTest::newRow("fib compact, named, two lines of notes")
            << "fib" << fib + QStringList{"--screen", "800x600", "--name", "Gold, weekly", "--notes", "first\nsecond"}
            << false;
        QTest::newRow("fib compact, prices only")
            << "fib" << QStringList{"--price1", "100", "--price2", "125", "--screen", "800x600"} << true;
        QTest::newRow("fib second picker left at today counts")
            << "fib" << QStringList{"--price1", "10", "--price2", "20", "--date1", "5/31/2024"} << false;
        QTest::newRow("gann price, picker at today") << "gann" << QStringList{"--price", "100"} << false;
        QTest::newRow("gann full square with wheel dates")
            << "gann" << QStringList{"--price", "100", "--date", "1/15/2024"} << true;
        QTest::newRow("gann compact band chart, named")
            << "gann"
            << QStringList{"--price", "1000", "--screen", "800x600", "--name", "  Crude, front", "--notes", "watch 45"}
            << true;
    }
    void sameAsWindow()
    {
        QFETCH(QString, analysis);
        QFETCH(QStringList, options);
        QFETCH(bool, chart);
        QWidget* w = Calculate(analysis, options);
        QCOMPARE(m_fake.messageTexts(), QStringList());
        QStringList args = QStringList{analysis, "--today", "6/1/2024"} + options;
        if (analysis == "fib")
            args << "--ratios" << "0.382,0.5,0.618";

        const CliResult listing = RunCliProgram(args + QStringList{"--format", "listing"});
        QCOMPARE(listing.errText(), QString());
        QCOMPARE(listing.outText(), Ended(w->findChild<QLabel*>("lblPrices")->text()) + "=====\r\n"
                                        + Ended(w->findChild<QLabel*>("lblDates")->text()));

        const QString exported = m_dir.filePath("export.txt");
        const QString bmp = m_dir.filePath("chart.bmp");
        QFile::remove(exported);
        QFile::remove(bmp);
        m_fake.saveAnswers.enqueue(exported);
        w->findChild<QPushButton*>("cmdExport")->click();
        const CliResult report = RunCliProgram(chart ? args + QStringList{"--chart", bmp} : args);
        QCOMPARE(report.status, 0);
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(report.out, file.readAll());
        if (!chart)
            return;

        // The Fibonacci block begins in the chart's right margin, so the chart is compared
        // up to the end of its time axis; the Gann block lies wholly in the added strip.
        const PictureBox* box = w->findChild<PictureBox*>(analysis == "fib" ? "pbFibonacci" : "pbGann");
        const QImage window = box->surface().picture().convertToFormat(QImage::Format_RGB32);
        const QImage saved = QImage(bmp).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(saved.size(), QSize(qRound((box->widthTwips() + (analysis == "fib" ? 2500 : 3500)) / 15.0),
                                     window.height()));
        const int chartWidth = analysis == "fib" ? qRound((box->widthTwips() - 1000) / 15.0) : window.width();
        QCOMPARE(saved.copy(0, 0, chartWidth, window.height()), window.copy(0, 0, chartWidth, window.height()));
        bool written = false;
        for (int y = 0; y < saved.height() && !written; ++y)
            for (int x = window.width(); x < saved.width() && !written; ++x)
                written = saved.pixel(x, y) != qRgb(255, 255, 255);
        QVERIFY2(written, "the text block is missing from the strip");
    }
};

QTEST_MAIN(TestCliOutputs)
#include "test_cli_outputs.moc"
