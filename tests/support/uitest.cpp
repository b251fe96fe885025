#include "uitest.h"
#include "platform/datepicker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>

DialogWatchdog::DialogWatchdog(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &DialogWatchdog::check);
}

void DialogWatchdog::start(int intervalMs) {
    m_timer.start(intervalMs);
}

void DialogWatchdog::stop() {
    m_timer.stop();
}

void DialogWatchdog::expectDialog(const QString& name, std::function<void(QWidget*)> handler) {
    m_expected.insert(name, std::move(handler));
}

namespace {
QString Describe(QWidget* w) {
    QString d = QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()),
                                               w->windowTitle());
    if (!w->objectName().isEmpty()) d += QStringLiteral(" (%1)").arg(w->objectName());
    if (auto* box = qobject_cast<QMessageBox*>(w)) d += QStringLiteral(": ") + box->text();
    return d;
}

bool IsBlockingDialog(QWidget* w) {
    if (!w || !w->isVisible()) return false;
    if (qobject_cast<QMessageBox*>(w) || qobject_cast<QFileDialog*>(w)) return true;
    return w->isModal() || (qobject_cast<QDialog*>(w) && w->windowModality() != Qt::NonModal);
}
} // namespace

void DialogWatchdog::check() {
    QList<QWidget*> found;
    if (QWidget* modal = QApplication::activeModalWidget()) found << modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (IsBlockingDialog(w) && !found.contains(w)) found << w;

    m_handling.removeAll(nullptr);
    for (QWidget* w : found) {
        if (m_handling.contains(w) || !w->isVisible()) continue;
        QString key;
        if (m_expected.contains(w->objectName())) key = w->objectName();
        else if (m_expected.contains(QString::fromLatin1(w->metaObject()->className())))
            key = QString::fromLatin1(w->metaObject()->className());
        if (!key.isEmpty()) {
            // Run the handler outside this slot, so a dialog it opens in turn is
            // seen by the next tick of the timer.
            auto handler = m_expected.take(key);
            m_handling << w;
            QPointer<QWidget> target(w);
            QTimer::singleShot(0, this, [handler, target] {
                if (target) handler(target);
            });
            continue;
        }
        const QString what = QStringLiteral("Unexpected modal dialog: ") + Describe(w);
        m_caught << what;
        if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
        else w->close();
        if (failImmediately) QTest::qFail(qPrintable(what), __FILE__, __LINE__);
        else {
            m_unreported << what;
            qWarning("%s", qPrintable(what));
        }
    }
}

UiTest::UiTest() {
    installFreshPlatform();
    m_watchdog.start();
}

UiTest::~UiTest() {
    m_watchdog.stop();
    setPlatform(nullptr);
}

void UiTest::installFreshPlatform() {
    auto fresh = std::make_unique<FakePlatform>();
    auto dir = std::make_unique<QTemporaryDir>();
    fresh->dir = dir->path();
    setPlatform(fresh.get());
    // The previous fake goes only now, after nothing can reach it any more.
    m_fake = std::move(fresh);
    m_dir = std::move(dir);
}

void UiTest::init() {
    installFreshPlatform();
    m_watchdog.clearCaught();
    m_watchdog.failImmediately = true;
    m_watchdog.start();
}

void UiTest::cleanup() {
    const QStringList caught = m_watchdog.unreported();
    const QStringList unexpected = m_fake->unexpected;
    const QStringList pending = m_watchdog.pendingExpectations();
    // The next test starts clean whatever this one left behind. The fake stays
    // installed (and the watchdog running) until the next init(): a window that
    // outlives the test must not reach a real dialog in between.
    m_watchdog.clearCaught();
    m_watchdog.clearExpectations();
    m_fake->unexpected.clear();
    QVERIFY2(caught.isEmpty(), qPrintable(caught.join(QLatin1Char('\n'))));
    QVERIFY2(unexpected.isEmpty(),
             qPrintable(QStringLiteral("Dialogs without a scripted answer: ") +
                        unexpected.join(QStringLiteral("; "))));
    QVERIFY2(pending.isEmpty(),
             qPrintable(QStringLiteral("Expected dialogs that never opened: ") +
                        pending.join(QStringLiteral(", "))));
}

namespace ui {
QString click(QWidget* root, const QString& buttonName) {
    auto* button = find<QAbstractButton>(root, buttonName);
    if (!button) return QStringLiteral("No button named %1").arg(buttonName);
    if (!button->isEnabled()) return QStringLiteral("Button %1 is disabled").arg(buttonName);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    return QString();
}

namespace {
QWidget* EditBox(QWidget* root, const QString& name) {
    if (auto* line = find<QLineEdit>(root, name)) return line;
    if (auto* plain = find<QPlainTextEdit>(root, name)) return plain;
    return nullptr;
}
} // namespace

QString type(QWidget* root, const QString& boxName, const QString& text) {
    QWidget* box = EditBox(root, boxName);
    if (!box) return QStringLiteral("No text box named %1").arg(boxName);
    if (!box->isEnabled()) return QStringLiteral("Text box %1 is disabled").arg(boxName);
    if (auto* line = qobject_cast<QLineEdit*>(box)) line->end(false);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) plain->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, text);
    return QString();
}

QString retype(QWidget* root, const QString& boxName, const QString& text) {
    QWidget* box = EditBox(root, boxName);
    if (!box) return QStringLiteral("No text box named %1").arg(boxName);
    if (!box->isEnabled()) return QStringLiteral("Text box %1 is disabled").arg(boxName);
    if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) plain->selectAll();
    QTest::keyClicks(box, text);
    return QString();
}

QString key(QWidget* root, const QString& widgetName, Qt::Key k, Qt::KeyboardModifiers modifiers) {
    auto* w = find<QWidget>(root, widgetName);
    if (!w) return QStringLiteral("No widget named %1").arg(widgetName);
    QTest::keyClick(w, k, modifiers);
    return QString();
}

QString pickDate(QWidget* root, const QString& pickerName, const QDate& date) {
    auto* picker = find<DatePicker>(root, pickerName);
    if (!picker) return QStringLiteral("No date picker named %1").arg(pickerName);
    if (!picker->isEnabled()) return QStringLiteral("Date picker %1 is disabled").arg(pickerName);
    if (date < picker->minimumDate() || date > picker->maximumDate())
        return QStringLiteral("%1 is outside the picker's range").arg(date.toString(Qt::ISODate));
    picker->setValue(date);
    return QString();
}
} // namespace ui
