#include "forms/history/frmPriceHistory.h"

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
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
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

frmPriceHistory::~frmPriceHistory() = default;

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
    m_evidencePanel = new EvidencePanel(this);
    cboEvidence = m_evidencePanel->cboEvidence;
    tblEvidence = m_evidencePanel->tblEvidence;
    actCopyEvidence = m_evidencePanel->actCopyEvidence;
    lblVerdict = m_evidencePanel->lblVerdict;
    pbChance = m_evidencePanel->pbChance;
    lblProjection = Named(new QLabel(this), "lblProjection");
    lblProjection->setWordWrap(true);
    prgLoad = Named(new QProgressBar(this), "prgLoad");
    prgLoad->setRange(0, 0);
    prgLoad->hide();
    LayOutControls();

    connect(cmdOpen, &QPushButton::clicked, this, &frmPriceHistory::cmdOpen_Click);
    connect(cboFile, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ShowFile);
    ApplyWhenTyped(txtThreshold, &frmPriceHistory::ApplyThreshold);
    ApplyWhenTyped(txtRatios, &frmPriceHistory::ApplyRatios);
    connect(cboSwings, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ApplySwingBasis);
    connect(cboScale, &QComboBox::currentIndexChanged, this, &frmPriceHistory::ProjectAndMeasureAgain);
    connect(chkLogScale, &QCheckBox::toggled, pbPrices, &PriceChart::setLogarithmic);
    connect(pbPrices, &PriceChart::swingClicked, this, &frmPriceHistory::SelectSwing);
    connect(m_evidencePanel, &EvidencePanel::measurementDue, this, &frmPriceHistory::MeasureEvidenceLater);
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
    split->addWidget(ScrolledEvidence());
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

// A small screen scrolls the evidence rather than squeeze it.
QWidget* frmPriceHistory::ScrolledEvidence()
{
    auto* sideScroll = new QScrollArea(this);
    sideScroll->setWidget(m_evidencePanel);
    sideScroll->setWidgetResizable(true);
    sideScroll->setFrameShape(QFrame::NoFrame);
    sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return sideScroll;
}

void frmPriceHistory::closeEvent(QCloseEvent* event)
{
    // The work runs in a nested event loop; the window must outlive it.
    if (m_busy)
        event->ignore();
    else
        QWidget::closeEvent(event);
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

bool frmPriceHistory::LoadFiles(const QStringList& paths)
{
    if (m_busy || paths.isEmpty())
        return false;
    std::vector<OpenFile> files;
    const auto runInBackground = [this](const std::function<void()>& work) { RunInBackground(work); };
    if (!ReadFiles(paths, SwingRuleInForce(), runInBackground, this, files))
        return false;
    m_files = std::move(files);
    m_shown = 0;
    ShowFileChoices();
    ShowSwingBasis();
    ShowShownFile();
    MeasureEvidenceLater();
    return true;
}

// With several files, one picks the file the chart shows and the other the evidence
// the table shows; with one, neither is needed and neither shows.
void frmPriceHistory::ShowFileChoices()
{
    const QSignalBlocker quiet(cboFile);
    cboFile->clear();
    for (const OpenFile& f : m_files)
        cboFile->addItem(f.history().fileName);
    cboFile->setVisible(m_files.size() > 1);
    QStringList names;
    for (const OpenFile& f : m_files)
        names << f.history().fileName;
    m_evidencePanel->SetFiles(names);
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

// A new measurement of the evidence for what is in force now. One runs at a time; a
// change while it runs stops it, and the panel asks again when it has.
void frmPriceHistory::MeasureEvidenceLater()
{
    if (!m_evidencePanel->ReadyToMeasure())
        return;
    QString problem;
    const std::optional<HistoryRatios> ratios = ratiosInForce(&problem);
    if (m_files.empty() || !ratios) {
        const QString why = m_files.empty() ? QString()
                                            : QStringLiteral("The Fibonacci ratios cannot be measured: %1.").arg(problem);
        m_evidencePanel->ShowEvidence(PooledEvidence{}, why);
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
    std::vector<std::shared_ptr<const PriceHistory>> histories;
    for (const OpenFile& f : m_files)
        histories.push_back(f.bars.sharedHistory());
    m_evidencePanel->Measure(std::move(histories), std::move(request));
}

PriceScaleChoice frmPriceHistory::ScaleChoice() const
{
    const QVariant power = cboScale->currentData();
    return power.isValid() ? PriceScaleChoice{false, power.toInt()} : PriceScaleChoice{};
}

const Evidence& frmPriceHistory::evidence() const
{
    return m_evidencePanel->evidence();
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
