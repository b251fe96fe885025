// The worked examples, each run twice: once in the real window (driven through its
// controls on a scripted platform, as a trader would click), once through the
// tessaray-cli program. The listings must match the examples, and everything the
// tool prints or saves must be byte for byte what the window shows or exports.
#include "clirunner.h"
#include "fakeplatform.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "platform/picturebox.h"
#include "platform/widgets.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

const QDate Today(2024, 6, 1);

// One calculation as typed into a window. A null text or date is a control left as
// the window shows it (an empty price box, a picker at today, the placeholders).
struct Inputs {
    QString analysis;   // "fib" or "gann"
    QSize screen;
    QString price1, price2, price;
    QDate date1, date2, date;
    QString name, notes;
};

}  // namespace

Q_DECLARE_METATYPE(Inputs)

namespace {

Inputs Fib(const QString& p1, const QString& p2, const QDate& d1, const QDate& d2,
           QSize screen = QSize(1024, 768))
{
    Inputs in;
    in.analysis = QStringLiteral("fib");
    in.screen = screen;
    in.price1 = p1;
    in.price2 = p2;
    in.date1 = d1;
    in.date2 = d2;
    return in;
}

Inputs Gann(const QString& price, const QDate& date, QSize screen = QSize(1024, 768))
{
    Inputs in;
    in.analysis = QStringLiteral("gann");
    in.screen = screen;
    in.price = price;
    in.date = date;
    return in;
}

Inputs Named(Inputs in, const QString& name, const QString& notes)
{
    in.name = name;
    in.notes = notes;
    return in;
}

QStringList ArgsFor(const Inputs& in, const QString& format)
{
    QStringList a{in.analysis, QStringLiteral("--today"), FormatShortDate(Today), QStringLiteral("--screen"),
                  QStringLiteral("%1x%2").arg(in.screen.width()).arg(in.screen.height())};
    if (in.analysis == QLatin1String("fib"))
        a << QStringLiteral("--ratios") << QStringLiteral("0.382,0.5,0.618");
    const auto text = [&a](const char* option, const QString& value) {
        if (!value.isNull()) a << QLatin1String(option) << value;
    };
    const auto date = [&a](const char* option, const QDate& value) {
        if (value.isValid()) a << QLatin1String(option) << FormatShortDate(value);
    };
    text("--price1", in.price1);
    text("--price2", in.price2);
    text("--price", in.price);
    date("--date1", in.date1);
    date("--date2", in.date2);
    date("--date", in.date);
    text("--name", in.name);
    text("--notes", in.notes);
    if (!format.isEmpty())
        a << QStringLiteral("--format") << format;
    return a;
}

QString Lines(const QStringList& lines, const QString& after = QString())
{
    return lines.join(QStringLiteral("\r\n")) + after;
}

const QString GannDatesHeader = QStringLiteral("Angle  Date\r\n-----  ----\r\n");

}  // namespace

class TestCliOutputs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowShowsWorkedExample_data() { WorkedExamples(); }
    void windowShowsWorkedExample();
    void listingEqualsWindow_data() { WorkedExamples(); }
    void listingEqualsWindow();
    void reportEqualsWindowExport_data() { WorkedExamples(); }
    void reportEqualsWindowExport();
    void chartEqualsWindowChart_data();
    void chartEqualsWindowChart();

private:
    void WorkedExamples();
    QWidget* Calculate(const Inputs& in);
    QString WindowListing(QWidget* window) const;
    QByteArray WindowExport(QWidget* window);

    FakePlatform m_fake;
    QTemporaryDir m_dir;
    QPointer<QWidget> m_window;
};

