#pragma once
#include "fakeplatform.h"
#include "platform/documentwindow.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>
#include <memory>

// Window tests run on the offscreen platform with a scripted FakePlatform, so no
// message box or file dialog of the program ever waits for a person. A modal dialog
// that a test did not plan for (a QMessageBox or QFileDialog opened directly, or one
// of the program's own dialogs nobody scripted) would still hang the test: the
// DialogWatchdog looks for such a dialog every few milliseconds, closes it, and
// fails the running test with the dialog's title and text.

class DialogWatchdog : public QObject {
    Q_OBJECT
public:
    explicit DialogWatchdog(QObject* parent = nullptr);

    void start(int intervalMs = 50);
    void stop();

    // The next modal dialog whose objectName or class name is `name` is handed to
    // `handler` (which fills it in and closes it) instead of being failed. Register
    // before the click that opens the dialog.
    void expectDialog(const QString& name, std::function<void(QWidget*)> handler);
    QStringList pendingExpectations() const { return m_expected.keys(); }
    void clearExpectations() { m_expected.clear(); }

    // Dialogs closed because nobody expected them, one description each.
    QStringList caught() const { return m_caught; }
    // Of those, the ones that did not fail the test when caught.
    QStringList unreported() const { return m_unreported; }
    void clearCaught() { m_caught.clear(); m_unreported.clear(); }

    // When true (the default) a caught dialog fails the running test at once;
    // when false it is only recorded (for tests of the watchdog itself).
    bool failImmediately = true;

public slots:
    // One look at the open windows; the timer calls this.
    void check();

private:
    QTimer m_timer;
    QHash<QString, std::function<void(QWidget*)>> m_expected;
    QList<QPointer<QWidget>> m_handling;
    QStringList m_caught, m_unreported;
};

// Base of window test classes. From its construction to its destruction a scripted
// FakePlatform is installed and the watchdog runs, so even windows made in
// initTestCase() never reach a real dialog. Before every test a fresh FakePlatform
// with an empty temporary program directory replaces the previous one; after it the
// test fails when a dialog was caught, when a scripted dialog found no answer
// (fake().unexpected) or when an expected dialog never came.
// A test class with init()/cleanup() slots of its own calls these first.
class UiTest : public QObject {
    Q_OBJECT
public:
    UiTest();
    ~UiTest() override;

    FakePlatform& fake() { return *m_fake; }
    DialogWatchdog& watchdog() { return m_watchdog; }
    // The fake program directory, without a trailing separator.
    QString programDir() const { return m_dir ? m_dir->path() : QString(); }

protected slots:
    void init();
    void cleanup();

private:
    void installFreshPlatform();
    std::unique_ptr<FakePlatform> m_fake;
    std::unique_ptr<QTemporaryDir> m_dir;
    DialogWatchdog m_watchdog;
};

namespace ui {
// A child of root (or root itself) of type T with this objectName; nullptr if none.
template <class T>
T* find(QObject* root, const QString& name) {
    if (!root) return nullptr;
    if (root->objectName() == name)
        if (T* self = qobject_cast<T*>(root)) return self;
    return root->findChild<T*>(name);
}

// Each returns an empty string on success, else what went wrong (for QVERIFY2).
// Clicks an enabled button as a user would (mouse press and release).
QString click(QWidget* root, const QString& buttonName);
// Types text through key events, so the box's key filter applies; the keys go to
// the end of the current text.
QString type(QWidget* root, const QString& boxName, const QString& text);
// Selects the box's whole text and types over it.
QString retype(QWidget* root, const QString& boxName, const QString& text);
// Sends one key (Qt::Key_Return, Qt::Key_Backspace, ...) to the named widget.
QString key(QWidget* root, const QString& widgetName, Qt::Key k,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Sets a DatePicker as a user picking from its calendar would (Change fires).
QString pickDate(QWidget* root, const QString& pickerName, const QDate& date);
// "New Unchanged", "Open Changed", ...: a document's state in one comparable text.
inline QString documentState(const DocumentWindow* w) {
    return QString(w->ProjectState == ProjectStatus::New ? "New " : "Open ") +
           (w->ChangedFlag == ChangeStatus::Changed ? "Changed" : "Unchanged");
}
} // namespace ui

#define UI_CHECK(call)                                                                          \
    do {                                                                                        \
        const QString uiError_ = (call);                                                        \
        QVERIFY2(uiError_.isEmpty(), qPrintable(uiError_));                                     \
    } while (false)
#define UI_CLICK(root, name) UI_CHECK(ui::click((root), QStringLiteral(name)))
#define UI_TYPE(root, name, text) UI_CHECK(ui::type((root), QStringLiteral(name), (text)))
#define UI_RETYPE(root, name, text) UI_CHECK(ui::retype((root), QStringLiteral(name), (text)))
#define UI_PICK(root, name, date) UI_CHECK(ui::pickDate((root), QStringLiteral(name), (date)))
