// SPDX-License-Identifier: GPL-3.0-or-later
// `tessaray` as a terminal and a file manager meet it: it answers --help and --version
// without a display and opens a project file named on its command line in the window
// of its analysis.
#include "forms/shell/frmMain.h"
#include "testfiles.h"
#include "uitest.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>

class TestApp : public UiTest {
    Q_OBJECT
private slots:
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        UiTest::cleanup();
    }

    // Without a display, as on a terminal over ssh: Qt would abort with its plugin advice.
    void commandLineWithoutDisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");   // a line it writes begins so
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: tessaray [FILE.fib | FILE.gann]";
        QTest::newRow("version, after a file") << QStringList{"x.fib", "--version"} << 0 << "License GPLv3+";
        QTest::newRow("a file") << QStringList{"x.fib"} << 1 << "tessaray: no display";
    }
    void commandLineWithoutDisplay() {
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(variable);
        program.setProcessEnvironment(env);
        program.start(TESSARAY_PROGRAM, args);
        QVERIFY(program.waitForFinished(60000));
        QTEST(program.exitCode(), "status");
        const QString out = program.readAllStandardOutput() + program.readAllStandardError();
        QVERIFY2(out.contains(QRegularExpression("(^|\n)" + QRegularExpression::escape(says))), qPrintable(out));
    }

    // The ending decides the window, whatever its case; any other file opens none.
    void projectOpensInItsWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("priceBox");
        QTest::newRow("fib") << "gold.fib" << "frmFibonacci" << "txtPrice1";
        QTest::newRow("gann, capitals") << "CORN.GANN" << "frmGann" << "txtPrice";
        QTest::newRow("neither") << "notes.txt" << "" << "";
    }
    void projectOpensInItsWindow() {
        QFETCH(QString, name);
        QFETCH(QString, window);
        const QString path = programDir() + "/" + name;
        QVERIFY(WriteBytes(path, "P1=100\r\nP2=150\r\nPR=100\r\n"));   // each reader skips the other's keys
        frmMain::OpenProjectFile(path);
        auto* opened = static_cast<DocumentWindow*>(ui::openWindow(window));
        QCOMPARE(fake().messageTexts(), window.isEmpty() ? QStringList{path + " is not a project: Tessaray opens "
                                                       "Fibonacci projects (.fib) and Gann projects (.gann)."} : QStringList());
        QCOMPARE(!opened, window.isEmpty());
        QFETCH(QString, priceBox);
        if (opened)
            QCOMPARE(ui::find<QLineEdit>(opened, priceBox)->text() + " " + ui::documentState(opened), "100 Open Unchanged");
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
