// Watch-list batches: RFC 4180 reading and writing, and whole batches through the
// program, where a rejected row gets its message and the batch goes on.
#include "app/cli/csvbatch.h"
#include "clirunner.h"

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

    // Quotes, commas and line breaks inside a field survive the way out and back in.
    void writing()
    {
        const QStringList fields{"Gold, \"spot\"", "a\r\nb", " x", "100", ""};
        QCOMPARE(CsvLine(fields), QString("\"Gold, \"\"spot\"\"\",\"a\r\nb\",\" x\",100,\r\n"));
        QCOMPARE(ReadAll(CsvLine(fields)), QList<QStringList>{fields});
    }

    // Rows the window never sees: a date the picker cannot hold, a row too short.
    void rowsThatCannotBeTyped()
    {
        const CliResult r = RunCliProgram({"gann", "--csv", "-", "--today", "6/1/2024"},
                                          "name,price,date\r\nBad date,100,2/30/2024\r\nShort row,100\n");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.outText().split("\r\n").mid(1),
                 QStringList({"Bad date,100,2/30/2024" + QString(25, ',')
                                  + "date is not a date m/d/yyyy from 1/1/1601 to 12/31/9999",
                              "Short row,100," + QString(25, ',') + "\"Expected 3 values (name,price,date), found 2\"",
                              ""}));
    }

    // One window calculates row after row; each row must give what a fresh window gives.
    void rowsEqualFreshRuns()
    {
        const QStringList rows{"a,9999,12/20/2023", "b,2,", "c,1000,1/15/2024", "d,5,"};
        const QStringList args{"gann", "--csv", "-", "--today", "6/1/2024", "--screen", "800x600"};
        const auto run = [&](const QString& body) {
            return RunCliProgram(args, "name,price,date\n" + body.toUtf8()).outText().split("\r\n");
        };
        const QStringList batch = run(rows.join('\n'));
        QCOMPARE(batch.size(), rows.size() + 2);
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(batch[i + 1], run(rows[i]).value(1));
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
