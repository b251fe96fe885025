// What a script sees: exit status 0 done, 1 a file or calculation failed, 2 rejected
// inputs (with the window's own message), 64 a wrong command line; and the settings file
// the tool reads beside the program as the windows do.
#include "app/cli/clifiles.h"
#include "clirunner.h"
#include "core/settings/settings.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

const QString TryHelp = "\nTry 'tessaray-cli --help' for more information.\n";

class TestCliExit : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The rows name files in a folder of their own: a named pipe, a link to a chart not
    // made yet, 32 MB of empty lines as a project.
    void initTestCase() {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QCOMPARE(::mkfifo("pipe.gann", 0600), 0);
        QVERIFY(QFile::link("chart.png", "link.png"));
        QVERIFY(WriteBytes("empty-lines.gann", QByteArray(32 << 20, '\n')));
    }

    // message: all of standard error; a final "*" compares only its start. For status 64
    // it is the one line after "tessaray-cli: ", then the pointer to --help. ">/dev/full"
    // sends standard output to a disk that is full. Every run may use 250 MB of memory.
    void statusAndMessage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString r = "--ratios", classic = "0.382,0.5,0.618";
        QTest::newRow("fib nothing entered") << QStringList{"fib", r, classic} << 2 << "No input specified\n";
        QTest::newRow("fib projected date past 9999")
            << QStringList{"fib", "--date1", "1/1/9000", "--date2", "9999-12-31", r, classic} << 1
            << "The projected date would fall after 12/31/9999. Choose an earlier date.\n";
        QTest::newRow("gann price that is no price, no date") << QStringList{"gann", "--price", "0.4"} << 2
            << "Nothing was projected: the price \"0.4\" is no price on the square, which takes whole prices "
               "from 1 to 9999, and no date was given\n";
        QTest::newRow("watch-list missing") << QStringList{"gann", "--csv", "/nonexistent/list.csv"} << 1
            << "Action failed:\nCannot read the watch-list /nonexistent/list.csv: No such file or directory\n";
        QTest::newRow("project is a folder") << QStringList{"gann", "--project", "/tmp"} << 1
            << "Action failed:\nCan't open project file /tmp: Is a directory\n";
        QTest::newRow("project is a named pipe: refused, never waited on")
            << QStringList{"fib", "--project", "pipe.gann"} << 1
            << "Action failed:\nCan't open project file pipe.gann: not a regular file\n";
        QTest::newRow("project of 32 MB of empty lines: read in little memory")
            << QStringList{"gann", "--project", "empty-lines.gann"} << 2 << "Please enter price and/or date\n";
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
            << QStringList{"gann", "--price", "100", "--chart", "-", "--output", "/dev/stdout"} << 64
            << "--output \"/dev/stdout\" and --chart \"-\" name the same file; give each its own";
        QTest::newRow("chart and report one file through a link")
            << QStringList{"gann", "--price", "100", "--chart", "chart.png", "--output", "link.png"} << 64
            << "--output \"link.png\" and --chart \"chart.png\" name the same file; give each its own";
        QTest::newRow("empty file name") << QStringList{"gann", "--price", "100", "--output", ""} << 64
                                         << "--output: the file name is empty";
        QTest::newRow("option of the other analysis") << QStringList{"gann", "--price1", "1"} << 64
                                                      << "--price1 is not an option of gann";
        QTest::newRow("flag given a value") << QStringList{"gann", "--lenient=1"} << 64 << "--lenient takes no value";
        QTest::newRow("unknown command") << QStringList{"prices"} << 64
                                         << "unknown command \"prices\": use fib, gann or history";
        QTest::newRow("date before the picker's range") << QStringList{"gann", "--date", "12/31/1600"} << 64
            << "--date: \"12/31/1600\" is not a date m/d/yyyy or yyyy-mm-dd from 1/1/1601 to 12/31/9999";
        QTest::newRow("a long value is cut, control characters shown")
            << QStringList{"fib", "--price1", "\x1b[2J" + QString(100000, '9')} << 64
            << "--price1: \"\\x1B[2J" + QString(36, '9') + "…\" is not a number (digits with one \".\", an "
               "optional sign and exponent); --lenient reads it as the price box would";
        QTest::newRow("row input beside a batch") << QStringList{"gann", "--csv", "-", "--price", "100"} << 64
                                                  << "--price cannot be combined with --csv";
    }
    void statusAndMessage() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const bool full = args.removeOne(">/dev/full");
        const CliResult result = RunCliProgram(args, {}, TESSARAY_CLI_PATH, full ? "/dev/full" : "", 250 << 20);
        QCOMPARE(result.status, status);
        if (status == 64)
            message = "tessaray-cli: " + message + TryHelp;
        if (message.endsWith('*'))
            QVERIFY2(result.errText().startsWith(message.chopped(1)), result.err.constData());
        else
            QCOMPARE(result.errText(), message);
        if (status != 0)
            QCOMPARE(result.out, QByteArray());
        QVERIFY(!QFile::exists("chart.png"));
    }

    // A terminal, a pipe or a descriptor the shell opened takes the text as a stream, as
    // "-" does: ">> log.txt" keeps what log.txt held. stdoutTo: a file standard output
    // appends to (holding "old"), else a pipe.
    void outputAsStream_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("stdoutTo");
        QTest::addColumn<QString>("error");
        QTest::newRow("/dev/stdout appended to a file") << "/dev/stdout" << "log.txt" << "";
        QTest::newRow("/dev/fd/1 into a pipe") << "/dev/fd/1" << "" << "";
        QTest::newRow("a named pipe") << "pipe.gann" << "" << "";
        QTest::newRow("a full device") << "/dev/full" << ""
                                       << "Action failed:\nCannot write the file /dev/full: No space left on device\n";
    }
    void outputAsStream() {
        QFETCH(QString, output);
        QFETCH(QString, stdoutTo);
        QFETCH(QString, error);
        const QByteArray report = RunCliProgram({"gann", "--price", "100"}).out;
        QProcess tool;
        if (!stdoutTo.isEmpty()) {
            QVERIFY(WriteBytes(stdoutTo, "old\n"));
            tool.setStandardOutputFile(stdoutTo, QIODevice::Append);
        }
        // Read and write ends at once, so neither side waits for the other to open it.
        const int pipe = output == "pipe.gann" ? ::open("pipe.gann", O_RDWR | O_NONBLOCK) : -1;
        tool.start(TESSARAY_CLI_PATH, {"gann", "--price", "100", "--output", output});
        QVERIFY(tool.waitForFinished(60000));
        QFile fifo;
        const QByteArray written = fifo.open(pipe, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? fifo.read(65536) : "";
        QCOMPARE(QString::fromUtf8(tool.readAllStandardError()), error);
        QCOMPARE(tool.exitCode(), error.isEmpty() ? 0 : 1);
        if (!stdoutTo.isEmpty())
            QCOMPARE(ReadBytes(stdoutTo), "old\n" + report);
        else if (error.isEmpty())
            QCOMPARE(written + tool.readAllStandardOutput(), report);
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
        QTest::newRow("a blank is a box that is not empty")
            << QStringList{"gann", "--date", "1/15/2024", "--price"} << " " << "Angle  High   Low\r\n-----  ----   ---\r\n=====";
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

    // The window's 12-character ratio column cuts a longer ratio and runs it into its
    // price; the tool prints the ratio whole and a blank. line: the first ratio's line.
    void longRatios_data() {
        QTest::addColumn<QString>("ratios");
        QTest::addColumn<QString>("line");
        QTest::newRow("twelve characters") << "0.1234567891,0.5,0.618" << "0.1234567891 143.83";
        QTest::newRow("beyond the plain decimal range") << "1e-320,0.5,0.618" << "9.99988867182683E-321 150.00";
    }
    void longRatios() {
        QFETCH(QString, ratios);
        QFETCH(QString, line);
        const CliResult r = RunCliProgram({"fib", "--price1", "100", "--price2", "150", "--ratios", ratios, "--format", "listing"});
        QCOMPARE(r.outText().section("\r\n", 2, 2), line);
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
    // the program is copied so the test owns that directory. The windows read a file
    // that leaves a ratio at 0 or the ratios out of order without a word; the tool
    // warns on standard error and calculates as the window would. A file of 32 MB of
    // empty lines is read in a small multiple of its size. listing: the ratio lines.
    void settingsFileBesideTheProgram_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("three ratios") << QByteArray("FIB1=0.25\r\nFIB2=0.5\r\nFIB3=0.75\r\n")
                                      << "0.25        175.00\r\n0.5         150.00\r\n0.75        125.00" << QStringList();
        QTest::newRow("a key missing leaves its ratio at 0") << QByteArray("FIB1=0.25\nFIB3=0.75")
            << "0.25        175.00\r\n0           200.00\r\n0.75        125.00"
            << QStringList{"FIB2 is missing, so Fibonacci ratio 2 is 0"};
        QTest::newRow("ratios out of order") << QByteArray("FIB1=0.5\nFIB2=0.382\nFIB3=0.618")
            << "0.5         150.00\r\n0.382       161.80\r\n0.618       138.20"
            << QStringList{"the Fibonacci ratios 0.5, 0.382, 0.618 are not in increasing order"};
        QTest::newRow("32 MB of empty lines") << QByteArray(32 << 20, '\n')
            << "0           200.00\r\n0           200.00\r\n0           200.00"
            << QStringList{"FIB1 is missing, so Fibonacci ratio 1 is 0", "FIB2 is missing, so Fibonacci ratio 2 is 0",
                           "FIB3 is missing, so Fibonacci ratio 3 is 0"};
    }
    void settingsFileBesideTheProgram() {
        QFETCH(QByteArray, file);
        QFETCH(QString, listing);
        QFETCH(QStringList, warnings);
        QTemporaryDir dir;
        const QString program = dir.filePath("tessaray-cli");
        QVERIFY(QFile::copy(TESSARAY_CLI_PATH, program));
        QFile::setPermissions(program, QFile::permissions(TESSARAY_CLI_PATH));
        const QString settings = dir.filePath("quillomat.ini");
        QVERIFY(WriteBytes(settings, file));
        QCOMPARE(RunCliProgram({"--settings-path"}, {}, program).outText(), settings + "\n");
        const QStringList args{"fib", "--price1", "100", "--price2", "200", "--format", "listing"};
        const CliResult r = RunCliProgram(args, {}, program, QString(), 250 << 20);
        QCOMPARE(r.outText().section("\r\n", 2, 4), listing);
        QString expected;
        for (const QString& w : warnings)
            expected += "tessaray-cli: " + settings + ": " + w + "\n";
        QCOMPARE(r.errText(), expected);
        QVERIFY(RunCliProgram(args + QStringList{"--ratios", "0.1,0.2,0.3"}, {}, program)
                    .outText().contains("0.1         190.00"));
    }
};

QTEST_MAIN(TestCliExit)
#include "test_cli_exit.moc"
