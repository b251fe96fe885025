#include "modules/projectfile.h"

#include <QtTest>

// The reader must accept what traders type by hand into a project file, and must
// keep the notes apart from the keys even when a notes line looks odd.
class TestProjectFile : public QObject {
    Q_OBJECT
private slots:
    void splitKeyLine_data();
    void splitKeyLine();
    void readProject_data();
    void readProject();
    void failingValueStopsTheRead();
};

void TestProjectFile::splitKeyLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("isKeyLine");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "NM=Test" << true << "NM" << "Test";
    QTest::newRow("lower case and blanks") << "  nm = Test  " << true << "NM" << "Test";
    QTest::newRow("second = cuts the value") << "FIB3=0.7=x" << true << "FIB3" << "0.7";
    QTest::newRow("empty value") << "FIB2=" << true << "FIB2" << "";
    QTest::newRow("empty key") << "=5" << true << "" << "5";
    QTest::newRow("tabs are not trimmed") << "\tP1=\t5 " << true << "\tP1" << "\t5";
    QTest::newRow("inner blanks stay") << "NM= My project " << true << "NM" << "My project";
    QTest::newRow("no =") << "second line" << false << "" << "";
    QTest::newRow("empty line") << "" << false << "" << "";
}

void TestProjectFile::splitKeyLine()
{
    QFETCH(QString, line);
    QFETCH(bool, isKeyLine);
    QFETCH(QString, key);
    QFETCH(QString, value);
    KeyLine out;
    QCOMPARE(SplitKeyLine(line, out), isKeyLine);
    if (isKeyLine) {
        QCOMPARE(out.key, key);
        QCOMPARE(out.value, value);
    }
}

void TestProjectFile::readProject_data()
{
    // Each key line is recorded as "KEY:value", each notes line as "+line".
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("saved project")
        << QStringList{"NM=Test", "P1=100", "P2=150", "D1=1/1/2004", "D2=3/1/2004",
                       "NT=first line", "second line"}
        << QStringList{"NM:Test", "P1:100", "P2:150", "D1:1/1/2004", "D2:3/1/2004",
                       "NT:first line", "+second line"};
    QTest::newRow("notes lines kept unchanged")
        << QStringList{"NT=Notes", "  indented ", "", "last"}
        << QStringList{"NT:Notes", "+  indented ", "+", "+last"};
    QTest::newRow("lines before any key ignored")
        << QStringList{"stray", "", "nm = x"} << QStringList{"NM:x"};
    QTest::newRow("continuation only after NT")
        << QStringList{"NM=a", "not notes", "NT=n", "yes notes"}
        << QStringList{"NM:a", "NT:n", "+yes notes"};
    QTest::newRow("notes line with = ends the notes")
        << QStringList{"NT=n", "p1=5", "after"} << QStringList{"NT:n", "P1:5"};
    QTest::newRow("unknown key stops notes")
        << QStringList{"NT=n", "XX=1", "lost"} << QStringList{"NT:n", "XX:1"};
    QTest::newRow("lower-case nt continues")
        << QStringList{"nt=n", "more"} << QStringList{"NT:n", "+more"};
    QTest::newRow("repeated key reported twice")
        << QStringList{"P1=1", "P1=2"} << QStringList{"P1:1", "P1:2"};
}

void TestProjectFile::readProject()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, events);
    QStringList seen;
    const bool ok = ReadProjectLines(
        lines,
        [&](const QString& key, const QString& value) {
            seen << key + ":" + value;
            return true;
        },
        [&](const QString& line) { seen << "+" + line; });
    QVERIFY(ok);
    QCOMPARE(seen, events);
}

void TestProjectFile::failingValueStopsTheRead()
{
    // A value the window cannot read fails the open at once; later lines are not
    // applied.
    QStringList seen;
    const bool ok = ReadProjectLines(
        {"NM=a", "P1=12abc", "P2=5"},
        [&](const QString& key, const QString& value) {
            seen << key;
            return !(key == "P1" && value == "12abc");
        },
        [&](const QString&) {});
    QVERIFY(!ok);
    QCOMPARE(seen, (QStringList{"NM", "P1"}));
}

QTEST_APPLESS_MAIN(TestProjectFile)
#include "test_projectfile.moc"
