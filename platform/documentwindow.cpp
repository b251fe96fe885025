#include "platform/documentwindow.h"

#include "platform/platform.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

DocumentWindow::DocumentWindow(QWidget* parent) : QWidget(parent) {}

void DocumentWindow::setDocumentButtons(QPushButton* newButton, QPushButton* defaultButton)
{
    m_newButton = newButton;
    m_defaultButton = defaultButton;
    m_defaultButton->setDefault(true);
}

void DocumentWindow::UpdateNewButton()
{
    // A fresh, untouched document has nothing to renew.
    m_newButton->setEnabled(
        !(ChangedFlag == QLatin1String("NO") && ProjectState == QLatin1String("NEW")));
}

void DocumentWindow::DocumentBelongsTo(const QString& path)
{
    ProjectState = QStringLiteral("OPEN");
    ChangedFlag = QStringLiteral("NO");
    ProjectFile = path;
    UpdateNewButton();
}

void DocumentWindow::TrackChange()
{
    // While the window loads the flag is empty and setting the controls changes nothing.
    if (ChangedFlag == QLatin1String("NO")) {
        ChangedFlag = QStringLiteral("YES");
        UpdateNewButton();
    }
}

bool DocumentWindow::SaveChangesPrompt()
{
    if (ChangedFlag != QLatin1String("YES"))
        return true;
    switch (ShowMessage(QStringLiteral("Save Changes?"), MsgButtons::YesNoCancel)) {
    case MsgResult::Yes:
        cmdSave_Click();
        // A save that was refused, cancelled or failed leaves the document changed:
        // the pending action is abandoned so nothing is lost.
        return ChangedFlag != QLatin1String("YES");
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void DocumentWindow::setDefaultButtonActive(bool active)
{
    m_defaultButton->setDefault(active);
}

// Form_QueryUnload: every close (Exit, the close box, the main menu's Exit) asks first.
void DocumentWindow::closeEvent(QCloseEvent* event)
{
    if (SaveChangesPrompt())
        event->accept();
    else
        event->ignore();
}

void DocumentWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FirstShow == 1 && isActiveWindow())
        Form_Activate();
}

void DocumentWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

// Enter reaches the window when the focused control has no use for it: it presses
// the focused button, as on Windows, else the default button (none inside the notes).
void DocumentWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            return;
        }
        if (m_defaultButton && m_defaultButton->isDefault() && m_defaultButton->isEnabled()) {
            m_defaultButton->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
