// The windows on today's desktops: fitted to the free area at any scale, reachable by
// the keyboard, copyable, and named for screen readers.
#include "forms/fibonacci/frmFibonacci.h"
#include "forms/gann/frmGann.h"
#include "core/gann/gannchartgeometry.h"
#include "core/reports/clipboardtext.h"
#include "forms/output/frmPrintOption.h"
#include "forms/shell/frmAbout.h"
#include "forms/fibonacci/frmFibRatios.h"
#include "forms/shell/frmHelp.h"
#include "forms/shell/frmMain.h"
#include "core/settings/settings.h"
#include "platform/shortcuts.h"
#include "platform/widgets.h"
#include "uitest.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QPlainTextEdit>

namespace {
DocumentWindow* Make(const QString& kind, ProgramRatios& ratios) {
    const Layout layout = kind.endsWith("86") ? Layout::Compact : Layout::Large;
    if (kind.startsWith("frmFibonacci")) return MakeLayoutWindow<FibonacciWindow>(layout, ratios);
    return MakeLayoutWindow<GannWindow>(layout);
}

// Every named control's place and size, as "name x,y wxh".
QStringList Geometries(QWidget* w) {
    QStringList out;
    for (QWidget* c : w->findChildren<QWidget*>())
        if (!c->objectName().isEmpty() && !c->objectName().startsWith("qt_"))
            out << QString("%1 %2,%3 %4x%5").arg(c->objectName()).arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height());
    return out;
}

bool Scrolls(QWidget* w) {
    for (QScrollBar* bar : w->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
        if (bar->isVisible()) return true;
    return false;
}

// Where to click on a date box showing 12/15/2024: left or right of the text, or inside
// the month, the day or the year.
QPoint PointOn(QLineEdit* box, const QString& where) {
    const int y = box->height() / 2;
    if (where == "left") return {1, y};
    if (where == "right") return {box->width() - 2, y};
    box->setCursorPosition(QStringList{"month", "day", "year"}.indexOf(where) * 3 + 1);
    return {box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(), y};
}

// Linux desktops let a text box claim keys a window uses (Ctrl+E is End there). The
// offscreen platform has Windows' keys, so while this lives every box claims them all.
struct BoxesClaimEveryKey : QObject {
    BoxesClaimEveryKey() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride &&
            (qobject_cast<QLineEdit*>(o) || qobject_cast<QAbstractSpinBox*>(o) || qobject_cast<QPlainTextEdit*>(o)))
            e->accept();
        return false;
    }
};
} // namespace

class TestDesktop : public UiTest {
    Q_OBJECT
    QPointer<DocumentWindow> window;
    QMap<QString, int> hooks;   // how often each program action ran
    QString guideHeading;       // where F1 last opened the guide

    DocumentWindow* Show(const QString& kind) {
        window = Make(kind, ratios());
        window->show();
        QApplication::setActiveWindow(window);
        if (!QTest::qWaitForWindowActive(window)) qWarning("window not active");
        return window;
    }

private slots:
    void init() {
        UiTest::init();
        hooks.clear();
        programActions() = {[this] { ++hooks["menu"]; }, [this](const QString& h) { ++hooks["guide"]; guideHeading = h; },
                            [this] { ++hooks["exit"]; }, [this] { ++hooks["history"]; }};
    }
    void cleanup() {
        if (window) {
            window->ChangedFlag = ChangeStatus::Unchanged;
            delete window;
        }
        programActions() = {};
        UiTest::cleanup();
    }

