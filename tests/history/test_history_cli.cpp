// tessaray-cli history: what a script sees for each way in or out. That its objects
// are the bytes `fib` and `gann` print is the window test's, beside the tool.
#include "clirunner.h"
#include "testfiles.h"

#include <QTemporaryDir>

class TestHistoryCli : public QObject {
    Q_OBJECT
private slots:
    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        const QString djia = QStringLiteral(TESSARAY_DJIA_CSV);
        QVERIFY(WriteBytes(m_dir.filePath("bad.csv"), "Date,Close\r\n1987-10-19,1738.74\r\n10/20/1987,-1\r\n"));
        QTest::newRow("report") << QStringList{"--data", djia} << 0 << "";
        QTest::newRow("missing file") << QStringList{"--data", m_dir.filePath("none.csv")} << 1
                                      << "Action failed:\nCan't read the price history file";
        QTest::newRow("refused row") << QStringList{"--data", m_dir.filePath("bad.csv")} << 2
                                     << "bad.csv, line 3: the close -1 is not above 0.";
        QTest::newRow("ratios out of order") << QStringList{"--data", djia, "--ratios", "0.6,0.5,0.4"} << 2
                                             << "Ratios must be in increasing order";
        QTest::newRow("no data") << QStringList{"--threshold", "5"} << 64 << "tessaray-cli: history needs --data";
        QTest::newRow("threshold 100") << QStringList{"--data", djia, "--threshold", "100"} << 64
                                       << "tessaray-cli: --threshold needs a percentage above 0 and below 100";
        QTest::newRow("scale 10") << QStringList{"--data", djia, "--scale", "10"} << 64 << "tessaray-cli: --scale is auto";
        QTest::newRow("listing is not a history format") << QStringList{"--data", djia, "--format", "listing"} << 64
                                                         << "tessaray-cli: --format is report or json";
        QTest::newRow("a fib option") << QStringList{"--data", djia, "--price1", "5"} << 64
                                      << "tessaray-cli: unknown option --price1";
    }
    void exitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, err);
        const CliResult r = RunCliProgram(QStringList{"history"} + args + QStringList{"--today", "6/1/2024"});
        QCOMPARE(r.status, status);
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.errText().startsWith(err), qPrintable(r.errText()));
        QCOMPARE(r.out.isEmpty(), status != 0);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestHistoryCli)
#include "test_history_cli.moc"
