// What a script sees: exit status 0 done, 1 a file or calculation failed, 2 rejected
// inputs (with the window's own message), 64 a wrong command line; and the settings file
// the tool reads beside the program as the windows do.
#include "app/cli/clifiles.h"
#include "clirunner.h"
#include "forms/shell/settings.h"
#include "testfiles.h"

#include <QTemporaryDir>

class TestCliExit : public QObject {
    Q_OBJECT
private slots:
    // message: all of standard error; a final "*" compares only its start; for status 64
    // the first line. ">/dev/full" sends standard output to a disk that is full.
    void statusAndMessage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString r = "--ratios", classic = "0.382,0.5,0.618";
        QTest::newRow("fib nothing entered") << QStringList{"fib", r, classic} << 2 << "No input specified\n";
        QTest::newRow("fib projected date past 9999")
            << QStringList{"fib", "--date1", "1/1/9000", "--date2", "9999-12-31", r, classic} << 1
            << "The projected date would fall after 12/31/9999. Choose an earlier date.\n";
        QTest::newRow("watch-list missing") << QStringList{"gann", "--csv", "/nonexistent/list.csv"} << 1
            << "Action failed:\nCannot read the watch-list /nonexistent/list.csv: No such file or directory\n";
        QTest::newRow("project is a folder") << QStringList{"gann", "--project", "/tmp"} << 1
            << "Action failed:\nCan't open project file /tmp: Is a directory\n";
        QTest::newRow("chart file that cannot be written")
            << QStringList{"gann", "--price", "100", "--chart", "/nonexistent/dir/chart.bmp"} << 1
            << "Error in Printing: Cannot write the file /nonexistent/dir/chart.bmp: No such file or directory\n";
        QTest::newRow("report file that cannot be written")
            << QStringList{"gann", "--price", "100", "--output", "/proc/version/report.txt"} << 1
            << "Action failed:\nCannot write the file /proc/version/report.txt: *";
        QTest::newRow("report onto a full disk") << QStringList{"gann", "--price", "100", ">/dev/full"} << 1
            << "Action failed:\nCannot write the file (standard output): No space left on device\n";
        QTest::newRow("chart of another kind") << QStringList{"gann", "--price", "100", "--chart", "c.jpg"} << 64
            << "--chart needs a file name ending in .png or .bmp, or - for standard output, not \"c.jpg\"";
        QTest::newRow("chart and report both on standard output")
            << QStringList{"gann", "--price", "100", "--chart", "-", "--output", "-"} << 64
            << "--chart - and --output - cannot both go to standard output";
        QTest::newRow("option of the other analysis") << QStringList{"gann", "--price1", "1"} << 64
                                                      << "--price1 is not an option of gann";
        QTest::newRow("date before the picker's range") << QStringList{"gann", "--date", "12/31/1600"} << 64
            << "--date: \"12/31/1600\" is not a date m/d/yyyy or yyyy-mm-dd from 1/1/1601 to 12/31/9999";
        QTest::newRow("row input beside a batch") << QStringList{"gann", "--csv", "-", "--price", "100"} << 64
                                                  << "--price cannot be combined with --csv";
    }
    void statusAndMessage() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const bool full = args.removeOne(">/dev/full");
        const CliResult result = RunCliProgram(args, {}, TESSARAY_CLI_PATH, full ? "/dev/full" : "");
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

    // A named report or chart goes through the windows' careful save: a disk that fills
    // up leaves the old file byte for byte and nothing beside it.
    void fullDiskKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("gold.txt");
        QVERIFY(WriteBytes(path, "old report\r\n"));
        SetFileWriteStep(DiskFullAfter(10));
        const std::optional<CliFailure> report = WriteOutput(path, QByteArray(5000, 'x'), nullptr);
        QImage chart(200, 200, QImage::Format_RGB32);
        chart.fill(Qt::white);
        const std::optional<CliFailure> picture = WriteChartPicture(chart, path, nullptr);
        SetFileWriteStep({});
        QVERIFY(report && picture);
        QVERIFY2(report->message.startsWith("Action failed:\nCannot write the file " + path + ": "),
                 qPrintable(report->message));
        QVERIFY2(picture->message.startsWith("Error in Printing: Cannot write the file " + path + ": "),
                 qPrintable(picture->message));
        QCOMPARE(report->status, 1);
        QCOMPARE(ReadBytes(path), QByteArray("old report\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"gold.txt"});
    }

    // Without --lenient a value must be one number; with it, the window's boxes read it.
    // lenientListing: the start of the listing --lenient prints.
    void strictAndLenient_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lenientListing");
        const QStringList fib{"fib", "--price2", "2000", "--ratios", "0.382,0.5,0.618", "--price1"};
        QTest::newRow("thousands separator reads as 1") << fib << "1,234.50" << "Fib Ratio   Price\r\n---------   -----\r\n0.382       1236.38";
        QTest::newRow("a blank is a box that is not empty") << QStringList{"gann", "--price"} << " " << "Angle  High   Low\r\n";
        QTest::newRow("trailing letters after a price") << QStringList{"gann", "--price"} << "100abc" << "Angle  High   Low\r\n-----  ----   ---\r\n45     105";
        QTest::newRow("ratios as the dialog's boxes read them")
            << QStringList{"fib", "--price1", "100", "--price2", "200", "--ratios"} << "0.25x,0.5,0.75"
            << "Fib Ratio   Price\r\n---------   -----\r\n0.25        175.00";
    }
    void strictAndLenient() {
        QFETCH(QStringList, args);
        QFETCH(QString, text);
        QFETCH(QString, lenientListing);
        const QString option = args.last();
        args << text << "--format" << "listing";
        const CliResult strict = RunCliProgram(args);
        QCOMPARE(strict.status, 64);
        QVERIFY2(strict.errText().startsWith(QString("tessaray-cli: %1").arg(option)), strict.err.constData());
        QVERIFY(strict.errText().section('\n', 0, 0).contains('"' + text + '"'));
        const CliResult lenient = RunCliProgram(args + QStringList{"--lenient"});
        QCOMPARE(lenient.status, 0);
        QVERIFY2(lenient.outText().startsWith(lenientListing), lenient.out.constData());
    }

    // One settings file for the windows and the tool: beside a portable copy, else in
    // the user's configuration folder, which nothing creates before a save.
    void settingsPathRules_data() {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<bool>("portable");
        QTest::newRow("portable folder") << "" << true;   // a fresh temporary folder
        QTest::newRow("system folder, writable by root") << "/usr/bin" << false;
        QTest::newRow("system folder behind a link") << "/bin" << false;
        QTest::newRow("folder nobody may write to") << "/proc/1" << false;
    }
    void settingsPathRules() {
        QFETCH(QString, programDir);
        QFETCH(bool, portable);
        QTemporaryDir config, temporary;
        if (programDir.isEmpty())
            programDir = temporary.path();
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString path = SettingsPathFor(programDir);
        QCOMPARE(path, portable ? QDir(programDir).filePath("quillomat.ini") : config.filePath("tessaray/quillomat.ini"));
        QVERIFY(QDir(config.path()).isEmpty());
        // The first save makes the folder.
        QVERIFY(WriteRatiosFile(path, DefaultRatios));
        QVERIFY(QFile::exists(path));
        qunsetenv("XDG_CONFIG_HOME");
    }

    // The ratios come from quillomat.ini beside the executable, unless --ratios is given;
    // the program is copied so the test owns that directory.
    void settingsFileBesideTheProgram() {
        QTemporaryDir dir;
        const QString program = dir.filePath("tessaray-cli");
        QVERIFY(QFile::copy(TESSARAY_CLI_PATH, program));
        QFile::setPermissions(program, QFile::permissions(TESSARAY_CLI_PATH));
        QFile settings(dir.filePath("quillomat.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("FIB1=0.25\r\nFIB2=0.5\r\nFIB3=0.75\r\n") > 0);
        settings.close();
        QCOMPARE(RunCliProgram({"--settings-path"}, {}, program).outText(), dir.filePath("quillomat.ini") + "\n");
        const QStringList args{"fib", "--price1", "100", "--price2", "200", "--format", "listing"};
        QCOMPARE(RunCliProgram(args, {}, program).outText().section("\r\n", 2, 4),
                 QString("0.25        175.00\r\n0.5         150.00\r\n0.75        125.00"));
        QVERIFY(RunCliProgram(args + QStringList{"--ratios", "0.1,0.2,0.3"}, {}, program)
                    .outText().contains("0.1         190.00"));
    }
};

QTEST_MAIN(TestCliExit)
#include "test_cli_exit.moc"
