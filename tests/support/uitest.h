#pragma once
#include "fakeplatform.h"
#include "core/settings/settings.h"
#include "platform/documentwindow.h"

#include <QHash>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

// Window tests run on the offscreen platform with a scripted FakePlatform, so no
// message box or file dialog of the program waits for a person. A modal dialog nobody
// scripted (a QMessageBox or QFileDialog opened directly, or one of the program's own)
// would still hang the test: the watchdog looks for one every 50 ms, closes it and
// fails the running test with its title and text.
class DialogWatchdog : public QObject {
    Q_OBJECT
public:
    DialogWatchdog();
    // The next modal dialog whose objectName or class name is `name` goes to `handler`
    // (which fills it in and closes it). Register before the click that opens it.
    void expectDialog(const QString& name, std::function<void(QWidget*)> handler) {
        m_expected.insert(name, std::move(handler));
    }
    QStringList pendingExpectations() const { return m_expected.keys(); }
    void clearExpectations() { m_expected.clear(); }

private:
    void check();
    QTimer m_timer;
    QHash<QString, std::function<void(QWidget*)>> m_expected;
    QList<QPointer<QWidget>> m_handling;
};

// Base of window test classes: from construction on a scripted FakePlatform is
// installed and the watchdog runs. Each test gets a fresh fake with an empty temporary
// program folder and the classic ratios for the windows it makes, and fails when a
// scripted dialog found no answer or an expected dialog never came. A class with init()/cleanup() slots of its own calls these first.
class UiTest : public QObject {
    Q_OBJECT
public:
    UiTest() { installFreshPlatform(); }
    ~UiTest() override { setPlatform(nullptr); }
    FakePlatform& fake() { return *m_fake; }
    DialogWatchdog& watchdog() { return m_watchdog; }
    QString programDir() const { return m_dir->path(); }
    ProgramRatios& ratios() { return m_ratios; }

protected slots:
    void init() { installFreshPlatform(); }
    void cleanup();

private:
    void installFreshPlatform();
    std::unique_ptr<FakePlatform> m_fake;
    std::unique_ptr<QTemporaryDir> m_dir;
    DialogWatchdog m_watchdog;
    ProgramRatios m_ratios;
};

namespace ui {
// A child of root (or root itself) of type T with this objectName; nullptr if none.
template <class T>
T* find(QObject* root, const QString& name) {
    if (root && root->objectName() == name)
        if (T* self = qobject_cast<T*>(root)) return self;
    return root ? root->findChild<T*>(name) : nullptr;
}

// Each returns an empty string on success, else what went wrong. click() presses an
// enabled button with the mouse; type() sends keys to the end of a box, so its key
// filter applies; retype() types over the whole text; pickDate() sets a picker as its
// calendar would (Change fires).
QString click(QWidget* root, const QString& buttonName);
QString type(QWidget* root, const QString& boxName, const QString& text);
QString retype(QWidget* root, const QString& boxName, const QString& text);
QString pickDate(QWidget* root, const QString& pickerName, const QDate& date);
// The visible top-level window with this objectName; nullptr if none.
QWidget* openWindow(const QString& name);
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
