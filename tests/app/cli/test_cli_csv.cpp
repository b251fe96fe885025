// Watch-list batches: RFC 4180 reading as bytes arrive and writing, cells a spreadsheet
// would take for formulas, header checks, the strict and lenient reading of rows, rows
// that match what the window calculates, and output that streams in input order.
#include "app/cli/csvbatch.h"
#include "clirunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

Q_DECLARE_METATYPE(QList<QStringList>)

namespace {

// The records of a text handed over in one piece, or byte by byte as a slow pipe would.
QList<QStringList> ReadAll(const QByteArray& text, bool byteByByte) {
    CsvReader reader;
    QList<QStringList> records;
    CsvRecord record;
    for (qsizetype i = 0; i < text.size(); i += byteByByte ? 1 : text.size()) {
        reader.append(text.mid(i, byteByByte ? 1 : -1));
        while (reader.next(record))
            records << record.fields;
    }
    reader.finish();
    while (reader.next(record))
        records << record.fields;
    return records;
}

// The result cells of a single calculation, from its JSON, as a batch row writes them.
QString WindowResults(const QStringList& args) {
    const CliResult r = RunCliProgram(args + QStringList{"--format", "json", "--lenient"});
    if (r.status != 0)
        return r.errText().trimmed();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QStringList cells;
    for (const char* key : {"PotentialHigh", "PotentialLow", "AngleDate"})
        for (const QJsonValue& v : o.value(key).toArray())
            cells << (v.isNull() ? QString() : v.isDouble() ? QString::number(v.toInt()) : v.toString());
    return cells.join(',');
}

const QByteArray GannHeader = "name,price,date\r\n";

}  // namespace

