// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "core/fibonacci/fibonaccichart.h"
#include "core/fibonacci/fibonaccicore.h"
#include "core/numbers/layout.h"
#include "platform/documentwindow.h"
#include <QWidget>

class DatePicker;
class MultiLineTextBox;
class PictureBox;
class ProgramRatios;
class QGroupBox;
class QLabel;
class QPushButton;
class TextBox;

// The Fibonacci window, one body for both layouts.
//
// How a calculation travels: the trader types two prices and moves the two date
// pickers (each change marks the document changed). Calculate (the button, Enter
// outside the notes, Open after reading a file, the end of printing) runs
// cmdCalculate_Click: CalculateFibonacci (fibonaccicore.h) checks the control texts and
// stores them in the document of the window's FibonacciState, or says why they are
// rejected; it projects the prices and dates with the program's ratios in force and
// lays out the chart scale. ShowResults writes the two tables beside the inputs; the
// chart box is erased and DrawChart draws axes, ticks, level lines and the two input
// points. A calculation that cannot go on (a date past 12/31/9999) is reported and the
// window keeps everything as it was.
//
// The document (state().document) is what a ".fib" file holds (fibonaccifile.h); New,
// Open, Save and "Save Changes?" are the document window's.
class FibonacciWindow : public DocumentWindow {
    Q_OBJECT
public:
    const FibonacciState& state() const { return m_state; }
    Layout layout() const { return m_layout; }
    // The chart as DrawChart last drew it.
    const FibChartGeometry& shownChart() const { return m_shownChart; }

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
    QLabel* lblPricesHeading;  // "Potential Prices"
    QLabel* lblPrices;
    QLabel* lblDatesHeading;  // "Potential Dates"
    QLabel* lblDates;
    MultiLineTextBox* txtNotes;
    QPushButton* cmdExport;
    QPushButton* cmdPrint;
    QPushButton* cmdRatios;
    PictureBox* pbFibonacci;

    qint32 ChartHalfSize = 0;  // half the chart box's side, fixed at load (twips)

    // Reads and checks the inputs: 1 when acceptable, -1 when a message was shown.
    int ValidateInputs();
    FibonacciInputs InputsFromControls() const;  // what the input controls hold
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

public slots:
    void cmdCalculate_Click() override;
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

protected:
    FibonacciWindow(Layout layout, ProgramRatios& ratios, QWidget* parent = nullptr);
    // The Fibonacci document behind DocumentWindow's New, Open and Save.
    void ResetToNewDocument() override;
    std::optional<QString> NameToSave() override;
    bool WriteProject(const QString& path) override;
    bool ReadProject(const QString& path) override;

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
    void txtNotes_GotFocus();
    void txtNotes_LostFocus();

    const Layout m_layout;
    ProgramRatios& m_ratios;  // the program's, read at each calculation
    FibonacciState m_state;
    FibChartGeometry m_shownChart;
};

// The window in each layout: large for screens above 800 x 600 pixels, compact for
// screens of at most 800 x 600.
using frmFibonacci = LayoutWindow<FibonacciWindow, Layout::Large>;
using frmFibonacci86 = LayoutWindow<FibonacciWindow, Layout::Compact>;
