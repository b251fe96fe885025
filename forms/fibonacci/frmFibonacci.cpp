#include "forms/fibonacci/frmFibonacci.h"

#include "core/fibonacci/fibonaccifile.h"
#include "core/fibonacci/fibonaccilisting.h"
#include "core/reports/clipboardtext.h"
#include "forms/output/exportprint.h"
#include "core/reports/reportvalues.h"
#include "forms/fibonacci/frmFibRatios.h"
#include "core/settings/settings.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include "core/numbers/numbers.h"
#include "core/files/textfile.h"
#include "platform/accessibility.h"
#include "platform/controls.h"
#include "core/drawing/fonts.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"
#include "platform/widgets.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// Where each control sits in the compact and in the large layout, in twips (left, top,
// width, height); controls inside a frame are placed relative to the frame.
struct ControlPlace {
    const char* name;   // the control's object name
    TwipRect compact, large;
};

const ControlPlace ControlPlaces[] = {
    {"cmdNew",           {360, 120, 585, 285},    {360, 480, 735, 375}},
    {"cmdOpen",          {1020, 120, 585, 285},   {1200, 480, 735, 375}},
    {"cmdSave",          {1680, 120, 585, 285},   {2040, 480, 735, 375}},
    {"cmdExit",          {2340, 120, 585, 285},   {2880, 480, 735, 375}},
    {"txtProject",       {360, 450, 2565, 345},   {360, 960, 3255, 375}},
    {"Frame1",           {360, 750, 2565, 1875},  {360, 1320, 3255, 2295}},
    {"lblCaptionPrice1", {120, 240, 600, 255},    {120, 330, 600, 255}},
    {"lblCaptionDate1",  {120, 630, 600, 255},    {120, 810, 600, 255}},
    {"lblCaptionPrice2", {120, 1170, 600, 255},   {120, 1410, 600, 255}},
    {"lblCaptionDate2",  {120, 1560, 600, 255},   {120, 1890, 600, 255}},
    {"txtPrice1",        {720, 180, 1695, 315},   {720, 240, 2295, 375}},
    {"dtpDate1",         {720, 570, 1710, 315},   {720, 720, 2310, 375}},
    {"txtPrice2",        {720, 1080, 1695, 315},  {720, 1320, 2295, 375}},
    {"dtpDate2",         {720, 1470, 1710, 315},  {720, 1800, 2310, 375}},
    {"cmdCalculate",     {360, 2640, 2565, 315},  {360, 3720, 3255, 375}},
    {"Frame2",           {360, 2940, 2565, 3945}, {360, 4080, 3255, 4335}},
    {"Label4",           {420, 240, 1890, 165},   {720, 240, 1920, 165}},
    {"lblPrices",        {120, 480, 2115, 1245},  {120, 480, 3015, 1575}},
    {"Label5",           {420, 2010, 1800, 165},  {720, 2280, 1800, 165}},
    {"lblDates",         {120, 2340, 2325, 1125}, {120, 2520, 3015, 1575}},
    {"txtNotes",         {360, 6900, 2565, 855},  {360, 8520, 3255, 1215}},
    {"cmdExport",        {390, 7800, 1215, 315},  {360, 9840, 1575, 375}},
    {"cmdPrint",         {1680, 7800, 1275, 315}, {2040, 9840, 1575, 375}},
    {"cmdRatios",        {390, 8160, 2565, 315},  {360, 10320, 3255, 375}},
};

// Longest price a trader can type; longer prices from a file are still shown in full.
constexpr int PriceMaxLength = 8;

void SetPriceText(TextBox* box, const QString& text)
{
    box->setTextUncut(text);
}

}  // namespace

