#include "forms/gann/gannproject.h"

#include <QtTest>

namespace {

// What a window shows before a file is opened into it.
GannDocument Before() { return GannDocument{"Old", "42", QDate(2020, 5, 5), "old notes"}; }

QString Fields(const GannDocument& d)
{
    return d.projectName + " | " + d.priceText + " | " + d.date.toString("M/d/yyyy") + " | " + d.notes;
}

}  // namespace

// The key mapping of ".gann" files; the lenient line rules themselves belong to the
// shared project-file reader, and the saved bytes to the window's save test.
class TestGannProject : public QObject {
    Q_OBJECT
private slots:
    void blanksTrimmedTabsKept();
    void reading_data();
    void reading();
    void unreadableDateKeepsWhatWasRead();
};

void TestGannProject::blanksTrimmedTabsKept()
{
    QCOMPARE(GannProjectLines(GannDocument{"  Gold  ", " 12 ", QDate(2003, 3, 9), "  \tx  "}),
             (QStringList{"NM=Gold", "PR=12", "DT=3/9/2003", "NT=\tx"}));
}

void TestGannProject::reading_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("fields");   // name | price text | date | notes
    QTest::newRow("hand-written keys") << QStringList{"nm = Test ", " Pr=  100", "dt = 1/15/24", "nt = a", "b"}
                                       << "Test | 100 | 1/15/2024 | a\r\nb";
    QTest::newRow("five digits reach the price box") << QStringList{"PR=12345"}
                                                     << "Old | 12345 | 5/5/2020 | old notes";
    QTest::newRow("no NT and no DT leave notes and date") << QStringList{"NM=New", "PR=7"}
                                                          << "New | 7 | 5/5/2020 | old notes";
}

void TestGannProject::reading()
{
    QFETCH(QStringList, lines);
    GannDocument doc = Before();
    QVERIFY(ApplyGannProjectLines(lines, doc));
    QTEST(Fields(doc), "fields");
}

void TestGannProject::unreadableDateKeepsWhatWasRead()
{
    // Not a date, a day that does not exist, a date the picker cannot hold.
    for (const QString date : {"soon", "2/30/2024", "1/1/1600"}) {
        GannDocument doc = Before();
        QVERIFY(!ApplyGannProjectLines({"NM=Partly", "DT=" + date, "PR=9"}, doc));
        QCOMPARE(Fields(doc), QString("Partly | 42 | 5/5/2020 | old notes"));
    }
}

QTEST_APPLESS_MAIN(TestGannProject)
#include "test_gannproject.moc"
