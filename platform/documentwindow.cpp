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
        !(ChangedFlag == ChangeStatus::Unchanged && ProjectState == ProjectStatus::New));
}

void DocumentWindow::DocumentBelongsTo(const QString& path)
{
    ProjectState = ProjectStatus::Open;
    ChangedFlag = ChangeStatus::Unchanged;
    ProjectFile = path;
    UpdateNewButton();
}

void DocumentWindow::DocumentIsNew()
{
    ProjectState = ProjectStatus::New;
    ChangedFlag = ChangeStatus::Unchanged;
    UpdateNewButton();
}

void DocumentWindow::TrackChange()
{
    if (ChangedFlag == ChangeStatus::Unchanged) {
        ChangedFlag = ChangeStatus::Changed;
        UpdateNewButton();
    }
}

bool DocumentWindow::SaveChangesPrompt()
{
    if (ChangedFlag != ChangeStatus::Changed)
        return true;
    switch (ShowMessage(QStringLiteral("Save Changes?"), MsgButtons::YesNoCancel)) {
    case MsgResult::Yes:
        // A save that was refused, cancelled or failed abandons the pending action,
        // so nothing is lost.
        return cmdSave_Click();
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
