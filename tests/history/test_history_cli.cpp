// tessaray-cli history on the 1980s Dow and on histories it has never seen: its
// "fibonacci" and "gann" objects are the very bytes `fib` and `gann` print for the
// swings it found, and what the Square of Nine gives a scaled price maps back.
#include "clirunner.h"
#include "modules/numbers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>

namespace {

const QStringList Today{QStringLiteral("--today"), QStringLiteral("6/1/2024")};

// A history the tests make up: waves of `amplitude` around `level`, one close a day.
QString WriteHistory(const QTemporaryDir& dir, const QString& name, double level, double amplitude,
                     const QString& dateFormat, const QByteArray& lineEnd)
{
    QByteArray text = "Date,Open,High,Low,Close,Adj Close,Volume" + lineEnd;
    const QDate first(2015, 1, 5);
    for (int i = 0; i < 1500; ++i) {
        const double close = level + amplitude * (std::sin(i / 37.0) + 0.5 * std::sin(i / 11.0));
        const QByteArray c = QByteArray::number(close, 'f', level < 10 ? 4 : 2);
        text += first.addDays(i).toString(dateFormat).toLatin1() + ',' + c + ',' + c + ',' + c + ',' + c + ','
                + c + ",100" + lineEnd;
    }
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return path;
}

QJsonObject Parse(const QByteArray& bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

}  // namespace

class TestHistoryCli : public QObject {
    Q_OBJECT
private slots:
    void sameObjectsAsFibAndGann_data();
    void sameObjectsAsFibAndGann();
    void exitStatuses_data();
    void exitStatuses();

private:
    QTemporaryDir m_dir;
};

void TestHistoryCli::sameObjectsAsFibAndGann_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("power");
    const QString djia = QStringLiteral(TESSARAY_DJIA_CSV);
    QTest::newRow("Dow 1980s, 10%") << djia << QStringList{"--threshold", "10"} << 0;
    QTest::newRow("Dow 1980s, 5%, own ratios") << djia << QStringList{"--ratios", "0.236,0.5,0.786"} << 0;
    QTest::newRow("12,000 index, auto scale")
        << WriteHistory(m_dir, "index.csv", 12000, 900, "yyyy-MM-dd", "\n") << QStringList{} << -1;
    QTest::newRow("1.0850 currency, given scale")
        << WriteHistory(m_dir, "eurusd.csv", 1.085, 0.05, "M/d/yyyy", "\r\n") << QStringList{"--scale", "10^3"} << 3;
    QTest::newRow("1.0850 currency, scale 10^0 keeps the window's reading")
        << WriteHistory(m_dir, "eurusd0.csv", 1.085, 0.05, "M/d/yyyy", "\r\n") << QStringList{"--scale", "10^0"} << 0;
}

void TestHistoryCli::sameObjectsAsFibAndGann()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(int, power);
    QVERIFY(!file.isEmpty());
    const CliResult history = RunCliProgram(QStringList{"history", "--data", file, "--format", "json"} + options + Today);
    QCOMPARE(history.status, 0);
    const QJsonObject h = Parse(history.out);
    QJsonArray confirmed;
    for (const QJsonValue& p : h["pivots"].toArray()) {
        if (p["confirmed"].toBool())
            confirmed.append(p);
    }
    QVERIFY(confirmed.size() >= 3);
    QVERIFY(!h["pivots"].toArray().last()["confirmed"].toBool());

    const QJsonObject older = confirmed[confirmed.size() - 2].toObject();
    const QJsonObject newer = confirmed.last().toObject();
    QStringList fib{"fib", "--price1", GeneralNumber(older["close"].toDouble()), "--price2",
                    GeneralNumber(newer["close"].toDouble()), "--date1", older["date"].toString(),
                    "--date2", newer["date"].toString(), "--format", "json"};
    if (options.contains("--ratios"))
        fib << "--ratios" << options[options.indexOf("--ratios") + 1];
    const CliResult f = RunCliProgram(fib + Today);
    QCOMPARE(f.status, 0);
    QVERIFY(history.out.contains(f.out.chopped(1)));

    const QJsonObject scale = h["scale"].toObject();
    QCOMPARE(scale["power"].toInt(), power);
    const CliResult g = RunCliProgram(QStringList{"gann", "--price", scale["priceOnSquare"].toString(), "--date",
                                                  newer["date"].toString(), "--format", "json"} + Today);
    QCOMPARE(g.status, 0);
    QVERIFY(history.out.contains(g.out.chopped(1)));
    // Mapped back: the square's levels divided by the same power of ten.
    const QJsonArray onSquare = Parse(g.out)["PotentialHigh"].toArray();
    const QJsonArray mapped = scale["PotentialHigh"].toArray();
    for (int k = 0; k < 8; ++k)
        QCOMPARE(mapped[k].toDouble(), onSquare[k].toDouble() / std::pow(10.0, power));
    const double close = newer["close"].toDouble();
    QVERIFY2(std::abs(mapped[0].toDouble() - close) / close < (power == 0 && close < 10 ? 1.5 : 0.1),
             qPrintable(QString::number(mapped[0].toDouble())));
}

void TestHistoryCli::exitStatuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    const QString djia = QStringLiteral(TESSARAY_DJIA_CSV);
    QFile bad(m_dir.filePath("bad.csv"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("Date,Close\r\n1987-10-19,1738.74\r\n10/20/1987,-1\r\n");
    bad.close();
    QTest::newRow("report") << QStringList{"--data", djia} << 0 << "";
    QTest::newRow("missing file") << QStringList{"--data", m_dir.filePath("none.csv")} << 1
                                  << "Action failed:\nCan't read the price history file";
    QTest::newRow("refused row") << QStringList{"--data", bad.fileName()} << 2
                                 << "bad.csv, line 3: the close -1 is not above 0.";
    QTest::newRow("ratios out of order") << QStringList{"--data", djia, "--ratios", "0.6,0.5,0.4"} << 2 << "Ratios must be in increasing order";
    QTest::newRow("no data") << QStringList{"--threshold", "5"} << 64 << "tessaray-cli: history needs --data";
    QTest::newRow("threshold 100") << QStringList{"--data", djia, "--threshold", "100"} << 64
                                   << "tessaray-cli: --threshold needs a percentage above 0 and below 100";
    QTest::newRow("scale 10") << QStringList{"--data", djia, "--scale", "10"} << 64 << "tessaray-cli: --scale is auto";
    QTest::newRow("listing is not a history format") << QStringList{"--data", djia, "--format", "listing"} << 64
                                                     << "tessaray-cli: --format is report or json";
    QTest::newRow("a fib option") << QStringList{"--data", djia, "--price1", "5"} << 64
                                  << "tessaray-cli: unknown option --price1";
}

void TestHistoryCli::exitStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, err);
    const CliResult r = RunCliProgram(QStringList{"history"} + args + Today);
    QCOMPARE(r.status, status);
    QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.errText().startsWith(err), qPrintable(r.errText()));
    QCOMPARE(r.out.isEmpty(), status != 0);
}

QTEST_GUILESS_MAIN(TestHistoryCli)
#include "test_history_cli.moc"
