// --format json: one valid JSON object, the window's state names as keys in the window's
// order, every double reading back to the very double the calculation holds, null for
// what the calculation did not set.
#include "app/cli/jsonout.h"
#include "clirunner.h"
#include "forms/gann/ganncalc.h"
#include "modules/dates.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
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
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    if (r.status != 0 || error.error != QJsonParseError::NoError)
        qWarning("status %d, %s: %s", r.status, r.err.constData(), qPrintable(error.errorString()));
    return doc.object();
}

// Null, or an array of nulls only.
bool IsNull(const QJsonValue& v)
{
    const QJsonArray a = v.toArray();
    return v.isNull() || (v.isArray() && std::all_of(a.begin(), a.end(), [](const QJsonValue& e) { return e.isNull(); }));
}

}  // namespace

class TestCliJson : public QObject {
    Q_OBJECT
private slots:
    void numbersReadBackExactly_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("sum that is not 0.3") << 0.1 + 0.2;
        QTest::newRow("largest double") << DBL_MAX;
        QTest::newRow("smallest subnormal") << 5e-324;
        QTest::newRow("negative large exponent") << -1.2345678901234567e-300;
    }
    void numbersReadBackExactly()
    {
        QFETCH(double, value);
        const QByteArray text = JsonNumber(value);
        char* end = nullptr;
        QVERIFY2(SameBits(std::strtod(text.constData(), &end), value), text.constData());
        QCOMPARE(end, text.constData() + text.size());
        QJsonParseError error;
        QJsonDocument::fromJson("[" + text + "]", &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
    }

    void stringsReadBack()
    {
        const QString text = QStringLiteral("say \"buy\" \\ now\r\n\tZürich €") + QChar(0x01);
        QJsonParseError error;
        const QJsonArray a = QJsonDocument::fromJson("[" + JsonString(text) + "]", &error).array();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(a.at(0).toString(), text);
        QCOMPARE(JsonNumber(std::nan("")), QByteArray("null"));
    }

    // nulls: the keys that hold null, or an array of nulls only.
    void keysAndNulls_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("nulls");
        const QString r = "--ratios", classic = "0.382,0.5,0.618";
        const QStringList noPrices{"Price1", "Price2", "PotentialPrice", "ChartMinPrice", "ChartMaxPrice",
                                   "PriceStep", "PriceSteps"};
        QTest::newRow("fib prices only")
            << QStringList{"fib", "--price1", "10.37", "--price2", "97.123", r, classic}
            << QStringList{"Date1", "Date2", "PotentialDate", "DateAxisMode", "ChartStartDate", "ChartEndDate",
                           "MonthStep", "MonthSteps", "DayStep", "DaySteps"};
        QTest::newRow("fib dates on a month axis")
            << QStringList{"fib", "--date1", "1/1/2004", "--date2", "3/1/2004", r, classic}
            << noPrices + QStringList{"DayStep", "DaySteps"};
        QTest::newRow("fib dates on a day axis")
            << QStringList{"fib", "--date1", "1/1/2004", "--date2", "1/21/2004", r, classic}
            << noPrices + QStringList{"MonthStep", "MonthSteps"};
        QTest::newRow("gann full square, price and date")
            << QStringList{"gann", "--price", "100", "--date", "1/15/2024"} << QStringList{"BandCells"};
        QTest::newRow("gann band chart, price only")
            << QStringList{"gann", "--price", "1000", "--layout", "compact"} << QStringList{"GannDate", "AngleDate"};
        QTest::newRow("gann date only")
            << QStringList{"gann", "--date", "12/20/2023"}
            << QStringList{"GannPrice", "HighTargetAngle", "LowTargetAngle", "PotentialHigh", "PotentialLow",
                           "BandCells"};
    }
    void keysAndNulls()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, nulls);
        const QByteArray text = RunCliProgram(args + QStringList{"--today", "6/1/2024", "--format", "json"}).out;
        const QJsonObject o = QJsonDocument::fromJson(text).object();
        const QStringList keys = args[0] == "fib"
            ? QStringList{"Price1", "Price2", "Date1", "Date2", "PotentialPrice", "PotentialDate", "ChartMinPrice",
                          "ChartMaxPrice", "PriceStep", "PriceSteps", "DateAxisMode", "ChartStartDate",
                          "ChartEndDate", "MonthStep", "MonthSteps", "DayStep", "DaySteps", "lblPrices",
                          "lblDates", "report"}
            : QStringList{"GannPrice", "GannDate", "GridCenter", "GridSize", "ChartRadius", "PriceAngle",
                          "HighTargetAngle", "LowTargetAngle", "PotentialHigh", "PotentialLow", "AngleDate",
                          "ChartKind", "BandCells", "lblPrices", "lblDates", "report"};
        QCOMPARE(o.size(), keys.size());
        qsizetype from = 0;
        for (const QString& key : keys) {
            from = text.indexOf("\"" + key.toUtf8() + "\":", from);
            QVERIFY2(from > 0, qPrintable(key + " missing or out of order"));
            QVERIFY2(IsNull(o.value(key)) == nulls.contains(key), qPrintable(key));
        }
        if (args[0] == "fib")
            return;
        // The band chart shows every projected high and low.
        const QJsonObject cells = o.value("BandCells").toObject();
        QCOMPARE(o.value("ChartKind").toString(), cells.isEmpty() ? QString("full") : QString("band"));
        for (const char* key : {"PotentialHigh", "PotentialLow"})
            for (const QJsonValue& n : o.value(key).toArray())
                QVERIFY(cells.isEmpty() || cells.contains(QString::number(n.toInt())));
    }

    // What the window's state holds, to the last bit.
    void gannValuesAreTheCalculation()
    {
        const QDate date(2024, 1, 15);
        const QJsonObject o = RunJson({"gann", "--price", "100", "--date", "1/15/2024"});
        auto s = std::make_unique<GannState>();
        LoadGannState(*s, Layout::Large, Today, ChartHalfForHeight(768 * 15));
        QCOMPARE(CalculateGann(*s, "100", date, Today, Layout::Large), GannVerdict::Calculated);
        QVERIFY(SameBits(o.value("PriceAngle").toDouble(), s->PriceAngle));
        for (int k = 1; k <= 8; ++k) {
            QCOMPARE(o.value("PotentialHigh")[k - 1].toInt(), int(s->PotentialHigh[k]));
            QCOMPARE(o.value("PotentialLow")[k - 1].toInt(), int(s->PotentialLow[k]));
            QVERIFY(SameBits(o.value("HighTargetAngle")[k - 1].toDouble(), s->HighTargetAngle[k]));
            QVERIFY(SameBits(o.value("LowTargetAngle")[k - 1].toDouble(), s->LowTargetAngle[k]));
            QCOMPARE(o.value("AngleDate")[k - 1].toString(), FormatMmDdYyyy(s->AngleDate[k]));
        }
    }
};

QTEST_MAIN(TestCliJson)
#include "test_cli_json.moc"
