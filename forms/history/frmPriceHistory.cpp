#include "forms/history/frmPriceHistory.h"

#include "core/gann/ganncalc.h"
#include "core/settings/settings.h"
#include "core/numbers/dates.h"
#include "core/numbers/numbers.h"
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
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace {

const QString PriceHistoryFilter = QStringLiteral("Price History (CSV)| *.csv");
constexpr int LoadBlinkMs = 150;          // work that takes longer shows the progress bar
constexpr int TypingPauseMs = 700;        // a pause in typing this long applies a box
constexpr int LargestScaleChoice = 9;     // the Square of Nine scales offered: 10^-9 .. 10^9

const QString OpenHint = QStringLiteral("Open a CSV file of daily prices (Date and Close columns).");
const QString ClickHint = QStringLiteral("Click a swing to project the Square of Nine from it, a second for "
                                         "Fibonacci from the two, a third for the 3-point extension.");

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

QString RatiosMessage()
{
    return QStringLiteral("Enter 1 to %1 ratios above 0, each larger than the one before, separated by commas "
                          "(0.236, 0.382, 0.5, 0.618, 0.786), or leave the box empty for the program's ratios.")
        .arg(MaxHistoryRatios);
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

// The swings turn where a candle chart shows the turns, at the wicks, when the trader
// wants that and every bar has its High and Low; a file of closes has nothing else.
SwingBasis BasisFor(SwingBasis chosen, const PriceHistory& history)
{
    return chosen == SwingBasis::HighLow && history.hasHighLow() ? SwingBasis::HighLow : SwingBasis::Close;
}

}  // namespace

frmPriceHistory::frmPriceHistory(const ProgramRatios& ratios, QWidget* parent)
    : QWidget(parent), m_programRatios(ratios)
{
    setObjectName(QStringLiteral("frmPriceHistory"));
    setWindowTitle(QStringLiteral("Price History"));
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    EnterPressesFocusedButton(this);
    AddProgramShortcuts(this, QStringLiteral("9. Price histories: swings and how projections fared"));
    // Roomy on a large screen, never larger than a small one.
    const QSize screen = platform().screenSize();
    resize(std::min(1180, screen.width()), std::min(720, screen.height() - 40));
    ShowStatus();
}

frmPriceHistory::~frmPriceHistory()
{
    // A measurement still running holds only its own copies; told to stop, it soon does.
    if (m_evidenceWorker) {
        m_evidenceCancel->store(true);
        m_evidenceWorker->wait();
        delete m_evidenceWorker;
    }
}

void frmPriceHistory::CreateControls()
{
    cmdOpen = MakeButton("cmdOpen", QStringLiteral("&Open..."), this);
    cboFile = Named(new QComboBox(this), "cboFile");
    cboFile->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cboFile->hide();
    lblFile = Named(new QLabel(this), "lblFile");
    lblFile->setWordWrap(true);
    txtThreshold = Named(new QLineEdit(GeneralNumber(DefaultSwingThreshold), this), "txtThreshold");
    txtThreshold->setMaximumWidth(txtThreshold->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    txtThreshold->setToolTip(ThresholdMessage());
    cboSwings = Named(new QComboBox(this), "cboSwings");
    cboSwings->addItem(QStringLiteral("High/Low"), int(SwingBasis::HighLow));
    cboSwings->addItem(QStringLiteral("Closes"), int(SwingBasis::Close));
    txtRatios = Named(new QLineEdit(this), "txtRatios");
    txtRatios->setMinimumWidth(txtRatios->fontMetrics().horizontalAdvance(QStringLiteral("0.236, 0.382, 0.5, 0.618, 0.786, 1.272")));
    txtRatios->setToolTip(RatiosMessage());
    cboScale = Named(new QComboBox(this), "cboScale");
    cboScale->addItem(QStringLiteral("auto"));
    for (int k = -LargestScaleChoice; k <= LargestScaleChoice; ++k)
        cboScale->addItem(PriceScale{k}.text(), k);
    chkLogScale = Named(new QCheckBox(QStringLiteral("&Logarithmic prices"), this), "chkLogScale");
    pbPrices = Named(new PriceChart(this), "pbPrices");
    CreateEvidenceControls();
    LayOutControls();

    connect(cmdOpen, &QPushButton::clicked, this, &frmPriceHistory::cmdOpen_Click);
    connect(cboFile, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ShowFile);
    ApplyWhenTyped(txtThreshold, &frmPriceHistory::ApplyThreshold);
    ApplyWhenTyped(txtRatios, &frmPriceHistory::ApplyRatios);
    connect(cboSwings, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ApplySwingBasis);
    connect(cboScale, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ProjectAndMeasureAgain);
    connect(chkLogScale, &QCheckBox::toggled, pbPrices, &PriceChart::setLogarithmic);
    connect(pbPrices, &PriceChart::swingClicked, this, &frmPriceHistory::SelectSwing);
    connect(&m_programRatios, &ProgramRatios::changed, this, [this] {
        ShowRatiosInForce();
        ProjectAndMeasureAgain();
    });
    ShowRatiosInForce();
}

// A box whose text is applied on Enter, on Tab or a click elsewhere, or after a pause in
// typing, not at every key. Only Enter and Tab refuse it aloud, and once: a pause in
// the middle of typing "0.15" must not complain about "0.".
void frmPriceHistory::ApplyWhenTyped(QLineEdit* box, void (frmPriceHistory::*apply)(bool))
{
    auto* pause = new QTimer(box);
    pause->setSingleShot(true);
    pause->setInterval(TypingPauseMs);
    connect(box, &QLineEdit::textEdited, pause, qOverload<>(&QTimer::start));
    connect(box, &QLineEdit::textEdited, this, [this, box] { m_refused.remove(box); });
    connect(pause, &QTimer::timeout, this, [this, apply] { (this->*apply)(false); });
    connect(box, &QLineEdit::editingFinished, this, [this, apply, pause] {
        pause->stop();
        (this->*apply)(true);
    });
}

// Refuses a box's text with a message, once until it is edited again.
void frmPriceHistory::RefuseTyped(QLineEdit* box, bool aloud, const QString& message)
{
    if (!aloud || m_refused.value(box) == box->text())
        return;
    m_refused.insert(box, box->text());
    ShowMessage(message);
}

namespace {

// The rows of the evidence table: the price measures, then the time measures (the
// count, the same for both, once).
QStringList EvidenceMeasures(const std::vector<EvidenceTable>& tables)
{
    QStringList rows = tables[0].columns;
    rows[1] = QStringLiteral("Median price error");
    rows[2] = QStringLiteral("Price error by chance");
    rows[3] = QStringLiteral("Price p-value");
    rows << tables[1].columns.mid(1);
    rows[6] = QStringLiteral("Days off by chance");
    rows[7] = QStringLiteral("Days p-value");
    return rows;
}

}  // namespace

void frmPriceHistory::CreateEvidenceControls()
{
    // The kinds of projection side by side, one column each; the measures are the rows.
    cboEvidence = Named(new QComboBox(this), "cboEvidence");
    cboEvidence->hide();
    connect(cboEvidence, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ShowChosenEvidence);
    tblEvidence = Named(new QTableWidget(this), "tblEvidence");
    const QStringList measures = EvidenceMeasures(EvidenceTables(Evidence{}));
    tblEvidence->setRowCount(measures.size());
    tblEvidence->setVerticalHeaderLabels(measures);
    tblEvidence->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblEvidence->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Exactly as large as its cells: a table that could scroll keeps room for a scroll
    // bar it may not show, an empty strip under the last row. The evidence beside the
    // chart scrolls as a whole instead.
    tblEvidence->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    tblEvidence->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    tblEvidence->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tblEvidence->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Ctrl+C and the context menu copy the whole table, whatever cell is current.
    actCopyEvidence = Named(new QAction(QStringLiteral("&Copy"), tblEvidence), "actCopyEvidence");
    actCopyEvidence->setShortcut(QKeySequence::Copy);
    actCopyEvidence->setShortcutContext(Qt::WidgetShortcut);
    tblEvidence->addAction(actCopyEvidence);
    tblEvidence->setContextMenuPolicy(Qt::ActionsContextMenu);
    tblEvidence->installEventFilter(this);
    connect(actCopyEvidence, &QAction::triggered, this, &frmPriceHistory::CopyEvidence);

    tblEvidence->verticalHeader()->setDefaultSectionSize(tblEvidence->fontMetrics().height() + 6);
    lblVerdict = Named(new QLabel(this), "lblVerdict");
    lblVerdict->setWordWrap(true);
    pbChance = Named(new EvidencePlots(this), "pbChance");
    lblProjection = Named(new QLabel(this), "lblProjection");
    lblProjection->setWordWrap(true);
    prgLoad = Named(new QProgressBar(this), "prgLoad");
    prgLoad->setRange(0, 0);
    prgLoad->hide();
}

// The evidence beside the chart, top down: the table, its sentences and its plots.
QWidget* frmPriceHistory::EvidencePanel()
{
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("How projections from earlier swings met the next swing"), side));
    sideLayout->addWidget(cboEvidence, 0, Qt::AlignLeft);
    sideLayout->addWidget(tblEvidence);
    sideLayout->addWidget(lblVerdict);
    sideLayout->addWidget(pbChance);
    sideLayout->addStretch(1);
    // A small screen scrolls the evidence rather than squeeze it.
    auto* sideScroll = new QScrollArea(this);
    sideScroll->setWidget(side);
    sideScroll->setWidgetResizable(true);
    sideScroll->setFrameShape(QFrame::NoFrame);
    sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return sideScroll;
}

