// --format json: one valid JSON object with the window's state names as keys, every
// double written so that it reads back to the same double, null for what the
// calculation did not set.
#include "app/cli/jsonout.h"
#include "clirunner.h"
#include "forms/fibonacci/fibonaccicore.h"
#include "forms/gann/ganncalc.h"
#include "modules/dates.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const QDate Today(2024, 6, 1);

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

QJsonObject RunJson(const QStringList& args)
{
    const CliResult r = RunCliProgram(args + QStringList{"--today", "6/1/2024", "--format", "json"});
    if (r.status != 0) {
        qWarning("tessaray-cli failed: %s", r.err.constData());
        return {};
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        qWarning("not a JSON object: %s", qPrintable(error.errorString()));
        return {};
    }
    return doc.object();
}

}  // namespace

class TestCliJson : public QObject {
    Q_OBJECT
private slots:
    void numbersReadBackExactly_data();
    void numbersReadBackExactly();
    void stringsReadBack_data();
    void stringsReadBack();
    void fibonacciKeysInOrder();
    void fibonacciDoublesAreTheCalculation();
    void fibonacciPricesOnlyLeavesTimeScaleNull();
    void gannKeysAndValues_data();
    void gannKeysAndValues();
};

void TestCliJson::numbersReadBackExactly_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("sum that is not 0.3") << 0.1 + 0.2;
    QTest::newRow("potential price") << 150 - 50 * 0.382;
    QTest::newRow("price angle") << std::atan(1.25) + 3.1415;
    QTest::newRow("largest double") << DBL_MAX;
    QTest::newRow("smallest subnormal") << 5e-324;
    QTest::newRow("negative large exponent") << -1.2345678901234567e-300;
}

void TestCliJson::numbersReadBackExactly()
{
    QFETCH(double, value);
    const QByteArray text = JsonNumber(value);
    char* end = nullptr;
    const double back = std::strtod(text.constData(), &end);
    QCOMPARE(end, text.constData() + text.size());
    QVERIFY2(SameBits(back, value), text.constData());
    // Valid JSON on its own as well.
    QCOMPARE(QJsonDocument::fromJson("[" + text + "]").array().at(0).toDouble(), value);
}

void TestCliJson::stringsReadBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("listing with CR LF") << QStringLiteral("Angle  High\r\n-----\r\n");
    QTest::newRow("quotes and backslash") << QStringLiteral("say \"buy\" \\ or not");
    QTest::newRow("tab and control character") << QStringLiteral("a\tb") + QChar(0x01);
    QTest::newRow("non-ASCII name") << QStringLiteral("Zürich Société €");
}

void TestCliJson::stringsReadBack()
{
    QFETCH(QString, text);
    const QByteArray doc = "[" + JsonString(text) + "]";
    QJsonParseError error;
    const QJsonArray a = QJsonDocument::fromJson(doc, &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(a.at(0).toString(), text);
    QVERIFY(JsonNumber(std::nan("")) == "null");
}

void TestCliJson::fibonacciKeysInOrder()
{
    const CliResult r = RunCliProgram({"fib", "--price1", "100", "--price2", "150", "--date1", "1/1/2004",
                                       "--date2", "3/1/2004", "--ratios", "0.382,0.5,0.618", "--format", "json"});
    QCOMPARE(r.status, 0);
    // The keys as the document lists them, in the window's order.
    QStringList keys;
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    int from = 0;
    for (const QString& key : {"Price1", "Price2", "Date1", "Date2", "PotentialPrice", "PotentialDate",
                               "ChartMinPrice", "ChartMaxPrice", "PriceStep", "PriceSteps", "DateAxisMode",
                               "ChartStartDate", "ChartEndDate", "MonthStep", "MonthSteps", "DayStep",
                               "DaySteps", "lblPrices", "lblDates", "report"}) {
        const int at = r.out.indexOf("\"" + key.toUtf8() + "\":", from);
        QVERIFY2(at >= from, qPrintable(key + " missing or out of order"));
        from = at;
        keys << key;
    }
    QCOMPARE(o.size(), keys.size());
    QCOMPARE(o.value("ChartStartDate").toString(), QString("12/01/2003"));
    QCOMPARE(o.value("DateAxisMode").toString(), QString("M"));
    QCOMPARE(o.value("MonthSteps").toInt(), 5);
    QVERIFY(o.value("DayStep").isNull());
    QVERIFY(o.value("report").toString().startsWith("Fibonacci Analysis\r\n"));
}

// Awkward ratios give doubles with long expansions; the JSON must carry the very
// values the calculation holds.
void TestCliJson::fibonacciDoublesAreTheCalculation()
{
    const FibRatios ratios{0.123456789, 0.3333333333, 1.6180339887};
    const QJsonObject o = RunJson({"fib", "--price1", "10.37", "--price2", "97.123", "--ratios",
                                   "0.123456789,0.3333333333,1.6180339887"});
    FibonacciState s;
    FibonacciInputs in{"10.37", "97.123", Today, Today, "Project Name", "Notes"};
    QVERIFY(!ValidateInputs(in, Today, s));
    Calculate(s, ratios);

    const QJsonArray prices = o.value("PotentialPrice").toArray();
    QCOMPARE(prices.size(), 3);
    for (int i = 1; i <= 3; ++i)
        QVERIFY2(SameBits(prices.at(i - 1).toDouble(), s.PotentialPrice[i]), qPrintable(QString::number(i)));
    QVERIFY(SameBits(o.value("Price1").toDouble(), 10.37));
    QVERIFY(SameBits(o.value("ChartMaxPrice").toDouble(), s.ChartMaxPrice));
    QVERIFY(SameBits(o.value("ChartMinPrice").toDouble(), s.ChartMinPrice));
    QVERIFY(SameBits(o.value("PriceStep").toDouble(), s.PriceStep));
}

void TestCliJson::fibonacciPricesOnlyLeavesTimeScaleNull()
{
    const QJsonObject o = RunJson({"fib", "--price1", "100", "--price2", "150", "--ratios", "0.382,0.5,0.618"});
    QVERIFY(!o.isEmpty());
    for (const char* key : {"Date1", "Date2", "DateAxisMode", "ChartStartDate", "ChartEndDate", "MonthStep",
                            "MonthSteps", "DayStep", "DaySteps"})
        QVERIFY2(o.value(key).isNull(), key);
    QCOMPARE(o.value("PotentialDate").toArray(), QJsonArray({QJsonValue(), QJsonValue(), QJsonValue()}));
    QCOMPARE(o.value("lblDates").toString(), QString());
    QCOMPARE(o.value("PriceSteps").toInt(), 7);
}

void TestCliJson::gannKeysAndValues_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("kind");
    QTest::newRow("full square, price and date")
        << QStringList{"gann", "--price", "100", "--date", "1/15/2024"} << "large" << "full";
    QTest::newRow("band chart, price only")
        << QStringList{"gann", "--price", "1000", "--layout", "compact"} << "compact" << "band";
    QTest::newRow("date only") << QStringList{"gann", "--date", "12/20/2023"} << "large" << "full";
}