class TestCliCsv : public QObject {
    Q_OBJECT
private slots:
    void reading_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QStringList>>("records");
        QTest::newRow("blank lines are no records, a quoted empty field is")
            << QByteArray("a,1,\n\n   \r\n\t\n\"\"\nb,2,\n") << QList<QStringList>{{"a", "1", ""}, {""}, {"b", "2", ""}};
        QTest::newRow("bare LF, lone CR, CR LF and no final line end")
            << QByteArray("a,1\rb,2\nc,3\r\nd,4") << QList<QStringList>{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}};
        QTest::newRow("quotes: commas, doubled quotes, line breaks")
            << QByteArray("\"a,\"\"b\"\"\",\"x\r\ny\"\n") << QList<QStringList>{{"a,\"b\"", "x\r\ny"}};
        QTest::newRow("byte order mark, UTF-8 and Windows-1252 rows")
            << QByteArray("\xEF\xBB\xBFname\n\xC3\xA9t\xC3\xA9\nf\xE9te\n")
            << QList<QStringList>{{"name"}, {QString::fromUtf8("été")}, {QString::fromUtf8("féte")}};
        QTest::newRow("a byte order mark inside the text is a character")
            << QByteArray("x\n\xEF\xBB\xBFy,\xEF\xBB\xBF\xEF\xBB\xBF-\n")
            << QList<QStringList>{{"x"}, {QChar(0xFEFF) + QString("y"), QString(2, QChar(0xFEFF)) + "-"}};
    }
    void reading() {
        QFETCH(QByteArray, text);
        QFETCH(QList<QStringList>, records);
        QCOMPARE(ReadAll(text, false), records);
        QCOMPARE(ReadAll(text, true), records);
    }

    // Quotes, commas and line breaks inside a field survive the way out and back in. A
    // cell a spreadsheet would take for a formula is written as text; numbers stay numbers.
    void writing() {
        const QStringList fields{"Gold, \"spot\"", "a\r\nb", " x", "100", ""};
        QCOMPARE(CsvLine(fields), QString("\"Gold, \"\"spot\"\"\",\"a\r\nb\",\" x\",100,\r\n"));
        QCOMPARE(ReadAll(CsvLine(fields).toUtf8(), false), QList<QStringList>{fields});
        QStringList written;
        for (const char* cell : {"=HYPERLINK(\"x\")", "@SUM(A1)", "-1+2", "\tx", "\rx", "-5.5", "+1e3", "a=b"})
            written << SpreadsheetText(cell);
        QCOMPARE(written, (QStringList{"'=HYPERLINK(\"x\")", "'@SUM(A1)", "'-1+2", "'\tx", "'\rx", "-5.5", "+1e3", "a=b"}));
    }

    // Strict reading stops at the first value that is not what its column holds, after
    // writing the rows before it; lenient reading gives such a row its message and goes on.
    // firstCells: the start of each output row after the header.
    void strictAndLenientRows_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("lenient");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("firstCells");
        const QByteArray reordered = "date,name,price\r\n1/15/2024,ok,100\r\n";
        // Without a header naming the columns there is nothing to line the results up with.
        for (const auto& [csv, message] : std::initializer_list<std::pair<QByteArray, QString>>{
                 {"\n\n", "The first row must be the header name,price,date"},
                 {"name,price\nA,100\n", "The watch-list has no column \"date\"; the header must name name,price,date"},
                 {"name,prize,date\n", "The watch-list column \"prize\" is not one of name,price,date"},
                 {"name,price,date,Price\n", "The watch-list names the column \"Price\" twice"}})
            QTest::newRow(qPrintable("header " + csv.simplified())) << csv << true << 2 << message << QStringList{};
        QTest::newRow("columns in any order") << reordered << false << 0 << "" << QStringList{"1/15/2024,ok,100,105"};
        QTest::newRow("thousands separator, strict")
            << reordered + "1/1/2024,Bad,\"1,234.50\"\r\n" << false << 64
            << "tessaray-cli: (standard input):3:3: \"1,234.50\" is not a number (digits with one \".\", an optional sign "
               "and exponent); --lenient reads it as the price box would"
            << QStringList{"1/15/2024,ok,100,105"};
        QTest::newRow("impossible date, strict")
            << GannHeader + "Bad date,100,2/30/2024\r\n" << false << 64
            << "tessaray-cli: (standard input):2:3: \"2/30/2024\" is not a date m/d/yyyy or yyyy-mm-dd from 1/1/1601 "
               "to 12/31/9999"
            << QStringList{};
        QTest::newRow("a control character in a cell is shown, not sent")
            << GannHeader + QByteArray("Bad,1\0x\x1b,\r\n", 11) << false << 64
            << "tessaray-cli: (standard input):2:2: \"1\\x00x\\x1B\" is not a number (digits with one \".\", an optional "
               "sign and exponent); --lenient reads it as the price box would"
            << QStringList{};
        QTest::newRow("impossible date, lenient keeps the row")
            << GannHeader + "Bad date,100,2/30/2024\r\n" << true << 0 << ""
            << QStringList{"Bad date,100,2/30/2024" + QString(25, ',')
                           + "\"date: \"\"2/30/2024\"\" is not a date m/d/yyyy or yyyy-mm-dd from 1/1/1601 to 12/31/9999\""};
        QTest::newRow("short row, strict") << GannHeader + "\r\nShort row,100\n" << false << 64
                                           << "tessaray-cli: (standard input):3: Expected 3 values (name,price,date), found 2"
                                           << QStringList{};
        QTest::newRow("short row, lenient") << GannHeader + "Short row,100\n" << true << 0 << ""
                                            << QStringList{"Short row,100," + QString(25, ',')
                                                           + "\"Expected 3 values (name,price,date), found 2\""};
        QTest::newRow("formula name is written as text")
            << GannHeader + "=HYPERLINK(\"x\"),100,\r\n" << false << 0 << "" << QStringList{"\"'=HYPERLINK(\"\"x\"\")\",100,,105"};
        QTest::newRow("a price that is no price and no date says why")
            << GannHeader + "W,@A1,\r\n" << true << 0 << ""
            << QStringList{"W,'@A1," + QString(25, ',') + "\"Nothing was projected: the price \"\"@A1\"\" is no price "
                           "on the square, which takes whole prices from 1 to 9999, and no date was given\""};
        QTest::newRow("window's own rejection keeps the row")
            << GannHeader + "Too large,10000,\r\n" << false << 0 << ""
            << QStringList{"Too large,10000," + QString(25, ',') + "Please enter a price smaller than 10000"};
    }
    void strictAndLenientRows() {
        QFETCH(QByteArray, csv);
        QFETCH(bool, lenient);
        QFETCH(int, status);
        QFETCH(QString, error);
        QFETCH(QStringList, firstCells);
        QStringList args{"gann", "--csv", "-", "--today", "6/1/2024"};
        if (lenient)
            args << "--lenient";
        const CliResult r = RunCliProgram(args, csv);
        QCOMPARE(r.status, status);
        QCOMPARE(r.errText(), error.isEmpty() ? QString() : error + "\n");
        QCOMPARE(r.out.isEmpty(), status == 2);
        const QStringList rows = r.outText().split("\r\n").mid(1, firstCells.size());
        QCOMPARE(rows.size(), firstCells.size());
        for (int i = 0; i < rows.size(); ++i)
            QVERIFY2(rows[i].startsWith(firstCells[i]), qPrintable(rows[i]));
    }

    // Every row must give what the window gives for it alone, whatever rows came before
    // (the same price with another date, the same date with another price).
    void rowsMatchTheWindow() {
        const QList<QStringList> rows{{"9999", "12/20/2023"}, {"2", ""},        {"1000", "1/15/2024"},
                                      {"2", "1/15/2024"},     {"", "5/5/2020"}, {"-7", "12/20/2023"},
                                      {"12.5", ""},           {"100", "6/1/9999"}};
        QByteArray csv = GannHeader;
        for (const QStringList& row : rows)
            csv += "x," + row.join(',').toUtf8() + "\r\n";
        const QStringList args{"--today", "6/1/2024", "--screen", "800x600"};
        const QStringList batch =
            RunCliProgram(QStringList{"gann", "--csv", "-", "--lenient"} + args, csv).outText().split("\r\n");
        QCOMPARE(batch.size(), rows.size() + 2);
        for (int i = 0; i < rows.size(); ++i) {
            QStringList single{"gann", "--price", rows[i][0]};
            if (!rows[i][1].isEmpty())
                single << "--date" << rows[i][1];
            const QString results = batch[i + 1].section(',', 3);
            const QString expected = WindowResults(single + args);
            QVERIFY2(results == expected + ',' || results == QString(24, ',') + expected, qPrintable(results));
        }
    }

    // Thousands of rows over several workers come out whole and in input order.
    void manyRowsInOrder() {
        QByteArray csv = GannHeader, out;
        for (int i = 0; i < 3000; ++i)
            csv += QByteArray::number(i) + ',' + QByteArray::number(1 + i % 97) + ",1/" + QByteArray::number(1 + i % 28) + "/2024\n";
        BatchSettings settings;
        settings.today = QDate(2024, 6, 1);
        settings.threads = 4;
        qint64 lastCount = 0;
        QVERIFY(!RunCsvBatch(csv, settings, [&](const QByteArray& bytes, qint64 rows) {
            out += bytes;
            [&] { QVERIFY(rows >= lastCount); }();
            lastCount = rows;
            return std::optional<CliFailure>();
        }));
        const QList<QByteArray> lines = out.split('\n');
        QCOMPARE(lines.size(), 3002);
        for (int i = 0; i < 3000; ++i)
            QVERIFY(lines[i + 1].startsWith(QByteArray::number(i) + ','));
        QCOMPARE(lastCount, qint64(3000));
    }

    // Standard output on a full disk: the first refused write ends the batch with its
    // message, though the list on standard input has not ended.
    void fullOutputStopsTheBatch() {
        QProcess tool;
        tool.setStandardOutputFile("/dev/full");
        tool.start(TESSARAY_CLI_PATH, {"gann", "--csv", "-", "--today", "6/1/2024"});
        QVERIFY(tool.waitForStarted());
        tool.write(GannHeader + "First,100,\r\n");
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(tool.readAllStandardError(),
                 QByteArray("Action failed:\nCannot write the file (standard output): No space left on device\n"));
    }

    // A row answered while the list is still being written: the results stream.
    void firstRowBeforeTheLast() {
        QProcess tool;
        tool.start(TESSARAY_CLI_PATH, {"gann", "--csv", "-", "--today", "6/1/2024"});
        QVERIFY(tool.waitForStarted());
        tool.write(GannHeader + "First,100,\r\n");
        QByteArray seen;
        QElapsedTimer clock;
        clock.start();
        while (!seen.contains("First,") && clock.elapsed() < 20000) {
            tool.waitForReadyRead(500);
            seen += tool.readAllStandardOutput();
        }
        QVERIFY2(seen.contains("First,100,,105,"), seen.constData());
        tool.write("Last,200,\r\n");
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(20000));
        seen += tool.readAllStandardOutput();
        QVERIFY(seen.indexOf("First,") < seen.indexOf("Last,200,,206,"));
        QCOMPARE(tool.exitCode(), 0);
    }
};

QTEST_MAIN(TestCliCsv)
#include "test_cli_csv.moc"