// The file and the settings in a row on top; the chart beside the evidence, which
// keeps its own width as the window grows; the projection's line and the progress bar
// below.
void frmPriceHistory::LayOutControls()
{
    auto* file = new QHBoxLayout();
    file->addWidget(cmdOpen);
    file->addWidget(cboFile);
    file->addWidget(lblFile, 1);
    // The choices that shape the swings and their levels, with room for more.
    auto* choices = new QHBoxLayout();
    const auto labelled = [this, choices](const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(control);
        choices->addWidget(label);
        choices->addWidget(control);
    };
    labelled(QStringLiteral("Swing &threshold:"), txtThreshold);
    choices->addWidget(new QLabel(QStringLiteral("%"), this));
    choices->addSpacing(12);
    labelled(QStringLiteral("S&wings on:"), cboSwings);
    choices->addSpacing(12);
    labelled(QStringLiteral("&Ratios:"), txtRatios);
    choices->addSpacing(12);
    labelled(QStringLiteral("Gann price &scale:"), cboScale);
    choices->addSpacing(12);
    choices->addWidget(chkLogScale);
    choices->addStretch(1);

    auto* split = new QSplitter(this);
    split->addWidget(pbPrices);
    split->addWidget(EvidencePanel());
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setSizes({740, 420});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(file);
    layout->addLayout(choices);
    layout->addWidget(split, 1);
    layout->addWidget(lblProjection);
    layout->addWidget(prgLoad);
    setTabOrder(cmdOpen, cboFile);
    setTabOrder(cboFile, txtThreshold);
    setTabOrder(txtThreshold, cboSwings);
    setTabOrder(cboSwings, txtRatios);
    setTabOrder(txtRatios, cboScale);
    setTabOrder(cboScale, chkLogScale);
    setTabOrder(chkLogScale, pbPrices);
    setTabOrder(pbPrices, cboEvidence);
    setTabOrder(cboEvidence, tblEvidence);
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
    const QStringList paths = platform().openFileNames(PriceHistoryFilter, QString());
    if (!paths.isEmpty())
        LoadFiles(paths);
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

namespace {

// One file read whole and its swings found, on the worker thread. No history in the
// result when it was refused.
PriceHistoryRead ReadAndFindSwings(const QString& path, DateOrder order, const SwingRule& findSwings,
                                   ChartBars& bars, std::vector<Swing>& swings)
{
    PriceReadOptions options;
    options.dateOrder = order;
    PriceHistoryRead read = LoadPriceHistoryFile(path, options);
    if (!read.history)
        return read;
    // The table stays as long as the window shows it: no room kept for rows to come.
    read.history->bars.shrink_to_fit();
    bars = ChartBars(std::make_shared<const PriceHistory>(std::move(*read.history)));
    read.history.reset();
    swings = findSwings(*bars.history());
    return read;
}

}  // namespace

bool frmPriceHistory::LoadFiles(const QStringList& paths)
{
    if (m_busy || paths.isEmpty())
        return false;
    std::vector<OpenFile> files;
    if (!ReadFiles(paths, files))
        return false;
    m_files = std::move(files);
    m_shown = 0;
    ShowFileChoices();
    ShowSwingBasis();
    ShowShownFile();
    MeasureEvidenceLater();
    return true;
}

// Every file, or none: the first one refused is reported and nothing is kept. A file
// refused only because each of its dates reads both ways is read again in the order
// the trader names.
bool frmPriceHistory::ReadFiles(const QStringList& paths, std::vector<OpenFile>& files)
{
    const SwingRule findSwings = SwingRuleInForce();
    files.assign(size_t(paths.size()), OpenFile{});
    std::vector<PriceHistoryRead> reads(files.size());
    RunInBackground([&] {
        for (size_t k = 0; k < files.size(); ++k)
            reads[k] = ReadAndFindSwings(paths[qsizetype(k)], DateOrder::Automatic, findSwings, files[k].bars,
                                         files[k].swings);
    });
    for (size_t k = 0; k < files.size(); ++k) {
        if (reads[k].ambiguousDates) {
            const std::optional<DateOrder> order = AskDateOrder(paths[qsizetype(k)]);
            if (!order)
                return false;
            RunInBackground([&] {
                reads[k] = ReadAndFindSwings(paths[qsizetype(k)], *order, findSwings, files[k].bars, files[k].swings);
            });
        }
        if (!files[k].bars.history()) {
            ShowProblem(reads[k].problem);
            return false;
        }
    }
    return true;
}

// 3/4/2024 is 4 March in the United States and 3 April in most of Europe; a file in
// which no day is above 12 cannot tell, and only the trader knows where it came from.
std::optional<DateOrder> frmPriceHistory::AskDateOrder(const QString& path)
{
    const DialogOwner owner(this);
    const QString text =
        QStringLiteral("%1: every date in the file reads both as month/day and as day/month, so the order of "
                       "its dates cannot be told from the file.\n\nAre the days written first (dd/mm/yyyy)? "
                       "Yes reads the dates day first, No month first (mm/dd/yyyy), as in the United States; "
                       "Cancel opens nothing.")
            .arg(QFileInfo(path).fileName());
    switch (platform().messageBox(text, ProgramTitle, MsgButtons::YesNoCancel, MsgIcon::None)) {
    case MsgResult::Yes: return DateOrder::DayFirst;
    case MsgResult::No: return DateOrder::MonthFirst;
    default: return std::nullopt;
    }
}

// With several files, one picks the file the chart shows and the other the evidence
// the table shows; with one, neither is needed and neither shows.
void frmPriceHistory::ShowFileChoices()
{
    const QSignalBlocker quietFile(cboFile), quietEvidence(cboEvidence);
    cboFile->clear();
    cboEvidence->clear();
    for (const OpenFile& f : m_files)
        cboFile->addItem(f.history().fileName);
    cboEvidence->addItem(QStringLiteral("All %1 files pooled").arg(m_files.size()));
    for (const OpenFile& f : m_files)
        cboEvidence->addItem(f.history().fileName);
    cboFile->setVisible(m_files.size() > 1);
    cboEvidence->setVisible(m_files.size() > 1);
}

void frmPriceHistory::ShowFile(int index)
{
    if (m_busy || index < 0 || index >= fileCount() || index == m_shown)
        return;
    m_shown = index;
    const QSignalBlocker quiet(cboFile);
    cboFile->setCurrentIndex(index);
    ShowSwingBasis();
    ShowShownFile();
}

// The file picked for the chart, seen whole. No swing is chosen: a choice belonged to
// another file's swings.
void frmPriceHistory::ShowShownFile()
{
    m_selection.clear();
    m_levelPrices.clear();
    m_levelDates.clear();
    pbPrices->setBars(m_files[size_t(m_shown)].bars);
    pbPrices->setSwings(swings());
    ShowStatus();
}

const PriceHistory* frmPriceHistory::history() const
{
    return m_files.empty() ? nullptr : m_files[size_t(m_shown)].bars.history();
}

const std::vector<Swing>& frmPriceHistory::swings() const
{
    static const std::vector<Swing> none;
    return m_files.empty() ? none : m_files[size_t(m_shown)].swings;
}

void frmPriceHistory::ShowProblem(const QString& text)
{
    platform().messageBox(text, ProgramTitle, MsgButtons::Ok, MsgIcon::Critical);
}

void frmPriceHistory::ApplyThreshold(bool refuseAloud)
{
    if (m_busy) {
        QTimer::singleShot(TypingPauseMs, this, [this, refuseAloud] { ApplyThreshold(refuseAloud); });
        return;
    }
    const std::optional<double> value = ReadThreshold(txtThreshold->text());
    if (!value)
        return RefuseTyped(txtThreshold, refuseAloud, ThresholdMessage());
    if (*value == m_threshold)
        return;
    m_threshold = *value;
    FindSwingsAgain();
}

// The history's own ratios as typed; an empty box stands for the program's three.
void frmPriceHistory::ApplyRatios(bool refuseAloud)
{
    const QString text = txtRatios->text().trimmed();
    std::optional<HistoryRatios> typed;
    if (!text.isEmpty()) {
        QString problem = QStringLiteral("A ratio is not a number");
        const std::optional<std::vector<double>> values = ParseRatioList(text);
        if (values)
            typed = HistoryRatios::fromValues(*values, &problem);
        if (!typed)
            return RefuseTyped(txtRatios, refuseAloud, problem + QStringLiteral(". ") + RatiosMessage());
    }
    const bool same = typed && m_typedRatios ? typed->values() == m_typedRatios->values() : !typed && !m_typedRatios;
    if (same)
        return;
    m_typedRatios = typed;
    ProjectAndMeasureAgain();
}

// An empty ratio box shows the program's ratios, which it stands for, in grey.
void frmPriceHistory::ShowRatiosInForce()
{
    const std::optional<HistoryRatios> program = HistoryRatios::fromFibRatios(m_programRatios.ratios());
    txtRatios->setPlaceholderText(program ? program->text().replace(QStringLiteral(" /"), QStringLiteral(",")) : QString());
}

std::optional<HistoryRatios> frmPriceHistory::ratiosInForce(QString* problem) const
{
    if (m_typedRatios)
        return m_typedRatios;
    return HistoryRatios::fromFibRatios(m_programRatios.ratios(), problem);
}

// The swings on another basis, on files that have both; the view stays.
void frmPriceHistory::ApplySwingBasis()
{
    if (!cboSwings->isEnabled())
        return;
    m_basisChoice = SwingBasis(cboSwings->currentData().toInt());
    FindSwingsAgain();
}

// The choice is the trader's and outlasts the files; a file without a High and a Low
// shows closes, the only basis it has, and keeps the choice for the next one.
void frmPriceHistory::ShowSwingBasis()
{
    const bool choosable = history() && history()->hasHighLow();
    const QSignalBlocker quiet(cboSwings);
    cboSwings->setEnabled(choosable);
    cboSwings->setCurrentIndex(cboSwings->findData(int(choosable ? m_basisChoice : SwingBasis::Close)));
    cboSwings->setToolTip(history() && !choosable ? QStringLiteral("The file has no High and Low on every row, so "
                                                                   "the swings are found on closes.")
                                                  : QString());
}

SwingBasis frmPriceHistory::swingBasis() const
{
    return history() ? BasisFor(m_basisChoice, *history()) : m_basisChoice;
}

// The one rule every history of the window is read with, the real ones and their
// surrogates alike.
SwingRule frmPriceHistory::SwingRuleInForce() const
{
    return [threshold = m_threshold, chosen = m_basisChoice](const PriceHistory& h) {
        return FindSwings(h, threshold, BasisFor(chosen, h));
    };
}

// New swings at the threshold in force, found on the worker thread; the chart keeps
// its view. They end the selection, since the swings it named are gone.
void frmPriceHistory::FindSwingsAgain()
{
    if (m_files.empty() || m_busy)
        return;
    const SwingRule findSwings = SwingRuleInForce();
    std::vector<std::vector<Swing>> swings(m_files.size());
    RunInBackground([&] {
        for (size_t k = 0; k < m_files.size(); ++k)
            swings[k] = findSwings(m_files[k].history());
    });
    for (size_t k = 0; k < m_files.size(); ++k)
        m_files[k].swings = std::move(swings[k]);
    m_selection.clear();
    pbPrices->setSwings(this->swings());
    ProjectSelection(false);
    ShowStatus();
    MeasureEvidenceLater();
}

// New ratios or a new scale: the chosen swings' lines drawn again with them, and the
// evidence measured again.
void frmPriceHistory::ProjectAndMeasureAgain()
{
    if (m_files.empty())
        return;
    ProjectSelection(false);
    ShowStatus();
    MeasureEvidenceLater();
}

// The evidence takes longer than the swings, and the surrogate histories far longer
// still, so it is measured on a thread of its own while the trader works with the
// chart: the real swings first, which fill the table, then the surrogates, which add
// the comparison with chance and the plots. One measurement runs at a time; a change
// while it runs stops it, and the new one starts when it has.
void frmPriceHistory::MeasureEvidenceLater()
{
    m_evidenceDue = true;
    if (m_evidenceWorker) {
        m_evidenceCancel->store(true);
        return;
    }
    m_evidenceDue = false;
    QString problem;
    const std::optional<HistoryRatios> ratios = ratiosInForce(&problem);
    if (m_files.empty() || !ratios) {
        ShowEvidence(PooledEvidence{}, m_files.empty() ? QString()
                                                       : QStringLiteral("The Fibonacci ratios cannot be measured: %1.")
                                                             .arg(problem));
        return;
    }
    EvidenceRequest request;
    request.ratios = *ratios;
    request.scale = ScaleChoice();
    request.today = platform().today();
    // The surrogates keep the shape of the file's bars, so they turn on the same basis.
    request.swingRule = SwingRuleInForce();
    // One core is left to the window, so the chart keeps moving while the draws run.
    request.settings.threads = std::max(1, QThread::idealThreadCount() - 1);
    m_evidenceCancel = std::make_shared<std::atomic<bool>>(false);
    request.cancel = m_evidenceCancel.get();
    lblVerdict->setText(QStringLiteral("Measuring how the projections fared..."));
    tblEvidence->setEnabled(false);
    std::vector<std::shared_ptr<const PriceHistory>> histories;
    for (const OpenFile& f : m_files)
        histories.push_back(f.bars.sharedHistory());
    m_evidenceWorker = QThread::create([this, request, cancel = m_evidenceCancel, histories]() mutable {
        std::vector<const PriceHistory*> measured;
        for (const auto& h : histories)
            measured.push_back(h.get());
        for (const int draws : {0, DefaultDraws}) {
            request.settings.draws = draws;
            const PooledEvidence evidence = MeasureEvidence(measured, request);
            if (cancel->load())
                return;
            QMetaObject::invokeMethod(this, [this, evidence] {
                if (!m_evidenceDue)   // else it measured what is no longer in force
                    ShowEvidence(evidence, QString());
            });
        }
    });
    connect(m_evidenceWorker, &QThread::finished, this, [this] {
        m_evidenceWorker->wait();
        delete std::exchange(m_evidenceWorker, nullptr);
        if (m_evidenceDue)
            MeasureEvidenceLater();   // what it measured has changed since
    });
    m_evidenceWorker->start();
}

PriceScaleChoice frmPriceHistory::ScaleChoice() const
{
    const QVariant power = cboScale->currentData();
    return power.isValid() ? PriceScaleChoice{false, power.toInt()} : PriceScaleChoice{};
}

// A measurement, or why there is none.
void frmPriceHistory::ShowEvidence(const PooledEvidence& evidence, const QString& problem)
{
    m_evidence = evidence;
    m_evidenceProblem = problem;
    ShowChosenEvidence();
}

const Evidence& frmPriceHistory::evidence() const
{
    const int file = cboEvidence->currentIndex() - 1;
    return file >= 0 && file < int(m_evidence.files.size()) ? m_evidence.files[size_t(file)] : m_evidence.pooled;
}

// The evidence picked, in the table, its sentences and its plots. While the surrogates
// are still being drawn the sentences say so; the real swings' rows are final already.
void frmPriceHistory::ShowChosenEvidence()
{
    const Evidence& shown = evidence();
    const bool drawing = m_evidenceWorker && shown.settings.draws == 0 && !shown.methods.empty();
    tblEvidence->setEnabled(!shown.methods.empty());
    pbChance->setEvidence(shown);
    if (!m_evidenceProblem.isEmpty() || shown.methods.empty()) {
        tblEvidence->setColumnCount(0);
        lblVerdict->setText(m_evidenceProblem);
        return;
    }
    // Each method's price cells, then its time cells without the count again.
    const std::vector<EvidenceTable> tables = EvidenceTables(shown);
    tblEvidence->setColumnCount(int(shown.methods.size()));
    QStringList names;
    for (int c = 0; c < int(shown.methods.size()); ++c) {
        // "Gann" over "Square of Nine" keeps the columns narrow.
        QString name = tables[0].rows[c].name;
        if (const qsizetype blank = name.indexOf(QLatin1Char(' ')); blank >= 0)
            name[blank] = QLatin1Char('\n');
        names << name;
        const QStringList cells = tables[0].rows[c].cells + tables[1].rows[c].cells.mid(1);
        for (int r = 0; r < cells.size(); ++r) {
            auto* item = new QTableWidgetItem(cells[r]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblEvidence->setItem(r, c, item);
        }
    }
    tblEvidence->setHorizontalHeaderLabels(names);
    lblVerdict->setText(drawing ? QStringLiteral("Drawing %L1 surrogate histories to compare with chance...")
                                      .arg(DefaultDraws)
                                : EvidenceVerdicts(shown).join(QLatin1Char('\n')));
}

void frmPriceHistory::CopyEvidence()
{
    QGuiApplication::clipboard()->setText(TableText(*tblEvidence));
}

// What is shown, always: the history with its swings and what the reader had to
// decide or leave out to read it (a date order chosen, rows skipped, days made of
// intraday bars), and what the selection projected.
void frmPriceHistory::ShowStatus()
{
    if (!history()) {
        lblFile->setText(OpenHint);
        lblProjection->setText(QString());
        return;
    }
    const PriceHistory& h = *history();
    const QString which = fileCount() > 1 ? QStringLiteral(" (file %1 of %2)").arg(m_shown + 1).arg(fileCount())
                                          : QString();
    const QStringList notes = PriceReadNoteLines(h);
    // One pass over the pattern: a file name may hold a "%".
    lblFile->setText(QStringLiteral("%1%2: %3 from %4 to %5; %6 swings of at least %7% %8.%9")
                         .arg(h.fileName, which,
                              h.bars.size() == 1 ? QStringLiteral("1 close") : QStringLiteral("%1 closes").arg(h.bars.size()),
                              FormatShortDate(h.bars.front().date), FormatShortDate(h.bars.back().date),
                              QString::number(swings().size()), GeneralNumber(m_threshold),
                              swingBasis() == SwingBasis::HighLow ? QStringLiteral("on highs and lows")
                                                                  : QStringLiteral("on closes"),
                              notes.isEmpty() ? QString() : QLatin1Char(' ') + notes.join(QLatin1Char(' '))));
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
    if (index < 0 || index >= int(swings().size()))
        return;
    const std::vector<int> before = m_selection;
    // A fourth click starts a new choice; clicking a chosen swing again keeps it alone.
    if (m_selection.size() == 3 || std::find(m_selection.begin(), m_selection.end(), index) != m_selection.end())
        m_selection.clear();
    m_selection.push_back(index);
    std::sort(m_selection.begin(), m_selection.end());
    if (!ProjectSelection(true)) {
        // The analysis window kept the trader's document, so the click did not happen:
        // the chart and the lines below it still show the choice before it.
        m_selection = before;
        ProjectSelection(false);
    }
    ShowStatus();
}

// The projection of the chosen swings, drawn: the Square of Nine from one, Fibonacci
// from two, the 3-point extension from three. `announce` hands the first two to the
// analysis windows too, as a click does; false when the window declined them, and
// then nothing is drawn.
bool frmPriceHistory::ProjectSelection(bool announce)
{
    m_levelPrices.clear();
    m_levelDates.clear();
    const auto chosen = [this](size_t k) -> const Swing& { return swings()[size_t(m_selection[k])]; };
    bool taken = true;
    if (m_selection.size() == 1)
        taken = ProjectGannFrom(chosen(0), announce);
    else if (m_selection.size() == 2)
        taken = ProjectFibonacciFrom(chosen(0), chosen(1), announce);
    else if (m_selection.size() == 3)
        ProjectExtensionFrom(chosen(0), chosen(1), chosen(2));
    if (!taken)
        return false;
    pbPrices->setSelection(m_selection);
    pbPrices->setLevels(m_levelPrices, m_levelDates);
    return true;
}

// Emits a hand-over and returns whether it was taken. Nobody listening cannot decline.
template <typename Signal, typename... Args>
bool frmPriceHistory::HandOver(Signal signal, Args&&... args)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(signal)))
        return true;
    return (this->*signal)(std::forward<Args>(args)...);
}

