#include "forms/shell/frmFibRatios.h"
#include "forms/shell/frmMain.h"
#include "forms/shell/settings.h"
#include "uitest.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>

namespace {

QStringList OpenWindowNames()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names << w->objectName();
    names.sort();
    return names;
}

QWidget* OpenWindow(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name)
            return w;
    return nullptr;
}

void CloseAllWindows()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestShell : public UiTest {
    Q_OBJECT
private slots:
    void cleanup()
    {
        for (int i = 0; i < 4; ++i)
            fake().answers.enqueue(MsgResult::No);   // discard whatever a test left changed
        CloseAllWindows();
        fake().answers.clear();
        UiTest::cleanup();
    }

    void layoutFollowsScreen_data();
    void layoutFollowsScreen();
    void secondPressKeepsTheSameWindow();
    void exitLeavesADeclinedWindowOpen();
    void menuLoadsRatiosFromSettingsFile();

    void ratiosDialog_data();
    void ratiosDialog();
    void defaultThenCancelChangesNothing();
    void unwritableSettingsStillAppliesRatios();
};

void TestShell::layoutFollowsScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("fibonacci");
    QTest::addColumn<QString>("gann");
    QTest::newRow("800x600 compact") << QSize(800, 600) << "frmFibonacci86" << "frmGann86";
    QTest::newRow("1024x768 large") << QSize(1024, 768) << "frmFibonacci" << "frmGann";
    QTest::newRow("1280x600 compact by height") << QSize(1280, 600) << "frmFibonacci86" << "frmGann86";
    QTest::newRow("801x601 large") << QSize(801, 601) << "frmFibonacci" << "frmGann";
    QTest::newRow("800x1024 compact by width") << QSize(800, 1024) << "frmFibonacci86" << "frmGann86";
}

void TestShell::layoutFollowsScreen()
{
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
}

void TestShell::secondPressKeepsTheSameWindow()
{
    frmMain menu;
    menu.show();
    UI_CLICK(&menu, "cmdFibonacci");
    QWidget* first = OpenWindow("frmFibonacci");
    QVERIFY(first);
    UI_TYPE(first, "txtPrice1", "100");
    UI_CLICK(&menu, "cmdFibonacci");
    QCOMPARE(OpenWindow("frmFibonacci"), first);
    QCOMPARE(ui::find<QLineEdit>(first, "txtPrice1")->text(), QString("100"));

    // Another screen size: the compact window opens beside the first, with its own document.
    fake().screen = QSize(800, 600);
    UI_CLICK(&menu, "cmdFibonacci");
    QWidget* compact = OpenWindow("frmFibonacci86");
    QVERIFY(compact);
    QCOMPARE(ui::find<QLineEdit>(compact, "txtPrice1")->text(), QString());
    QVERIFY(OpenWindow("frmFibonacci"));
}

void TestShell::exitLeavesADeclinedWindowOpen()
{
    auto* menu = new frmMain();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->show();
    UI_CLICK(menu, "cmdGann");
    UI_CLICK(menu, "cmdFibonacci");
    UI_TYPE(OpenWindow("frmFibonacci"), "txtPrice1", "5");

    fake().answers.enqueue(MsgResult::Cancel);   // "Save Changes?" of the Fibonacci window
    UI_CLICK(menu, "cmdExit");
    QCOMPARE(OpenWindowNames(), QStringList({"frmFibonacci"}));
    QCOMPARE(fake().messageTexts(), QStringList({"Save Changes?"}));
}

