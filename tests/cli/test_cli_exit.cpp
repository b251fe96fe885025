// What a script sees: exit status 0 done, 1 a file or calculation failed, 2 rejected
// inputs (with the window's own message), 64 a wrong command line; and the settings file
// the tool reads beside the program as the windows do.
#include "clirunner.h"

#include <QTemporaryDir>

class TestCliExit : public QObject {
    Q_OBJECT
private slots:
    // message: all of standard error; a final "*" compares only its start; for status 64
    // the first line.
    void statusAndMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString r = "--ratios", classic = "0.382,0.5,0.618";
        QTest::newRow("fib nothing entered") << QStringList{"fib", r, classic} << 2 << "No input specified\n";
        QTest::newRow("fib ratios as the dialog refuses them")
            << QStringList{"fib", "--price1", "1", "--price2", "2", r, "0.5,0.5,0.618"} << 2
            << "Ratios must be in increasing order\n";
        QTest::newRow("fib projected date past 9999")
            << QStringList{"fib", "--date1", "1/1/9000", "--date2", "12/31/9999", r, classic} << 1
            << "The projected date would fall after 12/31/9999. Choose an earlier date.\n";
        QTest::newRow("gann blank price is a price box that is not empty")
            << QStringList{"gann", "--price", " ", "--format", "listing"} << 0 << "";
        QTest::newRow("watch-list missing") << QStringList{"gann", "--csv", "/nonexistent/list.csv"} << 1
                                            << "Action failed:\nCan't read the watch-list file\n";
        QTest::newRow("chart file that cannot be written")
            << QStringList{"gann", "--price", "100", "--chart", "/nonexistent/dir/chart.bmp"} << 1
            << "Error in Printing: *";
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
        } else if (message.endsWith('*')) {
            QVERIFY2(result.errText().startsWith(message.chopped(1)), result.err.constData());
        } else {
            QCOMPARE(result.errText(), message);
        }
        if (status != 0)
            QCOMPARE(result.out, QByteArray());
    }

    // The ratios come from quillomat.ini beside the executable, unless --ratios is given;
    // the program is copied so the test owns that directory.
    void settingsFileBesideTheProgram()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath("tessaray-cli");
        QVERIFY(QFile::copy(TESSARAY_CLI_PATH, program));
        QFile::setPermissions(program, QFile::permissions(TESSARAY_CLI_PATH));
        QFile settings(dir.filePath("quillomat.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("FIB1=0.25\r\nFIB2=0.5\r\nFIB3=0.75\r\n") > 0);
        settings.close();
        const QStringList args{"fib", "--price1", "100", "--price2", "200", "--format", "listing"};
        QCOMPARE(RunCliProgram(args, {}, program).outText().section("\r\n", 2, 4),
                 QString("0.25        175.00\r\n0.5         150.00\r\n0.75        125.00"));
        QVERIFY(RunCliProgram(args + QStringList{"--ratios", "0.1,0.2,0.3"}, {}, program)
                    .outText().contains("0.1         190.00"));
    }
};

QTEST_MAIN(TestCliExit)
#include "test_cli_exit.moc"
