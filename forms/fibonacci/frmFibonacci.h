#pragma once
#include "core/fibonacci/fibonaccichart.h"
#include "core/fibonacci/fibonaccicore.h"
#include "core/numbers/layout.h"
#include "platform/documentwindow.h"
#include <QWidget>

class DatePicker;
class MultiLineTextBox;
class PictureBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TextBox;

// The Fibonacci window, one body for both layouts.
//
// How a calculation travels: the trader types two prices and moves the two date
// pickers (each change marks the document changed). Calculate (the button, Enter
// outside the notes, Open after reading a file, the end of printing) runs
// cmdCalculate_Click: ValidateInputs reads the controls into the FibonacciState fields
// this window inherits (Price1, Date1, ...) or shows why they are rejected; Calculate()
// of the widget-free core projects the prices and dates with the ratios in force and
// lays out the chart scale; ShowResults writes the two tables beside the inputs; the
// chart box is erased and DrawChart draws axes, ticks, level lines and the two input
// points. A calculation that cannot go on (a date past 12/31/9999) is reported and the
// window keeps everything as it was.
//
// The document: ProjectState, ChangedFlag, ProjectFile. New, Open and closing ask
// "Save Changes?" when something changed; Save and Open read and write ".fib" files
// through fibonaccifile.h.
//
// All state is in public plain fields so the export and printing code can read it.
class FibonacciWindow : public DocumentWindow, public FibonacciState {
    Q_OBJECT
public:
    FibonacciState& state() { return *this; }
    const FibonacciState& state() const { return *this; }
    Layout layout() const { return m_layout; }

    // Controls, named as the rest of the program refers to them.
    QPushButton* cmdNew;
    QPushButton* cmdOpen;
    QPushButton* cmdSave;
    QPushButton* cmdExit;
    TextBox* txtProject;
    QGroupBox* fraInputs;
    QLabel* lblCaptionPrice1;
    QLabel* lblCaptionDate1;
    QLabel* lblCaptionPrice2;
    QLabel* lblCaptionDate2;
    TextBox* txtPrice1;
    DatePicker* dtpDate1;
    TextBox* txtPrice2;
    DatePicker* dtpDate2;
    QPushButton* cmdCalculate;
    QGroupBox* fraResults;
    QLabel* lblPricesHeading;   // "Potential Prices"
    QLabel* lblPrices;
    QLabel* lblDatesHeading;    // "Potential Dates"
    QLabel* lblDates;
    MultiLineTextBox* txtNotes;
    QPushButton* cmdExport;
    QPushButton* cmdPrint;
    QPushButton* cmdRatios;
    PictureBox* pbFibonacci;

    qint32 ChartHalfSize = 0;

    // Where the window was placed at load, in twips.
    qint32 WindowLeft = 0, WindowTop = 0, WindowWidth = 0, WindowHeight = 0;

    // Chart geometry of the last DrawChart, in twips.
    qint32 TimeAxisLeft = 0, TimeAxisRight = 0, TimeAxisY = 0;
    qint32 PriceAxisX = 0, PriceAxisBottom = 0, PriceAxisTop = 0;

    // Reads and checks the inputs: 1 when acceptable, -1 when a message was shown.
    int ValidateInputs();
    FibonacciInputs InputsFromControls() const;   // what the input controls hold
    // Writes the two results tables from the state.
    void ShowResults();
    // Draws the chart of the state onto the chart box (without erasing it first).
    void DrawChart();
    // Copies the document state into the controls.
    void ShowInputs();
    // Erases the chart box: no picture, drawing cleared.
    void ClearChartBox();
    // Both results tables as tab-separated text (the clipboard's and the chart's
    // text for screen readers).
    QString ResultsText() const;

    // Runs each time the window becomes active; the first time puts the focus in Price1.
    void Form_Activate() override;
    // The closing check: false when the trader chose to keep the window open.
    bool Form_QueryUnload();

public slots:
    void cmdCalculate_Click() override;
    void cmdOpen_Click() override;
    bool cmdSave_Click() override;
    void cmdExit_Click() override;
    void cmdRatios_Click();
    // The text report and the chart picture are written by the output code.
    void cmdExport_Click() override;
    void cmdPrint_Click() override;

    // ---- Inputs handed over by another window (the price history's swings) ----
    // Starts a new document as New does ("Save Changes?" first; Cancel leaves the
    // window as it was), types the two prices and moves the two pickers as a trader
    // would, then presses Calculate: the document is marked changed and a rejection
    // shows its message.
    // false when the trader kept the document (nothing was handed over).
    bool LoadInputsAndCalculate(double price1, const QDate& date1, double price2, const QDate& date2);

    // Opens the project file at path as Open does once its dialog has chosen it ("Save
    // Changes?" first); for a file named on the program's command line.
    void OpenProjectFile(const QString& path);

protected:
    FibonacciWindow(Layout layout, QWidget* parent);
    void ResetToNewDocument() override;

private:
    void CreateControls();
    void CreateInputControls();
    void CreateResultControls();
    void ConnectControls();
    void PlaceControls();
    // Shortcuts, copying, fonts and names for screen readers.
    void AddDesktopManners();
    void Form_Load();
    void ClearProject();
    // Open's work after its dialog: the file into the document, then Calculate.
    void ReadProjectFile(const QString& path);
    void txtNotes_GotFocus();
    void txtNotes_LostFocus();

    const Layout m_layout;
};

// Large layout, for screens above 800 x 600.
class frmFibonacci : public FibonacciWindow {
    Q_OBJECT
public:
    explicit frmFibonacci(QWidget* parent = nullptr);
};

// Compact layout, for screens of at most 800 x 600.
class frmFibonacci86 : public FibonacciWindow {
    Q_OBJECT
public:
    explicit frmFibonacci86(QWidget* parent = nullptr);
};
