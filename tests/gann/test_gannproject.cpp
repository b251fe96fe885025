#include "forms/gann/gannproject.h"
#include "modules/textfile.h"

#include <QtTest>

Q_DECLARE_METATYPE(GannDocument)

namespace {

GannDocument Doc(const QString& name, const QString& price, const QDate& date, const QString& notes)
{
    return GannDocument{name, price, date, notes};
}

// What a window shows before a file is opened into it.
GannDocument Before() { return Doc("Old", "42", QDate(2020, 5, 5), "old notes"); }

}  // namespace

// Project files are written by the program and edited by hand; both must come back
// into the window as the trader left them.
class TestGannProject : public QObject {
    Q_OBJECT
private slots:
    void writtenLines_data();
    void writtenLines();
    void roundTrip_data();
    void roundTrip();
    void reading_data();
    void reading();
    void unreadableDateKeepsWhatWasRead();
};

void TestGannProject::writtenLines_data()
{
    QTest::addColumn<GannDocument>("doc");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("two lines of notes")
        << Doc("Test", "100", QDate(2024, 1, 15), "first line\r\nsecond line")
        << QStringList{"NM=Test", "PR=100", "DT=1/15/2024", "NT=first line", "second line"};
    QTest::newRow("untouched notes box keeps its empty line")
        << Doc("X", "", QDate(2024, 6, 1), "Notes\r\n")
        << QStringList{"NM=X", "PR=", "DT=6/1/2024", "NT=Notes", ""};
    QTest::newRow("blanks trimmed, tabs kept")
        << Doc("  Gold  ", " 12 ", QDate(2003, 3, 9), "  \tx  ")
        << QStringList{"NM=Gold", "PR=12", "DT=3/9/2003", "NT=\tx"};
    QTest::newRow("notes from the box with bare line feeds")
        << Doc("N", "1", QDate(2024, 1, 2), "a\n\nb")
        << QStringList{"NM=N", "PR=1", "DT=1/2/2024", "NT=a", "", "b"};
}

void TestGannProject::writtenLines()
{
    QFETCH(GannDocument, doc);
    QFETCH(QStringList, lines);
    QCOMPARE(GannProjectLines(doc), lines);
}

void TestGannProject::roundTrip_data()
{
    QTest::addColumn<GannDocument>("doc");
    QTest::newRow("three lines of notes") << Doc("Test", "100", QDate(2024, 1, 15), "one\r\ntwo\r\nthree");
    QTest::newRow("empty line in the notes") << Doc("Test", "7", QDate(1999, 12, 31), "one\r\n\r\nthree");
    QTest::newRow("characters beyond Latin-1") << Doc("Öl € 原油", "5", QDate(9999, 12, 31), "Ä\r\n原");
}

void TestGannProject::roundTrip()
{
    QFETCH(GannDocument, doc);
    const QString path = QDir(QDir::tempPath()).filePath("tessaray-roundtrip.gann");
    QVERIFY(WriteTextLines(path, GannProjectLines(doc)));
    const std::optional<QStringList> lines = ReadTextLines(path);
    QVERIFY(lines.has_value());
    GannDocument back = Before();
    QVERIFY(ApplyGannProjectLines(*lines, back));
    QCOMPARE(back.projectName, doc.projectName);
    QCOMPARE(back.priceText, doc.priceText);
    QCOMPARE(back.date, doc.date);
    QCOMPARE(back.notes, doc.notes);
    QFile::remove(path);
}

void TestGannProject::reading_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<GannDocument>("expected");
    const GannDocument b = Before();
    QTest::newRow("five digits reach the price box")
        << QStringList{"PR=12345"} << Doc(b.projectName, "12345", b.date, b.notes);
    QTest::newRow("no NT and no DT leave notes and date")
        << QStringList{"NM=New", "PR=7"} << Doc("New", "7", b.date, b.notes);
    QTest::newRow("hand-written keys")
        << QStringList{"nm = Test ", " Pr=  100", "dt = 1/15/24", "nt = a"}
        << Doc("Test", "100", QDate(2024, 1, 15), "a");
    QTest::newRow("two-digit year 30 is 1930")
        << QStringList{"DT=2/3/30"} << Doc(b.projectName, b.priceText, QDate(1930, 2, 3), b.notes);
    QTest::newRow("notes line with = sets the price and ends the notes")
        << QStringList{"NT=first", "pr=5", "lost"} << Doc(b.projectName, "5", b.date, "first");
    QTest::newRow("continuation lines kept as they are")
        << QStringList{"NT=a", "  b  ", "", "c"} << Doc(b.projectName, b.priceText, b.date, "a\r\n  b  \r\n\r\nc");
    QTest::newRow("later key wins and second = cuts")
        << QStringList{"NM=a", "NM=b=c"} << Doc("b", b.priceText, b.date, b.notes);
    QTest::newRow("unknown key swallows its continuation")
        << QStringList{"NT=a", "XX=1", "lost"} << Doc(b.projectName, b.priceText, b.date, "a");
    QTest::newRow("empty file") << QStringList{} << b;
}

void TestGannProject::reading()
{
    QFETCH(QStringList, lines);
    QFETCH(GannDocument, expected);
    GannDocument doc = Before();
    QVERIFY(ApplyGannProjectLines(lines, doc));
    QCOMPARE(doc.projectName, expected.projectName);
    QCOMPARE(doc.priceText, expected.priceText);
    QCOMPARE(doc.date, expected.date);
    QCOMPARE(doc.notes, expected.notes);
}

void TestGannProject::unreadableDateKeepsWhatWasRead()
{
    for (const QString& date : {QString("2/30/2024"), QString("1/1/1600"), QString("soon")}) {
        GannDocument doc = Before();
        QVERIFY(!ApplyGannProjectLines({"NM=Partly", "DT=" + date, "PR=9"}, doc));
        QCOMPARE(doc.projectName, QString("Partly"));
        QCOMPARE(doc.priceText, QString("42"));
        QCOMPARE(doc.date, Before().date);
    }
}

QTEST_APPLESS_MAIN(TestGannProject)
#include "test_gannproject.moc"
