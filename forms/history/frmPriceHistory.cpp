#include "forms/history/frmPriceHistory.h"

#include "forms/gann/core/ganncalc.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "modules/numbers.h"
#include "platform/controls.h"
#include "platform/enterkey.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace {

const QString PriceHistoryFilter = QStringLiteral("Price History (CSV)| *.csv");
constexpr int LoadBlinkMs = 150;          // work that takes longer shows the progress bar
constexpr int ThresholdPauseMs = 700;     // a pause in typing this long applies the threshold
constexpr int LargestScaleChoice = 9;     // the Square of Nine scales offered: 10^-9 .. 10^9

const QString OpenHint = QStringLiteral("Open a CSV file of daily prices (Date and Close columns).");
const QString ClickHint = QStringLiteral("Click a swing to project the Square of Nine from it; "
                                         "click a second to project Fibonacci from the two.");

// The threshold as typed: a number of percent, a "%" after it allowed. Anything else,
// or a number outside the range the swing rule accepts, is refused as a whole: turning
// "150" into 15 or 50 would show swings the trader never asked for.
std::optional<double> ReadThreshold(QString text)
{
    text = text.trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    const std::optional<double> value = ParseFileNumber(text.trimmed());
    if (!value || *value < MinSwingThreshold || *value > MaxSwingThreshold)
        return std::nullopt;
    return value;
}

QString ThresholdMessage()
{
    return QStringLiteral("Enter a swing threshold from %1 to %2 percent.")
        .arg(GeneralNumber(MinSwingThreshold), GeneralNumber(MaxSwingThreshold));
}

// The evidence table as a spreadsheet takes it: tab-separated, with the headings.
QString TableText(const QTableWidget& table)
{
    const auto cell = [](const QTableWidgetItem* item) {
        return item ? item->text().replace(QRegularExpression(QStringLiteral("[\t\r\n]+")), QStringLiteral(" "))
                    : QString();
    };
    QStringList heading{QString()};
    for (int c = 0; c < table.columnCount(); ++c)
        heading << cell(table.horizontalHeaderItem(c));
    QStringList lines{heading.join(QLatin1Char('\t'))};
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList row{cell(table.verticalHeaderItem(r))};
        for (int c = 0; c < table.columnCount(); ++c)
            row << cell(table.item(r, c));
        lines << row.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString Degrees(int angle) { return QString::number(angle) + QChar(0x00B0); }

}  // namespace

frmPriceHistory::frmPriceHistory(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPriceHistory"));
    setWindowTitle(QStringLiteral("Price History"));
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    EnterPressesFocusedButton(this);
    AddProgramShortcuts(this);
    // Roomy on a large screen, never larger than a small one.
    const QSize screen = platform().screenSize();
    resize(std::min(1180, screen.width()), std::min(720, screen.height() - 40));
    ShowStatus();
}

frmPriceHistory::~frmPriceHistory()
{
    // A measurement still running holds only its own copies; it is let finish.
    if (m_evidenceWorker) {
        m_evidenceWorker->wait();
        delete m_evidenceWorker;
    }
}

