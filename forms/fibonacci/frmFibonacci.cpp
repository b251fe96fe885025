#include "forms/fibonacci/frmFibonacci.h"

#include "forms/fibonacci/core/fibonaccifile.h"
#include "forms/fibonacci/core/fibonaccilisting.h"
#include "forms/output/core/clipboardtext.h"
#include "forms/output/exportprint.h"
#include "forms/output/core/reportvalues.h"
#include "forms/shell/frmFibRatios.h"
#include "forms/shell/settings.h"
#include "modules/errors.h"
#include "modules/modFunctions.h"
#include "modules/numbers.h"
#include "modules/textfile.h"
#include "platform/accessibility.h"
#include "platform/fonts.h"
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

struct TwipRect {
    int left, top, width, height;
};

// Control positions in twips (left, top, width, height); controls inside a frame are
// placed relative to the frame.
struct FibonacciGeometry {
    TwipRect cmdNew, cmdOpen, cmdSave, cmdExit;
    TwipRect txtProject;
    TwipRect Frame1;
    int captionTops[4];   // "Price1", "Date1", "Price2", "Date2" at left 120
    int captionHeight;
    TwipRect txtPrice1, dtpDate1, txtPrice2, dtpDate2;
    TwipRect cmdCalculate;
    TwipRect Frame2, Label4, lblPrices, Label5, lblDates;
    TwipRect txtNotes;
    TwipRect cmdExport, cmdPrint, cmdRatios;
};

const FibonacciGeometry CompactGeometry = {
    {360, 120, 585, 285}, {1020, 120, 585, 285}, {1680, 120, 585, 285}, {2340, 120, 585, 285},
    {360, 450, 2565, 345},
    {360, 750, 2565, 1875},
    {240, 630, 1170, 1560}, 255,
    {720, 180, 1695, 315}, {720, 570, 1710, 315}, {720, 1080, 1695, 315}, {720, 1470, 1710, 315},
    {360, 2640, 2565, 315},
    {360, 2940, 2565, 3945}, {420, 240, 1890, 165}, {120, 480, 2115, 1245},
    {420, 2010, 1800, 165}, {120, 2340, 2325, 1125},
    {360, 6900, 2565, 855},
    {390, 7800, 1215, 315}, {1680, 7800, 1275, 315}, {390, 8160, 2565, 315},
};

const FibonacciGeometry LargeGeometry = {
    {360, 480, 735, 375}, {1200, 480, 735, 375}, {2040, 480, 735, 375}, {2880, 480, 735, 375},
    {360, 960, 3255, 375},
    {360, 1320, 3255, 2295},
    {330, 810, 1410, 1890}, 255,
    {720, 240, 2295, 375}, {720, 720, 2310, 375}, {720, 1320, 2295, 375}, {720, 1800, 2310, 375},
    {360, 3720, 3255, 375},
    {360, 4080, 3255, 4335}, {720, 240, 1920, 165}, {120, 480, 3015, 1575},
    {720, 2280, 1800, 165}, {120, 2520, 3015, 1575},
    {360, 8520, 3255, 1215},
    {360, 9840, 1575, 375}, {2040, 9840, 1575, 375}, {360, 10320, 3255, 375},
};

void Place(QWidget* w, const TwipRect& r) { PlaceTwips(w, r.left, r.top, r.width, r.height); }

// Longest price a trader can type; longer prices from a file are still shown in full.
constexpr int PriceMaxLength = 8;

void SetPriceText(TextBox* box, const QString& text)
{
    box->setTextUncut(text);
}

}  // namespace

FibonacciWindow::FibonacciWindow(Layout layout, QWidget* parent)
    : DocumentWindow(parent), m_layout(layout)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Fibonacci"));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8));
    CreateControls();
    setDocumentButtons(cmdNew, cmdCalculate);
    PlaceControls();
    Form_Load();
    AddDesktopManners();
}

frmFibonacci::frmFibonacci(QWidget* parent) : FibonacciWindow(Layout::Large, parent)
{
    setObjectName(QStringLiteral("frmFibonacci"));
}

frmFibonacci86::frmFibonacci86(QWidget* parent) : FibonacciWindow(Layout::Compact, parent)
{
    setObjectName(QStringLiteral("frmFibonacci86"));
}

