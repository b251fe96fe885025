#include "forms/shell/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The settings reader must forgive what a hand-edited file holds and fall back to the
// classic ratios when a value cannot be trusted.
class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void readsFile_data();
    void readsFile();
    void missingFileGivesDefaults();
    void writesThreeLines();
    void failedWriteKeepsOldFile();
};

void TestSettings::readsFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<double>("r1");
    QTest::addColumn<double>("r2");
    QTest::addColumn<double>("r3");

    QTest::newRow("three lines") << QByteArray("FIB1=0.25\r\nFIB2=0.5\r\nFIB3=0.75\r\n") << 0.25 << 0.5 << 0.75;
    QTest::newRow("only FIB1 leaves the others at 0") << QByteArray("FIB1=0.4\r\n") << 0.4 << 0.0 << 0.0;
    QTest::newRow("lower case, blanks around =") << QByteArray("fib2 = 0.55 \r\n") << 0.0 << 0.55 << 0.0;
    QTest::newRow("second = cuts the value") << QByteArray("FIB3=0.7=x\n") << 0.0 << 0.0 << 0.7;
    QTest::newRow("line without = is skipped") << QByteArray("hello\nFIB1=0.3\n\n") << 0.3 << 0.0 << 0.0;
    QTest::newRow("later line wins") << QByteArray("FIB1=0.3\nFIB1=0.35\n") << 0.35 << 0.0 << 0.0;
    QTest::newRow("unknown keys ignored") << QByteArray("FIB4=abc\nFIB1=0.3\n") << 0.3 << 0.0 << 0.0;
    QTest::newRow("empty value resets all three")
        << QByteArray("FIB1=0.3\nFIB2=\nFIB3=0.9\n") << 0.382 << 0.5 << 0.618;
    QTest::newRow("letters reset all three") << QByteArray("FIB1=0.3\nFIB2=abc\n") << 0.382 << 0.5 << 0.618;
    QTest::newRow("trailing junk resets all three") << QByteArray("FIB1=0.3x\n") << 0.382 << 0.5 << 0.618;
    QTest::newRow("empty file keeps all at 0") << QByteArray() << 0.0 << 0.0 << 0.0;
    QTest::newRow("binary junk without = keeps 0") << QByteArray("\x01\x02\xff\xfe", 4) << 0.0 << 0.0 << 0.0;
}

void TestSettings::readsFile()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = SettingsPath(dir.path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();

    QFETCH(double, r1);
    QFETCH(double, r2);
    QFETCH(double, r3);
    FibRatios ratios{0, 0, 0};   // the program-wide values before loading
    ReadRatiosFile(path, ratios);
    QCOMPARE(ratios.r1, r1);
    QCOMPARE(ratios.r2, r2);
    QCOMPARE(ratios.r3, r3);
}

void TestSettings::missingFileGivesDefaults()
{
    QTemporaryDir dir;
    FibRatios ratios{0, 0, 0};
    ReadRatiosFile(SettingsPath(dir.path()), ratios);
    QCOMPARE(ratios.r1, 0.382);
    QCOMPARE(ratios.r2, 0.5);
    QCOMPARE(ratios.r3, 0.618);
    QVERIFY(!QFile::exists(SettingsPath(dir.path())));   // reading never creates the file
}

void TestSettings::writesThreeLines()
{
    QTemporaryDir dir;
    const QString path = SettingsPath(dir.path());
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("SOMETHING=else\r\nFIB1=0.1\r\n");   // lost when the file is written
    old.close();

    QVERIFY(WriteRatiosFile(path, {0.25, 0.5, 0.75}));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("FIB1=0.25\r\nFIB2=0.5\r\nFIB3=0.75\r\n"));
}

void TestSettings::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder"));
    QString error;
    QVERIFY(!WriteRatiosFile(SettingsPath(missingFolder), {0.25, 0.5, 0.75}, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