void TestCliOutputs::WorkedExamples()
{
    QTest::addColumn<Inputs>("inputs");
    QTest::addColumn<QString>("prices");   // lblPrices as the worked example shows it
    QTest::addColumn<QString>("dates");    // lblDates

    const QString fibPrices = Lines({"Fib Ratio   Price", "---------   -----", "0.382       130.90",
                                     "0.5         125.00", "0.618       119.10"});
    const QString fibDates = Lines({"Fib Ratio   Date", "---------   ----", "0.382       03/23/2004",
                                    "0.5         03/31/2004", "0.618       04/07/2004"});
    QTest::newRow("fib prices and dates")
        << Fib("100", "150", QDate(2004, 1, 1), QDate(2004, 3, 1)) << fibPrices << fibDates;
    QTest::newRow("fib compact, named, two lines of notes")
        << Named(Fib("100", "150", QDate(2004, 1, 1), QDate(2004, 3, 1), QSize(800, 600)), "Gold, weekly",
                 "first line\nsecond line")
        << fibPrices << fibDates;
    QTest::newRow("fib prices only, falling")
        << Fib("150", "100", {}, {})
        << Lines({"Fib Ratio   Price", "---------   -----", "0.382       119.10", "0.5         125.00",
                  "0.618       130.90"})
        << QString();
    QTest::newRow("fib dates only, day axis")
        << Fib({}, {}, QDate(2004, 1, 1), QDate(2004, 1, 21)) << QString()
        << Lines({"Fib Ratio   Date", "---------   ----", "0.382       01/28/2004", "0.5         01/31/2004",
                  "0.618       02/02/2004"});
    QTest::newRow("fib second picker left at today counts")
        << Fib("10", "20", Today.addDays(-1), {})
        << Lines({"Fib Ratio   Price", "---------   -----", "0.382       16.18", "0.5         15.00",
                  "0.618       13.82"})
        << Lines({"Fib Ratio   Date", "---------   ----", "0.382       06/01/2024", "0.5         06/01/2024",
                  "0.618       06/01/2024"});

    const QString gann100 = Lines({"Angle  High   Low", "-----  ----   ---", "45     105    95", "90     110    90",
                                   "135    115    85", "180    120    80", "225    126    77", "270    132    72",
                                   "315    138    69", "360    144    64"},
                                  "\r\n");
    QTest::newRow("gann 100, picker at today, large") << Gann("100", {}) << gann100 << GannDatesHeader;
    QTest::newRow("gann 100, picker at today, compact")
        << Gann("100", {}, QSize(800, 600)) << gann100 << GannDatesHeader;
    QTest::newRow("gann 625 compact, highs end on the square's last number")
        << Gann("625", {}, QSize(800, 600))
        << Lines({"Angle  High   Low", "-----  ----   ---", "45     638    613", "90     651    601",
                  "135    664    589", "180    677    577", "225    690    565", "270    703    553",
                  "315    716    541", "360    729    529"},
                 "\r\n")
        << GannDatesHeader;
    QTest::newRow("gann 2, no lows")
        << Gann("2", {})
        << Lines({"Angle  High   Low", "-----  ----   ---", "45     3      ", "90     4      ", "135    5      ",
                  "180    6      ", "225    7      ", "270    8      ", "315    9      ", "360    11     "},
                 "\r\n")
        << GannDatesHeader;
    QTest::newRow("gann 1000 compact, band chart")
        << Named(Gann("1000", {}, QSize(800, 600)), "  Crude, front month", "watch the 45")
        << Lines({"Angle  High   Low", "-----  ----   ---", "45     1013   981", "90     1032   968",
                  "135    1045   950", "180    1064   938", "225    1077   920", "270    1096   908",
                  "315    1111   890", "360    1130   878"},
                 "\r\n")
        << GannDatesHeader;
    QTest::newRow("gann date only 1/15/2024")
        << Gann({}, QDate(2024, 1, 15)) << Lines({"Angle  High   Low", "-----  ----   ---"}, "\r\n")
        << GannDatesHeader
               + Lines({"45     02/29/2024", "90     04/15/2024", "135    05/31/2024", "180    07/16/2024",
                        "225    09/01/2024", "270    10/17/2024", "315    11/30/2024", "360    01/14/2025"},
                       "\r\n");
    QTest::newRow("gann seasonal date 6/21/2024 with price 100")
        << Gann("100", QDate(2024, 6, 21)) << gann100
        << GannDatesHeader
               + Lines({"45     08/07/2024", "90     09/23/2024", "135    11/06/2024", "180    12/21/2024",
                        "225    02/04/2025", "270    03/21/2025", "315    05/06/2025", "360    06/21/2025"},
                       "\r\n");
}