void frmPriceHistory::CreateControls()
{
    cmdOpen = MakeButton("cmdOpen", QStringLiteral("&Open..."), this);
    lblFile = Named(new QLabel(this), "lblFile");
    lblFile->setWordWrap(true);
    txtThreshold = Named(new QLineEdit(GeneralNumber(DefaultSwingThreshold), this), "txtThreshold");
    txtThreshold->setMaximumWidth(txtThreshold->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    txtThreshold->setToolTip(ThresholdMessage());
    m_thresholdPause.setSingleShot(true);
    m_thresholdPause.setInterval(ThresholdPauseMs);
    cboScale = Named(new QComboBox(this), "cboScale");
    cboScale->addItem(QStringLiteral("auto"));
    for (int k = -LargestScaleChoice; k <= LargestScaleChoice; ++k)
        cboScale->addItem(PriceScale{k}.text(), k);
    chkLogScale = Named(new QCheckBox(QStringLiteral("&Logarithmic prices"), this), "chkLogScale");
    pbPrices = Named(new PriceChart(this), "pbPrices");
    CreateEvidenceControls();
    LayOutControls();

    connect(cmdOpen, &QPushButton::clicked, this, &frmPriceHistory::cmdOpen_Click);
    connect(txtThreshold, &QLineEdit::textEdited, this, [this] {
        m_refusedThreshold.clear();
        m_thresholdPause.start();
    });
    connect(&m_thresholdPause, &QTimer::timeout, this, [this] { ApplyThreshold(false); });
    // Enter, and Tab or a click elsewhere.
    connect(txtThreshold, &QLineEdit::editingFinished, this, [this] { ApplyThreshold(true); });
    connect(cboScale, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ProjectAndMeasureAgain);
    connect(chkLogScale, &QCheckBox::toggled, pbPrices, &PriceChart::setLogarithmic);
    connect(pbPrices, &PriceChart::swingClicked, this, &frmPriceHistory::SelectSwing);
    WhenRatiosChange(this, [this] { ProjectAndMeasureAgain(); });
}

void frmPriceHistory::CreateEvidenceControls()
{
    // The kinds of projection side by side, one column each; the measures are the rows.
    tblEvidence = Named(new QTableWidget(this), "tblEvidence");
    tblEvidence->setRowCount(EvidenceColumns().size());
    tblEvidence->setVerticalHeaderLabels(EvidenceColumns());
    tblEvidence->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblEvidence->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblEvidence->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    tblEvidence->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Ctrl+C and the context menu copy the whole table, whatever cell is current.
    actCopyEvidence = Named(new QAction(QStringLiteral("&Copy"), tblEvidence), "actCopyEvidence");
    actCopyEvidence->setShortcut(QKeySequence::Copy);
    actCopyEvidence->setShortcutContext(Qt::WidgetShortcut);
    tblEvidence->addAction(actCopyEvidence);
    tblEvidence->setContextMenuPolicy(Qt::ActionsContextMenu);
    tblEvidence->installEventFilter(this);
    connect(actCopyEvidence, &QAction::triggered, this, &frmPriceHistory::CopyEvidence);

    lblVerdict = Named(new QLabel(this), "lblVerdict");
    lblVerdict->setWordWrap(true);
    lblProjection = Named(new QLabel(this), "lblProjection");
    lblProjection->setWordWrap(true);
    prgLoad = Named(new QProgressBar(this), "prgLoad");
    prgLoad->setRange(0, 0);
    prgLoad->hide();
}

// The file and the settings in a row on top; the chart beside the evidence, which
// keeps its own width as the window grows; the projection's line and the progress bar
// below.
void frmPriceHistory::LayOutControls()
{
    auto* top = new QHBoxLayout();
    top->addWidget(cmdOpen);
    top->addWidget(lblFile, 1);
    auto* lblThreshold = new QLabel(QStringLiteral("Swing &threshold:"), this);
    top->addWidget(lblThreshold);
    top->addWidget(txtThreshold);
    top->addWidget(new QLabel(QStringLiteral("%"), this));
    auto* lblScale = new QLabel(QStringLiteral("Gann price &scale:"), this);
    top->addSpacing(8);
    top->addWidget(lblScale);
    top->addWidget(cboScale);
    top->addSpacing(8);
    top->addWidget(chkLogScale);
    lblThreshold->setBuddy(txtThreshold);
    lblScale->setBuddy(cboScale);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("How projections from earlier swings met the next swing"), side));
    sideLayout->addWidget(tblEvidence);
    sideLayout->addWidget(lblVerdict);
    sideLayout->addStretch(1);
    auto* split = new QSplitter(this);
    split->addWidget(pbPrices);
    split->addWidget(side);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setSizes({760, 400});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(lblProjection);
    layout->addWidget(prgLoad);
    setTabOrder(cmdOpen, txtThreshold);
    setTabOrder(txtThreshold, cboScale);
    setTabOrder(cboScale, chkLogScale);
    setTabOrder(chkLogScale, pbPrices);
    setTabOrder(pbPrices, tblEvidence);
}