void TestCliJson::gannKeysAndValues()
{
    QFETCH(QStringList, args);
    QFETCH(QString, layout);
    QFETCH(QString, kind);
    const QJsonObject o = RunJson(args);
    const QStringList expectedKeys{"GannPrice", "GannDate", "GridCenter", "GridSize", "ChartRadius",
                                   "PriceAngle", "HighTargetAngle", "LowTargetAngle", "PotentialHigh",
                                   "PotentialLow", "AngleDate", "ChartKind", "BandCells", "lblPrices",
                                   "lblDates", "report"};
    QStringList keys = o.keys();
    keys.sort();
    QStringList sorted = expectedKeys;
    sorted.sort();
    QCOMPARE(keys, sorted);
    QCOMPARE(o.value("ChartKind").toString(), kind);

    // The same calculation in the core, as the window makes it.
    const Layout l = layout == "compact" ? Layout::Compact : Layout::Large;
    const int priceAt = args.indexOf("--price");
    const int dateAt = args.indexOf("--date");
    const QString price = priceAt > 0 ? args[priceAt + 1] : QString();
    const QDate date = dateAt > 0 ? *ParseFileDate(args[dateAt + 1]) : Today;
    auto s = std::make_unique<GannState>();
    LoadGannState(*s, l, Today, ChartHalfForHeight(768 * 15));
    QCOMPARE(CalculateGann(*s, price, date, Today, l), GannVerdict::Calculated);

    QCOMPARE(o.value("GridCenter").toInt(), int(s->GridCenter));
    QCOMPARE(o.value("ChartRadius").toInt(), int(s->ChartRadius));
    QVERIFY(SameBits(o.value("PriceAngle").toDouble(), s->PriceAngle));
    const QJsonArray highs = o.value("PotentialHigh").toArray();
    const QJsonArray targets = o.value("HighTargetAngle").toArray();
    const QJsonArray dates = o.value("AngleDate").toArray();
    QCOMPARE(highs.size(), 8);
    for (int k = 1; k <= 8; ++k) {
        if (s->GannPrice > 0) {
            QCOMPARE(highs.at(k - 1).toInt(), int(s->PotentialHigh[k]));
            QVERIFY(SameBits(targets.at(k - 1).toDouble(), s->HighTargetAngle[k]));
        } else {
            QVERIFY(highs.at(k - 1).isNull());
            QVERIFY(targets.at(k - 1).isNull());
        }
        if (date != Today)
            QCOMPARE(dates.at(k - 1).toString(), FormatMmDdYyyy(s->AngleDate[k]));
        else
            QVERIFY(dates.at(k - 1).isNull());
    }
    if (kind == "band") {
        // Where the band chart draws the price and the lowest low of this example.
        const QJsonObject cells = o.value("BandCells").toObject();
        QCOMPARE(cells.size(), 51);
        QCOMPARE(cells.value("1000").toArray(), QJsonArray({6, 1}));
        QCOMPARE(cells.value("878").toArray(), QJsonArray({7, 2}));
        QCOMPARE(cells.value("1130").toArray(), QJsonArray({6, 0}));
    } else {
        QVERIFY(o.value("BandCells").isNull());
    }
}

QTEST_MAIN(TestCliJson)
#include "test_cli_json.moc"
