#include "testfiles.h"
#include "uitest.h"
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "forms/fibonacci/frmFibRatios.h"
#include "core/settings/settings.h"
#include "platform/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

const QString TooLargeGann = QStringLiteral("Please enter a price smaller than 10000");
const QString CantOpen = QStringLiteral("Action failed:\nCan't open project file");

// What a window shows after a calculation, to compare before and after.
QString Shown(QWidget* w) {
    auto* chart = ui::find<PictureBox>(w, qobject_cast<GannWindow*>(w) ? "pbGann" : "pbFibonacci");
    return ui::find<QLabel>(w, "lblPrices")->text() + ui::find<QLabel>(w, "lblDates")->text()
         + QString::number(qHashBits(chart->surface().picture().constBits(), chart->surface().picture().sizeInBytes()));
}

std::unique_ptr<DocumentWindow> Opened(bool gann, ProgramRatios& ratios) {
    std::unique_ptr<DocumentWindow> w(gann ? static_cast<DocumentWindow*>(new frmGann) : new frmFibonacci(ratios));
    w->show();
    return w;
}

// Prices typed as the trader types them: 100, and 150 as the second Fibonacci price.
QString TypePrices(QWidget* w, bool gann) {
    const QString error = ui::retype(w, gann ? "txtPrice" : "txtPrice1", "100");
    return gann || !error.isEmpty() ? error : ui::retype(w, "txtPrice2", "150");
}

} // namespace

class TestBadInput : public UiTest {
    Q_OBJECT
    QString InDir(const QString& name) const { return programDir() + "/" + name; }

private slots:
    void init() {
        UiTest::init();
        fake().todayDate = QDate(2024, 6, 1);
        fake().screen = QSize(1024, 768);
        QVERIFY(WriteBytes(InDir("plain-file"), "not a folder"));   // no folder can lie under it
    }

    // Pasting (through the clipboard, over the whole text) goes past the key filter but not
    // the box's length limit, so the box can hold anything; the check reads it.
    // price: what the calculation then used, or what the window kept after a message;
    // firstHigh: the Gann highs table's first line, "" for headers only.
    void pastedPrice_data() {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("firstHigh");
        struct Row { const char* name; bool gann; QString pasted, message; double price; const char* firstHigh; };
        for (const Row& r : std::initializer_list<Row>{
                 {"fib letters read as no price", false, "abc", "Either both or none of the prices should be entered", 0, ""},
                 {"fib same as the other price", false, "150", "Both prices can't be the same", 150, ""},
                 {"fib 1e400", false, "1e400", "Enter a smaller price: this one is too large to calculate with.", 100, ""},
                 {"fib 6000 digits: the box keeps eight", false, QString(6000, '9'), "", 99999999, ""},
                 {"gann negative is no price", true, "-500", "", 0, ""},
                 {"gann second point ends the number, half to even", true, "10.5.9", "", 10, "45     12     8"},
                 {"gann price 10000 kept as the rejected input", true, "10000", TooLargeGann, 10000, ""},
                 // Only typing is held to four characters; a paste is judged by the calculation.
                 {"gann 6000 digits", true, QString(6000, '7'), TooLargeGann, 700, ""}})
            QTest::newRow(r.name) << r.gann << r.pasted << r.message << r.price << r.firstHigh;
    }

