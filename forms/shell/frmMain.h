#pragma once
#include <QWidget>

class ProgramRatios;
class QFrame;
class QLabel;
class QPushButton;

// The main menu. It loads the program's Fibonacci ratios, then opens the two
// analyses and hands the ratios to the windows that use them. Each analysis window
// is a single program-wide instance; the layout (compact or large) is chosen from
// the screen size every time a button is pressed, so a trader who changes the screen
// resolution gets the other layout as a second, separate window.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // `ratios` is the set the menu loads and hands on; without one, the program's own,
    // which outlives every menu.
    explicit frmMain(ProgramRatios* ratios = nullptr, QWidget* parent = nullptr);

    ProgramRatios& ratios() const { return *m_ratios; }

    QPushButton* cmdFibonacci;
    QPushButton* cmdGann;
    QFrame* fraDisclaimer;
    QLabel* lblDisclaimer;
    QLabel* lblCompany;   // "Marlowind"
    QLabel* lblProduct;   // "Tessaray"
    QPushButton* cmdExit;

public slots:
    void cmdFibonacci_Click();
    void cmdGann_Click();
    void cmdExit_Click();

    // Brings the main menu to the front, opening it again when it was closed.
    static void ShowMainMenu();

    // Opens a project file in its analysis window (.fib Fibonacci, .gann Gann, in the
    // layout the screen calls for) as that window's Open would; any other file gets a
    // message. For a file named on the program's command line.
    static void OpenProjectFile(const QString& path);

private:
    void CreateControls();
    void AddKeyboardAndHelp();
    void Form_Load();
    void LoadRatios();

    ProgramRatios* m_ratios;
};