void TestCliOutputs::initTestCase()
{
    QVERIFY(m_dir.isValid());
    setPlatform(&m_fake);
    SetCurrentRatios(DefaultRatios);
}

void TestCliOutputs::init()
{
    m_fake = FakePlatform();
    m_fake.todayDate = Today;
    m_fake.dir = m_dir.path();
}

void TestCliOutputs::cleanup()
{
    delete m_window;
    QVERIFY2(m_fake.unexpected.isEmpty(), qPrintable(m_fake.unexpected.join("; ")));
}

// Opens the window the main menu would open on that screen, types the inputs and
// presses Calculate.
QWidget* TestCliOutputs::Calculate(const Inputs& in)
{
    m_fake.screen = in.screen;
    const bool compact = ChooseLayout(in.screen) == Layout::Compact;
    if (in.analysis == QLatin1String("fib")) {
        FibonacciWindow* w = compact ? static_cast<FibonacciWindow*>(new frmFibonacci86)
                                     : static_cast<FibonacciWindow*>(new frmFibonacci);
        m_window = w;
        w->txtPrice1->setText(in.price1);
        w->txtPrice2->setText(in.price2);
        if (in.date1.isValid()) w->dtpDate1->setValue(in.date1);
        if (in.date2.isValid()) w->dtpDate2->setValue(in.date2);
        if (!in.name.isNull()) w->txtProject->setText(in.name);
        if (!in.notes.isNull()) w->txtNotes->setText(in.notes);
        w->cmdCalculate->click();
        return w;
    }
    GannWindow* w = compact ? static_cast<GannWindow*>(new frmGann86) : static_cast<GannWindow*>(new frmGann);
    m_window = w;
    w->txtPrice->setText(in.price);
    if (in.date.isValid()) w->dtpInputDate->setValue(in.date);
    if (!in.name.isNull()) w->txtProject->setText(in.name);
    if (!in.notes.isNull()) w->txtNotes->setText(in.notes);
    w->cmdCalculate->click();
    return w;
}

QString TestCliOutputs::WindowListing(QWidget* window) const
{
    const auto* prices = window->findChild<QLabel*>(QStringLiteral("lblPrices"));
    const auto* dates = window->findChild<QLabel*>(QStringLiteral("lblDates"));
    return prices->text() + QLatin1String("|") + dates->text();
}

// Export Results, with the save dialog answered by a file in the test's directory.
QByteArray TestCliOutputs::WindowExport(QWidget* window)
{
    const QString path = m_dir.filePath(QStringLiteral("export.txt"));
    QFile::remove(path);
    m_fake.saveAnswers.enqueue(path);
    window->findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
    return ReadFile(path);
}

void TestCliOutputs::windowShowsWorkedExample()
{
    QFETCH(Inputs, inputs);
    QFETCH(QString, prices);
    QFETCH(QString, dates);
    QWidget* w = Calculate(inputs);
    QCOMPARE(m_fake.messageTexts(), QStringList());
    QCOMPARE(WindowListing(w), prices + QLatin1String("|") + dates);
}

