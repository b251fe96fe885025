// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "core/gann/gannchartgeometry.h"
#include "core/gann/gannproject.h"
#include "core/gann/gannstate.h"
#include "core/numbers/layout.h"
#include "platform/documentwindow.h"

#include <QWidget>

class DatePicker;
class MultiLineTextBox;
class PictureBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class TextBox;

// The Gann Square of Nine window, one body of code for both layouts.
//
// How a calculation travels: the trader types a price into txtPrice (digits only,
// filtered key by key) and moves dtpInputDate away from today. cmdCalculate_Click
// hands the box texts to CalculateGann (ganncalc.h), which checks them, builds the
// number spiral, finds the highs and lows and walks the seasons for the dates, all
// on the window's GannState. The window then writes the two tables (gannlisting.h)
// into lblPrices and lblDates and runs the chart step, which redraws pbGann from it.
//
// The four input controls are the project document (GannDocument): Save writes them
// to a ".gann" file, Open writes a file straight back into them and calculates again.
// New, Open, Save and "Save Changes?" are the document window's.
class GannWindow : public DocumentWindow {
    Q_OBJECT
public:
    Layout layout() const { return m_layout; }
    // Results of the last calculation and the spiral the chart draws.
    const GannState& state() const { return m_state; }

    // The controls, top to bottom. Where a control's object name differs from its
    // member's, the comment gives it: tests and tools find controls by object name.
    QLabel* lblTitle = nullptr;  // "Label3"
    QPushButton *cmdNew = nullptr, *cmdOpen = nullptr, *cmdSave = nullptr, *cmdExit = nullptr;
    TextBox* txtProject = nullptr;

    QGroupBox* fraInputs = nullptr;                                // "Frame1"
    QLabel *lblPriceCaption = nullptr, *lblDateCaption = nullptr;  // "Label1", "Label2"
    TextBox* txtPrice = nullptr;
    DatePicker* dtpInputDate = nullptr;
    QPushButton* cmdCalculate = nullptr;

    QGroupBox* fraResults = nullptr;                                 // "Frame2"
    QLabel *lblPricesHeading = nullptr, *lblDatesHeading = nullptr;  // "Label4", "Label5"
    QLabel *lblPrices = nullptr, *lblDates = nullptr;
    QFrame* linListingsRule = nullptr;  // "Line1"

    MultiLineTextBox* txtNotes = nullptr;
    QPushButton *cmdExport = nullptr, *cmdPrint = nullptr;
    PictureBox* pbGann = nullptr;

    // The document as the controls hold it (notes lines joined with CR LF).
    GannDocument Document() const;
    // Both results tables as tab-separated text (the clipboard's and the chart's
    // text for screen readers).
    QString ResultsText() const;

public slots:
    // The buttons, top to bottom (New, Open, Save and Exit are the document window's).
    void cmdCalculate_Click() override;
    void cmdExport_Click() override;
    void cmdPrint_Click() override;

    void Form_Load();

    // ---- Inputs handed over by another window (the price history's swings) ----
    // Starts a new document as New does ("Save Changes?" first; Cancel leaves the
    // window as it was), puts the price text into the price box and the date into the
    // picker as a paste would, then presses Calculate.
    // false when the trader kept the document (nothing was handed over).
    bool LoadInputsAndCalculate(const QString& priceText, const QDate& date);

protected:
    GannWindow(Layout layout, QWidget* parent = nullptr);
    // The Gann document behind DocumentWindow's New, Open and Save.
    void ResetToNewDocument() override;
    std::optional<QString> NameToSave() override;
    bool WriteProject(const QString& path) override;
    bool ReadProject(const QString& path) override;

private:
    void CreateControls();
    void CreateProjectControls();  // title, New / Open / Save / Exit, project name
    void CreateInputControls();    // price and date frame, Calculate
    void CreateResultControls();   // the two tables with their headings
    void ConnectControls();
    // Shortcuts, copying, fonts and names for screen readers.
    void AddDesktopManners();
    void ClearProject();
    // Writes a document into the controls, touching only what differs, so that
    // change tracking sees exactly the controls a file changed.
    void ShowDocument(const GannDocument& doc);
    void ShowResults();

    // Chart: RedrawChart draws the chart at load from the current state (the
    // initial square and wheel); DrawChartStep ends every calculation, drawing the
    // whole square or, for spirals beyond the layout's limit, the band chart.
    void RedrawChart();
    void DrawChartStep();

    // The enlarged view of the square (Ctrl + wheel, Ctrl++, Ctrl+-, Ctrl+0) and a
    // tooltip per cell, both from the chart last drawn.
    void AddChartZoom();
    QImage ZoomedChart(double scale) const;

    const Layout m_layout;
    GannState m_state;
    GannChartGeometry m_shownChart;
};

// The window in each layout: large for screens above 800 x 600 pixels, compact for
// screens of at most 800 x 600.
using frmGann = LayoutWindow<GannWindow, Layout::Large>;
using frmGann86 = LayoutWindow<GannWindow, Layout::Compact>;