    void pastedPrice() {
        QFETCH(bool, gann);
        QFETCH(QString, message);
        QFETCH(double, price);
        const std::unique_ptr<DocumentWindow> w = Opened(gann, ratios());
        auto* box = ui::find<TextBox>(w.get(), gann ? "txtPrice" : "txtPrice1");
        box->setText(gann ? "700" : "100");
        ui::find<DatePicker>(w.get(), gann ? "dtpInputDate" : "dtpDate1")->setValue(QDate(2024, 1, gann ? 15 : 2));
        if (!gann) {
            ui::find<TextBox>(w.get(), "txtPrice2")->setText("150");
            ui::find<DatePicker>(w.get(), "dtpDate2")->setValue(QDate(2024, 3, 1));
        }
        UI_CLICK(w.get(), "cmdCalculate");
        QVERIFY(fake().messages.isEmpty());
        const QString before = Shown(w.get());

        QFETCH(QString, pasted);
        QGuiApplication::clipboard()->setText(pasted);
        box->selectAll();
        box->paste();
        UI_CLICK(w.get(), "cmdCalculate");
        auto* g = qobject_cast<GannWindow*>(w.get());
        const auto* f = static_cast<FibonacciWindow*>(w.get());
        QCOMPARE(g ? double(g->state().inputs.GannPrice) : f->state().document.Price1, price);
        if (!message.isEmpty()) {
            // The lists, the chart and the results stay; a price the check could read is
            // kept as the rejected input.
            QCOMPARE(fake().messageTexts(), QStringList{message});
            QCOMPARE(fake().messages[0].caption, ProgramTitle);
            QCOMPARE(fake().messages[0].icon, MsgIcon::None);
            QCOMPARE(Shown(w.get()), before);
        } else if (g) {
            QVERIFY2(fake().messages.isEmpty(), qPrintable(fake().lastMessage()));
            QTEST(g->lblPrices->text().split("\r\n").value(2).trimmed(), "firstHigh");
        } else {
            QVERIFY2(fake().messages.isEmpty(), qPrintable(fake().lastMessage()));
            QVERIFY(Shown(w.get()) != before);
        }
    }

    // name: the project name box afterwards. A failed open leaves the Fibonacci controls
    // as they were; the Gann window keeps what it read before the failure.
    void projectFiles_data() {
        QTest::addColumn<bool>("gann");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("name");
        const QStringList fibNothing{"No input specified"}, gannNothing{"Please enter price and/or date"};
        const QStringList cantOpen{CantOpen}, none;
        const QByteArray fib = "NM=Gold\r\nP1=100\r\nP2=150\r\nD1=1/2/2024\r\nD2=3/1/2024\r\nNT=Notes\r\n";
        const QByteArray gann = "NM=Gold\r\nPR=700\r\nDT=1/15/2024\r\nNT=Notes\r\n";
        // Ten megabytes of notes, the way a trader pastes a whole research log into them.
        const QByteArray longNotes = QByteArray("Gold tested the 1/1 line again; watch 1290.\r\n").repeated(250000);
        const QString unnamed = "Project Name";
        struct Row { const char* name; bool gann; QByteArray bytes; QStringList messages; QString name_; };
        for (const Row& r : std::initializer_list<Row>{
                 {"fib empty", false, "", fibNothing, unnamed},
                 {"fib truncated mid-line", false, fib.left(fib.indexOf("D1=") + 6), cantOpen, unnamed},
                 {"fib CR only: one line, a name with the rest in it", false, QByteArray(fib).replace("\r\n", "\r"),
                  fibNothing, "Gold\rP1"},
                 {"fib 10 MB of notes", false, fib + longNotes, none, "Gold"},
                 {"fib letters for a price", false, "NM=Gold\r\nP1=abc\r\n", cantOpen, unnamed},
                 {"fib date before the pickers' first day", false, "NM=Gold\r\nD1=1/1/1500\r\n", cantOpen, unnamed},
                 {"fib file over 64 MB", false, "NM=Gold\r\nNT=" + QByteArray(65 * 1024 * 1024, 'x'), cantOpen, unnamed},
                 {"gann binary", true, NoiseBytes(), gannNothing, unnamed},
                 {"gann truncated mid-line", true, gann.left(gann.indexOf("DT=") + 5), cantOpen, "Gold"},
                 {"gann price 99999999999", true, "NM=Gold\r\nPR=99999999999\r\nDT=1/15/2024\r\n", {TooLargeGann}, "Gold"},
                 {"gann letters for a price", true, "NM=Gold\r\nPR=abc\r\nDT=1/15/2024\r\n", none, "Gold"}})
            QTest::newRow(r.name) << r.gann << r.bytes << r.messages << r.name_;
    }

