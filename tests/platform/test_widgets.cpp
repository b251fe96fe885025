// The controls the windows are built from, driven through key events and object
// names as the window tests drive them.
#include "platform/widgets.h"
#include "uitest.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>

namespace {
// A window with one control of each kind, named as the analysis windows name them.
struct Form {
    QWidget window;
    TextBox* price = new TextBox(&window);
    DatePicker* picker = new DatePicker(&window);
    PictureBox* chart = new PictureBox(&window);
    QList<int> codes;   // what the key hook saw
    Form() {
        price->setObjectName(QStringLiteral("txtPrice"));
        picker->setObjectName(QStringLiteral("dtpInputDate"));
        price->keyPress = [this](int& k) { codes << k; };
    }
};
} // namespace

class TestWidgets : public UiTest {
    Q_OBJECT
private slots:
    void controlKeysReachHookAsCodes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << 8;
        QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 13;
        QTest::newRow("escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << 27;
        QTest::newRow("paste") << int(Qt::Key_V) << int(Qt::ControlModifier) << 22;
        QTest::newRow("copy") << int(Qt::Key_C) << int(Qt::ControlModifier) << 3;
    }
    void controlKeysReachHookAsCodes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, code);
        Form f;
        UI_CHECK(ui::key(&f.window, QStringLiteral("txtPrice"), Qt::Key(key),
                         Qt::KeyboardModifiers(modifiers)));
        QCOMPARE(f.codes, QList<int>{code});
    }

    void hookSwallowsOrReplacesCharacters() {
        Form f;
        f.price->keyPress = [](int& k) {
            if (k == ',') k = '.';
            if (k == 'x') k = 0;
        };
        UI_TYPE(&f.window, "txtPrice", QStringLiteral("1x2,5"));
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

    void datePickerIsNeverEmptyAndReportsChanges() {
        Form f;
        QSignalSpy changes(f.picker, &DatePicker::Change);
        f.picker->setValue(QDate(2004, 3, 1));
        QCOMPARE(f.picker->text(), QStringLiteral("3/1/2004"));
        // An invalid or out-of-range date leaves the picker as it was.
        f.picker->setValue(QDate());
        f.picker->setValue(QDate(1500, 1, 1));
        QCOMPARE(f.picker->value(), QDate(2004, 3, 1));
        UI_PICK(&f.window, "dtpInputDate", QDate(2024, 6, 21));
        QCOMPARE(changes.size(), 2);
        f.picker->setValue(QDate(2024, 6, 21));   // the same date again is no change
        QCOMPARE(changes.size(), 2);
    }

    void pictureBoxShowsSurface() {
        Form f;
        f.chart->placeTwips(150, 300, 3000, 1500);
        QCOMPARE(f.chart->geometry(), QRect(10, 20, 200, 100));
        QCOMPARE(f.chart->surface().widthPixels(), 200);
        f.chart->surface().filledBox(0, 0, 600, 600, QColor(255, 0, 0));
        const QImage shown = f.chart->grab().toImage();
        QCOMPARE(shown.pixelColor(5, 5), QColor(255, 0, 0));
        QCOMPARE(shown.pixelColor(150, 50), QColor(Qt::white));
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
