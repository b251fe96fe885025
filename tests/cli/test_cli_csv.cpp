// Watch-list batches: RFC 4180 reading and writing, and whole batches through the
// program, where a rejected row gets its message and the batch goes on.
#include "app/cli/csvbatch.h"
#include "clirunner.h"

#include <QTemporaryDir>

namespace {

QList<QStringList> ReadAll(const QString& text)
{
    CsvReader reader(text);
    QList<QStringList> records;
    QStringList fields;
    while (reader.next(fields))
        records << fields;
    return records;
}

QList<QStringList> OutputRecords(const QByteArray& out) { return ReadAll(QString::fromUtf8(out)); }

const QStringList GannHeader = [] {
    QStringList h{"name", "price", "date"};
    for (const char* kind : {"High", "Low", "Date"})
        for (int k = 45; k <= 360; k += 45)
            h << QLatin1String(kind) + QString::number(k);
    return h << "error";
}();

}  // namespace

Q_DECLARE_METATYPE(QList<QStringList>)

class TestCliCsv : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void writingReadsBack_data();
    void writingReadsBack();
    void gannBatchFromFile();
    void gannBatchRowsEqualSingleRuns();
    void fibonacciBatchFromStandardInput();
    void headerProblems_data();
    void headerProblems();
};

void TestCliCsv::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QStringList>>("records");
    QTest::newRow("plain, CR LF")
        << "name,price,date\r\nA,100,1/15/2024\r\n"
        << QList<QStringList>{{"name", "price", "date"}, {"A", "100", "1/15/2024"}};
    QTest::newRow("quoted comma and doubled quote")
        << "\"Gold, \"\"spot\"\"\",100,\n"
        << QList<QStringList>{{"Gold, \"spot\"", "100", ""}};
    QTest::newRow("line break inside quotes")
        << "\"two\r\nlines\",5,\n" << QList<QStringList>{{"two\r\nlines", "5", ""}};
    QTest::newRow("blank lines are no records")
        << "a,1,\n\n   \r\n\t\nb,2,\n" << QList<QStringList>{{"a", "1", ""}, {"b", "2", ""}};
    QTest::newRow("a quoted empty name is a record") << "\"\"\n" << QList<QStringList>{{""}};
    QTest::newRow("bare LF, lone CR and no final line end")
        << "a,1\rb,2\nc,3" << QList<QStringList>{{"a", "1"}, {"b", "2"}, {"c", "3"}};
    QTest::newRow("spreadsheet byte order mark")
        << QString(QChar(0xFEFF)) + "name,price\n" << QList<QStringList>{{"name", "price"}};
    QTest::newRow("empty fields kept") << ",,\n" << QList<QStringList>{{"", "", ""}};
}

void TestCliCsv::reading()
{
    QFETCH(QString, text);
    QFETCH(QList<QStringList>, records);
    QCOMPARE(ReadAll(text), records);
}

void TestCliCsv::writingReadsBack_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << QStringList{"A", "100", "01/14/2025"};
    QTest::newRow("comma, quote, line break") << QStringList{"Gold, \"spot\"", "a\r\nb", ""};
    QTest::newRow("leading blanks kept") << QStringList{"  Crude", "x "};
}

void TestCliCsv::writingReadsBack()
{
    QFETCH(QStringList, fields);
    const QString line = CsvLine(fields);
    QVERIFY(line.endsWith("\r\n"));
    QCOMPARE(ReadAll(line), QList<QStringList>{fields});
}

void TestCliCsv::gannBatchFromFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("watch.csv");
    WriteFile(path, "name,price,date\r\n"
                    "\"Gold, spot\",100,\r\n"
                    "\r\n"
                    "\"Crude \"\"front\"\", Brent\",,1/15/2024\r\n"
                    "Too big,12000,\r\n"
                    "Bad date,100,2/30/2024\r\n"
                    "Short row,100\r\n"
                    "Nothing,,\r\n"
                    "\n"
                    "Last,625,6/21/2024\r\n");
    const CliResult r = RunCliProgram({"gann", "--csv", path, "--today", "6/1/2024"});
    QCOMPARE(r.errText(), QString());
    QCOMPARE(r.status, 0);
    const QList<QStringList> out = OutputRecords(r.out);
    QCOMPARE(out.size(), 8);
    QCOMPARE(out[0], GannHeader);
    for (const QStringList& row : out)
        QCOMPARE(row.size(), GannHeader.size());

    const auto column = [](const QString& name) { return GannHeader.indexOf(name); };
    QCOMPARE(out[1][0], QString("Gold, spot"));
    QCOMPARE(out[1].mid(column("High45"), 8), QStringList({"105", "110", "115", "120", "126", "132", "138", "144"}));
    QCOMPARE(out[1][column("Date45")], QString());   // picker at today: no dates
    QCOMPARE(out[1].last(), QString());

    QCOMPARE(out[2][0], QString("Crude \"front\", Brent"));
    QCOMPARE(out[2][column("High45")], QString());
    QCOMPARE(out[2][column("Date45")], QString("02/29/2024"));
    QCOMPARE(out[2][column("Date360")], QString("01/14/2025"));

    QCOMPARE(out[3].last(), QString("Please enter a price smaller than 10000"));
    QCOMPARE(out[3][column("High45")], QString());
    QVERIFY(out[4].last().startsWith("date is not a date"));
    QVERIFY(out[5].last().startsWith("Expected 3 values"));
    QCOMPARE(out[5].mid(0, 3), QStringList({"Short row", "100", ""}));
    QCOMPARE(out[6].last(), QString("Please enter price and/or date"));

    // The batch went on after the rejected rows.
    QCOMPARE(out[7][column("High360")], QString("729"));
    QCOMPARE(out[7][column("Date90")], QString("09/23/2024"));
    QCOMPARE(out[7].last(), QString());
}