    // Open never changes the file it reads; whatever it holds ends in a message or a
    // document, never a crash.
    void projectFiles() {
        QFETCH(bool, gann);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        const QString path = InDir(gann ? "damaged.gann" : "damaged.fib");
        QVERIFY(WriteBytes(path, bytes));
        fake().openAnswers << path;
        const std::unique_ptr<DocumentWindow> w = Opened(gann, ratios());
        UI_CLICK(w.get(), "cmdOpen");
        QCOMPARE(fake().messageTexts(), messages);
        QTEST(ui::find<TextBox>(w.get(), "txtProject")->text(), "name");
        QVERIFY(ReadBytes(path) == bytes);
        const ProjectStatus state = gann ? static_cast<GannWindow*>(w.get())->ProjectState
                                         : static_cast<FibonacciWindow*>(w.get())->ProjectState;
        QCOMPARE(state, messages.contains(CantOpen) ? ProjectStatus::New : ProjectStatus::Open);
    }

    // Every writer against every way a write fails: no folder for the file, a disk that
    // fills up after 10 bytes, a device named as the file. The failure message, the old
    // file byte for byte, the document still changed, and a pending close abandoned.
    void failedWrites_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        const QString cantSave = QStringLiteral("Action failed:\nCan't save result file.");
        const QString bitmap = QStringLiteral("Error in Printing: Cannot write the file ");
        const QList<std::pair<const char*, QString>> writers{
            {"fib save", cantSave}, {"fib close, Save Changes? Yes", cantSave},
            {"fib export", QStringLiteral("Action failed:\nCan't export to result file.")}, {"fib bitmap", bitmap},
            {"gann save", cantSave}, {"gann close, Save Changes? Yes", cantSave},
            {"gann export", QStringLiteral("Action failed:\nCould not export results")}, {"gann bitmap", bitmap},
            {"ratios", QStringLiteral("Action failed:\nCan't save ratios")}};
        for (const auto& [writer, message] : writers)
            for (const char* fault : {"no folder", "disk full", "device"})
                QTest::addRow("%s, %s", writer, fault) << writer << fault << message;
    }

    void failedWrites() {
        QFETCH(QString, writer);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const QByteArray oldBytes = "NM=Old\r\nP1=1290\r\n";
        QString target = InDir(fault == "no folder" ? "plain-file/target" : "target");
        if (writer == "ratios") {
            if (fault == "no folder")
                fake().dir = InDir("plain-file/program");
            target = SettingsPath(fake().dir);
        }
        if (fault == "disk full") {
            QVERIFY(WriteBytes(target, oldBytes));
            SetFileWriteStep(DiskFullAfter(10));
        } else if (fault == "device") {
            QVERIFY(QFile::link("/dev/full", target));
        }
        const std::unique_ptr<DocumentWindow> w = RunWriter(writer, target);
        SetFileWriteStep({});

        QVERIFY2(fake().lastMessage().startsWith(message), qPrintable(fake().messageTexts().join('|')));
        QVERIFY2(fake().messages.size() == (writer.contains("close") ? 2 : 1), qPrintable(fake().messageTexts().join("|")));
        if (fault == "disk full")
            QCOMPARE(ReadBytes(target), oldBytes);
        QVERIFY(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
        QCOMPARE(ReadBytes(InDir("plain-file")), QByteArray("not a folder"));
        if (w) {
            QCOMPARE(w->ChangedFlag, ChangeStatus::Changed);
            QVERIFY(w->isVisible());
        } else {
            QCOMPARE(ratios().ratios().r1, 0.25);   // in force for the run all the same
        }
    }

    // Dates typed into the pickers of both windows through real key presses. "^A" is
    // Ctrl+A, "<Home>", "<Up>", "<BS>" those keys; anything else is typed. The picker
    // starts at 12/15/2024 and is left with Tab. A text that is not a whole date (expected
    // date invalid) stays as typed, and Calculate says so instead of using another date.
    void typedDates_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        struct Row { const char* name; QStringList keys; const char* text; QDate date; };
        for (const Row& r : std::initializer_list<Row>{
                 {"Ctrl+A, m/d/yyyy", {"^A", "1/15/2024"}, "1/15/2024", QDate(2024, 1, 15)},
                 {"two digits move on without /", {"^A", "07041776"}, "7/4/1776", QDate(1776, 7, 4)},
                 {"/ moves to the day, typing replaces it", {"<Home>", "/", "20"}, "12/20/2024", QDate(2024, 12, 20)},
                 {"backspace and retype the year", {"<BS>", "<BS>", "25"}, "12/15/2025", QDate(2025, 12, 15)},
                 {"Up on December: January of the next year", {"<Home>", "<Up>"}, "1/15/2025", QDate(2025, 1, 15)},
                 {"year cut short", {"^A", "1/15/20"}, "1/15/20", QDate()},
                 {"a day February lacks", {"^A", "2/30/2024"}, "2/30/2024", QDate()},
                 {"letters are not taken", {"^A", "1/x5/2024"}, "1/5/2024", QDate(2024, 1, 5)}})
            for (const char* picker : {"dtpDate1", "dtpInputDate"})
                QTest::addRow("%s, %s", picker, r.name) << (QStringList{picker} + r.keys) << r.text << r.date;
    }

    void typedDates() {
        QFETCH(QStringList, keys);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        const QString pickerName = keys.takeFirst();
        const bool gann = pickerName == "dtpInputDate";
        const std::unique_ptr<DocumentWindow> w = Opened(gann, ratios());
        QApplication::setActiveWindow(w.get());
        UI_CHECK(TypePrices(w.get(), gann));
        auto* picker = ui::find<DatePicker>(w.get(), pickerName);
        picker->setValue(QDate(2024, 12, 15));
        picker->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(picker, Qt::Key_End);
        const QHash<QString, Qt::Key> named{{"<Home>", Qt::Key_Home}, {"<Up>", Qt::Key_Up}, {"<BS>", Qt::Key_Backspace}};
        for (const QString& k : keys) {
            if (k == "^A")
                QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            else if (named.contains(k))
                QTest::keyClick(picker, named[k]);
            else
                QTest::keyClicks(picker, k);
        }
        QTest::keyClick(picker, Qt::Key_Tab);
        QVERIFY(!picker->hasFocus());   // one Tab leaves the picker
        QCOMPARE(picker->text(), text);
        QCOMPARE(picker->isComplete(), date.isValid());
        QCOMPARE(picker->value(), date.isValid() ? date : QDate(2024, 12, 15));
        UI_CLICK(w.get(), "cmdCalculate");
        QCOMPARE(fake().lastMessage().startsWith("Type the whole date as m/d/yyyy"), !date.isValid());
        QCOMPARE(picker->text(), text);
    }