void frmPriceHistory::closeEvent(QCloseEvent* event)
{
    // The work runs in a nested event loop; the window must outlive it.
    if (m_busy)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

// A table view copies its current cell on Ctrl+C before any shortcut sees the key; the
// trader wants the whole table.
bool frmPriceHistory::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tblEvidence && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        CopyEvidence();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmPriceHistory::cmdOpen_Click()
{
    const std::optional<QString> path = platform().openFileName(PriceHistoryFilter, QString());
    if (path)
        LoadFile(*path);
}

// Work on a long history runs on a worker thread while this one keeps painting; the
// progress bar appears only for work that outlasts a blink. The trader's clicks and
// keys wait until it is done.
void frmPriceHistory::RunInBackground(const std::function<void()>& work)
{
    m_busy = true;
    cmdOpen->setEnabled(false);
    std::unique_ptr<QThread> worker(QThread::create(work));
    QEventLoop wait;
    QTimer blink;
    blink.setSingleShot(true);
    connect(&blink, &QTimer::timeout, prgLoad, &QWidget::show);
    connect(worker.get(), &QThread::finished, &wait, &QEventLoop::quit);
    blink.start(LoadBlinkMs);
    worker->start();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    blink.stop();
    prgLoad->hide();
    cmdOpen->setEnabled(true);
    m_busy = false;
}

bool frmPriceHistory::LoadFile(const QString& path)
{
    if (m_busy)
        return false;
    const double threshold = m_threshold;
    QString problem;
    ChartBars bars;
    std::vector<Swing> swings;
    RunInBackground([&] {
        PriceHistoryRead read = LoadPriceHistoryFile(path);
        if (!read.history) {
            problem = read.problem;
            return;
        }
        // The table stays as long as the window shows it: no room kept for rows to come.
        read.history->bars.shrink_to_fit();
        bars = ChartBars(std::make_shared<const PriceHistory>(std::move(*read.history)));
        swings = FindSwings(*bars.history(), threshold);
    });
    if (!bars.history()) {
        ShowProblem(problem);
        return false;
    }
    m_history = bars.sharedHistory();
    m_swings = std::move(swings);
    m_selection.clear();
    m_levelPrices.clear();
    m_levelDates.clear();
    pbPrices->setBars(std::move(bars));
    pbPrices->setSwings(m_swings);
    ShowStatus();
    MeasureEvidenceLater();
    return true;
}

void frmPriceHistory::ShowProblem(const QString& text)
{
    platform().messageBox(text, ProgramTitle, MsgButtons::Ok, MsgIcon::Critical);
}

void frmPriceHistory::ApplyThreshold(bool refuseAloud)
{
    m_thresholdPause.stop();
    if (m_busy) {
        m_thresholdPause.start();   // once the work in hand is done
        return;
    }
    const std::optional<double> value = ReadThreshold(txtThreshold->text());
    if (!value) {
        if (refuseAloud && txtThreshold->text() != m_refusedThreshold) {
            m_refusedThreshold = txtThreshold->text();
            ShowMessage(ThresholdMessage());
        }
        return;
    }
    if (*value == m_threshold)
        return;
    m_threshold = *value;
    FindSwingsAgain();
}

// New swings at the threshold in force, found on the worker thread; the chart keeps
// its view. They end the selection, since the swings it named are gone.
void frmPriceHistory::FindSwingsAgain()
{
    if (!m_history || m_busy)
        return;
    const std::shared_ptr<const PriceHistory> history = m_history;
    const double threshold = m_threshold;
    std::vector<Swing> swings;
    RunInBackground([&] { swings = FindSwings(*history, threshold); });
    m_swings = std::move(swings);
    m_selection.clear();
    pbPrices->setSwings(m_swings);
    ProjectSelection(false);
    ShowStatus();
    MeasureEvidenceLater();
}

// New ratios or a new scale: the chosen swings' lines drawn again with them, and the
// evidence measured again.
void frmPriceHistory::ProjectAndMeasureAgain()
{
    if (!m_history)
        return;
    ProjectSelection(false);
    ShowStatus();
    MeasureEvidenceLater();
}

// The evidence takes longer than the swings (every projection the rule allows), so it
// is measured on a thread of its own while the trader looks at the chart; the table
// says so meanwhile. One measurement runs at a time: a change while it runs waits for
// it and is measured after, with whatever is in force then.
void frmPriceHistory::MeasureEvidenceLater()
{
    m_evidenceDue = true;
    lblVerdict->setText(QStringLiteral("Measuring how the projections fared..."));
    tblEvidence->setEnabled(false);
    if (m_evidenceWorker)
        return;
    m_evidenceDue = false;
    auto result = std::make_shared<Evidence>();
    m_evidenceWorker = QThread::create([result, swings = m_swings, ratios = CurrentRatios(), scale = ScaleChoice(),
                                        today = platform().today()] {
        *result = MeasureEvidence(swings, ratios, scale, today);
    });
    connect(m_evidenceWorker, &QThread::finished, this, [this, result] {
        m_evidenceWorker->wait();
        delete std::exchange(m_evidenceWorker, nullptr);
        if (m_evidenceDue) {
            MeasureEvidenceLater();   // what it measured has changed since
            return;
        }
        m_evidence = *result;
        tblEvidence->setEnabled(true);
        ShowEvidence();
    });
    m_evidenceWorker->start();
}

PriceScaleChoice frmPriceHistory::ScaleChoice() const
{
    const QVariant power = cboScale->currentData();
    return power.isValid() ? PriceScaleChoice{false, power.toInt()} : PriceScaleChoice{};
}

void frmPriceHistory::ShowEvidence()
{
    const std::vector<EvidenceRow> kinds = EvidenceTable(m_evidence, CurrentRatios());
    tblEvidence->setColumnCount(int(kinds.size()));
    QStringList names;
    for (int c = 0; c < int(kinds.size()); ++c) {
        // "Fibonacci" over "0.382 / 0.5 / 0.618" keeps the columns narrow.
        QString name = kinds[c].name;
        qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral(" [0-9]")));
        name[cut >= 0 ? cut : name.indexOf(QLatin1Char(' '))] = QLatin1Char('\n');
        names << name;
        for (int r = 0; r < kinds[c].cells.size(); ++r) {
            auto* item = new QTableWidgetItem(kinds[c].cells[r]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblEvidence->setItem(r, c, item);
        }
    }
    tblEvidence->setHorizontalHeaderLabels(names);
    lblVerdict->setText(EvidenceVerdicts(m_evidence).join(QLatin1Char('\n')));
}