void FibonacciWindow::CreateControls()
{
    auto named = [](auto* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    auto button = [&](const char* caption, const char* name) {
        auto* b = named(new QPushButton(QString::fromLatin1(caption), this), name);
        return b;
    };

    cmdNew = button("&New", "cmdNew");
    cmdOpen = button("&Open", "cmdOpen");
    cmdSave = button("&Save", "cmdSave");
    cmdExit = button("E&xit", "cmdExit");
    txtProject = named(new TextBox(this), "txtProject");

    Frame1 = named(new QGroupBox(this), "Frame1");
    lblCaptionPrice1 = named(new QLabel(QStringLiteral("Price1"), Frame1), "lblCaptionPrice1");
    lblCaptionDate1 = named(new QLabel(QStringLiteral("Date1"), Frame1), "lblCaptionDate1");
    lblCaptionPrice2 = named(new QLabel(QStringLiteral("Price2"), Frame1), "lblCaptionPrice2");
    lblCaptionDate2 = named(new QLabel(QStringLiteral("Date2"), Frame1), "lblCaptionDate2");
    txtPrice1 = named(new TextBox(Frame1), "txtPrice1");
    dtpDate1 = named(new DatePicker(Frame1), "dtpDate1");
    txtPrice2 = named(new TextBox(Frame1), "txtPrice2");
    dtpDate2 = named(new DatePicker(Frame1), "dtpDate2");
    for (TextBox* box : {txtPrice1, txtPrice2}) {
        box->setTypingLimit(PriceMaxLength);
        // Digits and one decimal point only.
        box->keyPress = [box](int& keyAscii) { FilterNumericKey(box->text(), keyAscii, true); };
    }

    cmdCalculate = button("&Calculate", "cmdCalculate");

    Frame2 = named(new QGroupBox(this), "Frame2");
    Label4 = named(new QLabel(QStringLiteral("Potential Prices"), Frame2), "Label4");
    lblPrices = named(new QLabel(Frame2), "lblPrices");
    Label5 = named(new QLabel(QStringLiteral("Potential Dates"), Frame2), "Label5");
    lblDates = named(new QLabel(Frame2), "lblDates");
    for (QLabel* l : {Label4, Label5}) SetControlFont(l, ListingFontName, 8);
    for (QLabel* l : {lblPrices, lblDates}) {
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    txtNotes = named(new MultiLineTextBox(this), "txtNotes");
    cmdExport = button("Export &Results", "cmdExport");
    cmdPrint = button("&Print Image", "cmdPrint");
    cmdRatios = button("Configure Fibonacci &Ratios", "cmdRatios");
    pbFibonacci = named(new PictureBox(this), "pbFibonacci");

    QWidget* tabOrder[] = {cmdNew,    cmdOpen,  cmdSave,  cmdExit,      txtProject,
                           txtPrice1, dtpDate1, txtPrice2, dtpDate2,    cmdCalculate,
                           txtNotes,  cmdExport, cmdPrint, cmdRatios};
    for (size_t i = 0; i + 1 < std::size(tabOrder); ++i) setTabOrder(tabOrder[i], tabOrder[i + 1]);
    pbFibonacci->setFocusPolicy(Qt::NoFocus);

    connect(cmdCalculate, &QPushButton::clicked, this, &FibonacciWindow::cmdCalculate_Click);
    connect(cmdNew, &QPushButton::clicked, this, &FibonacciWindow::cmdNew_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &FibonacciWindow::cmdOpen_Click);
    connect(cmdSave, &QPushButton::clicked, this, &FibonacciWindow::cmdSave_Click);
    connect(cmdExit, &QPushButton::clicked, this, &FibonacciWindow::cmdExit_Click);
    connect(cmdRatios, &QPushButton::clicked, this, &FibonacciWindow::cmdRatios_Click);
    connect(cmdExport, &QPushButton::clicked, this, &FibonacciWindow::cmdExport_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &FibonacciWindow::cmdPrint_Click);

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
    const FibonacciGeometry& g = m_layout == Layout::Compact ? CompactGeometry : LargeGeometry;
    Place(cmdNew, g.cmdNew);
    Place(cmdOpen, g.cmdOpen);
    Place(cmdSave, g.cmdSave);
    Place(cmdExit, g.cmdExit);
    Place(txtProject, g.txtProject);
    Place(Frame1, g.Frame1);
    QLabel* captions[] = {lblCaptionPrice1, lblCaptionDate1, lblCaptionPrice2, lblCaptionDate2};
    for (int i = 0; i < 4; ++i) PlaceTwips(captions[i], 120, g.captionTops[i], 600, g.captionHeight);
    Place(txtPrice1, g.txtPrice1);
    Place(dtpDate1, g.dtpDate1);
    Place(txtPrice2, g.txtPrice2);
    Place(dtpDate2, g.dtpDate2);
    Place(cmdCalculate, g.cmdCalculate);
    Place(Frame2, g.Frame2);
    Place(Label4, g.Label4);
    Place(lblPrices, g.lblPrices);
    Place(Label5, g.Label5);
    Place(lblDates, g.lblDates);
    Place(txtNotes, g.txtNotes);
    Place(cmdExport, g.cmdExport);
    Place(cmdPrint, g.cmdPrint);
    Place(cmdRatios, g.cmdRatios);
}

void FibonacciWindow::Form_Load()
{
    // The window takes the whole desktop; the chart is the largest square that fits
    // its height, at the right edge, beside the input column.
    const double tpp = platform().twipsPerPixel();
    const QRect area = DesktopClientArea();
    WindowLeft = qint32(RoundHalfEven(area.left() * tpp));
    WindowTop = qint32(RoundHalfEven(area.top() * tpp));
    WindowWidth = qint32(RoundHalfEven(area.width() * tpp));
    WindowHeight = qint32(RoundHalfEven(area.height() * tpp));
    setGeometry(area);

    const int room = WindowWidth - ScrollBarAllowanceTwips(this, pbFibonacci);
    ChartHalfSize = ChartHalfBesideInputs(FibonacciChartHalf(WindowHeight), room,
                                          ControlsRightTwips(this, pbFibonacci));
    pbFibonacci->placeTwips(room - 2 * ChartHalfSize - ChartBoxRightGap, 0,
                            2 * ChartHalfSize, 2 * ChartHalfSize);
    ScrollWhenCut(this);

    ProjectFile.clear();
    Notes.clear();
    ProjectName.clear();
    Date1 = NullDate();
    Date2 = NullDate();
    Price1 = 0;
    Price2 = 0;
    ShowInputs();
    DocumentIsNew();
    DrawChart();
    FirstShow = 1;
}

void FibonacciWindow::Form_Activate()
{
    if (FirstShow == 1) txtPrice1->setFocus();
    FirstShow = 2;
}

void FibonacciWindow::txtNotes_GotFocus()
{
    setDefaultButtonActive(false);
}

void FibonacciWindow::txtNotes_LostFocus()
{
    setDefaultButtonActive(true);
}

bool FibonacciWindow::Form_QueryUnload() { return SaveChangesPrompt(); }

// ---------------------------------------------------------------------------------
// Keyboard, clipboard and screen readers

void FibonacciWindow::AddDesktopManners()
{
    UseDesignFont(this);
    AddDocumentShortcuts({cmdNew, cmdOpen, cmdSave, cmdCalculate, cmdExport, cmdPrint, cmdExit});
    // Export Results and the ratios both underline R, as the window was designed; Alt+R
    // then moves between the two (Enter presses the one focused), and Ctrl+E and Ctrl+R
    // reach each of them in one stroke.
    AddButtonShortcut(this, cmdRatios, QKeySequence(Qt::CTRL | Qt::Key_R),
                      QStringLiteral("Change the three ratios the projections use"));
    for (QLabel* l : {lblPrices, lblDates}) l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    AddCopyCommands([this] { return ResultsText(); }, pbFibonacci, {Frame2, lblPrices, lblDates, pbFibonacci});

    NameButtonsByCaption(this);
    NameByLabel(txtPrice1, lblCaptionPrice1, QStringLiteral("Price at the first turning point"));
    NameByLabel(dtpDate1, lblCaptionDate1, QStringLiteral("Date of the first turning point"));
    NameByLabel(txtPrice2, lblCaptionPrice2, QStringLiteral("Price at the second turning point"));
    NameByLabel(dtpDate2, lblCaptionDate2, QStringLiteral("Date of the second turning point"));
    NameAnalysisControls(txtProject, txtNotes,
                         {lblPrices, Label4, QStringLiteral("One potential price per ratio")},
                         {lblDates, Label5, QStringLiteral("One potential date per ratio")},
                         pbFibonacci, QStringLiteral("Fibonacci chart"), ResultsText());
}

QString FibonacciWindow::ResultsText() const
{
    return ResultsForClipboard(Label4->text(), lblPrices->text(), Label5->text(), lblDates->text());
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
    const std::optional<QString> message = ::ValidateInputs(InputsFromControls(), platform().today(), state());
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
                                                   FibRatios{FibRatio1, FibRatio2, FibRatio3}, state());
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
    const FibRatios ratios{FibRatio1, FibRatio2, FibRatio3};
    const double points = ListingFontPoints(m_layout);
    SetControlFont(lblPrices, ListingFontName, points, true);
    lblPrices->setText(PriceListing(state(), ratios));
    SetControlFont(lblDates, ListingFontName, points, true);
    lblDates->setText(DateListing(state(), ratios));
    pbFibonacci->setAccessibleDescription(ResultsText());
}

void FibonacciWindow::ClearChartBox()
{
    pbFibonacci->surface().setPictureNone();
    pbFibonacci->surface().cls();
}

void FibonacciWindow::DrawChart()
{
    const FibChartGeometry g = ::DrawChart(pbFibonacci->surface(), state(), m_layout);
    TimeAxisLeft = g.TimeAxisLeft;
    TimeAxisRight = g.TimeAxisRight;
    TimeAxisY = g.TimeAxisY;
    PriceAxisX = g.PriceAxisX;
    PriceAxisBottom = g.PriceAxisBottom;
    PriceAxisTop = g.PriceAxisTop;
}

// ---------------------------------------------------------------------------------
// Document

void FibonacciWindow::ShowInputs()
{
    const FibonacciInputs shown = InputsShowing(state(), platform().today());
    txtProject->setText(shown.ProjectText);
    txtNotes->setText(shown.NotesText);
    SetPriceText(txtPrice1, shown.Price1Text);
    SetPriceText(txtPrice2, shown.Price2Text);
    dtpDate1->setValue(shown.Picker1);
    dtpDate2->setValue(shown.Picker2);
}

void FibonacciWindow::ClearProject()
{
    ProjectName.clear();
    Price1 = 0;
    Price2 = 0;
    Date1 = NullDate();
    Date2 = NullDate();
    ProjectFile.clear();
    Notes.clear();
    lblPrices->setText(QString());
    lblDates->setText(QString());
    ShowInputs();
}

void FibonacciWindow::cmdNew_Click()
{
    if (!SaveChangesPrompt()) return;
    ClearProject();
    ClearChartBox();
    DrawChart();
    DocumentIsNew();
    txtPrice1->setFocus();
}

void FibonacciWindow::cmdExit_Click() { close(); }

void FibonacciWindow::cmdRatios_Click()
{
    frmFibRatios dialog(this);
    dialog.exec();
}

void FibonacciWindow::cmdExport_Click()
{
    // The report shows the inputs as they are now checked, beside the last results.
    if (ValidateInputs() == -1)
        return;
    ExportFibonacciResults(FibonacciReportValuesOf(state(), txtNotes->text()));
}

void FibonacciWindow::cmdPrint_Click()
{
    PrintFibonacciImage(*pbFibonacci, FibonacciReportValuesOf(state(), txtNotes->text()),
                        TimeAxisRight, PriceAxisTop, [this] { cmdCalculate_Click(); });
}

// ---------------------------------------------------------------------------------
// Project file

void FibonacciWindow::cmdOpen_Click()
{
    if (!SaveChangesPrompt()) return;
    const std::optional<QString> chosen =
        platform().openFileName(FibFileFilter, platform().programDir() + QLatin1Char('/'));
    if (!chosen) return;
    const QString path = *chosen;

    const std::optional<QStringList> lines =
        QFileInfo(path).isFile() ? ReadTextLines(path) : std::nullopt;
    if (!lines || !ApplyFibProjectLines(*lines, state())) {
        ShowActionFailed(QStringLiteral("Can't open project file"));
        return;
    }
    ShowInputs();
    // Inputs that fail the check are reported, and the file still becomes the document.
    cmdCalculate_Click();
    DocumentBelongsTo(path);
    txtPrice1->setFocus();
}

bool FibonacciWindow::cmdSave_Click()
{
    if (ValidateInputs() == -1) return false;
    if (ProjectName.isEmpty() || ProjectName == ProjectNamePlaceholder) {
        ShowMessage(QStringLiteral("Project name not specified!"));
        return false;
    }
    QString path;
    if (ProjectState != ProjectStatus::Open) {
        const std::optional<QString> chosen = platform().saveFileName(
            FibFileFilter, platform().programDir() + QLatin1Char('/') + ProjectName + QStringLiteral(".fib"));
        if (!chosen) return false;
        path = *chosen;
    } else {
        // An opened or saved document always goes back to its own file.
        path = ProjectFile;
    }
    if (!SaveFibProject(path, state())) {
        ShowActionFailed(QStringLiteral("Can't save result file."));
        return false;
    }
    DocumentBelongsTo(path);
    ShowMessage(QStringLiteral("Project saved to file ") + path);
    return true;
}

// ---- Inputs handed over by another window -------------------------------------

void FibonacciWindow::LoadInputsAndCalculate(double price1, const QDate& date1, double price2, const QDate& date2)
{
    SetPriceText(txtPrice1, GeneralNumber(price1));
    SetPriceText(txtPrice2, GeneralNumber(price2));
    dtpDate1->setValue(date1);
    dtpDate2->setValue(date2);
    cmdCalculate_Click();
}
