#include "forms/history/evidencepanel.h"

#include "platform/controls.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <utility>

namespace {

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

EvidencePanel::EvidencePanel(QWidget* parent) : QWidget(parent)
{
    CreateControls();
    LayOutControls();
}

EvidencePanel::~EvidencePanel()
{
    // A measurement still running holds only its own copies; told to stop, it soon does.
    if (m_worker) {
        m_cancel->store(true);
        m_worker->wait();
        delete m_worker;
    }
}

void EvidencePanel::CreateControls()
{
    // The kinds of projection side by side, one column each; the measures are the rows.
    cboEvidence = Named(new QComboBox(this), "cboEvidence");
    cboEvidence->hide();
    connect(cboEvidence, &QComboBox::currentIndexChanged, this, &EvidencePanel::ShowChosenEvidence);
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
    connect(actCopyEvidence, &QAction::triggered, this, &EvidencePanel::CopyEvidence);

    tblEvidence->verticalHeader()->setDefaultSectionSize(tblEvidence->fontMetrics().height() + 6);
    lblVerdict = Named(new QLabel(this), "lblVerdict");
    lblVerdict->setWordWrap(true);
    pbChance = Named(new EvidencePlots(this), "pbChance");
}

// Top down: the table, its sentences and its plots.
void EvidencePanel::LayOutControls()
{
    auto* sideLayout = new QVBoxLayout(this);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("How projections from earlier swings met the next swing"), this));
    sideLayout->addWidget(cboEvidence, 0, Qt::AlignLeft);
    sideLayout->addWidget(tblEvidence);
    sideLayout->addWidget(lblVerdict);
    sideLayout->addWidget(pbChance);
    sideLayout->addStretch(1);
}

// A table view copies its current cell on Ctrl+C before any shortcut sees the key; the
// trader wants the whole table.
bool EvidencePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tblEvidence && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        CopyEvidence();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void EvidencePanel::SetFiles(const QStringList& fileNames)
{
    const QSignalBlocker quiet(cboEvidence);
    cboEvidence->clear();
    cboEvidence->addItem(QStringLiteral("All %1 files pooled").arg(fileNames.size()));
    for (const QString& name : fileNames)
        cboEvidence->addItem(name);
    cboEvidence->setVisible(fileNames.size() > 1);
}

bool EvidencePanel::ReadyToMeasure()
{
    m_due = true;
    if (m_worker) {
        m_cancel->store(true);
        return false;
    }
    m_due = false;
    return true;
}

// The evidence takes longer than the swings, and the surrogate histories far longer
// still, so it is measured while the trader works with the chart.
void EvidencePanel::Measure(std::vector<std::shared_ptr<const PriceHistory>> histories, EvidenceRequest request)
{
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    request.cancel = m_cancel.get();
    lblVerdict->setText(QStringLiteral("Measuring how the projections fared..."));
    tblEvidence->setEnabled(false);
    m_worker = QThread::create([this, request, cancel = m_cancel, histories]() mutable {
        std::vector<const PriceHistory*> measured;
        for (const auto& h : histories)
            measured.push_back(h.get());
        for (const int draws : {0, DefaultDraws}) {
            request.settings.draws = draws;
            const PooledEvidence evidence = MeasureEvidence(measured, request);
            if (cancel->load())
                return;
            QMetaObject::invokeMethod(this, [this, evidence] {
                if (!m_due)   // else it measured what is no longer in force
                    ShowEvidence(evidence, QString());
            });
        }
    });
    connect(m_worker, &QThread::finished, this, [this] {
        m_worker->wait();
        delete std::exchange(m_worker, nullptr);
        if (m_due)
            emit measurementDue();   // what it measured has changed since
    });
    m_worker->start();
}

// A measurement, or why there is none.
void EvidencePanel::ShowEvidence(const PooledEvidence& evidence, const QString& problem)
{
    m_evidence = evidence;
    m_evidenceProblem = problem;
    ShowChosenEvidence();
}

const Evidence& EvidencePanel::evidence() const
{
    const int file = cboEvidence->currentIndex() - 1;
    return file >= 0 && file < int(m_evidence.files.size()) ? m_evidence.files[size_t(file)] : m_evidence.pooled;
}

// The evidence picked, in the table, its sentences and its plots. While the surrogates
// are still being drawn the sentences say so; the real swings' rows are final already.
void EvidencePanel::ShowChosenEvidence()
{
    const Evidence& shown = evidence();
    const bool drawing = m_worker && shown.settings.draws == 0 && !shown.methods.empty();
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

void EvidencePanel::CopyEvidence()
{
    QGuiApplication::clipboard()->setText(TableText(*tblEvidence));
}
