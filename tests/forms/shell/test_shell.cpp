#include "forms/output/frmPrintOption.h"
#include "forms/fibonacci/frmFibRatios.h"
#include "forms/history/frmPriceHistory.h"
#include "forms/shell/frmMain.h"
#include "core/settings/settings.h"
#include "platform/shortcuts.h"
#include "platform/textbox.h"
#include "testfiles.h"
#include "uitest.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <memory>

namespace {

// The visible top-level windows by object name, sorted.
QStringList OpenWindowNames() {
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names << w->objectName();
    names.sort();
    return names;
}

const QByteArray OldSettings("FIB1=0.1\r\nSOMETHING=else\r\n");

} // namespace

// The main menu, the windows it opens, the ratios dialog and the settings file. A
// settings folder that cannot be written is the hardening test's.
class TestShell : public UiTest {
    Q_OBJECT
private slots:
    void cleanup() {
        for (int i = 0; i < 4; ++i)
            fake().answers.enqueue(MsgResult::No);   // discard whatever a test left changed
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        fake().answers.clear();
        UiTest::cleanup();
    }

    // Compact when the screen is 800 wide or 600 high, or smaller.
    void layoutFollowsScreen_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("fibonacci");
        QTest::addColumn<QString>("gann");
        QTest::newRow("1280x600 compact by height") << QSize(1280, 600) << "frmFibonacci86" << "frmGann86";
        QTest::newRow("800x1024 compact by width") << QSize(800, 1024) << "frmFibonacci86" << "frmGann86";
        QTest::newRow("801x601 large") << QSize(801, 601) << "frmFibonacci" << "frmGann";
    }
    void layoutFollowsScreen() {
        QFETCH(QSize, screen);
        QFETCH(QString, fibonacci);
        QFETCH(QString, gann);
        fake().screen = screen;
        frmMain menu;
        menu.show();
        UI_CLICK(&menu, "cmdFibonacci");
        UI_CLICK(&menu, "cmdGann");
        QStringList expected{"frmMain", fibonacci, gann};
        expected.sort();
        QCOMPARE(OpenWindowNames(), expected);
        // A second press brings the same window back, with what was typed in it.
        QWidget* first = ui::openWindow(fibonacci);
        UI_TYPE(first, "txtPrice1", "100");
        UI_CLICK(&menu, "cmdFibonacci");
        QCOMPARE(ui::openWindow(fibonacci), first);
        QCOMPARE(ui::find<QLineEdit>(first, "txtPrice1")->text(), QString("100"));
    }


    void exitLeavesADeclinedWindowOpen() {
        auto* menu = new frmMain();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->show();
        UI_CLICK(menu, "cmdGann");
        UI_CLICK(menu, "cmdFibonacci");
        UI_TYPE(ui::openWindow("frmFibonacci"), "txtPrice1", "5");

        fake().answers.enqueue(MsgResult::Cancel);   // "Save Changes?" of the Fibonacci window
        UI_CLICK(menu, "cmdExit");
        QCOMPARE(OpenWindowNames(), QStringList({"frmFibonacci"}));
        QCOMPARE(fake().messageTexts(), QStringList({"Save Changes?"}));
        QCOMPARE(fake().messages[0].owner, ui::openWindow("frmFibonacci"));   // asked over its own window
    }

    // Swings clicked in the price history start a new document as the window's New
    // does: "Save Changes?" over that window when it has changes, and Cancel, or a Yes
    // whose save is cancelled, keeps the document; else the swings fill a fresh one.
    void swingsStartANewDocument_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("answer");   // empty: nothing typed, no question
        QTest::addColumn<bool>("filled");      // else the typed document is kept
        for (const QString window : {"frmFibonacci", "frmGann"})
            for (const auto& [answer, filled] : {std::pair{"", true}, {"No", true}, {"Cancel", false},
                                                 {"Yes, saved", true}, {"Yes", false}})
                QTest::addRow("%s, %s", qPrintable(window), answer) << window << QString(answer) << filled;
    }
    void swingsStartANewDocument() {
        QFETCH(QString, window);
        QFETCH(QString, answer);
        const bool gann = window == "frmGann";
        auto* menu = new frmMain();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        programActions().showPriceHistory();
        auto* history = qobject_cast<frmPriceHistory*>(ui::openWindow("frmPriceHistory"));
        UI_CHECK(ui::click(menu, gann ? "cmdGann" : "cmdFibonacci"));
        QWidget* w = ui::openWindow(window);
        auto* price = ui::find<QLineEdit>(w, gann ? "txtPrice" : "txtPrice1");
        const QString file = programDir() + "/Gold";
        if (!answer.isEmpty()) {
            ui::find<QLineEdit>(w, "txtProject")->setText("Gold");
            price->setText("5");
            if (!gann) ui::find<QLineEdit>(w, "txtPrice2")->setText("6");
            fake().answers << (answer.startsWith("Yes") ? MsgResult::Yes : answer == "No" ? MsgResult::No : MsgResult::Cancel);
            fake().saveAnswers << (answer == "Yes, saved" ? std::optional<QString>(file) : std::nullopt);
        }
        if (gann) emit history->GannRequested("1738", QDate(1987, 10, 19));
        else emit history->FibonacciRequested(2722.42, QDate(1987, 8, 25), 1738.74, QDate(1987, 10, 19));
        QFETCH(bool, filled);
        QCOMPARE(price->text(), filled ? (gann ? "1738" : "2722.42") : "5");
        QCOMPARE(ui::find<QLineEdit>(w, "txtProject")->text(), filled ? "Project Name" : "Gold");
        QCOMPARE(fake().messages.isEmpty() ? nullptr : fake().messages[0].owner, answer.isEmpty() ? nullptr : w);
        QCOMPARE(ReadBytes(file).startsWith("NM=Gold\r\n"), answer == "Yes, saved");
    }

    // The main menu loads the ratios as it opens; a damaged file never stops it, a
    // value it cannot read leaves the classic ratios, and reading never writes the file.
    void menuLoadsRatios_data() {
        QTest::addColumn<QByteArray>("file");   // null: there is no settings file
        QTest::addColumn<QList<double>>("ratios");
        const QList<double> classic{0.382, 0.5, 0.618};
        QTest::newRow("no file: the classic ratios") << QByteArray() << classic;
        QTest::newRow("empty: nothing read") << QByteArray("") << QList<double>{0, 0, 0};
        QTest::newRow("later line wins, LF only") << QByteArray("FIB1=0.3\nFIB1=0.35\n") << QList<double>{0.35, 0, 0};
        QTest::newRow("truncated mid-number") << QByteArray("FIB1=0.3\r\nFIB2=0.4\r\nFIB3=0.")
                                              << QList<double>{0.3, 0.4, 0};
        QTest::newRow("10 MB line before the ratios")
            << QByteArray(10 * 1024 * 1024, 'x') + "\r\nFIB1=0.3\r\nFIB2=0.4\r\nFIB3=0.5\r\n" << QList<double>{0.3, 0.4, 0.5};
        QTest::newRow("too large for a double") << QByteArray("FIB1=1e400\r\n") << classic;
        QTest::newRow("huge but a number") << QByteArray("FIB3=99999999999\r\n") << QList<double>{0, 0, 99999999999.0};
    }
    void menuLoadsRatios() {
        QFETCH(QByteArray, file);
        const QString path = SettingsPath(programDir());
        QVERIFY(file.isNull() || WriteBytes(path, file));
        ProgramRatios loaded;   // zero, as at start-up
        { frmMain menu(&loaded); }
        QTEST((QList<double>{loaded.ratios().r1, loaded.ratios().r2, loaded.ratios().r3}), "ratios");
        QCOMPARE(QFile::exists(path), !file.isNull());
        QVERIFY(file.isNull() || ReadBytes(path) == file);
    }

    // A refused entry keeps the dialog open as typed and the old file and ratios; what an
    // accepted one writes is the next test's and the focused OK button's.
    void refusedRatios_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("message");
        QTest::newRow("equal neighbours") << QStringList{"0.5", "0.5", "0.618"} << "Ratios must be in increasing order";
        QTest::newRow("empty first box wins over order") << QStringList{"", "0.5", "0.4"}
                                                         << "All ratios must be greater than 0";
    }
    void refusedRatios() {
        QFETCH(QStringList, entries);
        QFETCH(QString, message);
        const QString settings = SettingsPath(programDir());
        QVERIFY(WriteBytes(settings, OldSettings));
        frmFibRatios dialog(ratios());
        dialog.show();
        for (int i = 0; i < 3; ++i) {
            const QString box = QStringLiteral("txtRatio%1").arg(i + 1);
            ui::find<QLineEdit>(&dialog, box)->clear();
            UI_CHECK(ui::type(&dialog, box, entries[i]));
        }
        UI_CLICK(&dialog, "cmdOk");
        QCOMPARE(ReadBytes(settings), OldSettings);
        QCOMPARE(fake().messageTexts(), QStringList({message}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(ui::find<QLineEdit>(&dialog, "txtRatio3")->text(), entries[2]);
        QCOMPARE(ratios().ratios().r1, 0.382);
    }

    // Enter on a focused button presses that button, never the default one: Cancel
    // cancels, Set Default only fills the boxes, a menu button opens its window.
    // Escape is Cancel, also in a ratio box.
    void keysOnTheFocusedControl_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("ratios, Set Default") << "frmFibRatios" << "cmdDefault" << Qt::Key_Return << "open 0.382 no file";
        QTest::newRow("ratios, OK") << "frmFibRatios" << "cmdOk" << Qt::Key_Return << "closed 0.3 file";
        QTest::newRow("ratios, Cancel") << "frmFibRatios" << "cmdCancel" << Qt::Key_Return << "closed 0.3 no file";
        QTest::newRow("ratios, Escape in a box") << "frmFibRatios" << "txtRatio2" << Qt::Key_Escape << "closed 0.3 no file";
        QTest::newRow("print destination, OK") << "frmPrintOption" << "cmdOk" << Qt::Key_Return << "closed 1";
        QTest::newRow("print destination, Cancel") << "frmPrintOption" << "cmdCancel" << Qt::Key_Return << "closed 0";
        QTest::newRow("menu, Fibonacci") << "frmMain" << "cmdFibonacci" << Qt::Key_Return << "open frmFibonacci frmMain";
        QTest::newRow("menu, Gann") << "frmMain" << "cmdGann" << Qt::Key_Return << "open frmGann frmMain";
        QTest::newRow("menu, Exit") << "frmMain" << "cmdExit" << Qt::Key_Return << "closed ";
    }
    void keysOnTheFocusedControl() {
        QFETCH(QString, dialog);
        QFETCH(QString, focused);
        QFETCH(Qt::Key, key);
        ratios().setRatios({0.3, 0.6, 0.9});
        frmPrintOption::SelectedOption = 5;
        std::unique_ptr<QWidget> w(dialog == "frmFibRatios" ? static_cast<QWidget*>(new frmFibRatios(ratios()))
                                   : dialog == "frmPrintOption" ? static_cast<QWidget*>(new frmPrintOption)
                                                                : new frmMain(&ratios()));
        w->show();
        QApplication::setActiveWindow(w.get());
        auto* target = ui::find<QWidget>(w.get(), focused);
        target->setFocus();
        QTest::keyClick(target, key);
        QString outcome = w->isVisible() ? "open " : "closed ";
        if (dialog == "frmFibRatios")
            outcome += ui::find<QLineEdit>(w.get(), "txtRatio1")->text() +
                       (QFile::exists(SettingsPath(programDir())) ? " file" : " no file");
        else if (dialog == "frmPrintOption")
            outcome += QString::number(frmPrintOption::SelectedOption);
        else
            outcome += OpenWindowNames().join(' ');
        QTEST(outcome, "outcome");
    }

    // Ratios the settings file holds with more digits than the boxes take by typing are
    // shown whole and written back unchanged (and nothing else the file held); a pasted
    // ratio beyond a double is refused.
    void longRatiosKeptAndHugeOnesRefused() {
        const QString settings = SettingsPath(programDir());
        const QByteArray exact("FIB1=0.381966\r\nFIB2=0.5\r\nFIB3=0.618034\r\n");
        QVERIFY(WriteBytes(settings, exact + "SOMETHING=else\r\n"));
        ratios().setRatios({0, 0, 0});
        { frmMain menu(&ratios()); }
        frmFibRatios dialog(ratios());
        dialog.show();
        QCOMPARE(dialog.txtRatio1->text() + " " + dialog.txtRatio3->text(), QString("0.381966 0.618034"));
        UI_TYPE(&dialog, "txtRatio2", "1");   // the limit on typing holds
        QCOMPARE(dialog.txtRatio2->text(), QString("0.51"));
        UI_RETYPE(&dialog, "txtRatio2", "0.5");
        QGuiApplication::clipboard()->setText("1e400");
        dialog.txtRatio3->selectAll();
        dialog.txtRatio3->paste();
        UI_CLICK(&dialog, "cmdOk");
        QCOMPARE(fake().messageTexts(), QStringList{RatioTooLargeMessage});
        QVERIFY(dialog.isVisible());
        dialog.txtRatio3->setText("0.618034");
        UI_CLICK(&dialog, "cmdOk");
        QCOMPARE(ReadBytes(settings), exact);
        QCOMPARE(ratios().ratios().r3, 0.618034);
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
