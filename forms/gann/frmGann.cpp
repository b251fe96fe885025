#include "forms/gann/frmGann.h"

#include "core/gann/ganncalc.h"
#include "core/gann/gannchart.h"
#include "core/gann/gannchartcell.h"
#include "core/gann/gannlisting.h"
#include "core/reports/clipboardtext.h"
#include "forms/output/exportprint.h"
#include "core/reports/reportvalues.h"
#include "core/numbers/errors.h"
#include "core/numbers/modFunctions.h"
#include "core/files/textfile.h"
#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/widgets.h"

#include <QFileInfo>

#include <cmath>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

namespace {

// Where the controls sit, in twips; controls inside a frame relative to the frame.
struct GannWindowGeometry {
    TwipRect title, cmdNew, cmdOpen, cmdSave, cmdExit, txtProject;
    TwipRect inputs, priceCaption, txtPrice, dateCaption, dtpInputDate;
    TwipRect cmdCalculate;
    TwipRect results, pricesHeading, lblPrices, datesHeading, lblDates;
    int ruleLeft, ruleRight, ruleY;   // the rule between the tables, inside the results frame
    TwipRect txtNotes, cmdExport, cmdPrint;
    double titlePoints;     // "MS Sans Serif" bold
    double headingPoints;   // the table headings, "Lucida Console" bold underlined
};

// Each place on its own line, the compact layout's first, the large one's second.
GannWindowGeometry GeometryFor(bool compact)
{
    GannWindowGeometry g;
    g.title = compact ? TwipRect{510, 150, 2160, 240} : TwipRect{600, 600, 2550, 300};
    g.cmdNew = compact ? TwipRect{180, 450, 675, 315} : TwipRect{360, 1320, 735, 375};
    g.cmdOpen = compact ? TwipRect{900, 450, 675, 315} : TwipRect{1200, 1320, 735, 375};
    g.cmdSave = compact ? TwipRect{1620, 450, 675, 315} : TwipRect{2040, 1320, 735, 375};
    g.cmdExit = compact ? TwipRect{2340, 450, 675, 315} : TwipRect{2880, 1320, 735, 375};
    g.txtProject = compact ? TwipRect{150, 810, 2865, 315} : TwipRect{360, 1800, 3255, 375};
    g.inputs = compact ? TwipRect{150, 1110, 2865, 1185} : TwipRect{360, 2160, 3255, 1335};
    g.priceCaption = compact ? TwipRect{120, 330, 360, 195} : TwipRect{120, 360, 360, 195};
    g.txtPrice = compact ? TwipRect{600, 270, 2145, 315} : TwipRect{600, 270, 2535, 375};
    g.dateCaption = compact ? TwipRect{120, 720, 345, 195} : TwipRect{120, 840, 345, 195};
    g.dtpInputDate = compact ? TwipRect{600, 660, 2175, 315} : TwipRect{600, 750, 2535, 375};
    g.cmdCalculate = compact ? TwipRect{150, 2310, 2895, 345} : TwipRect{360, 3600, 3255, 375};
    g.results = compact ? TwipRect{150, 2640, 2895, 4095} : TwipRect{360, 4080, 3255, 4665};
    g.pricesHeading = compact ? TwipRect{480, 180, 1440, 135} : TwipRect{720, 240, 1920, 165};
    g.lblPrices = compact ? TwipRect{120, 480, 2655, 1545} : TwipRect{120, 480, 3015, 1815};
    g.datesHeading = compact ? TwipRect{510, 2220, 1350, 135} : TwipRect{720, 2460, 1800, 165};
    g.lblDates = compact ? TwipRect{120, 2490, 2535, 1485} : TwipRect{120, 2760, 3015, 1785};
    g.ruleLeft = compact ? -60 : 120;
    g.ruleRight = compact ? 2940 : 3120;
    g.ruleY = compact ? 2130 : 2400;
    g.txtNotes = compact ? TwipRect{150, 6750, 2895, 1095} : TwipRect{360, 8790, 3255, 1095};
    g.cmdExport = compact ? TwipRect{180, 7890, 1455, 315} : TwipRect{360, 9960, 1575, 375};
    g.cmdPrint = compact ? TwipRect{1650, 7890, 1425, 315} : TwipRect{2040, 9960, 1575, 375};
    g.titlePoints = compact ? 9.75 : 12.0;
    g.headingPoints = compact ? 6.75 : 8.25;
    return g;
}

const GannWindowGeometry CompactGeometry = GeometryFor(true);
const GannWindowGeometry LargeGeometry = GeometryFor(false);

const GannWindowGeometry& Geometry(Layout layout)
{
    return layout == Layout::Compact ? CompactGeometry : LargeGeometry;
}

// The captions keep to the top of their place, whatever the font's height.
QLabel* MakeTopLabel(const char* name, const QString& caption, QWidget* parent, const TwipRect& place)
{
    QLabel* label = MakeLabel(name, caption, parent, place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A results table. The tables were laid out for "Lucida Console", whose lines are
// exactly one em apart; a stand-in fixed-width font spaces its lines wider and would
// push the last angle out of the label. So the lines are painted one em apart here,
// whatever font stands in. text() stays the plain table.
class ListingLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        const double pitch = font().pointSizeF() * logicalDpiY() / 72.0;
        const QStringList lines = text().split(QStringLiteral("\r\n"));
        for (int i = 0; i < lines.size(); ++i)
            painter.drawText(QPointF(0, i * pitch + 0.8 * pitch), lines.at(i));
    }
};

// The bold underlined headings over the tables. A stand-in font reaches further below
// its baseline than "Lucida Console", and the label's height would cut the underline
// off; the text is raised just enough for the underline, drawn here, to stay inside.
class HeadingLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QFont plain = font();
        plain.setUnderline(false);
        const QFontMetricsF fm(plain, this);
        const double thickness = std::max(1.0, std::round(fm.lineWidth()));
        const double gap = std::max(1.0, std::round(fm.underlinePos()));
        const double baseline = std::floor(std::min(fm.ascent(), height() - gap - thickness));
        const QColor ink = palette().color(foregroundRole());
        QPainter painter(this);
        painter.setFont(plain);
        painter.setPen(ink);
        painter.drawText(QPointF(0, baseline), text());
        painter.fillRect(QRectF(0, baseline + gap, fm.horizontalAdvance(text()), thickness), ink);
    }
};

