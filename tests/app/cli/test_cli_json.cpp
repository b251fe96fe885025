// --format json: one valid JSON object, the window's state names as keys in the window's
// order, every double reading back to the very double the calculation holds, null for
// what the calculation did not set.
#include "app/cli/jsonout.h"
#include "clirunner.h"
#include "core/gann/ganncalc.h"

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

QByteArray RunJson(const QStringList& args) {
    return RunCliProgram(args + QStringList{"--today", "6/1/2024", "--format", "json"}).out;
}

// Null, or an array of nulls only.
bool IsNull(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    return v.isNull() || (v.isArray() && std::all_of(a.begin(), a.end(), [](const QJsonValue& e) { return e.isNull(); }));
}

}  // namespace

class TestCliJson : public QObject {
    Q_OBJECT
private slots:
    // Every double reads back to the very same bits; every text survives its escapes.
    void valuesReadBack() {
        QByteArray array = "[";
        for (double value : {0.1 + 0.2, DBL_MAX, 5e-324, -1.2345678901234567e-300}) {
            const QByteArray text = JsonNumber(value);
            char* end = nullptr;
            QVERIFY2(SameBits(std::strtod(text.constData(), &end), value), text.constData());
            QCOMPARE(end, text.constData() + text.size());
            array += text + ",";
        }
        QCOMPARE(JsonNumber(std::nan("")), QByteArray("null"));
        const QString text = QStringLiteral("say \"buy\" \\ now\r\n\tZürich €") + QChar(0x01);
        QJsonParseError error;
        const QJsonArray a = QJsonDocument::fromJson(array + JsonString(text) + "]", &error).array();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(a.at(4).toString(), text);
    }

    // nulls: the keys that hold null, or an array of nulls only.
    void keysAndNulls_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("nulls");
        const QString r = "--ratios", classic = "0.382,0.5,0.618";
        QTest::newRow("fib prices only")
            << QStringList{"fib", "--price1", "10.37", "--price2", "97.123", r, classic}
            << QStringList{"Date1", "Date2", "PotentialDate", "DateAxisMode", "ChartStartDate", "ChartEndDate",
                           "MonthStep", "MonthSteps", "DayStep", "DaySteps"};
        // Dates before 1900 are real dates; only the null date itself is "none".
        QTest::newRow("fib dates of 1899 on a day axis")
            << QStringList{"fib", "--date1", "1/1/1899", "--date2", "1/21/1899", r, classic}
            << QStringList{"Price1", "Price2", "PotentialPrice", "ChartMinPrice", "ChartMaxPrice", "PriceStep",
                           "PriceSteps", "MonthStep", "MonthSteps"};
        QTest::newRow("gann band chart, price only")
            << QStringList{"gann", "--price", "1000", "--layout", "compact"} << QStringList{"GannDate", "AngleDate"};
        QTest::newRow("gann date of 1647 only")
            << QStringList{"gann", "--date", "8/1/1647"}
            << QStringList{"GannPrice", "HighTargetAngle", "LowTargetAngle", "PotentialHigh", "PotentialLow",
                           "BandCells"};
    }
    void keysAndNulls() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, nulls);
        const QByteArray text = RunJson(args);
        const QJsonObject o = QJsonDocument::fromJson(text).object();
        // The Fibonacci keys in their order are the guide's JSON example.
        QCOMPARE(o.size(), args[0] == "fib" ? 20 : 16);
        for (const QString& key : o.keys() + nulls)
            QVERIFY2(IsNull(o.value(key)) == nulls.contains(key), qPrintable(key));
        if (args[0] == "fib")
            return;
        qsizetype from = 0;
        for (const char* key : {"GannPrice", "GannDate", "GridCenter", "GridSize", "ChartRadius", "PriceAngle",
                                "HighTargetAngle", "LowTargetAngle", "PotentialHigh", "PotentialLow", "AngleDate",
                                "ChartKind", "BandCells", "lblPrices", "lblDates", "report"}) {
            from = text.indexOf(QByteArray("\"") + key + "\":", from);
            QVERIFY2(from > 0, key);
        }
        // The band chart shows every projected high and low.
        const QJsonObject cells = o.value("BandCells").toObject();
        QCOMPARE(o.value("ChartKind").toString(), cells.isEmpty() ? QString("full") : QString("band"));
        for (const char* key : {"PotentialHigh", "PotentialLow"})
            for (const QJsonValue& n : o.value(key).toArray())
                QVERIFY(cells.isEmpty() || cells.contains(QString::number(n.toInt())));
    }

    // The angles are what the window's state holds, to the last bit.
    void gannAnglesAreTheCalculation() {
        const QJsonObject o = QJsonDocument::fromJson(RunJson({"gann", "--price", "100", "--date", "1/15/2024"})).object();
        auto s = std::make_unique<GannState>();
        LoadGannState(*s, Layout::Large, Today, ChartHalfForHeight(768 * 15));
        QVERIFY(CalculateGann(*s, "100", QDate(2024, 1, 15), Today, Layout::Large).accepted());
        QVERIFY(SameBits(o.value("PriceAngle").toDouble(), s->results.PriceAngle));
        for (int k = 1; k <= 8; ++k)
            QVERIFY(SameBits(o.value("HighTargetAngle")[k - 1].toDouble(), s->results.HighTargetAngle[k])
                    && SameBits(o.value("LowTargetAngle")[k - 1].toDouble(), s->results.LowTargetAngle[k]));
    }
};

QTEST_MAIN(TestCliJson)
#include "test_cli_json.moc"