private:
    // Does what the writer's row names with a changed document (or new ratios), the file
    // dialog answering `target`; returns the window, or nullptr for the ratios dialog.
    std::unique_ptr<DocumentWindow> RunWriter(const QString& writer, const QString& target) {
        if (writer == "ratios") {
            frmFibRatios dialog(ratios());
            dialog.show();
            dialog.txtRatio1->setText("0.25");
            dialog.txtRatio2->setText("0.5");
            dialog.txtRatio3->setText("0.75");
            dialog.cmdOk->click();
            return nullptr;
        }
        const bool gann = writer.startsWith("gann");
        std::unique_ptr<DocumentWindow> w = Opened(gann, ratios());
        ui::find<TextBox>(w.get(), "txtProject")->setText("Gold");
        [&] {
            UI_CHECK(TypePrices(w.get(), gann));
            UI_CLICK(w.get(), "cmdCalculate");
        }();
        fake().saveAnswers << target;
        if (writer.contains("close")) {
            fake().answers << MsgResult::Yes;
            w->close();
        } else if (writer.contains("bitmap")) {
            watchdog().expectDialog("frmPrintOption", [](QWidget* d) { QVERIFY(ui::click(d, "cmdOk").isEmpty()); });
            [&] { UI_CLICK(w.get(), "cmdPrint"); }();
        } else {
            [&] { UI_CHECK(ui::click(w.get(), writer.contains("save") ? "cmdSave" : "cmdExport")); }();
        }
        return w;
    }
};

QTEST_MAIN(TestBadInput)
#include "test_badinput.moc"