QLabel* MakeHeading(QWidget* frame, const char* name, const QString& caption, double points, const TwipRect& at)
{
    QLabel* heading = Named(new HeadingLabel(caption, frame), name);
    SetControlFont(heading, GannListingFontName, points, true, true);
    PlaceTwips(heading, at);
    return heading;
}

QLabel* MakeListing(QWidget* frame, const char* name, double points, const TwipRect& at)
{
    QLabel* listing = Named(new ListingLabel(frame), name);
    SetControlFont(listing, GannListingFontName, points, true);
    PlaceTwips(listing, at);
    return listing;
}

// The price box takes at most four characters by typing; a file or a paste may
// bring more, and the calculation judges those.
constexpr int PriceTypingLimit = 4;

const QString WindowCaption = QStringLiteral("Gann Square of Nine");

}  // namespace

GannWindow::GannWindow(Layout layout, QWidget* parent) : DocumentWindow(parent), m_layout(layout)
{
    setObjectName(layout == Layout::Compact ? QStringLiteral("frmGann86") : QStringLiteral("frmGann"));
    setWindowTitle(WindowCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    setDocumentControls(cmdNew, cmdCalculate, txtPrice, {GannProjectFilter, QStringLiteral(".gann"), false});
    Form_Load();
    AddDesktopManners();
}

void GannWindow::CreateControls()
{
    CreateProjectControls();
    CreateInputControls();
    CreateResultControls();

    const GannWindowGeometry& g = Geometry(m_layout);
    txtNotes = Named(new MultiLineTextBox(this), "txtNotes");
    txtNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtNotes->setText(FreshGannDocument(QDate()).notes);
    PlaceTwips(txtNotes, g.txtNotes);
    cmdExport = MakeButton("cmdExport", QStringLiteral("Export &Results"), this, g.cmdExport);
    cmdPrint = MakeButton("cmdPrint", QStringLiteral("&Print Image"), this, g.cmdPrint);

    pbGann = Named(new PictureBox(this), "pbGann");   // placed by Form_Load
    pbGann->setFocusPolicy(Qt::NoFocus);

    SetTabOrder({cmdNew, cmdOpen, cmdSave, cmdExit, txtProject, txtPrice, dtpInputDate, cmdCalculate, txtNotes,
                 cmdExport, cmdPrint});
    ConnectControls();
}

void GannWindow::CreateProjectControls()
{
    const GannWindowGeometry& g = Geometry(m_layout);
    lblTitle = MakeTopLabel("Label3", WindowCaption, this, g.title);
    SetControlFont(lblTitle, QStringLiteral("MS Sans Serif"), g.titlePoints, true);

    cmdNew = MakeButton("cmdNew", QStringLiteral("&New"), this, g.cmdNew);
    cmdOpen = MakeButton("cmdOpen", QStringLiteral("&Open"), this, g.cmdOpen);
    cmdSave = MakeButton("cmdSave", QStringLiteral("&Save"), this, g.cmdSave);
    cmdExit = MakeButton("cmdExit", QStringLiteral("E&xit"), this, g.cmdExit);

    txtProject = Named(new TextBox(this), "txtProject");
    txtProject->setText(FreshGannDocument(QDate()).projectName);
    PlaceTwips(txtProject, g.txtProject);
}

void GannWindow::CreateInputControls()
{
    const GannWindowGeometry& g = Geometry(m_layout);
    fraInputs = Named(new QGroupBox(this), "Frame1");
    PlaceTwips(fraInputs, g.inputs);
    lblPriceCaption = MakeTopLabel("Label1", QStringLiteral("Price"), fraInputs, g.priceCaption);
    txtPrice = Named(new TextBox(fraInputs), "txtPrice");
    PlaceTwips(txtPrice, g.txtPrice);
    lblDateCaption = MakeTopLabel("Label2", QStringLiteral("Date"), fraInputs, g.dateCaption);
    dtpInputDate = Named(new DatePicker(fraInputs), "dtpInputDate");
    PlaceTwips(dtpInputDate, g.dtpInputDate);
    NameByLabel(txtPrice, lblPriceCaption, QStringLiteral("The price placed on the square, a whole number"));
    NameByLabel(dtpInputDate, lblDateCaption, QStringLiteral("The date placed on the seasonal calendar"));

    cmdCalculate = MakeButton("cmdCalculate", QStringLiteral("&Calculate"), this, g.cmdCalculate);

    txtPrice->keyPress = [this](int& keyAscii) {
        FilterNumericKey(txtPrice->text(), keyAscii, false);
        const int kept = txtPrice->text().size() - txtPrice->selectedText().size();
        if (keyAscii > 26 && kept >= PriceTypingLimit)
            keyAscii = 0;
    };
}

void GannWindow::CreateResultControls()
{
    const GannWindowGeometry& g = Geometry(m_layout);
    const double listingPoints = GannConstants(m_layout).listingFontPoints;
    fraResults = Named(new QGroupBox(this), "Frame2");
    PlaceTwips(fraResults, g.results);
    lblPricesHeading = MakeHeading(fraResults, "Label4", QStringLiteral("Potential Prices"), g.headingPoints,
                                   g.pricesHeading);
    lblPrices = MakeListing(fraResults, "lblPrices", listingPoints, g.lblPrices);
    linListingsRule = Named(new QFrame(fraResults), "Line1");
    linListingsRule->setFrameShape(QFrame::HLine);
    linListingsRule->setFrameShadow(QFrame::Plain);
    PlaceTwips(linListingsRule, g.ruleLeft, g.ruleY, g.ruleRight - g.ruleLeft, int(platform().twipsPerPixel()));
    lblDatesHeading = MakeHeading(fraResults, "Label5", QStringLiteral("Potential Dates"), g.headingPoints,
                                  g.datesHeading);
    lblDates = MakeListing(fraResults, "lblDates", listingPoints, g.lblDates);
}

void GannWindow::ConnectControls()
{
    connect(txtPrice, &QLineEdit::textChanged, this, &GannWindow::TrackChange);
    connect(txtProject, &QLineEdit::textChanged, this, &GannWindow::TrackChange);
    connect(txtNotes, &QPlainTextEdit::textChanged, this, &GannWindow::TrackChange);
    connect(dtpInputDate, &DatePicker::Change, this, &GannWindow::TrackChange);

    // Enter must make a new line in the notes, not calculate.
    connect(txtNotes, &MultiLineTextBox::gotFocus, this, [this] { setDefaultButtonActive(false); });
    connect(txtNotes, &MultiLineTextBox::lostFocus, this, [this] { setDefaultButtonActive(true); });
}

void GannWindow::Form_Load()
{
    const QRect area = DesktopClientArea();
    setGeometry(area);
    const double widthTwips = PixelsToTwips(area.width()) - ScrollBarAllowanceTwips(this, pbGann);
    const double heightTwips = PixelsToTwips(area.height());

    // The chart is a square against the window's right edge, beside the inputs.
    const qint32 chartHalf = ChartHalfBesideInputs(ChartHalfForHeight(heightTwips), int(widthTwips),
                                                   ControlsRightTwips(this, pbGann));
    pbGann->placeTwips(int(widthTwips) - 2 * chartHalf - ChartBoxRightGap, 0, 2 * chartHalf, 2 * chartHalf);
    ScrollWhenCut(this);

    const QDate today = platform().today();
    dtpInputDate->setValue(today);
    LoadGannState(m_state, m_layout, today, chartHalf);

    DocumentIsNew();
    RedrawChart();
    FirstShow = 1;
}

// ---------------------------------------------------------------------------------
// Keyboard, clipboard and screen readers

void GannWindow::AddDesktopManners()
{
    UseDesignFont(this);
    ConnectDocumentButtons({cmdNew, cmdOpen, cmdSave, cmdCalculate, cmdExport, cmdPrint, cmdExit},
                           QStringLiteral("5.2 The Gann window"));
    AddCopyCommands([this] { return ResultsText(); }, pbGann, {fraResults, lblPrices, lblDates, pbGann});

    NameButtonsByCaption(this);
    NameAnalysisControls(txtProject, txtNotes,
                         {lblPrices, lblPricesHeading, QStringLiteral("Potential high and low for every 45 degrees")},
                         {lblDates, lblDatesHeading, QStringLiteral("Potential date for every 45 degrees")},
                         pbGann, QStringLiteral("Square of Nine chart"), ResultsText());
    AddChartZoom();
}

void GannWindow::AddChartZoom()
{
    pbGann->setZoomRenderer([this](double scale) { return ZoomedChart(scale); });
    pbGann->toolTipAt = [this](QPoint twips) {
        const std::optional<GannCellInfo> cell = GannCellAt(m_shownChart, twips);
        return cell ? GannCellText(*cell) : QString();
    };
    const QList<QPair<QKeySequence, int>> keys{{QKeySequence::ZoomIn, 1},
                                               {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
                                               {QKeySequence::ZoomOut, -1},
                                               {QKeySequence(Qt::CTRL | Qt::Key_0), 0}};
    for (const auto& [key, steps] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, pbGann, [this, steps = steps] { pbGann->zoomBy(steps); });
    }
    pbGann->setToolTipDuration(-1);
}

// The same drawing as the chart box's, on a surface of more pixels: numbers stay sharp.
QImage GannWindow::ZoomedChart(double scale) const
{
    // About 4000 pixels a side at most: sharp enough at any zoom, a few tens of megabytes.
    const double largest = 4000.0 / std::max(1, std::max(pbGann->width(), pbGann->height()));
    PictureSurface surface(platform().twipsPerPixel(),
                           std::min(pbGann->surface().devicePixelRatio() * scale, largest));
    surface.setSizeTwips(pbGann->widthTwips(), pbGann->heightTwips());
    PaintGannChart(surface, m_shownChart);
    return surface.image();
}

QString GannWindow::ResultsText() const
{
    return ResultsForClipboard(lblPricesHeading->text(), lblPrices->text(), lblDatesHeading->text(), lblDates->text());
}

GannDocument GannWindow::Document() const
{
    return GannDocument{txtProject->text(), txtPrice->text(), dtpInputDate->value(), WithCrLf(txtNotes->text())};
}

void GannWindow::ShowDocument(const GannDocument& doc)
{
    const GannDocument now = Document();
    if (doc.projectName != now.projectName)
        txtProject->setText(doc.projectName);
    if (doc.priceText != now.priceText)
        txtPrice->setText(doc.priceText);
    if (doc.date != now.date)
        dtpInputDate->setValue(doc.date);
    if (doc.notes != now.notes)
        txtNotes->setText(doc.notes);
}

void GannWindow::ClearProject()
{
    txtProject->setText(ProjectNamePlaceholder);
    txtPrice->setText(QString());
    dtpInputDate->setValue(platform().today());
    txtNotes->setText(NotesPlaceholder);
    lblPrices->setText(QString());
    lblDates->setText(QString());
    ClearGannResults(m_state);
}

void GannWindow::cmdCalculate_Click()
{
    if (!dtpInputDate->checkComplete())
        return;
    const CalcOutcome outcome =
        CalculateGann(m_state, txtPrice->text(), dtpInputDate->value(), platform().today(), m_layout);
    if (!outcome.accepted()) {
        ShowMessage(outcome.message);
        return;
    }
    ShowResults();
    DrawChartStep();
}

void GannWindow::ShowResults()
{
    const double points = GannConstants(m_layout).listingFontPoints;
    SetControlFont(lblPrices, GannListingFontName, points, true);
    SetControlFont(lblDates, GannListingFontName, points, true);
    lblPrices->setText(GannPriceListing(m_state.inputs, m_state.results));
    lblDates->setText(GannDateListing(m_state.inputs, m_state.results));
    pbGann->setAccessibleDescription(ResultsText());
}

void GannWindow::RedrawChart()
{
    // The band chart is only drawn by a calculation; a square too large to draw whole
    // leaves the box blank here.
    m_shownChart = RedrawGannChart(pbGann->surface(), m_state, m_layout);
    pbGann->update();
}

void GannWindow::DrawChartStep()
{
    // The full square, or the band chart beyond fullSquareLimit.
    m_shownChart = DrawGannChartStep(pbGann->surface(), m_state, m_layout);
    pbGann->update();
}

void GannWindow::ResetToNewDocument()
{
    ClearProject();
    Form_Load();
}

std::optional<QString> GannWindow::NameToSave()
{
    if (!dtpInputDate->checkComplete())
        return std::nullopt;
    return TrimBlanks(txtProject->text());
}

bool GannWindow::WriteProject(const QString& path)
{
    return WriteTextLines(path, GannProjectLines(Document()));
}

bool GannWindow::ReadProject(const QString& path)
{
    const std::optional<QString> text = ReadTextFile(path);
    if (!text)
        return false;
    // The file goes straight into the controls; what it set before an unreadable
    // line stays there.
    GannDocument doc = Document();
    const bool complete = ApplyGannProjectLines(FileLines(*text), doc);
    ShowDocument(doc);
    return complete;
}

void GannWindow::cmdExport_Click()
{
    if (!dtpInputDate->checkComplete())
        return;
    // The input boxes as they are now, beside the results of the last calculation.
    ExportGannResults(GannReportValuesOf(m_state.results, txtProject->text(), txtPrice->text(),
                                         dtpInputDate->value(), platform().today(),
                                         txtNotes->text()));
}

void GannWindow::cmdPrint_Click()
{
    PrintGannImage(*pbGann, m_layout,
                   GannReportValuesOf(m_state.results, txtProject->text(), txtPrice->text(),
                                      dtpInputDate->value(), platform().today(), txtNotes->text()),
                   [this] { cmdCalculate_Click(); });
}

// ---- Inputs handed over by another window -------------------------------------

bool GannWindow::LoadInputsAndCalculate(const QString& priceText, const QDate& date)
{
    if (!NewDocument())
        return false;
    GannDocument doc = Document();
    doc.priceText = priceText;
    doc.date = date;
    ShowDocument(doc);
    cmdCalculate_Click();
    return true;
}
