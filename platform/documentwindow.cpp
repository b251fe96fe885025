#include "platform/documentwindow.h"

#include "core/numbers/modFunctions.h"
#include "platform/picturebox.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

DocumentWindow::DocumentWindow(QWidget* parent) : QWidget(parent) {}

void DocumentWindow::setDocumentControls(QPushButton* newButton, QPushButton* defaultButton, QWidget* firstInput,
                                         const ProjectFileType& fileType)
{
    m_newButton = newButton;
    m_defaultButton = defaultButton;
    m_defaultButton->setDefault(true);
    m_firstInput = firstInput;
    m_fileType = fileType;
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

bool DocumentWindow::NewDocument()
{
    if (!SaveChangesPrompt())
        return false;
    ResetToNewDocument();
    DocumentIsNew();
    m_firstInput->setFocus();
    return true;
}

void DocumentWindow::cmdOpen_Click()
{
    if (!SaveChangesPrompt())
        return;
    const QString folder = m_fileType.openInProgramDir ? platform().programDir() + QLatin1Char('/') : QString();
    const std::optional<QString> chosen = platform().openFileName(m_fileType.filter, folder);
    if (chosen)
        ReadProjectFile(*chosen);
}

void DocumentWindow::OpenProjectFile(const QString& path)
{
    if (SaveChangesPrompt())
        ReadProjectFile(path);
}

void DocumentWindow::ReadProjectFile(const QString& path)
{
    if (!ReadProject(path)) {
        ShowActionFailed(QStringLiteral("Can't open project file"));
        return;
    }
    // Inputs that fail the check are reported, and the file still becomes the document.
    cmdCalculate_Click();
    DocumentBelongsTo(path);
    m_firstInput->setFocus();
}

bool DocumentWindow::cmdSave_Click()
{
    const std::optional<QString> name = NameToSave();
    if (!name)
        return false;
    if (name->isEmpty() || *name == ProjectNamePlaceholder) {
        ShowMessage(QStringLiteral("Project name not specified!"));
        return false;
    }
    // An opened or saved document always goes back to its own file.
    QString path = ProjectFile;
    if (ProjectState != ProjectStatus::Open) {
        const std::optional<QString> chosen = platform().saveFileName(
            m_fileType.filter, platform().programDir() + QLatin1Char('/') + *name + m_fileType.extension);
        if (!chosen)
            return false;
        path = *chosen;
    }
    if (path.isEmpty() || !WriteProject(path)) {
        ShowActionFailed(QStringLiteral("Can't save result file."));
        return false;
    }
    DocumentBelongsTo(path);
    ShowMessage(QStringLiteral("Project saved to file ") + path);
    return true;
}

void DocumentWindow::Form_Activate()
{
    if (FirstShow == 1)
        m_firstInput->setFocus();
    FirstShow = 2;
}

bool DocumentWindow::SaveChangesPrompt()
{
    if (ChangedFlag != ChangeStatus::Changed)
        return true;
    // The main menu's Exit asks every window in turn: the trader must see which
    // project the question is about.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    const DialogOwner owner(this);
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

// ---------------------------------------------------------------------------------
// Keyboard shortcuts and the clipboard

void DocumentWindow::ConnectDocumentButtons(const DocumentButtons& b, const QString& guideHeading)
{
    const std::pair<QAbstractButton*, void (DocumentWindow::*)()> handlers[] = {
        {b.newProject, &DocumentWindow::cmdNew_Click},   {b.open, &DocumentWindow::cmdOpen_Click},
        {b.calculate, &DocumentWindow::cmdCalculate_Click}, {b.exportResults, &DocumentWindow::cmdExport_Click},
        {b.print, &DocumentWindow::cmdPrint_Click},       {b.exit, &DocumentWindow::cmdExit_Click}};
    for (const auto& [button, handler] : handlers)
        connect(button, &QAbstractButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
    connect(b.save, &QAbstractButton::clicked, this, [this] { cmdSave_Click(); });

    AddButtonShortcut(this, b.newProject, QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("New project"));
    AddButtonShortcut(this, b.open, QKeySequence(Qt::CTRL | Qt::Key_O), QStringLiteral("Open a project"));
    AddButtonShortcut(this, b.save, QKeySequence(Qt::CTRL | Qt::Key_S), QStringLiteral("Save the project"));
    AddButtonShortcut(this, b.calculate, QKeySequence(Qt::Key_F5), QStringLiteral("Calculate"));
    AddButtonShortcut(this, b.exportResults, QKeySequence(Qt::CTRL | Qt::Key_E),
                      QStringLiteral("Export the results as a text report"));
    AddButtonShortcut(this, b.print, QKeySequence(Qt::CTRL | Qt::Key_P),
                      QStringLiteral("Print the chart or save it as a bitmap"));
    AddButtonShortcut(this, b.exit, QKeySequence(Qt::CTRL | Qt::Key_W), QStringLiteral("Close this window"));
    AddProgramShortcuts(this, guideHeading);
    // The boxes claim some of these keys for editing (Ctrl+E is End on Linux desktops)
    // and Ctrl+C for their selection; eventFilter decides.
    for (QWidget* w : findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
            qobject_cast<QLabel*>(w))
            w->installEventFilter(this);
}

void DocumentWindow::AddCopyCommands(std::function<QString()> resultsText, PictureBox* chart,
                                     const QList<QWidget*>& menuHosts)
{
    m_resultsText = std::move(resultsText);
    m_chart = chart;
    auto* copyResults = new QAction(QStringLiteral("Copy Results\tCtrl+C"), this);
    auto* copyChart = new QAction(QStringLiteral("Copy Chart"), this);
    connect(copyResults, &QAction::triggered, this, &DocumentWindow::CopyResults);
    connect(copyChart, &QAction::triggered, this, &DocumentWindow::CopyChart);
    for (QWidget* host : menuHosts) {
        host->setContextMenuPolicy(Qt::ActionsContextMenu);
        host->addActions({copyResults, copyChart});
    }
    auto* copyKey = new QShortcut(QKeySequence::Copy, this);
    connect(copyKey, &QShortcut::activated, this, &DocumentWindow::CopyResults);
}

void DocumentWindow::CopyResults()
{
    if (m_resultsText) QGuiApplication::clipboard()->setText(m_resultsText());
}

void DocumentWindow::CopyChart()
{
    if (m_chart) QGuiApplication::clipboard()->setImage(m_chart->surface().image());
}

namespace {
// A date picker's field is always selected, so it never keeps Ctrl+C.
bool HasSelectedText(QObject* o)
{
    if (auto* line = qobject_cast<QLineEdit*>(o))
        return line->hasSelectedText() && !qobject_cast<QAbstractSpinBox*>(line->parent());
    if (auto* text = qobject_cast<QPlainTextEdit*>(o)) return text->textCursor().hasSelection();
    if (auto* label = qobject_cast<QLabel*>(o)) return label->hasSelectedText();
    return false;
}
} // namespace

bool DocumentWindow::IsWindowShortcut(const QKeyEvent* key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QShortcut* shortcut : findChildren<QShortcut*>())
        if (shortcut->key() == pressed) return true;
    return false;
}

// A box that claims a key in its ShortcutOverride keeps it from the window's shortcuts;
// ignoring the override hands the key to the shortcut.
bool DocumentWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) ? !HasSelectedText(watched) : IsWindowShortcut(key)) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