bool frmPriceHistory::ProjectGannFrom(const Swing& swing, bool announce)
{
    const PriceScale scale = ScaleForPrice(ScaleChoice(), swing.price);
    auto state = std::make_unique<GannState>();
    LoadGannState(*state, Layout::Large, platform().today(), 0);
    GannProjection g;
    if (const std::optional<QString> m = ProjectGann(swing, scale, platform().today(), Layout::Large, *state, g)) {
        m_projection = *m;
        return true;
    }
    // Named by angle: the square's levels lie close together, and the name tells which is which.
    for (int k = 1; k <= state->results.AngleCount; ++k) {
        if (state->results.PotentialHigh[size_t(k)] != 0)
            m_levelPrices.push_back({scale.fromSquare(state->results.PotentialHigh[size_t(k)]), {},
                                     Degrees(45 * k) + QStringLiteral(" high")});
        if (state->results.PotentialLow[size_t(k)] != 0)
            m_levelPrices.push_back({scale.fromSquare(state->results.PotentialLow[size_t(k)]), {},
                                     Degrees(45 * k) + QStringLiteral(" low")});
        if (state->inputs.DateEntered)
            m_levelDates.push_back({0, state->results.AngleDate[size_t(k)], Degrees(45 * k)});
    }
    const QString onSquare = PriceBoxText(g.squarePrice);
    if (announce && !HandOver(&frmPriceHistory::GannRequested, onSquare, swing.date))
        return false;
    m_projection = QStringLiteral("Square of Nine from %1 %2: on the square as %3 (x %4); levels mapped back.")
                       .arg(FormatShortDate(swing.date), GeneralNumber(swing.price), onSquare, scale.text());
    return true;
}