// One window calculating row after row must give what a fresh run gives for each row,
// whatever came before it.
void TestCliCsv::gannBatchRowsEqualSingleRuns()
{
    const QList<QStringList> rows{{"a", "9999", "12/20/2023"}, {"b", "2", ""}, {"c", "1000", "1/15/2024"},
                                  {"d", "5", ""}, {"e", "700", "6/21/2024"}};
    QByteArray csv = "name,price,date\n";
    for (const QStringList& row : rows)
        csv += row.join(',').toUtf8() + "\n";
    const CliResult batch = RunCliProgram({"gann", "--csv", "-", "--today", "6/1/2024", "--screen", "800x600"}, csv);
    QCOMPARE(batch.status, 0);
    const QList<QStringList> out = OutputRecords(batch.out);
    QCOMPARE(out.size(), rows.size() + 1);
    for (int i = 0; i < rows.size(); ++i) {
        QStringList args{"gann", "--price", rows[i][1], "--today", "6/1/2024", "--screen", "800x600",
                         "--format", "listing"};
        if (!rows[i][2].isEmpty()) args << "--date" << rows[i][2];
        const QString listing = RunCliProgram(args).outText();
        for (int k = 1; k <= 8; ++k) {
            const QString high = out[i + 1][2 + k];
            const QString low = out[i + 1][10 + k];
            const QString line = listing.section("\r\n", k + 1, k + 1);
            QCOMPARE(line.mid(7, 7).trimmed(), high);
            QCOMPARE(line.mid(14).trimmed(), low);
        }
    }
}

void TestCliCsv::fibonacciBatchFromStandardInput()
{
    const QByteArray csv = "name,price1,price2,date1,date2\n"
                           "\"S&P, daily\",100,150,1/1/2004,3/1/2004\n"
                           "Prices only,150,100,,\n"
                           "One price,100,,,\n"
                           "Dates only,,,1/1/2004,1/21/2004\n";
    const CliResult r = RunCliProgram({"fib", "--csv", "-", "--ratios", "0.382,0.5,0.618", "--today", "6/1/2024"}, csv);
    QCOMPARE(r.status, 0);
    const QList<QStringList> out = OutputRecords(r.out);
    QCOMPARE(out.size(), 5);
    QCOMPARE(out[0], QStringList({"name", "price1", "price2", "date1", "date2", "PotentialPrice1",
                                  "PotentialPrice2", "PotentialPrice3", "PotentialDate1", "PotentialDate2",
                                  "PotentialDate3", "error"}));
    QCOMPARE(out[1].mid(5), QStringList({"130.90", "125.00", "119.10", "3/23/2004", "3/31/2004", "4/7/2004", ""}));
    QCOMPARE(out[2].mid(5), QStringList({"119.10", "125.00", "130.90", "", "", "", ""}));
    QCOMPARE(out[3].mid(5), QStringList({"", "", "", "", "", "", "Either both or none of the prices should be entered"}));
    QCOMPARE(out[4].mid(5), QStringList({"", "", "", "1/28/2004", "1/31/2004", "2/2/2004", ""}));
}

void TestCliCsv::headerProblems_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("empty input") << QByteArray();
    QTest::newRow("only blank lines") << QByteArray("\n\n");
    QTest::newRow("header too short") << QByteArray("name,price\nA,100\n");
}

// Without a header of the right width there is nothing to line the results up with.
void TestCliCsv::headerProblems()
{
    QFETCH(QByteArray, csv);
    const CliResult r = RunCliProgram({"gann", "--csv", "-"}, csv);
    QCOMPARE(r.status, 2);
    QCOMPARE(r.errText(), QString("The first row must be the header name,price,date\n"));
    QCOMPARE(r.out, QByteArray());
}

QTEST_MAIN(TestCliCsv)
#include "test_cli_csv.moc"