void frmPriceHistory::CopyEvidence()
{
    QGuiApplication::clipboard()->setText(TableText(*tblEvidence));
}

// What is shown, always: the history with its swings, and what the selection projected.
void frmPriceHistory::ShowStatus()
{
    if (!m_history) {
        lblFile->setText(OpenHint);
        lblProjection->setText(QString());
        return;
    }
    const PriceHistory& h = *m_history;
    lblFile->setText(QStringLiteral("%1: %2 from %3 to %4; %5 swings of at least %6%")
                         .arg(h.fileName)
                         .arg(h.bars.size() == 1 ? QStringLiteral("1 close") : QStringLiteral("%1 closes").arg(h.bars.size()))
                         .arg(FormatShortDate(h.bars.front().date), FormatShortDate(h.bars.back().date))
                         .arg(m_swings.size()).arg(GeneralNumber(m_threshold)));
    lblProjection->setText(m_selection.empty() ? ClickHint : m_projection);
}

std::vector<double> frmPriceHistory::projectedPrices() const
{
    std::vector<double> prices;
    for (const ChartLevel& level : m_levelPrices)
        prices.push_back(level.price);
    return prices;
}

std::vector<QDate> frmPriceHistory::projectedDates() const
{
    std::vector<QDate> dates;
    for (const ChartLevel& level : m_levelDates)
        dates.push_back(level.date);
    return dates;
}

