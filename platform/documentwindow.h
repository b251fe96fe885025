#pragma once
#include "core/numbers/layout.h"

#include <QString>
#include <QWidget>
#include <functional>

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

// An analysis window holding one project document. Both analyses keep the same
// rules: the document is changed as soon as an input control changes, and the
// "Save Changes?" question comes before New, Open and closing, so a trader never
// loses unsaved inputs.
class DocumentWindow : public QWidget {
    Q_OBJECT
public:
    ProjectStatus ProjectState = ProjectStatus::New;
    ChangeStatus ChangedFlag = ChangeStatus::Loading;
    QString ProjectFile;    // the file last opened or saved, or empty
    qint16 FirstShow = 1;   // 1 until the window has been the active window once

    // The buttons both analyses share, each run by its button and its shortcut.
    void cmdNew_Click() { NewDocument(); }
    virtual void cmdOpen_Click() = 0;
    // Saves the document; true when it was written. A refused, cancelled or failed
    // save leaves the document changed.
    virtual bool cmdSave_Click() = 0;
    virtual void cmdExit_Click() = 0;
    virtual void cmdCalculate_Click() = 0;
    virtual void cmdExport_Click() = 0;
    virtual void cmdPrint_Click() = 0;
    // Runs each time the window becomes the active one.
    virtual void Form_Activate() = 0;

    // New: "Save Changes?" first, then an empty window with a fresh document. false
    // when the trader kept the document he had (Cancel, or a save that did not go
    // through). Inputs handed over from another window start the same way.
    bool NewDocument();

    // The clipboard commands of AddCopyCommands.
    void CopyResults();
    void CopyChart();

protected:
    explicit DocumentWindow(QWidget* parent = nullptr);

    // The New button, enabled unless the document is fresh and untouched; and the
    // button that Enter presses when no button has the focus.
    void setDocumentButtons(QPushButton* newButton, QPushButton* defaultButton);
    void UpdateNewButton();
    // After a successful Open or Save: the document is the file at `path`, unchanged.
    void DocumentBelongsTo(const QString& path);
    // After loading the window or New: a fresh document that nothing has changed.
    void DocumentIsNew();
    // The change handler of every input control.
    void TrackChange();
    // Empties the controls, results and chart into a fresh, untouched document.
    virtual void ResetToNewDocument() = 0;
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
    // Whether a key is one of this window's shortcuts (the buttons', the program's, the zoom).
    bool IsWindowShortcut(const QKeyEvent* key) const;

    QPushButton* m_newButton = nullptr;
    QPushButton* m_defaultButton = nullptr;
    std::function<QString()> m_resultsText;
    PictureBox* m_chart = nullptr;
};

// One layout of an analysis window as a class of its own, which the main window keeps
// one of and opens when the screen calls for that layout. Window is constructed from
// (Layout, QWidget* parent).
template <typename Window, Layout L>
class LayoutWindow : public Window {
public:
    explicit LayoutWindow(QWidget* parent = nullptr) : Window(L, parent) {}
};
