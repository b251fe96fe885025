// What a script sees: exit status 0 done, 1 a file or calculation failed, 2 rejected
// inputs (with the window's own message), 64 a wrong command line; and the files the
// tool reads as the windows do (projects, the settings beside the program).
#include "clirunner.h"

#include <QTemporaryDir>

class TestCliExit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void statusAndMessage_data();
    void statusAndMessage();
    void usageErrors_data();
    void usageErrors();
    void projectValuesWithOptionsOverTyped();
    void gannProjectAsOpenReadsIt();
    void settingsFileBesideTheProgram();
    void chartFileThatCannotBeWritten();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestCliExit::statusAndMessage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");   // all of standard error
    const QString r = "--ratios";
    const QString classic = "0.382,0.5,0.618";
    QTest::newRow("fib nothing entered") << QStringList{"fib", r, classic} << 2 << "No input specified\n";
    QTest::newRow("fib one price") << QStringList{"fib", "--price1", "100", r, classic} << 2
                                   << "Either both or none of the prices should be entered\n";
    QTest::newRow("fib equal prices") << QStringList{"fib", "--price1", "7", "--price2", "7.0", r, classic} << 2
                                      << "Both prices can't be the same\n";
    QTest::newRow("fib dates backwards")
        << QStringList{"fib", "--date1", "3/1/2004", "--date2", "3/1/2004", r, classic} << 2
        << "Date2 should be greater than Date1\n";
    QTest::newRow("fib ratios as the dialog refuses them")
        << QStringList{"fib", "--price1", "1", "--price2", "2", r, "0.5,0.5,0.618"} << 2
        << "Ratios must be in increasing order\n";
    QTest::newRow("fib zero ratio") << QStringList{"fib", "--price1", "1", "--price2", "2", r, "0,0.5,0.618"}
                                    << 2 << "All ratios must be greater than 0\n";
    QTest::newRow("fib projected date past 9999")
        << QStringList{"fib", "--date1", "1/1/9000", "--date2", "12/31/9999", r, classic} << 1
        << "The projected date would fall after 12/31/9999. Choose an earlier date.\n";
    QTest::newRow("gann nothing entered") << QStringList{"gann"} << 2 << "Please enter price and/or date\n";
    QTest::newRow("gann price too large") << QStringList{"gann", "--price", "12000"} << 2
                                          << "Please enter a price smaller than 10000\n";
    QTest::newRow("gann date too late to project") << QStringList{"gann", "--date", "12/1/9999"} << 1
        << "The projected date would fall after 12/31/9999. Choose an earlier date.\n";
    QTest::newRow("gann blank price is a price box that is not empty")
        << QStringList{"gann", "--price", " ", "--format", "listing"} << 0 << "";
    QTest::newRow("project file missing") << QStringList{"gann", "--project", "/nonexistent/x.gann"} << 1
                                          << "Action failed:\nCan't open project file\n";
    QTest::newRow("watch-list missing") << QStringList{"gann", "--csv", "/nonexistent/list.csv"} << 1
                                        << "Action failed:\nCan't read the watch-list file\n";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "";
}

void TestCliExit::statusAndMessage()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    const CliResult result = RunCliProgram(args);
    QCOMPARE(result.errText(), message);
    QCOMPARE(result.status, status);
    if (status != 0)
        QCOMPARE(result.out, QByteArray());
}

void TestCliExit::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("complaint");   // the first line of standard error
    QTest::newRow("no analysis") << QStringList{} << "name the analysis: fib or gann";
    QTest::newRow("unknown option") << QStringList{"fib", "--bogus", "1"} << "unknown option --bogus";
    QTest::newRow("option of the other analysis") << QStringList{"gann", "--price1", "1"}
                                                  << "--price1 is not an option of gann";
    QTest::newRow("value missing") << QStringList{"fib", "--price1"} << "--price1 needs a value";
    QTest::newRow("date that does not exist") << QStringList{"gann", "--date", "2/30/2024"}
        << "--date needs a date m/d/yyyy from 1/1/1601 to 12/31/9999, not \"2/30/2024\"";
    QTest::newRow("date before the picker's range") << QStringList{"gann", "--date", "12/31/1600"}
        << "--date needs a date m/d/yyyy from 1/1/1601 to 12/31/9999, not \"12/31/1600\"";
    QTest::newRow("ratios not three numbers") << QStringList{"fib", "--ratios", "0.3,0.5"}
                                              << "--ratios needs three numbers R1,R2,R3, not \"0.3,0.5\"";
    QTest::newRow("screen too large for a bitmap") << QStringList{"fib", "--screen", "10000x10000"}
        << "--screen needs WIDTHxHEIGHT in pixels, at least 40 high and at most 8192x8192, not \"10000x10000\"";
    QTest::newRow("row input beside a batch") << QStringList{"gann", "--csv", "-", "--price", "100"}
                                              << "--price cannot be combined with --csv";
}

