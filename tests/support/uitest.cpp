#include "uitest.h"
#include "platform/datepicker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>

DialogWatchdog::DialogWatchdog() {
    connect(&m_timer, &QTimer::timeout, this, &DialogWatchdog::check);
    m_timer.start(50);
}

void DialogWatchdog::check() {
    QList<QWidget*> found;
    if (QWidget* modal = QApplication::activeModalWidget()) found << modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !found.contains(w)
            && (qobject_cast<QMessageBox*>(w) || qobject_cast<QFileDialog*>(w) || w->isModal()))
            found << w;
    m_handling.removeAll(nullptr);
    for (QWidget* w : found) {
        if (m_handling.contains(w) || !w->isVisible()) continue;
        QString key = w->objectName();
        if (!m_expected.contains(key)) key = QString::fromLatin1(w->metaObject()->className());
        if (m_expected.contains(key)) {
            // Outside this slot, so a dialog the handler opens in turn is seen next tick.
            auto handler = m_expected.take(key);
            m_handling << w;
            QPointer<QWidget> target(w);
            QTimer::singleShot(0, this, [handler, target] { if (target) handler(target); });
            continue;
        }
        QString what = QStringLiteral("Unexpected modal dialog: %1 \"%2\" %3")
                           .arg(QString::fromLatin1(w->metaObject()->className()), w->windowTitle(), w->objectName());
        if (auto* box = qobject_cast<QMessageBox*>(w)) what += QStringLiteral(": ") + box->text();
        if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
        else w->close();
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    }
}

void UiTest::installFreshPlatform() {
    auto fresh = std::make_unique<FakePlatform>();
    auto dir = std::make_unique<QTemporaryDir>();
    fresh->dir = dir->path();
    setPlatform(fresh.get());
    // The previous fake goes only now, after nothing can reach it any more.
    m_fake = std::move(fresh);
    m_dir = std::move(dir);
    m_ratios.setRatios(DefaultRatios);
}

void UiTest::cleanup() {
    // The next test starts clean whatever this one left behind; the fake stays
    // installed until the next init(), so a window that outlives the test reaches no
    // real dialog in between.
    const QStringList unexpected = std::exchange(m_fake->unexpected, {});
    const QStringList pending = m_watchdog.pendingExpectations();
    m_watchdog.clearExpectations();
    QVERIFY2(unexpected.isEmpty(), qPrintable("Dialogs without a scripted answer: " + unexpected.join("; ")));
    QVERIFY2(pending.isEmpty(), qPrintable("Expected dialogs that never opened: " + pending.join(", ")));
}

namespace ui {
QString click(QWidget* root, const QString& buttonName) {
    auto* button = find<QAbstractButton>(root, buttonName);
    if (!button || !button->isEnabled()) return QStringLiteral("No enabled button named %1").arg(buttonName);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    return QString();
}

namespace {
QString TypeInto(QWidget* root, const QString& boxName, const QString& text, bool over) {
    auto* line = find<QLineEdit>(root, boxName);
    auto* plain = find<QPlainTextEdit>(root, boxName);
    QWidget* box = line ? static_cast<QWidget*>(line) : plain;
    if (!box || !box->isEnabled()) return QStringLiteral("No enabled text box named %1").arg(boxName);
    if (line) over ? line->selectAll() : line->end(false);
    if (plain) over ? plain->selectAll() : plain->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, text);
    return QString();
}
} // namespace

QString type(QWidget* root, const QString& boxName, const QString& text) {
    return TypeInto(root, boxName, text, false);
}

QString retype(QWidget* root, const QString& boxName, const QString& text) {
    return TypeInto(root, boxName, text, true);
}

QString pickDate(QWidget* root, const QString& pickerName, const QDate& date) {
    auto* picker = find<DatePicker>(root, pickerName);
    if (!picker || !picker->isEnabled()) return QStringLiteral("No enabled date picker named %1").arg(pickerName);
    if (date < picker->minimumDate() || date > picker->maximumDate())
        return QStringLiteral("%1 is outside the picker's range").arg(date.toString(Qt::ISODate));
    picker->setValue(date);
    return QString();
}

QWidget* openWindow(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name) return w;
    return nullptr;
}
} // namespace ui
