// What a script sees: exit status 0 done, 1 a file or calculation failed, 2 rejected
// inputs (with the window's own message), 64 a wrong command line; and the files the
// tool reads as the windows do (projects, the settings beside the program).
#include "clirunner.h"

#include <QTemporaryDir>

class TestCliExit : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFile(Path("bad.fib"), "P1=12abc\r\n");
        WriteFile(Path("big.gann"), "PR=12000\r\n");
    }

    // message: all of standard error; for status 64 its first line.
    void statusAndMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString r = "--ratios";
        const QString classic = "0.382,0.5,0.618";
        QTest::newRow("fib nothing entered") << QStringList{"fib", r, classic} << 2 << "No input specified\n";
        QTest::newRow("fib ratios as the dialog refuses them")
            << QStringList{"fib", "--price1", "1", "--price2", "2", r, "0.5,0.5,0.618"} << 2
            << "Ratios must be in increasing order\n";
        QTest::newRow("fib projected date past 9999")
            << QStringList{"fib", "--date1", "1/1/9000", "--date2", "12/31/9999", r, classic} << 1
            << "The projected date would fall after 12/31/9999. Choose an earlier date.\n";
        QTest::newRow("gann price too large") << QStringList{"gann", "--price", "12000"} << 2
                                              << "Please enter a price smaller than 10000\n";
        QTest::newRow("gann blank price is a price box that is not empty")
            << QStringList{"gann", "--price", " ", "--format", "listing"} << 0 << "";
        QTest::newRow("project that does not open") << QStringList{"fib", "--project", Path("bad.fib")} << 1
                                                    << "Action failed:\nCan't open project file\n";
        QTest::newRow("project price refused") << QStringList{"gann", "--project", Path("big.gann")} << 2
                                               << "Please enter a price smaller than 10000\n";
        QTest::newRow("watch-list missing") << QStringList{"gann", "--csv", "/nonexistent/list.csv"} << 1
                                            << "Action failed:\nCan't read the watch-list file\n";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "";
        QTest::newRow("no analysis") << QStringList{} << 64 << "name the analysis: fib or gann";
        QTest::newRow("option of the other analysis") << QStringList{"gann", "--price1", "1"} << 64
                                                      << "--price1 is not an option of gann";
        QTest::newRow("date before the picker's range") << QStringList{"gann", "--date", "12/31/1600"} << 64
            << "--date needs a date m/d/yyyy from 1/1/1601 to 12/31/9999, not \"12/31/1600\"";
        QTest::newRow("row input beside a batch") << QStringList{"gann", "--csv", "-", "--price", "100"} << 64
                                                  << "--price cannot be combined with --csv";
    }
    void statusAndMessage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const CliResult result = RunCliProgram(args);
        QCOMPARE(result.status, status);
        if (status == 64) {
            QCOMPARE(result.errText().section('\n', 0, 0), "tessaray-cli: " + message);
            QVERIFY(result.errText().contains("Usage:"));
        } else {
            QCOMPARE(result.errText(), message);
        }
        if (status != 0)
            QCOMPARE(result.out, QByteArray());
    }

    // Print Image's own failure sentence; nothing is printed when the bitmap failed.
    void chartFileThatCannotBeWritten()
    {
        const CliResult r = RunCliProgram({"gann", "--price", "100", "--chart", "/nonexistent/dir/chart.bmp"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.errText().startsWith("Error in Printing: "), r.err.constData());
        QCOMPARE(r.out, QByteArray());
    }

    // --project reads the file as Open does, then the options are typed over the boxes.
    void projectValuesWithOptionsOverTyped()
    {
        WriteFile(Path("gold.fib"), "NM=Gold\r\nP1=100\r\nP2=150\r\nD1=1/1/2004\r\nD2=3/1/2004\r\nNT=first\r\nsecond\r\n");
        const QStringList args{"fib", "--project", Path("gold.fib"), "--ratios", "0.382,0.5,0.618",
                               "--price2", "200", "--notes", "new"};
        const QString report = RunCliProgram(args).outText();
        QVERIFY(report.contains("Project Name: Gold\r\n"));
        QVERIFY(report.contains("Price2: 200.00\r\nDate1 : 1/1/2004\r\n"));
        QVERIFY(report.endsWith("-----\r\nnew\r\n"));
    }

    // The ratios come from quillomat.ini beside the executable, unless --ratios is given;
    // the program is copied so the test owns that directory.
    void settingsFileBesideTheProgram()
    {
        const QString program = Path("tessaray-cli");
        QVERIFY(QFile::copy(TESSARAY_CLI_PATH, program));
        QFile::setPermissions(program, QFile::permissions(TESSARAY_CLI_PATH));
        const QStringList args{"fib", "--price1", "100", "--price2", "200", "--format", "listing"};
        QVERIFY(RunCliProgram(args, {}, program).outText().contains("0.382       161.80"));   // no file
        WriteFile(Path("quillomat.ini"), "FIB1=0.25\r\nfib2 = 0.5 \r\nFIB3=0.75=x\r\n");
        QCOMPARE(RunCliProgram(args, {}, program).outText().section("\r\n", 2, 4),
                 QString("0.25        175.00\r\n0.5         150.00\r\n0.75        125.00"));
        QVERIFY(RunCliProgram(args + QStringList{"--ratios", "0.1,0.2,0.3"}, {}, program)
                    .outText().contains("0.1         190.00"));
    }
};

QTEST_MAIN(TestCliExit)
#include "test_cli_exit.moc"
