// Watch-list batches: RFC 4180 reading and writing, and whole batches through the
// program, where a rejected row gets its message and the batch goes on.
#include "app/cli/csvbatch.h"
#include "clirunner.h"

#include <QTemporaryDir>

Q_DECLARE_METATYPE(QList<QStringList>)

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

}  // namespace

class TestCliCsv : public QObject {
    Q_OBJECT
private slots:
    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("records");
        QTest::newRow("quoted comma and doubled quote")
            << "\"Gold, \"\"spot\"\"\",100,\n" << QList<QStringList>{{"Gold, \"spot\"", "100", ""}};
        QTest::newRow("line break inside quotes") << "\"two\r\nlines\",5,\n"
                                                  << QList<QStringList>{{"two\r\nlines", "5", ""}};
        QTest::newRow("blank lines are no records, a quoted empty field is")
            << "a,1,\n\n   \r\n\t\n\"\"\nb,2,\n" << QList<QStringList>{{"a", "1", ""}, {""}, {"b", "2", ""}};
        QTest::newRow("bare LF, lone CR and no final line end")
            << "a,1\rb,2\nc,3" << QList<QStringList>{{"a", "1"}, {"b", "2"}, {"c", "3"}};
        QTest::newRow("spreadsheet byte order mark")
            << QString(QChar(0xFEFF)) + "name,price\n" << QList<QStringList>{{"name", "price"}};
    }
    void reading()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, records);
        QCOMPARE(ReadAll(text), records);
    }

    void writing()
    {
        const QStringList fields{"Gold, \"spot\"", "a\r\nb", " x", "100", ""};
        QCOMPARE(CsvLine(fields), QString("\"Gold, \"\"spot\"\"\",\"a\r\nb\",\" x\",100,\r\n"));
        QCOMPARE(ReadAll(CsvLine(fields)), QList<QStringList>{fields});
    }

    void gannBatchFromFile()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("watch.csv"), "name,price,date\r\n"
                                             "\"Gold, spot\",100,\r\n"
                                             "\r\n"
                                             "\"Crude \"\"front\"\"\",,1/15/2024\r\n"
                                             "Too big,12000,\r\n"
                                             "Bad date,100,2/30/2024\r\n"
                                             "Short row,100\n"
                                             "Last,625,6/21/2024\r\n");
        const CliResult r = RunCliProgram({"gann", "--csv", dir.filePath("watch.csv"), "--today", "6/1/2024"});
        QCOMPARE(r.errText(), QString());
        QCOMPARE(r.status, 0);
        const QList<QStringList> out = ReadAll(QString::fromUtf8(r.out));
        QCOMPARE(out.size(), 7);
        QStringList header{"name", "price", "date"};
        for (const char* kind : {"High", "Low", "Date"})
            for (int k = 45; k <= 360; k += 45)
                header << QLatin1String(kind) + QString::number(k);
        QCOMPARE(out[0], header << "error");
        for (const QStringList& row : out)
            QCOMPARE(row.size(), 28);
        // Columns: 3 High45..High360, 11 Low45.., 19 Date45..Date360, 27 error.
        QCOMPARE(out[1].mid(0, 5), QStringList({"Gold, spot", "100", "", "105", "110"}));
        QCOMPARE(out[1].mid(19), QStringList(9, QString()));   // picker at today: no dates
        QCOMPARE(out[2].mid(0, 4), QStringList({"Crude \"front\"", "", "1/15/2024", ""}));
        QCOMPARE(out[2][19], QString("02/29/2024"));
        QCOMPARE(out[3].mid(3), QStringList(24, QString()) << "Please enter a price smaller than 10000");
        QCOMPARE(out[4].last(), QString("date is not a date m/d/yyyy from 1/1/1601 to 12/31/9999"));
        QCOMPARE(out[5].mid(0, 3), QStringList({"Short row", "100", ""}));
        QCOMPARE(out[5].last(), QString("Expected 3 values (name,price,date), found 2"));
        QCOMPARE(out[6][10], QString("729"));
        QCOMPARE(out[6][20], QString("09/23/2024"));
        QCOMPARE(out[6].last(), QString());
    }

    // One window calculates row after row; each row must give what a fresh run gives.
    void gannBatchRowsEqualSingleRuns()
    {
        const QList<QStringList> rows{{"a", "9999", "12/20/2023"}, {"b", "2", ""}, {"c", "1000", "1/15/2024"},
                                      {"d", "5", ""}};
        QByteArray csv = "name,price,date\n";
        for (const QStringList& row : rows)
            csv += row.join(',').toUtf8() + "\n";
        const QStringList common{"--today", "6/1/2024", "--screen", "800x600"};
        const QList<QStringList> out =
            ReadAll(QString::fromUtf8(RunCliProgram(QStringList{"gann", "--csv", "-"} + common, csv).out));
        QCOMPARE(out.size(), rows.size() + 1);
        for (int i = 0; i < rows.size(); ++i) {
            QStringList args = QStringList{"gann", "--price", rows[i][1], "--format", "listing"} + common;
            if (!rows[i][2].isEmpty())
                args << "--date" << rows[i][2];
            const QString listing = RunCliProgram(args).outText();
            for (int k = 1; k <= 8; ++k) {
                const QString line = listing.section("\r\n", k + 1, k + 1);
                QCOMPARE(out[i + 1][2 + k], line.mid(7, 7).trimmed());
                QCOMPARE(out[i + 1][10 + k], line.mid(14).trimmed());
            }
        }
    }

    void fibonacciBatchFromStandardInput()
    {
        const QByteArray csv = "name,price1,price2,date1,date2\n"
                               "\"S&P, daily\",100,150,1/1/2004,3/1/2004\n"
                               "Prices only,150,100,,\n"
                               "One price,100,,,\n"
                               "Dates only,,,1/1/2004,1/21/2004\n";
        const CliResult r =
            RunCliProgram({"fib", "--csv", "-", "--ratios", "0.382,0.5,0.618", "--today", "6/1/2024"}, csv);
        QCOMPARE(r.status, 0);
        const QList<QStringList> out = ReadAll(QString::fromUtf8(r.out));
        QCOMPARE(out.size(), 5);
        QCOMPARE(out[0], QStringList({"name", "price1", "price2", "date1", "date2", "PotentialPrice1",
                                      "PotentialPrice2", "PotentialPrice3", "PotentialDate1", "PotentialDate2",
                                      "PotentialDate3", "error"}));
        QCOMPARE(out[1].mid(5), QStringList({"130.90", "125.00", "119.10", "3/23/2004", "3/31/2004", "4/7/2004", ""}));
        QCOMPARE(out[2].mid(5), QStringList({"119.10", "125.00", "130.90", "", "", "", ""}));
        QCOMPARE(out[3].mid(5), QStringList(6, QString()) << "Either both or none of the prices should be entered");
        QCOMPARE(out[4].mid(5), QStringList({"", "", "", "1/28/2004", "1/31/2004", "2/2/2004", ""}));
    }

    // Without a header of the right width there is nothing to line the results up with.
    void headerProblems_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("only blank lines") << QByteArray("\n\n");
        QTest::newRow("header too short") << QByteArray("name,price\nA,100\n");
    }
    void headerProblems()
    {
        QFETCH(QByteArray, csv);
        const CliResult r = RunCliProgram({"gann", "--csv", "-"}, csv);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.errText(), QString("The first row must be the header name,price,date\n"));
        QCOMPARE(r.out, QByteArray());
    }
};

QTEST_MAIN(TestCliCsv)
#include "test_cli_csv.moc"