void TestCliOutputs::listingEqualsWindow()
{
    QFETCH(Inputs, inputs);
    QWidget* w = Calculate(inputs);
    const auto* prices = w->findChild<QLabel*>(QStringLiteral("lblPrices"));
    const auto* dates = w->findChild<QLabel*>(QStringLiteral("lblDates"));

    const CliResult r = RunCliProgram(ArgsFor(inputs, QStringLiteral("listing")));
    QCOMPARE(r.errText(), QString());
    QCOMPARE(r.status, 0);
    // The captions, each ended by a line end, with the rule line between them.
    QString expected = prices->text();
    if (!expected.isEmpty() && !expected.endsWith(QLatin1String("\r\n"))) expected += QLatin1String("\r\n");
    expected += QLatin1String("=====\r\n") + dates->text();
    if (!dates->text().isEmpty() && !expected.endsWith(QLatin1String("\r\n"))) expected += QLatin1String("\r\n");
    QCOMPARE(r.outText(), expected);
}

void TestCliOutputs::reportEqualsWindowExport()
{
    QFETCH(Inputs, inputs);
    QWidget* w = Calculate(inputs);
    const QByteArray exported = WindowExport(w);
    QVERIFY(!exported.isEmpty());

    const CliResult r = RunCliProgram(ArgsFor(inputs, QString()));   // report is the default
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, exported);
}

void TestCliOutputs::chartEqualsWindowChart_data()
{
    QTest::addColumn<Inputs>("inputs");
    QTest::addColumn<int>("extraTwips");   // the strip Print Image adds for the text block
    QTest::newRow("fib large") << Fib("100", "150", QDate(2004, 1, 1), QDate(2004, 3, 1)) << 2500;
    QTest::newRow("fib compact, prices only") << Fib("100", "125", {}, {}, QSize(800, 600)) << 2500;
    QTest::newRow("gann full square with wheel dates") << Gann("100", QDate(2024, 1, 15)) << 3500;
    QTest::newRow("gann band chart, compact") << Gann("1000", {}, QSize(800, 600)) << 3500;
}

// The bitmap is the window's chart box widened by the text strip: the chart part is
// pixel for pixel what the window shows, and the strip carries the text block.
void TestCliOutputs::chartEqualsWindowChart()
{
    QFETCH(Inputs, inputs);
    QFETCH(int, extraTwips);
    QWidget* w = Calculate(inputs);
    const PictureBox* box = w->findChild<PictureBox*>(
        inputs.analysis == QLatin1String("fib") ? QStringLiteral("pbFibonacci") : QStringLiteral("pbGann"));
    QVERIFY(box);
    const QImage chart = box->surface().picture().convertToFormat(QImage::Format_RGB32);

    const QString path = m_dir.filePath(QStringLiteral("chart.bmp"));
    QFile::remove(path);
    const CliResult r = RunCliProgram(ArgsFor(inputs, QString()) << QStringLiteral("--chart") << path);
    QCOMPARE(r.errText(), QString());
    QCOMPARE(r.status, 0);
    const QImage saved = QImage(path).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!saved.isNull());
    QCOMPARE(saved.height(), chart.height());
    QCOMPARE(saved.width(), qRound((box->widthTwips() + extraTwips) / 15.0));

    // The Fibonacci block begins in the chart's right margin, so compare the chart up
    // to the end of its time axis there; the Gann block lies wholly in the strip.
    const int chartWidth = inputs.analysis == QLatin1String("fib") ? qRound((box->widthTwips() - 1000) / 15.0)
                                                                    : chart.width();
    QCOMPARE(saved.copy(0, 0, chartWidth, chart.height()), chart.copy(0, 0, chartWidth, chart.height()));

    const QImage strip = saved.copy(chart.width(), 0, saved.width() - chart.width(), saved.height());
    bool written = false;
    for (int y = 0; y < strip.height() && !written; ++y)
        for (int x = 0; x < strip.width() && !written; ++x)
            written = strip.pixel(x, y) != qRgb(255, 255, 255);
    QVERIFY2(written, "the text block is missing from the strip");
}

QTEST_MAIN(TestCliOutputs)
#include "test_cli_outputs.moc"