FibonacciWindow::FibonacciWindow(Layout layout, ProgramRatios& ratios, QWidget* parent)
    : DocumentWindow(parent), m_layout(layout), m_ratios(ratios)
{
    setObjectName(layout == Layout::Compact ? QStringLiteral("frmFibonacci86") : QStringLiteral("frmFibonacci"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Fibonacci"));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));
    CreateControls();
    setDocumentControls(cmdNew, cmdCalculate, txtPrice1, {FibFileFilter, QStringLiteral(".fib"), true});
    PlaceControls();
    Form_Load();
    AddDesktopManners();
}

void FibonacciWindow::CreateControls()
{
    cmdNew = MakeButton("cmdNew", QStringLiteral("&New"), this);
    cmdOpen = MakeButton("cmdOpen", QStringLiteral("&Open"), this);
    cmdSave = MakeButton("cmdSave", QStringLiteral("&Save"), this);
    cmdExit = MakeButton("cmdExit", QStringLiteral("E&xit"), this);
    txtProject = Named(new TextBox(this), "txtProject");
    CreateInputControls();
    cmdCalculate = MakeButton("cmdCalculate", QStringLiteral("&Calculate"), this);
    CreateResultControls();
    txtNotes = Named(new MultiLineTextBox(this), "txtNotes");
    cmdExport = MakeButton("cmdExport", QStringLiteral("Export &Results"), this);
    cmdPrint = MakeButton("cmdPrint", QStringLiteral("&Print Image"), this);
    cmdRatios = MakeButton("cmdRatios", QStringLiteral("Configure Fibonacci &Ratios"), this);
    pbFibonacci = Named(new PictureBox(this), "pbFibonacci");

    SetTabOrder({cmdNew, cmdOpen, cmdSave, cmdExit, txtProject, txtPrice1, dtpDate1, txtPrice2,
                 dtpDate2, cmdCalculate, txtNotes, cmdExport, cmdPrint, cmdRatios});
    pbFibonacci->setFocusPolicy(Qt::NoFocus);
    ConnectControls();
}

// The two turning points, each a price box and a date picker with its caption.
void FibonacciWindow::CreateInputControls()
{
    fraInputs = Named(new QGroupBox(this), "Frame1");
    lblCaptionPrice1 = MakeLabel("lblCaptionPrice1", QStringLiteral("Price1"), fraInputs);
    lblCaptionDate1 = MakeLabel("lblCaptionDate1", QStringLiteral("Date1"), fraInputs);
    lblCaptionPrice2 = MakeLabel("lblCaptionPrice2", QStringLiteral("Price2"), fraInputs);
    lblCaptionDate2 = MakeLabel("lblCaptionDate2", QStringLiteral("Date2"), fraInputs);
    txtPrice1 = Named(new TextBox(fraInputs), "txtPrice1");
    dtpDate1 = Named(new DatePicker(fraInputs), "dtpDate1");
    txtPrice2 = Named(new TextBox(fraInputs), "txtPrice2");
    dtpDate2 = Named(new DatePicker(fraInputs), "dtpDate2");
    for (TextBox* box : {txtPrice1, txtPrice2}) {
        box->setTypingLimit(PriceMaxLength);
        // Digits and one decimal point only.
        box->keyPress = [box](int& keyAscii) { FilterNumericKey(box->text(), keyAscii, true); };
    }
}

// The two results tables under their headings.
void FibonacciWindow::CreateResultControls()
{
    fraResults = Named(new QGroupBox(this), "Frame2");
    lblPricesHeading = MakeLabel("Label4", QStringLiteral("Potential Prices"), fraResults);
    lblPrices = Named(new QLabel(fraResults), "lblPrices");
    lblDatesHeading = MakeLabel("Label5", QStringLiteral("Potential Dates"), fraResults);
    lblDates = Named(new QLabel(fraResults), "lblDates");
    for (QLabel* l : {lblPricesHeading, lblDatesHeading}) SetControlFont(l, ListingFontName, 8);
    for (QLabel* l : {lblPrices, lblDates}) {
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
}

void FibonacciWindow::ConnectControls()
{
    connect(cmdRatios, &QPushButton::clicked, this, &FibonacciWindow::cmdRatios_Click);

    // Any edit of an input or the notes makes the document one with unsaved changes.
    connect(txtPrice1, &QLineEdit::textChanged, this, &FibonacciWindow::TrackChange);
    connect(txtPrice2, &QLineEdit::textChanged, this, &FibonacciWindow::TrackChange);
    connect(txtProject, &QLineEdit::textChanged, this, &FibonacciWindow::TrackChange);
    connect(txtNotes, &QPlainTextEdit::textChanged, this, &FibonacciWindow::TrackChange);
    connect(dtpDate1, &DatePicker::Change, this, &FibonacciWindow::TrackChange);
    connect(dtpDate2, &DatePicker::Change, this, &FibonacciWindow::TrackChange);
    connect(txtNotes, &MultiLineTextBox::gotFocus, this, &FibonacciWindow::txtNotes_GotFocus);
    connect(txtNotes, &MultiLineTextBox::lostFocus, this, &FibonacciWindow::txtNotes_LostFocus);
}

void FibonacciWindow::PlaceControls()
{
    for (const ControlPlace& place : ControlPlaces) {
        auto* control = findChild<QWidget*>(QLatin1String(place.name));
        PlaceTwips(control, m_layout == Layout::Compact ? place.compact : place.large);
    }
}

void FibonacciWindow::Form_Load()
{
    // The window takes the whole desktop; the chart is the largest square that fits
    // its height, at the right edge, beside the input column.
    const double tpp = platform().twipsPerPixel();
    const QRect area = DesktopClientArea();
    const qint32 windowWidth = qint32(RoundHalfEven(area.width() * tpp));
    const qint32 windowHeight = qint32(RoundHalfEven(area.height() * tpp));
    setGeometry(area);

    const int room = windowWidth - ScrollBarAllowanceTwips(this, pbFibonacci);
    ChartHalfSize = ChartHalfBesideInputs(FibonacciChartHalf(windowHeight), room,
                                          ControlsRightTwips(this, pbFibonacci));
    pbFibonacci->placeTwips(room - 2 * ChartHalfSize - ChartBoxRightGap, 0,
                            2 * ChartHalfSize, 2 * ChartHalfSize);
    ScrollWhenCut(this);

    ProjectFile.clear();
    m_state.document = FibonacciDocument();
    ShowInputs();
    DocumentIsNew();
    DrawChart();
    FirstShow = 1;
}

void FibonacciWindow::txtNotes_GotFocus()
{
    setDefaultButtonActive(false);
}

void FibonacciWindow::txtNotes_LostFocus()
{
    setDefaultButtonActive(true);
}

// ---------------------------------------------------------------------------------
// Keyboard, clipboard and screen readers

void FibonacciWindow::AddDesktopManners()
{
    UseDesignFont(this);
    ConnectDocumentButtons({cmdNew, cmdOpen, cmdSave, cmdCalculate, cmdExport, cmdPrint, cmdExit},
                           QStringLiteral("5.1 The Fibonacci window"));
    // Export Results and the ratios both underline R, as the window was designed; Alt+R
    // then moves between the two (Enter presses the one focused), and Ctrl+E and Ctrl+R
    // reach each of them in one stroke.
    AddButtonShortcut(this, cmdRatios, QKeySequence(Qt::CTRL | Qt::Key_R),
                      QStringLiteral("Change the three ratios the projections use"));
    for (QLabel* l : {lblPrices, lblDates}) l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    AddCopyCommands([this] { return ResultsText(); }, pbFibonacci, {fraResults, lblPrices, lblDates, pbFibonacci});

    NameButtonsByCaption(this);
    NameByLabel(txtPrice1, lblCaptionPrice1, QStringLiteral("Price at the first turning point"));
    NameByLabel(dtpDate1, lblCaptionDate1, QStringLiteral("Date of the first turning point"));
    NameByLabel(txtPrice2, lblCaptionPrice2, QStringLiteral("Price at the second turning point"));
    NameByLabel(dtpDate2, lblCaptionDate2, QStringLiteral("Date of the second turning point"));
    NameAnalysisControls(txtProject, txtNotes,
                         {lblPrices, lblPricesHeading, QStringLiteral("One potential price per ratio")},
                         {lblDates, lblDatesHeading, QStringLiteral("One potential date per ratio")},
                         pbFibonacci, QStringLiteral("Fibonacci chart"), ResultsText());
}

QString FibonacciWindow::ResultsText() const
{
    return ResultsForClipboard(lblPricesHeading->text(), lblPrices->text(), lblDatesHeading->text(),
                               lblDates->text());
}

// ---------------------------------------------------------------------------------
// Calculation

FibonacciInputs FibonacciWindow::InputsFromControls() const
{
    FibonacciInputs in;
    in.Price1Text = txtPrice1->text();
    in.Price2Text = txtPrice2->text();
    in.Picker1 = dtpDate1->value();
    in.Picker2 = dtpDate2->value();
    in.ProjectText = txtProject->text();
    // Notes are kept with Windows line ends, as they are written to files and reports.
    in.NotesText = WithCrLf(txtNotes->text());
    return in;
}

int FibonacciWindow::ValidateInputs()
{
    // A half-typed date is never replaced by another one behind the trader's back.
    if (!dtpDate1->checkComplete() || !dtpDate2->checkComplete()) return -1;
    const std::optional<QString> message =
        ::ValidateInputs(InputsFromControls(), platform().today(), m_state.document);
    if (message) {
        ShowMessage(*message);
        return -1;
    }
    return 1;
}

void FibonacciWindow::cmdCalculate_Click()
{
    if (!dtpDate1->checkComplete() || !dtpDate2->checkComplete()) return;
    // The ratios in force now; changing them later does not touch these results.
    const CalcOutcome outcome = CalculateFibonacci(InputsFromControls(), platform().today(),
                                                   m_ratios.ratios(), m_state);
    if (!outcome.accepted()) {
        ShowMessage(outcome.message);
        return;
    }
    ShowResults();
    ClearChartBox();
    DrawChart();
}

void FibonacciWindow::ShowResults()
{
    const FibRatios ratios = m_ratios.ratios();
    const double points = ListingFontPoints(m_layout);
    SetControlFont(lblPrices, ListingFontName, points, true);
    lblPrices->setText(PriceListing(m_state, ratios));
    SetControlFont(lblDates, ListingFontName, points, true);
    lblDates->setText(DateListing(m_state, ratios));
    pbFibonacci->setAccessibleDescription(ResultsText());
}

void FibonacciWindow::ClearChartBox()
{
    pbFibonacci->surface().setPictureNone();
    pbFibonacci->surface().cls();
}

void FibonacciWindow::DrawChart()
{
    m_shownChart = ::DrawChart(pbFibonacci->surface(), m_state, m_layout);
}

// ---------------------------------------------------------------------------------
// Document

void FibonacciWindow::ShowInputs()
{
    const FibonacciInputs shown = InputsShowing(m_state.document, platform().today());
    txtProject->setText(shown.ProjectText);
    txtNotes->setText(shown.NotesText);
    SetPriceText(txtPrice1, shown.Price1Text);
    SetPriceText(txtPrice2, shown.Price2Text);
    dtpDate1->setValue(shown.Picker1);
    dtpDate2->setValue(shown.Picker2);
}

void FibonacciWindow::ClearProject()
{
    // The results and the chart scale stay: nothing shows them until the next calculation.
    m_state.document = FibonacciDocument();
    ProjectFile.clear();
    lblPrices->setText(QString());
    lblDates->setText(QString());
    ShowInputs();
}

void FibonacciWindow::ResetToNewDocument()
{
    ClearProject();
    ClearChartBox();
    DrawChart();
}

void FibonacciWindow::cmdRatios_Click()
{
    frmFibRatios dialog(m_ratios, this);
    dialog.exec();
}

void FibonacciWindow::cmdExport_Click()
{
    // The report shows the inputs as they are now checked, beside the last results.
    if (ValidateInputs() == -1)
        return;
    ExportFibonacciResults(FibonacciReportValuesOf(m_state, txtNotes->text()));
}

void FibonacciWindow::cmdPrint_Click()
{
    PrintFibonacciImage(*pbFibonacci, FibonacciReportValuesOf(m_state, txtNotes->text()),
                        m_shownChart.axes.TimeAxisRight, m_shownChart.axes.PriceAxisTop,
                        [this] { cmdCalculate_Click(); });
}

// ---------------------------------------------------------------------------------
// Project file

std::optional<QString> FibonacciWindow::NameToSave()
{
    if (ValidateInputs() == -1)
        return std::nullopt;
    return m_state.document.ProjectName;
}

bool FibonacciWindow::WriteProject(const QString& path)
{
    return SaveFibProject(path, m_state.document);
}

bool FibonacciWindow::ReadProject(const QString& path)
{
    // Fields read before a value that cannot be taken keep what was read; the controls
    // keep showing the document as it was, and the next check reads them all again.
    const std::optional<QString> text = ReadTextFile(path);
    if (!text || !ApplyFibProjectLines(FileLines(*text), m_state.document))
        return false;
    ShowInputs();
    return true;
}

// ---- Inputs handed over by another window -------------------------------------

bool FibonacciWindow::LoadInputsAndCalculate(double price1, const QDate& date1, double price2, const QDate& date2)
{
    if (!NewDocument()) return false;
    SetPriceText(txtPrice1, GeneralNumber(price1));
    SetPriceText(txtPrice2, GeneralNumber(price2));
    dtpDate1->setValue(date1);
    dtpDate2->setValue(date2);
    cmdCalculate_Click();
    return true;
}
