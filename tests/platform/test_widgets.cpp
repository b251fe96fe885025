// The controls the windows are built from, driven through key events and object
// names as the window tests drive them, and the dialog watchdog itself.
#include "platform/widgets.h"
#include "uitest.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace {
// A form with one of each control, named as a window names them.
struct Form {
    QWidget window;
    TextBox* price = new TextBox(&window);
    DatePicker* picker = new DatePicker(&window);
    MultiLineTextBox* notes = new MultiLineTextBox(&window);
    PictureBox* chart = new PictureBox(&window);
    QPushButton* calculate = new QPushButton(QStringLiteral("&Calculate"), &window);
    QList<int> codes;   // what the key hook saw
    Form() {
        price->setObjectName(QStringLiteral("txtPrice"));
        picker->setObjectName(QStringLiteral("dtpInputDate"));
        notes->setObjectName(QStringLiteral("txtNotes"));
        chart->setObjectName(QStringLiteral("pbChart"));
        calculate->setObjectName(QStringLiteral("cmdCalculate"));
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : {static_cast<QWidget*>(price), static_cast<QWidget*>(picker),
                           static_cast<QWidget*>(notes), static_cast<QWidget*>(calculate)})
            layout->addWidget(w);
    }
};
} // namespace

class TestWidgets : public UiTest {
    Q_OBJECT
private slots:
    void keyHookFiltersTyping_data();
    void keyHookFiltersTyping();
    void controlKeysReachHookAsCodes_data();
    void controlKeysReachHookAsCodes();
    void hookCanReplaceCharacter();
    void boxWithoutHookTakesEverything();
    void datePickerRangeAndForm();
    void datePickerChangeFiresOnEverySet();
    void notesKeepLineBreaks();
    void pictureBoxShowsSurface();
    void placeTwipsUsesScreenScale();
    void clickUsesObjectName();
    void watchdogClosesStrayMessageBox();
    void watchdogClosesStrayFileDialog();
    void watchdogHandsExpectedDialogToTest();
};

void TestWidgets::keyHookFiltersTyping_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits pass") << "1234" << "1234";
    QTest::newRow("letters swallowed") << "1a2b" << "12";
    QTest::newRow("blank swallowed") << "1 2" << "12";
    QTest::newRow("empty typing") << "" << "";
}

void TestWidgets::keyHookFiltersTyping() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    Form f;
    f.price->keyPress = [&f](int& k) {
        f.codes << k;
        if (k > 26 && !QChar(k).isDigit()) k = 0;
    };
    UI_TYPE(&f.window, "txtPrice", typed);
    QCOMPARE(f.price->text(), expected);
    QCOMPARE(f.codes.size(), typed.size());
}

void TestWidgets::controlKeysReachHookAsCodes_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << 8;
    QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 13;
    QTest::newRow("escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << 27;
    QTest::newRow("paste") << int(Qt::Key_V) << int(Qt::ControlModifier) << 22;
    QTest::newRow("copy") << int(Qt::Key_C) << int(Qt::ControlModifier) << 3;
}

void TestWidgets::controlKeysReachHookAsCodes() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    Form f;
    f.price->keyPress = [&f](int& k) { f.codes << k; };
    UI_CHECK(ui::key(&f.window, QStringLiteral("txtPrice"), Qt::Key(key),
                     Qt::KeyboardModifiers(modifiers)));
    QCOMPARE(f.codes, QList<int>{code});
}

void TestWidgets::hookCanReplaceCharacter() {
    Form f;
    f.price->keyPress = [](int& k) {
        if (k == ',') k = '.';
    };
    UI_TYPE(&f.window, "txtPrice", QStringLiteral("12,5"));
    QCOMPARE(f.price->text(), QStringLiteral("12.5"));

    // A key the hook passes still does its editing work (backspace deletes,
    // Ctrl+V pastes unfiltered text).
    UI_CHECK(ui::key(&f.window, QStringLiteral("txtPrice"), Qt::Key_Backspace));
    QCOMPARE(f.price->text(), QStringLiteral("12."));
    QGuiApplication::clipboard()->setText(QStringLiteral("x9"));
    if (QGuiApplication::clipboard()->text() == QLatin1String("x9")) {
        UI_CHECK(ui::key(&f.window, QStringLiteral("txtPrice"), Qt::Key_V, Qt::ControlModifier));
        QCOMPARE(f.price->text(), QStringLiteral("12.x9"));
    }
}

void TestWidgets::boxWithoutHookTakesEverything() {
    Form f;
    f.price->setMaxLength(4);
    UI_TYPE(&f.window, "txtPrice", QStringLiteral("ab 12"));
    QCOMPARE(f.price->text(), QStringLiteral("ab 1"));   // the box's own length limit
    UI_RETYPE(&f.window, "txtPrice", QStringLiteral("77"));
    QCOMPARE(f.price->text(), QStringLiteral("77"));
}

