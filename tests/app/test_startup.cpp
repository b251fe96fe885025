// `tessaray` as a terminal and a file manager start it: --help and --version answered
// without a display, a wrong command line refused, and a project file named on the
// command line opened in the window of its analysis.
#include "forms/shell/frmMain.h"
#include "testfiles.h"
#include "uitest.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <algorithm>

class TestStartup : public UiTest {
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        UiTest::cleanup();
    }

    // The display is taken away unless a row names the offscreen one, as a terminal
    // over ssh or a build machine has none.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");   // the start of a line it writes
        QTest::newRow("help") << QStringList{"--help"} << false << 0 << "Usage: tessaray [FILE.fib | FILE.gann]";
        QTest::newRow("version, after a file") << QStringList{"x.fib", "--version"} << false << 0 << "tessaray 1.0.0";
        QTest::newRow("no display") << QStringList{"x.fib"} << false << 1 << "tessaray: no display";
        QTest::newRow("unknown option") << QStringList{"--print"} << true << 64 << "tessaray: unknown option --print";
        QTest::newRow("two files") << QStringList{"a.fib", "b.gann"} << true << 64
                                   << "tessaray: one project file at a time, not a.fib and b.gann";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, display);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(variable);
        if (display)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(TESSARAY_PROGRAM, args);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "status");
        const QByteArray out = program.exitCode() == 0 ? program.readAllStandardOutput() : program.readAllStandardError();
        // Qt may put a note about the environment first.
        QFETCH(QString, says);
        const QStringList lines = QString::fromLocal8Bit(out).split('\n');
        QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(says); }),
                 out.constData());
        if (args.contains("--version"))
            QVERIFY(out.contains("License GPLv3+"));
    }

    // The ending decides the window, whatever its case; the window opens the file as its
    // Open does, a broken file included; any other file opens no window.
    void projectOpensInItsWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("box");      // a price box and what it shows
        QTest::addColumn<QString>("shows");
        QTest::addColumn<QString>("message");
        QTest::newRow("fib") << "gold.fib" << QByteArray("NM=Gold\r\nP1=100\r\nP2=150\r\nD1=1/1/2004\r\nD2=3/1/2004\r\nNT=\r\n")
                             << "frmFibonacci" << "txtPrice1" << "100" << "";
        QTest::newRow("gann, capitals") << "CORN.GANN" << QByteArray("NM=Corn\r\nPR=1225\r\nDT=1/15/2024\r\nNT=\r\n")
                                        << "frmGann" << "txtPrice" << "1225" << "";
        QTest::newRow("fib that is not one") << "broken.fib" << QByteArray("NM=Gold\r\nP1=12abc\r\n") << "frmFibonacci" << "txtPrice1" << ""
                                             << "Action failed:\nCan't open project file";
        QTest::newRow("neither") << "notes.txt" << QByteArray("NM=Gold\r\n") << "" << "" << ""
                                 << "%1 is not a project: Tessaray opens Fibonacci projects (.fib) and Gann projects (.gann).";
    }
    void projectOpensInItsWindow()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, window);
        QFETCH(QString, message);
        const QString path = programDir() + "/" + name;
        QVERIFY(WriteBytes(path, contents));
        frmMain::OpenProjectFile(path);
        QCOMPARE(fake().lastMessage(), message.contains("%1") ? message.arg(path) : message);
        QWidget* opened = ui::openWindow(window);
        if (window.isEmpty()) {
            const QWidgetList all = QApplication::topLevelWidgets();
            QVERIFY(std::none_of(all.begin(), all.end(), [](QWidget* w) { return w->isVisible(); }));
            return;
        }
        QVERIFY(opened);
        QFETCH(QString, box);
        QTEST(ui::find<QLineEdit>(opened, box)->text(), "shows");
        QCOMPARE(ui::documentState(static_cast<DocumentWindow*>(opened)),
                 QString(message.isEmpty() ? "Open Unchanged" : "New Unchanged"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