void TestCliExit::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, complaint);
    const CliResult result = RunCliProgram(args);
    QCOMPARE(result.status, 64);
    QCOMPARE(result.errText().section('\n', 0, 0), "tessaray-cli: " + complaint);
    QVERIFY(result.errText().contains("Usage:"));
    QCOMPARE(result.out, QByteArray());
}

// --project reads the file as Open does, then the options are typed over the boxes.
void TestCliExit::projectValuesWithOptionsOverTyped()
{
    const QString path = Path("gold.fib");
    WriteFile(path, "NM=Gold\r\nP1=100\r\nP2=150\r\nD1=1/1/2004\r\nD2=3/1/2004\r\nNT=first\r\nsecond\r\n");
    const QStringList base{"fib", "--project", path, "--ratios", "0.382,0.5,0.618", "--today", "6/1/2024"};

    const CliResult asSaved = RunCliProgram(base);
    QCOMPARE(asSaved.status, 0);
    QVERIFY(asSaved.outText().contains("Project Name: Gold\r\n"));
    QVERIFY(asSaved.outText().contains("Price1: 130.90\r\n"));
    QVERIFY(asSaved.outText().endsWith("Notes\r\n-----\r\nfirst\r\nsecond\r\n"));

    const CliResult overTyped = RunCliProgram(base + QStringList{"--price2", "200", "--notes", "new"});
    QCOMPARE(overTyped.status, 0);
    QVERIFY(overTyped.outText().contains("Price2: 200.00\r\n"));
    QVERIFY(overTyped.outText().contains("Date1 : 1/1/2004\r\n"));
    QVERIFY(overTyped.outText().endsWith("-----\r\nnew\r\n"));

    WriteFile(Path("bad.fib"), "P1=12abc\r\n");
    const CliResult bad = RunCliProgram({"fib", "--project", Path("bad.fib")});
    QCOMPARE(bad.status, 1);
    QCOMPARE(bad.errText(), QString("Action failed:\nCan't open project file\n"));
}

void TestCliExit::gannProjectAsOpenReadsIt()
{
    // A file without NT keeps the notes box as the window designed it.
    const QString path = Path("crude.gann");
    WriteFile(path, "nm = Crude \r\nPR=100\r\nDT=1/15/2024\r\n");
    const CliResult r = RunCliProgram({"gann", "--project", path, "--today", "6/1/2024"});
    QCOMPARE(r.status, 0);
    QVERIFY(r.outText().startsWith("Gann Analysis\r\n\r\nProject Name: Crude\r\n"));
    QVERIFY(r.outText().contains("Date : 01/15/2024\r\n"));
    QVERIFY(r.outText().contains("Date8: 01/14/2025\r\n"));
    QVERIFY(r.outText().endsWith("Notes\r\n-----\r\nNotes\r\n\r\n"));

    // A project that opens but whose price the calculation refuses.
    WriteFile(Path("big.gann"), "PR=12000\r\n");
    const CliResult refused = RunCliProgram({"gann", "--project", Path("big.gann")});
    QCOMPARE(refused.status, 2);
    QCOMPARE(refused.errText(), QString("Please enter a price smaller than 10000\n"));
}

// The ratios come from quillomat.ini beside the executable, read as the main menu
// reads it; the program is copied so the test owns that directory.
void TestCliExit::settingsFileBesideTheProgram()
{
    const QString program = Path("tessaray-cli");
    QFile::remove(program);
    QVERIFY(QFile::copy(TESSARAY_CLI_PATH, program));
    QFile::setPermissions(program, QFile::permissions(TESSARAY_CLI_PATH));
    const QStringList args{"fib", "--price1", "100", "--price2", "200", "--format", "listing"};

    QFile::remove(Path("quillomat.ini"));
    QVERIFY(RunCliProgram(args, {}, program).outText().contains("0.382       161.80"));

    WriteFile(Path("quillomat.ini"), "FIB1=0.25\r\nfib2 = 0.5 \r\nFIB3=0.75=x\r\n");
    QCOMPARE(RunCliProgram(args, {}, program).outText().section("\r\n", 2, 4),
             QString("0.25        175.00\r\n0.5         150.00\r\n0.75        125.00"));

    // A bad value sends all three back to the defaults, silently.
    WriteFile(Path("quillomat.ini"), "FIB1=0.25\r\nFIB2=abc\r\n");
    const CliResult defaults = RunCliProgram(args, {}, program);
    QCOMPARE(defaults.status, 0);
    QVERIFY(defaults.outText().contains("0.618       138.20"));

    // --ratios wins over the file.
    QVERIFY(RunCliProgram(args + QStringList{"--ratios", "0.1,0.2,0.3"}, {}, program)
                .outText().contains("0.1         190.00"));
}

// Print Image's own failure sentence, with the platform's description after it; nothing
// is printed when the bitmap could not be saved.
void TestCliExit::chartFileThatCannotBeWritten()
{
    const CliResult r = RunCliProgram({"gann", "--price", "100", "--chart", "/nonexistent/dir/chart.bmp"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.errText().startsWith("Error in Printing: "), r.err.constData());
    QCOMPARE(r.out, QByteArray());
}

QTEST_MAIN(TestCliExit)
#include "test_cli_exit.moc"