// Levels named by their ratios, one price and one date each.
void frmPriceHistory::AddRatioLevels(const HistoryRatios& ratios, const ProjectedLevels& levels)
{
    for (size_t k = 0; k < levels.prices.size(); ++k)
        m_levelPrices.push_back({levels.prices[k], {}, GeneralNumber(ratios.values()[k])});
    for (size_t k = 0; k < levels.dates.size(); ++k)
        m_levelDates.push_back({0, levels.dates[k], GeneralNumber(ratios.values()[k])});
}

// The chart draws the history's ratios, however many; the Fibonacci window receives
// the two swings and works with its own three.
bool frmPriceHistory::ProjectFibonacciFrom(const Swing& older, const Swing& newer, bool announce)
{
    QString problem;
    const std::optional<HistoryRatios> ratios = ratiosInForce(&problem);
    ProjectedLevels levels;
    if (ratios)
        problem = FibonacciLevels(older, newer, *ratios, levels).value_or(QString());
    if (!problem.isEmpty()) {
        m_projection = problem;
        return true;
    }
    if (announce && !HandOver(&frmPriceHistory::FibonacciRequested, older.price, older.date, newer.price, newer.date))
        return false;
    AddRatioLevels(*ratios, levels);
    m_projection = QStringLiteral("Fibonacci from %1 %2 to %3 %4.")
                       .arg(FormatShortDate(older.date), GeneralNumber(older.price),
                            FormatShortDate(newer.date), GeneralNumber(newer.price));
    return true;
}

void frmPriceHistory::ProjectExtensionFrom(const Swing& a, const Swing& b, const Swing& c)
{
    QString problem;
    const std::optional<HistoryRatios> ratios = ratiosInForce(&problem);
    ProjectedLevels levels;
    if (ratios)
        problem = ExtensionLevels(a, b, c, *ratios, levels).value_or(QString());
    if (!problem.isEmpty()) {
        m_projection = problem;
        return;
    }
    AddRatioLevels(*ratios, levels);
    m_projection = QStringLiteral("3-point extension of %1 %2 to %3 %4 from %5 %6.")
                       .arg(FormatShortDate(a.date), GeneralNumber(a.price), FormatShortDate(b.date),
                            GeneralNumber(b.price), FormatShortDate(c.date), GeneralNumber(c.price));
}