void TestWidgets::datePickerRangeAndForm() {
    DatePicker picker;
    QCOMPARE(picker.minimumDate(), QDate(1601, 1, 1));
    QCOMPARE(picker.maximumDate(), QDate(9999, 12, 31));
    picker.setValue(QDate(2004, 3, 1));
    QCOMPARE(picker.text(), QStringLiteral("3/1/2004"));
    QVERIFY(picker.calendarPopup());
    // Never empty: an invalid or out-of-range date leaves the picker as it was.
    picker.setValue(QDate());
    picker.setValue(QDate(1500, 1, 1));
    QCOMPARE(picker.value(), QDate(2004, 3, 1));
}

void TestWidgets::datePickerChangeFiresOnEverySet() {
    Form f;
    QSignalSpy changes(f.picker, &DatePicker::Change);
    f.picker->setValue(QDate(2024, 1, 15));
    UI_PICK(&f.window, "dtpInputDate", QDate(2024, 6, 21));
    QCOMPARE(changes.size(), 2);
    f.picker->setValue(QDate(2024, 6, 21));   // the same date again is no change
    QCOMPARE(changes.size(), 2);
    QCOMPARE(f.picker->value(), QDate(2024, 6, 21));
}

void TestWidgets::notesKeepLineBreaks() {
    Form f;
    f.notes->setText(QStringLiteral("Notes\r\nsecond"));
    QCOMPARE(f.notes->text(), QStringLiteral("Notes\nsecond"));
    f.notes->setText(QString());
    UI_TYPE(&f.window, "txtNotes", QStringLiteral("a"));
    UI_CHECK(ui::key(&f.window, QStringLiteral("txtNotes"), Qt::Key_Return));
    UI_TYPE(&f.window, "txtNotes", QStringLiteral("b"));
    QCOMPARE(f.notes->text(), QStringLiteral("a\nb"));
    QVERIFY(f.notes->tabChangesFocus());
}

void TestWidgets::pictureBoxShowsSurface() {
    fake().tpp = 15;
    Form f;
    f.chart->placeTwips(150, 300, 3000, 1500);
    QCOMPARE(f.chart->geometry(), QRect(10, 20, 200, 100));
    QCOMPARE(f.chart->surface().widthPixels(), 200);
    f.chart->surface().filledBox(0, 0, 600, 600, QColor(255, 0, 0));
    const QImage shown = f.chart->grab().toImage();
    QCOMPARE(shown.pixelColor(5, 5), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(150, 50), QColor(Qt::white));

    // Showing a surface kept elsewhere.
    PictureSurface other(15);
    other.setSizeTwips(3000, 1500);
    other.filledBox(0, 0, 600, 600, QColor(0, 0, 255));
    f.chart->setSurface(&other);
    QCOMPARE(f.chart->grab().toImage().pixelColor(5, 5), QColor(0, 0, 255));
    f.chart->setSurface(nullptr);
    QCOMPARE(f.chart->grab().toImage().pixelColor(5, 5), QColor(255, 0, 0));
}

void TestWidgets::placeTwipsUsesScreenScale() {
    QWidget w;
    fake().tpp = 12;   // 120 dpi
    PlaceTwips(&w, 1440, 120, 2880, 366);
    QCOMPARE(w.geometry(), QRect(120, 10, 240, 30));   // 366 / 12 = 30.5 goes to 30
    SetControlFont(&w, QStringLiteral("Lucida Console"), 8, true);
    QVERIFY(w.font().bold());
    QCOMPARE(w.font().pointSizeF(), 8.0);
}

void TestWidgets::clickUsesObjectName() {
    Form f;
    QSignalSpy clicked(f.calculate, &QPushButton::clicked);
    UI_CLICK(&f.window, "cmdCalculate");
    QCOMPARE(clicked.size(), 1);
    QVERIFY(!ui::click(&f.window, QStringLiteral("cmdMissing")).isEmpty());
    f.calculate->setEnabled(false);
    QVERIFY(ui::click(&f.window, QStringLiteral("cmdCalculate")).contains("disabled"));
}

void TestWidgets::watchdogClosesStrayMessageBox() {
    watchdog().failImmediately = false;
    // Code that bypasses platform() would block here forever without the watchdog.
    QMessageBox::information(nullptr, QStringLiteral("Stray"), QStringLiteral("Hello there"));
    QCOMPARE(watchdog().caught().size(), 1);
    QVERIFY2(watchdog().caught().first().contains(QStringLiteral("Hello there")),
             qPrintable(watchdog().caught().first()));
    watchdog().clearCaught();
}

void TestWidgets::watchdogClosesStrayFileDialog() {
    watchdog().failImmediately = false;
    const QString name = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open"), programDir());
    QVERIFY(name.isEmpty());
    QCOMPARE(watchdog().caught().size(), 1);
    QVERIFY(watchdog().caught().first().contains(QStringLiteral("QFileDialog")));
    watchdog().clearCaught();
}

void TestWidgets::watchdogHandsExpectedDialogToTest() {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frmPrintOption"));
    bool handled = false;
    watchdog().expectDialog(QStringLiteral("frmPrintOption"), [&handled](QWidget* w) {
        handled = true;
        qobject_cast<QDialog*>(w)->accept();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(handled);
    QVERIFY(watchdog().caught().isEmpty());
    QVERIFY(watchdog().pendingExpectations().isEmpty());
}

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