void TestShell::menuLoadsRatiosFromSettingsFile()
{
    QFile f(SettingsPath(programDir()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("FIB1=0.3\r\nFIB2=0.6\r\nFIB3=0.9\r\n");
    f.close();
    frmMain menu;
    QCOMPARE(CurrentRatios().r1, 0.3);
    QCOMPARE(CurrentRatios().r3, 0.9);

    QFile::remove(SettingsPath(programDir()));
    frmMain again;
    QCOMPARE(CurrentRatios().r2, 0.5);   // no file: the classic ratios
}

void TestShell::ratiosDialog_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("accepted") << QStringList{"0.25", "0.5", "0.75"} << QString()
                              << QByteArray("FIB1=0.25\r\nFIB2=0.5\r\nFIB3=0.75\r\n");
    QTest::newRow("equal neighbours") << QStringList{"0.5", "0.5", "0.618"}
                                      << "Ratios must be in increasing order" << QByteArray();
    QTest::newRow("decreasing") << QStringList{"0.618", "0.5", "0.382"}
                                << "Ratios must be in increasing order" << QByteArray();
    QTest::newRow("empty first box wins over order") << QStringList{"", "0.5", "0.4"}
                                                     << "All ratios must be greater than 0" << QByteArray();
    QTest::newRow("a lone point reads 0") << QStringList{"0.2", ".", "0.8"}
                                          << "All ratios must be greater than 0" << QByteArray();
    QTest::newRow("ratios above 1") << QStringList{"1", "1.618", "2.618"} << QString()
                                    << QByteArray("FIB1=1\r\nFIB2=1.618\r\nFIB3=2.618\r\n");
}

void TestShell::ratiosDialog()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, message);
    QFETCH(QByteArray, file);
    SetCurrentRatios({0.382, 0.5, 0.618});

    frmFibRatios dialog;
    dialog.show();
    const char* boxes[] = {"txtRatio1", "txtRatio2", "txtRatio3"};
    for (int i = 0; i < 3; ++i) {
        ui::find<QLineEdit>(&dialog, boxes[i])->clear();
        UI_CHECK(ui::type(&dialog, QString::fromLatin1(boxes[i]), entries[i]));
    }
    UI_CLICK(&dialog, "cmdOk");

    const QString settings = SettingsPath(programDir());
    if (message.isEmpty()) {
        QVERIFY(fake().messages.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ReadAll(settings), file);
        QCOMPARE(CurrentRatios().r1, ReadAll(settings).isEmpty() ? 0.0 : entries[0].toDouble());
    } else {
        QCOMPARE(fake().messageTexts(), QStringList({message}));
        QCOMPARE(fake().messages.first().caption, ProgramTitle);
        QVERIFY(dialog.isVisible());   // stays open with the texts as typed
        QCOMPARE(ui::find<QLineEdit>(&dialog, "txtRatio3")->text(), entries[2]);
        QVERIFY(!QFile::exists(settings));
        QCOMPARE(CurrentRatios().r1, 0.382);
    }
}

void TestShell::defaultThenCancelChangesNothing()
{
    SetCurrentRatios({0.3, 0.6, 0.9});
    frmFibRatios dialog;
    dialog.show();
    QCOMPARE(ui::find<QLineEdit>(&dialog, "txtRatio2")->text(), QString("0.6"));
    UI_CLICK(&dialog, "cmdDefault");
    QCOMPARE(ui::find<QLineEdit>(&dialog, "txtRatio1")->text(), QString("0.382"));
    UI_CLICK(&dialog, "cmdCancel");
    QCOMPARE(CurrentRatios().r2, 0.6);
    QVERIFY(!QFile::exists(SettingsPath(programDir())));
}

void TestShell::unwritableSettingsStillAppliesRatios()
{
    fake().dir = programDir() + "/missing/folder";
    SetCurrentRatios({0.382, 0.5, 0.618});
    frmFibRatios dialog;
    dialog.show();
    UI_RETYPE(&dialog, "txtRatio1", "0.25");
    UI_CLICK(&dialog, "cmdOk");
    QCOMPARE(fake().messageTexts(), QStringList({"Action failed:\nCan't save ratios"}));
    QCOMPARE(fake().messages.first().caption, QString("Action failed"));
    QCOMPARE(fake().messages.first().icon, MsgIcon::Critical);
    QCOMPARE(CurrentRatios().r1, 0.25);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"