    // The client area is the free area less the frame, the chart keeps clear of the
    // inputs, and what does not fit scrolls: at load, and when the trader makes the
    // window smaller than its layout.
    void fitsTheDesktop_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QRect>("available");   // null: the whole screen
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("panel and frame") << "frmGann" << QSize(1280, 1024) << QRect(0, 32, 1280, 992)
                                         << QMargins(4, 28, 4, 4) << false;
        QTest::newRow("800x768 chart beside the inputs") << "frmFibonacci86" << QSize(800, 768) << QRect()
                                                         << QMargins() << false;
        QTest::newRow("960x540 scrolls") << "frmGann86" << QSize(960, 540) << QRect(0, 0, 960, 510)
                                         << QMargins(0, 24, 0, 0) << true;
    }
    void fitsTheDesktop() {
        QFETCH(QString, kind);
        QFETCH(QSize, screen);
        QFETCH(QRect, available);
        QFETCH(QMargins, frame);
        fake().screen = screen;
        fake().available = available;
        fake().frame = frame;
        DocumentWindow* w = Show(kind);
        const QRect area = (available.isNull() ? QRect(QPoint(), screen) : available).marginsRemoved(frame);
        QCOMPARE(w->size(), area.size());
        QVERIFY(qAbs(w->x() - area.x()) <= 2 && qAbs(w->y() - area.y()) <= 2);   // the test platform's own border
        QTEST(Scrolls(w), "scrolls");
        w->resize(700, 500);   // by the trader, smaller than any layout
        QVERIFY(Scrolls(w));
        for (QScrollBar* bar : w->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
            bar->setValue(bar->maximum());
        auto* box = w->findChild<PictureBox*>(kind.startsWith("frmGann") ? "pbGann" : "pbFibonacci");
        const QRect lowest = w->findChild<QWidget*>(kind.startsWith("frmGann") ? "cmdPrint" : "cmdRatios")->geometry();
        QVERIFY2(lowest.bottom() < w->height() && lowest.left() < box->x(), "a control is out of reach or under the chart");
        QVERIFY(box->geometry().right() < w->width());
    }

    // The click that brings the focus into a date box takes the whole date; then a click
    // takes the part under the pointer (left of the text the month, right of it the
    // year), "/" moving on, and a double click the whole date. Half a year stays as typed.
    void clickThenTypeADate_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        struct Row { const char* name; QStringList clicks; const char *typed, *text; };
        for (const Row& r : std::initializer_list<Row>{
                 {"into the box left of the text", {"left"}, "3/1/2004", "3/1/2004"},
                 {"into the box on the day", {"day"}, "3/1/2004", "3/1/2004"},
                 {"into the box right of the text", {"right"}, "5/3/2004", "5/3/2004"},
                 {"then the month", {"day", "month"}, "3", "3/15/2024"},
                 {"then left of the text", {"year", "left"}, "5", "5/15/2024"},
                 {"then the day, / to the year", {"year", "day"}, "1/2004", "12/1/2004"},
                 {"then right of the text", {"day", "right"}, "1999", "12/15/1999"},
                 {"then a double click", {"day", "double"}, "1/15/2024", "1/15/2024"},
                 {"then half a year", {"day", "year"}, "20", "12/15/20"}})
            for (const char* kind : {"frmFibonacci", "frmFibonacci86", "frmGann", "frmGann86"})
                QTest::addRow("%s, %s", kind, r.name) << QString(kind) << r.clicks << QString(r.typed) << QString(r.text);
    }
    void clickThenTypeADate() {
        QFETCH(QString, kind);
        QFETCH(QStringList, clicks);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        DocumentWindow* w = Show(kind);
        auto* picker = w->findChild<DatePicker*>(kind.startsWith("frmGann") ? "dtpInputDate" : "dtpDate1");
        picker->setValue(QDate(2024, 12, 15));
        auto* box = picker->findChild<QLineEdit*>();
        for (const QString& where : clicks) {
            const QPoint at = PointOn(box, where == "double" ? "day" : where);
            QTest::mouseClick(box, Qt::LeftButton, {}, at);   // a double click starts as a click
            if (where == "double") { QTest::mouseDClick(box, Qt::LeftButton, {}, at); QTest::mouseRelease(box, Qt::LeftButton); }
        }
        QTest::keyClicks(picker, typed);
        QTest::keyClick(picker, Qt::Key_Tab);
        QCOMPARE(picker->text(), text);
        const std::optional<QDate> date = DatePicker::ParseTyped(text);
        QCOMPARE(picker->isComplete(), date.has_value());
        QCOMPARE(picker->value(), date.value_or(QDate(2024, 12, 15)));
    }

    // On a screen scaled past 96 dpi every control keeps its logical place and size
    // from the twips tables (New is 735 x 375 twips large, 585 x 285 compact Fibonacci,
    // 675 x 315 compact Gann); only the chart gets more pixels, drawn at the ratio.
    void scaledScreen_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("newButton");
        QTest::addColumn<QRect>("chart");
        const QList<std::tuple<const char*, QSize, QRect>> windows{
            {"frmFibonacci", {49, 25}, {283, 0, 735, 735}}, {"frmGann", {49, 25}, {283, 0, 735, 735}},
            {"frmFibonacci86", {39, 19}, {}}, {"frmGann86", {45, 21}, {}}};
        for (const auto& [kind, newButton, chart] : windows)
            for (double ratio : {1.25, 2.0})
                QTest::addRow("%s at %g", kind, ratio) << QString(kind) << ratio << newButton << chart;
    }
    void scaledScreen() {
        QFETCH(QString, kind);
        QFETCH(double, ratio);
        const bool compact = kind.endsWith("86");
        fake().screen = compact ? QSize(800, 600) : QSize(1024, 768);
        const QStringList atOne = Geometries(Show(kind));
        delete window;
        fake().ratio = ratio;
        DocumentWindow* w = Show(kind);
        QCOMPARE(Geometries(w), atOne);
        QTEST(w->findChild<QPushButton*>("cmdNew")->size(), "newButton");
        auto* box = w->findChild<PictureBox*>(kind.startsWith("frmGann") ? "pbGann" : "pbFibonacci");
        QFETCH(QRect, chart);
        if (!chart.isNull()) QCOMPARE(box->geometry(), chart);
        UI_CHECK(ui::type(w, kind.startsWith("frmGann") ? "txtPrice" : "txtPrice1", "100"));
        if (!kind.startsWith("frmGann")) UI_TYPE(w, "txtPrice2", "150");
        UI_CLICK(w, "cmdCalculate");
        const QImage& picture = box->surface().picture();
        QCOMPARE(picture.size(), box->size() * ratio);
        QCOMPARE(picture.devicePixelRatio(), ratio);
    }

    // Every shortcut presses its button (or reaches the menu, the guide at the window's
    // section, Exit or the price history) from every kind of control, claimed or not.
    void shortcuts_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("target");
        const QList<QPair<QString, QString>> keys{
            {"Ctrl+N", "cmdNew"}, {"Ctrl+O", "cmdOpen"}, {"Ctrl+S", "cmdSave"}, {"F5", "cmdCalculate"},
            {"Ctrl+E", "cmdExport"}, {"Ctrl+P", "cmdPrint"}, {"Ctrl+W", "cmdExit"},
            {"F1", "guide"}, {"Ctrl+M", "menu"}, {"Ctrl+Q", "exit"}, {"Ctrl+H", "history"}};
        for (const QString kind : {"frmFibonacci", "frmGann86"})
            for (const auto& [key, target] : keys)
                QTest::newRow(qPrintable(kind + " " + key)) << kind << key << target;
        QTest::newRow("frmFibonacci Ctrl+R") << "frmFibonacci" << "Ctrl+R" << "cmdRatios";
    }
    void shortcuts() {
        QFETCH(QString, kind);
        QFETCH(QString, keys);
        QFETCH(QString, target);
        DocumentWindow* w = Show(kind);
        const bool gann = kind.startsWith("frmGann");
        UI_CHECK(ui::type(w, gann ? "txtPrice" : "txtPrice1", "1"));   // New becomes possible
        auto* button = w->findChild<QPushButton*>(target);
        if (button) {
            QVERIFY2(button->toolTip().contains(keys), qPrintable(button->toolTip()));
            QObject::disconnect(button, &QPushButton::clicked, w, nullptr);   // the press is this test's, not its work
        }
        std::unique_ptr<QSignalSpy> clicks(button ? new QSignalSpy(button, &QPushButton::clicked) : nullptr);
        const QStringList focused{"txtProject", gann ? "txtPrice" : "txtPrice1", gann ? "dtpInputDate" : "dtpDate1",
                                  "txtNotes", "cmdCalculate"};
        BoxesClaimEveryKey claim;
        const QKeyCombination key = QKeySequence(keys)[0];
        for (const QString& name : focused) {
            w->findChild<QWidget*>(name)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        }
        QCOMPARE(button ? int(clicks->size()) : hooks.value(target), focused.size());
        if (target == "guide") QVERIFY2(frmHelp().ShowHeading(guideHeading), qPrintable(guideHeading));
    }

    // Ctrl+C copies the results unless a text box has a selection of its own.
    void copyResults_data() {
        QTest::addColumn<bool>("selectPrice");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("results, tab-separated") << false << "Potential Prices\nFib Ratio\tPrice\n0.382\t130.90\n"
            "0.5\t125.00\n0.618\t119.10\n\nPotential Dates\nFib Ratio\tDate\n0.382\t03/23/2004\n0.5\t03/31/2004\n0.618\t04/07/2004\n";
        QTest::newRow("a selected price") << true << "100";
    }
    void copyResults() {
        QFETCH(bool, selectPrice);
        auto* w = static_cast<FibonacciWindow*>(Show("frmFibonacci"));
        UI_TYPE(w, "txtPrice1", "100");
        UI_TYPE(w, "txtPrice2", "150");
        UI_PICK(w, "dtpDate1", QDate(2004, 1, 1));
        UI_PICK(w, "dtpDate2", QDate(2004, 3, 1));
        UI_CLICK(w, "cmdCalculate");
        w->txtPrice1->setFocus();
        if (selectPrice) w->txtPrice1->selectAll();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(w->txtPrice1, Qt::Key_C, Qt::ControlModifier);
        QTEST(QGuiApplication::clipboard()->text(), "clipboard");
        QCOMPARE(w->pbFibonacci->accessibleDescription(), w->ResultsText());
        w->CopyChart();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), w->pbFibonacci->surface().image().size());
    }

    // The listing's columns are cut where its heading's columns begin (a heading of two
    // words is the copied results' above).
    void tabSeparated_data() {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QString>("table");
        QTest::newRow("an empty last column") << "Angle  High   Low\r\n-----  ----   ---\r\n45     107    \r\n"
                                              << "Angle\tHigh\tLow\n45\t107\t\n";
        QTest::newRow("an empty middle column") << "Angle  High   Low\r\n90            81\r\n" << "Angle\tHigh\tLow\n90\t\t81\n";
        QTest::newRow("a value filling its column") << "Angle  High   Low\r\n315    10000  9801" << "Angle\tHigh\tLow\n315\t10000\t9801\n";
    }
    void tabSeparated() {
        QFETCH(QString, listing);
        QTEST(TabSeparatedTable(listing), "table");
    }

    // A screen reader names every control the keyboard or the mouse can focus, in every
    // window: by its own name, its caption or the label it is the buddy of.
    void everyFocusableControlIsNamed() {
        frmMain menu(&ratios());
        QList<QWidget*> windows{&menu};
        for (const QString kind : {"frmFibonacci", "frmFibonacci86", "frmGann", "frmGann86"}) windows << Make(kind, ratios());
        windows << new frmFibRatios(ratios()) << new frmPrintOption << new frmHelp << new frmAbout;
        QStringList unnamed;
        for (QWidget* window : windows)
            for (QWidget* w : window->findChildren<QWidget*>()) {
                const bool inner = qobject_cast<QAbstractSpinBox*>(w->parentWidget()) || w->focusProxy();
                QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w);
                if (w->focusPolicy() != Qt::NoFocus && !inner && reader->text(QAccessible::Name).trimmed().isEmpty())
                    unnamed << window->objectName() + "." + w->objectName() + " (" + w->metaObject()->className() + ")";
            }
        for (QWidget* window : windows.mid(1)) {
            if (auto* d = qobject_cast<DocumentWindow*>(window)) d->ChangedFlag = ChangeStatus::Unchanged;
            delete window;
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }

    // The square seen enlarged and read cell by cell; what is drawn, printed and saved
    // stays as it was.
    void squareZoomAndCellTips_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("tip");
        QTest::newRow("the centre") << "1" << "Number 1 \u00b7 angle 0\u00b0 \u00b7 ring 0";
        QTest::newRow("left of it") << "2" << "Number 2 \u00b7 angle 180\u00b0 \u00b7 ring 1";
        QTest::newRow("straight up") << "15" << "Number 15 \u00b7 angle 90\u00b0 \u00b7 ring 2";
        QTest::newRow("straight down") << "8" << "Number 8 \u00b7 angle 270\u00b0 \u00b7 ring 1";
    }
    void squareZoomAndCellTips() {
        QFETCH(QString, number);
        auto* w = static_cast<GannWindow*>(Show("frmGann"));
        UI_TYPE(w, "txtPrice", "100");
        UI_CLICK(w, "cmdCalculate");
        const GannChartGeometry chart = ComputeGannChart(w->state(), w->layout());
        const auto label = std::find_if(chart.cellNumbers.begin(), chart.cellNumbers.end(),
                                        [&](const GannLabel& l) { return l.text.trimmed() == number; });
        QVERIFY(label != chart.cellNumbers.end());
        QTEST(w->pbGann->toolTipAt(QPoint(label->x, label->y)), "tip");
        QCOMPARE(w->pbGann->toolTipAt(QPoint(10, 10)), QString());   // outside the square

        const QImage drawn = w->pbGann->surface().image();
        for (const auto& [keys, zoom] : {std::pair{"Ctrl++", 1.5}, {"Ctrl++", 2.0}, {"Ctrl+-", 1.5}, {"Ctrl+0", 1.0}}) {
            const QKeyCombination key = QKeySequence(QString(keys))[0];
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
            QCOMPARE(w->pbGann->zoom(), zoom);
        }
        w->pbGann->zoomBy(2);
        const QImage shown = w->pbGann->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(shown.size() == drawn.size() && shown != drawn.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(w->pbGann->surface().image(), drawn);
    }

    // The guide carried by the program, with its pictures, no wider than its window; its
    // contents links scroll; Ctrl+F finds, Enter the next place; Escape and Ctrl+W close it.
    void guide() {
        QPointer<frmHelp> help = new frmHelp;
        const QTextDocument* doc = help->txtGuide->document();
        QVERIFY(doc->toPlainText().startsWith("Marlowind - Tessaray: user guide"));
        const QVariant picture = help->txtGuide->loadResource(QTextDocument::ImageResource, QUrl("images/main-menu.png"));
        QVERIFY(!picture.value<QImage>().isNull() || !picture.toByteArray().isEmpty());
        help->show();
        QApplication::setActiveWindow(help);
        QVERIFY(doc->size().width() <= help->txtGuide->viewport()->width());   // laid out whole
        QCOMPARE(help->txtGuide->horizontalScrollBar()->maximum(), 0);
        emit help->txtGuide->anchorClicked(QUrl("#8-limits-and-messages"));
        QVERIFY(help->txtGuide->verticalScrollBar()->value() > 0);

        QTest::keyClick(help->txtGuide, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "Square of Nine");
        const QTextCursor first = help->txtGuide->textCursor();
        QCOMPARE(first.selectedText(), QString("Square of Nine"));
        QTest::keyClick(help->txtFind, Qt::Key_Return);
        QVERIFY(help->txtGuide->textCursor().selectionStart() > first.selectionStart());
        QVERIFY(!help->FindText("words the guide lacks"));

        QTest::keyClick(help->txtFind, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        help = new frmHelp;
        help->show();
        QApplication::setActiveWindow(help);
        QTest::keyClick(help->txtGuide, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!help->isVisible());
    }
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