void frmPriceHistory::SelectSwing(int index)
{
    if (index < 0 || index >= int(m_swings.size()))
        return;
    // A third click starts a new choice; clicking the chosen swing again keeps it alone.
    if (m_selection.size() == 2 || (m_selection.size() == 1 && m_selection.front() == index))
        m_selection.clear();
    m_selection.push_back(index);
    std::sort(m_selection.begin(), m_selection.end());
    ProjectSelection(true);
    ShowStatus();
}

// The projection of the chosen swings, drawn; `announce` hands it to the analysis
// window too, as a click does.
void frmPriceHistory::ProjectSelection(bool announce)
{
    m_levelPrices.clear();
    m_levelDates.clear();
    if (m_selection.size() == 1)
        ProjectGannFrom(m_swings[size_t(m_selection[0])], announce);
    else if (m_selection.size() == 2)
        ProjectFibonacciFrom(m_swings[size_t(m_selection[0])], m_swings[size_t(m_selection[1])], announce);
    pbPrices->setSelection(m_selection);
    pbPrices->setLevels(m_levelPrices, m_levelDates);
}

void frmPriceHistory::ProjectGannFrom(const Swing& swing, bool announce)
{
    const PriceScale scale = ScaleForPrice(ScaleChoice(), swing.close);
    auto state = std::make_unique<GannState>();
    LoadGannState(*state, Layout::Large, platform().today(), 0);
    GannProjection g;
    if (const std::optional<QString> m = ProjectGann(swing, scale, platform().today(), Layout::Large, *state, g)) {
        m_projection = *m;
        return;
    }
    // Named by angle: the square's levels lie close together, and the name tells which is which.
    for (int k = 1; k <= state->AngleCount; ++k) {
        if (state->PotentialHigh[size_t(k)] != 0)
            m_levelPrices.push_back({scale.fromSquare(state->PotentialHigh[size_t(k)]), {},
                                     Degrees(45 * k) + QStringLiteral(" high")});
        if (state->PotentialLow[size_t(k)] != 0)
            m_levelPrices.push_back({scale.fromSquare(state->PotentialLow[size_t(k)]), {},
                                     Degrees(45 * k) + QStringLiteral(" low")});
        if (state->DateEntered)
            m_levelDates.push_back({0, state->AngleDate[size_t(k)], Degrees(45 * k)});
    }
    const QString onSquare = PriceBoxText(g.squarePrice);
    m_projection = QStringLiteral("Square of Nine from %1 %2: on the square as %3 (x %4); levels mapped back.")
                       .arg(FormatShortDate(swing.date), GeneralNumber(swing.close), onSquare, scale.text());
    if (announce)
        emit GannRequested(onSquare, swing.date);
}

void frmPriceHistory::ProjectFibonacciFrom(const Swing& older, const Swing& newer, bool announce)
{
    const FibRatios ratios = CurrentRatios();
    FibonacciState state;
    if (const std::optional<QString> m = ProjectFibonacci(older, newer, platform().today(), ratios, state)) {
        m_projection = *m;
        return;
    }
    const double r[] = {ratios.r1, ratios.r2, ratios.r3};
    for (int k = 1; k <= 3; ++k)
        m_levelPrices.push_back({state.PotentialPrice[size_t(k)], {}, GeneralNumber(r[k - 1])});
    for (int k = 1; k <= std::min<int>(state.DateLevelCount, 3); ++k)
        m_levelDates.push_back({0, state.PotentialDate[size_t(k)], GeneralNumber(r[k - 1])});
    m_projection = QStringLiteral("Fibonacci from %1 %2 to %3 %4.")
                       .arg(FormatShortDate(older.date), GeneralNumber(older.close),
                            FormatShortDate(newer.date), GeneralNumber(newer.close));
    if (announce)
        emit FibonacciRequested(older.close, older.date, newer.close, newer.date);
}
