#pragma once
#include "core/numbers/layout.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

class PictureBox;
class QAbstractButton;
class QKeyEvent;
class QPushButton;

// A document is New until it is saved or opened; from then on it is Open and
// belongs to its file.
enum class ProjectStatus { New, Open };
// Unchanged until an input control changes; Loading while the window fills its
// controls, so setting them is no change.
enum class ChangeStatus { Loading, Unchanged, Changed };

// The buttons that keyboard shortcuts press.
struct DocumentButtons {
    QAbstractButton* newProject;
    QAbstractButton* open;
    QAbstractButton* save;
    QAbstractButton* calculate;
    QAbstractButton* exportResults;
    QAbstractButton* print;
    QAbstractButton* exit;
};

// How an analysis's project files meet the file dialogs.
struct ProjectFileType {
    QString filter;           // "Fibonacci Project File| *.fib"
    QString extension;        // ".fib": Save proposes the project's name with it
    bool openInProgramDir;    // whether Open's dialog starts in the program's folder
};

// An analysis window holding one project document. Both analyses keep the same
// rules: the document is changed as soon as an input control changes, and the
// "Save Changes?" question comes before New, Open and closing, so a trader never
// loses unsaved inputs. New, Open, Save and the question are this class's; each
// analysis supplies what differs: its file type, how it reads the inputs to save, and
// how it writes and reads its document.
class DocumentWindow : public QWidget {
    Q_OBJECT
public:
    ProjectStatus ProjectState = ProjectStatus::New;
    ChangeStatus ChangedFlag = ChangeStatus::Loading;
    QString ProjectFile;    // the file last opened or saved, or empty
    qint16 FirstShow = 1;   // 1 until the window has been the active window once

    // The buttons both analyses share, each run by its button and its shortcut.
    void cmdNew_Click() { NewDocument(); }
    // "Save Changes?" first, then the file the dialog chose becomes the document and is
    // calculated.
    void cmdOpen_Click();
    // Saves the document; true when it was written. A refused, cancelled or failed
    // save leaves the document changed.
    bool cmdSave_Click();
    void cmdExit_Click() { close(); }
    virtual void cmdCalculate_Click() = 0;
    virtual void cmdExport_Click() = 0;
    virtual void cmdPrint_Click() = 0;
    // Runs each time the window becomes the active one; the first time puts the focus
    // in the first input.
    void Form_Activate();

    // Opens the project file at path as Open does once its dialog has chosen it ("Save
    // Changes?" first); for a file named on the program's command line.
    void OpenProjectFile(const QString& path);

    // New: "Save Changes?" first, then an empty window with a fresh document. false
    // when the trader kept the document he had (Cancel, or a save that did not go
    // through). Inputs handed over from another window start the same way.
    bool NewDocument();

    // The clipboard commands of AddCopyCommands.
    void CopyResults();
    void CopyChart();

protected:
    explicit DocumentWindow(QWidget* parent = nullptr);

    // The New button, enabled unless the document is fresh and untouched; the button
    // that Enter presses when no button has the focus; the input that takes the focus
    // when a document starts; and the files the document is kept in.
    void setDocumentControls(QPushButton* newButton, QPushButton* defaultButton, QWidget* firstInput,
                             const ProjectFileType& fileType);
    void UpdateNewButton();
    // After a successful Open or Save: the document is the file at `path`, unchanged.
    void DocumentBelongsTo(const QString& path);
    // After loading the window or New: a fresh document that nothing has changed.
    void DocumentIsNew();
    // The change handler of every input control.
    void TrackChange();
    // Empties the controls, results and chart into a fresh document (New then marks it
    // untouched and focuses the first input).
    virtual void ResetToNewDocument() = 0;
    // Save's reading of the inputs: the project name to save under, or std::nullopt
    // when the inputs are refused (the window has said why).
    virtual std::optional<QString> NameToSave() = 0;
    // The document into the file at path, through a temporary file so that a failed
    // save leaves the old file whole; false when it was not written.
    virtual bool WriteProject(const QString& path) = 0;
    // The file at path into the document and the controls; false when it cannot be
    // read (what was read before the fault may stay, as each analysis says).
    virtual bool ReadProject(const QString& path) = 0;
    // "Save Changes?" with Yes/No/Cancel over this window, brought to the front first;
    // true when the pending action may go ahead.
    bool SaveChangesPrompt();
    // Enter presses the default button; the notes box takes it away while it has focus.
    void setDefaultButtonActive(bool active);

    // Each shared button runs its handler above; Ctrl+N, Ctrl+O, Ctrl+S, F5, Ctrl+E,
    // Ctrl+P and Ctrl+W press them; F1 (the guide at `guideHeading`), Ctrl+M, Ctrl+Q and
    // Ctrl+H reach the rest of the program. The buttons' tooltips name the shortcuts.
    // The window's shortcuts work whichever control has the focus.
    void ConnectDocumentButtons(const DocumentButtons& buttons, const QString& guideHeading);

    // Ctrl+C and the context menu's "Copy Results" put resultsText() on the clipboard,
    // "Copy Chart" the chart's picture. The menu opens on each of `menuHosts`. A text
    // box with selected text keeps Ctrl+C for its selection.
    void AddCopyCommands(std::function<QString()> resultsText, PictureBox* chart,
                         const QList<QWidget*>& menuHosts);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Open's work after its dialog: the file into the document, then Calculate.
    void ReadProjectFile(const QString& path);
    // Whether a key is one of this window's shortcuts (the buttons', the program's, the zoom).
    bool IsWindowShortcut(const QKeyEvent* key) const;

    QPushButton* m_newButton = nullptr;
    QPushButton* m_defaultButton = nullptr;
    QWidget* m_firstInput = nullptr;
    ProjectFileType m_fileType;
    std::function<QString()> m_resultsText;
    PictureBox* m_chart = nullptr;
};

// One layout of an analysis window as a class of its own, which the main window keeps
// one of and opens when the screen calls for that layout. Window is constructed from
// the layout followed by its own arguments (the parent widget last).
template <typename Window, Layout L>
class LayoutWindow : public Window {
public:
    template <typename... Args>
    explicit LayoutWindow(Args&&... args) : Window(L, std::forward<Args>(args)...) {}
};

// The window in the layout given, for callers that choose the layout as they run.
template <typename Window, typename... Args>
Window* MakeLayoutWindow(Layout layout, Args&&... args)
{
    if (layout == Layout::Compact)
        return new LayoutWindow<Window, Layout::Compact>(std::forward<Args>(args)...);
    return new LayoutWindow<Window, Layout::Large>(std::forward<Args>(args)...);
}
