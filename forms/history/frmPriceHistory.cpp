#include "forms/history/frmPriceHistory.h"

#include "forms/gann/core/ganncalc.h"
#include "forms/shell/settings.h"
#include "modules/dates.h"
#include "modules/numbers.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/shortcuts.h"

#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

const QString PriceHistoryFilter = QStringLiteral("Price History (CSV)| *.csv");
constexpr int LoadBlinkMs = 150;    // a load that takes longer shows the progress bar
constexpr int PickRadiusPx = 10;    // how near a click must come to a swing's marker

qreal AxisTime(const QDate& date) { return qreal(date.startOfDay().toMSecsSinceEpoch()); }

// The price chart: the wheel zooms around the pointer, dragging pans, a click without
// a drag picks the nearest swing marker; + / - zoom, the arrows pan, Home shows all.
class HistoryChartView : public QChartView {
public:
    explicit HistoryChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent)
    {
        setRenderHint(QPainter::Antialiasing);
        setFocusPolicy(Qt::StrongFocus);
    }
    std::function<void(const QPointF&)> onClick;

protected:
    void wheelEvent(QWheelEvent* e) override
    {
        zoomAround(e->position(), e->angleDelta().y() > 0 ? 1.25 : 0.8);
        e->accept();
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        m_pressAt = m_lastAt = e->position();
        m_dragging = e->button() == Qt::LeftButton;
        e->accept();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!m_dragging)
            return;
        const QPointF step = e->position() - m_lastAt;
        chart()->scroll(-step.x(), step.y());
        m_lastAt = e->position();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const bool click = m_dragging && (e->position() - m_pressAt).manhattanLength() < 4;
        m_dragging = false;
        if (click && onClick)
            onClick(e->position());
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const QRectF area = chart()->plotArea();
        switch (e->key()) {
        case Qt::Key_Plus: zoomAround(area.center(), 1.25); break;
        case Qt::Key_Minus: zoomAround(area.center(), 0.8); break;
        case Qt::Key_Left: chart()->scroll(-area.width() / 10, 0); break;
        case Qt::Key_Right: chart()->scroll(area.width() / 10, 0); break;
        case Qt::Key_Up: chart()->scroll(0, area.height() / 10); break;
        case Qt::Key_Down: chart()->scroll(0, -area.height() / 10); break;
        case Qt::Key_Home: chart()->zoomReset(); break;
        default: QChartView::keyPressEvent(e);
        }
    }

private:
    // Zooms the time axis only: prices keep their whole range in view.
    void zoomAround(const QPointF& at, double factor)
    {
        const QRectF area = chart()->plotArea();
        const double width = area.width() / factor;
        const double left = at.x() - (at.x() - area.left()) / factor;
        chart()->zoomIn(QRectF(left, area.top(), width, area.height()));
    }

    QPointF m_pressAt, m_lastAt;
    bool m_dragging = false;
};

QLineSeries* DashedLine(const QColor& color)
{
    auto* line = new QLineSeries();
    QPen pen(color);
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.2);
    line->setPen(pen);
    return line;
}

QScatterSeries* Markers(const QString& name, const QColor& color, QScatterSeries::MarkerShape shape, qreal size)
{
    auto* s = new QScatterSeries();
    s->setName(name);
    s->setColor(color);
    s->setBorderColor(color.darker());
    s->setMarkerShape(shape);
    s->setMarkerSize(size);
    return s;
}

}  // namespace

frmPriceHistory::frmPriceHistory(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPriceHistory"));
    setWindowTitle(QStringLiteral("Price History"));
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    AddProgramShortcuts(this);
    // Roomy on a large screen, never larger than a small one.
    const QSize screen = platform().screenSize();
    resize(std::min(1180, screen.width()), std::min(720, screen.height() - 40));
}

void frmPriceHistory::CreateControls()
{
    cmdOpen = Named(new QPushButton(QStringLiteral("&Open..."), this), "cmdOpen");
    lblFile = Named(new QLabel(QStringLiteral("Open a CSV file of daily prices (Date and Close columns)."), this),
                    "lblFile");
    spnThreshold = Named(new QDoubleSpinBox(this), "spnThreshold");
    spnThreshold->setRange(0.5, 50);
    spnThreshold->setSingleStep(0.5);
    spnThreshold->setDecimals(1);
    spnThreshold->setSuffix(QStringLiteral(" %"));
    spnThreshold->setValue(DefaultSwingThreshold);
    cboScale = Named(new QComboBox(this), "cboScale");
    cboScale->addItem(QStringLiteral("auto"));
    for (int k = -6; k <= 6; ++k)
        cboScale->addItem(PriceScale{k}.text(), k);
    CreateChart();
    CreateEvidenceControls();
    LayOutControls();

    connect(cmdOpen, &QPushButton::clicked, this, &frmPriceHistory::cmdOpen_Click);
    connect(spnThreshold, &QDoubleSpinBox::valueChanged, this, [this] { FindSwingsAgain(); });
    connect(cboScale, &QComboBox::currentIndexChanged, this, [this] { FindSwingsAgain(); });
}

void frmPriceHistory::CreateChart()
{
    m_chart = new QChart();
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_dateAxis = new QDateTimeAxis();
    m_dateAxis->setFormat(QStringLiteral("MM/yyyy"));
    m_priceAxis = new QValueAxis();
    m_priceAxis->setLabelFormat(QStringLiteral("%.6g"));
    m_priceAxis->setTickCount(9);
    m_chart->addAxis(m_dateAxis, Qt::AlignBottom);
    m_chart->addAxis(m_priceAxis, Qt::AlignLeft);
    auto* view = Named(new HistoryChartView(m_chart, this), "chvPrices");
    view->onClick = [this](const QPointF& at) {
        if (const std::optional<int> swing = SwingNear(at))
            SelectSwing(*swing);
    };
    chvPrices = view;
}

std::optional<int> frmPriceHistory::SwingNear(const QPointF& at) const
{
    std::optional<int> best;
    double bestDistance = PickRadiusPx;
    for (int i = 0; i < int(m_swings.size()); ++i) {
        const QPointF p = m_chart->mapToPosition(QPointF(AxisTime(m_swings[i].date), m_swings[i].price));
        const double d = QLineF(p, at).length();
        if (d <= bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
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
    tblEvidence = Named(new QTableWidget(this), "tblEvidence");
    const QStringList measures = EvidenceMeasures(EvidenceTables(Evidence{}));
    tblEvidence->setRowCount(measures.size());
    tblEvidence->setVerticalHeaderLabels(measures);
    tblEvidence->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblEvidence->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblEvidence->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    tblEvidence->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lblVerdict = Named(new QLabel(this), "lblVerdict");
    lblVerdict->setWordWrap(true);
    lblProjection = Named(new QLabel(QStringLiteral("Click a swing to project the Square of Nine from it; "
                                                    "click a second to project Fibonacci from the two."),
                                     this),
                          "lblProjection");
    lblProjection->setWordWrap(true);
    prgLoad = Named(new QProgressBar(this), "prgLoad");
    prgLoad->setRange(0, 0);
    prgLoad->hide();
}

// The file and the two settings in a row on top; the chart beside the evidence, which
// keeps its own width as the window grows; the projection's line and the progress bar
// below.
void frmPriceHistory::LayOutControls()
{
    auto* top = new QHBoxLayout();
    top->addWidget(cmdOpen);
    top->addWidget(lblFile, 1);
    auto* lblThreshold = new QLabel(QStringLiteral("Swing &threshold:"), this);
    top->addWidget(lblThreshold);
    top->addWidget(spnThreshold);
    auto* lblScale = new QLabel(QStringLiteral("Gann price &scale:"), this);
    top->addWidget(lblScale);
    top->addWidget(cboScale);
    lblThreshold->setBuddy(spnThreshold);
    lblScale->setBuddy(cboScale);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("How projections from earlier swings met the next swing"), side));
    sideLayout->addWidget(tblEvidence);
    sideLayout->addWidget(lblVerdict);
    sideLayout->addStretch(1);
    auto* split = new QSplitter(this);
    split->addWidget(chvPrices);
    split->addWidget(side);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setSizes({760, 400});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(lblProjection);
    layout->addWidget(prgLoad);
}

void frmPriceHistory::closeEvent(QCloseEvent* event)
{
    // The load runs in a nested event loop; the window must outlive it.
    if (m_loading)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void frmPriceHistory::cmdOpen_Click()
{
    const std::optional<QString> path = platform().openFileName(PriceHistoryFilter, QString());
    if (path)
        LoadFile(*path);
}

bool frmPriceHistory::LoadFile(const QString& path)
{
    // Reading runs on a worker thread while this thread keeps painting; the progress
    // bar appears only for a load that outlasts a blink.
    m_loading = true;
    cmdOpen->setEnabled(false);
    PriceHistoryRead read;
    std::unique_ptr<QThread> worker(QThread::create([&read, path] { read = LoadPriceHistoryFile(path); }));
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
    m_loading = false;

    if (!read.history) {
        ShowProblem(read.problem);
        return false;
    }
    ShowHistory(std::move(*read.history));
    return true;
}

void frmPriceHistory::ShowProblem(const QString& text)
{
    platform().messageBox(text, ProgramTitle, MsgButtons::Ok, MsgIcon::Critical);
}

void frmPriceHistory::ShowHistory(PriceHistory history)
{
    m_history = std::move(history);
    const PriceHistory& h = *m_history;
    lblFile->setText(QStringLiteral("%1: %2 closes from %3 to %4")
                         .arg(h.fileName).arg(h.bars.size())
                         .arg(FormatShortDate(h.bars.front().date), FormatShortDate(h.bars.back().date)));
    DrawPrices();
    FindSwingsAgain();
}

PriceScaleChoice frmPriceHistory::ScaleChoice() const
{
    const QVariant power = cboScale->currentData();
    return power.isValid() ? PriceScaleChoice{false, power.toInt()} : PriceScaleChoice{};
}

void frmPriceHistory::DrawPrices()
{
    m_chart->removeAllSeries();
    m_levelLines.clear();
    m_highs = m_lows = m_selected = nullptr;
    const PriceHistory& h = *m_history;
    QAbstractSeries* prices;
    if (h.hasCandles()) {
        auto* candles = new QCandlestickSeries();
        candles->setIncreasingColor(QColor(0x2e, 0x8b, 0x57));
        candles->setDecreasingColor(QColor(0xc0, 0x39, 0x2b));
        for (const PriceBar& b : h.bars)
            candles->append(new QCandlestickSet(b.open, b.high, b.low, b.close, AxisTime(b.date)));
        prices = candles;
    } else {
        auto* line = new QLineSeries();
        QList<QPointF> points;
        points.reserve(int(h.bars.size()));
        for (const PriceBar& b : h.bars)
            points.append(QPointF(AxisTime(b.date), b.close));
        line->replace(points);
        prices = line;
    }
    prices->setName(QStringLiteral("Close"));
    m_chart->addSeries(prices);
    prices->attachAxis(m_dateAxis);
    prices->attachAxis(m_priceAxis);
}

void frmPriceHistory::FindSwingsAgain()
{
    if (!m_history)
        return;
    m_swings = FindSwings(*m_history, spnThreshold->value());
    m_selection.clear();
    m_levelPrices.clear();
    m_levelDates.clear();
    DrawLevels();
    DrawSwingMarkers();
    ShowEvidence();
}

void frmPriceHistory::DrawSwingMarkers()
{
    for (QScatterSeries* s : {m_highs, m_lows, m_selected}) {
        if (s) {
            m_chart->removeSeries(s);
            delete s;
        }
    }
    m_highs = Markers(QStringLiteral("Swing high"), QColor(0xd3, 0x54, 0x00), QScatterSeries::MarkerShapeTriangle, 11);
    m_lows = Markers(QStringLiteral("Swing low"), QColor(0x1f, 0x77, 0xb4), QScatterSeries::MarkerShapeRectangle, 9);
    m_selected = Markers(QStringLiteral("Chosen"), QColor(0xff, 0xd7, 0x00), QScatterSeries::MarkerShapeCircle, 15);
    for (const Swing& s : m_swings)
        (s.kind == SwingKind::High ? m_highs : m_lows)->append(AxisTime(s.date), s.price);
    for (const int i : m_selection)
        m_selected->append(AxisTime(m_swings[i].date), m_swings[i].price);
    for (QScatterSeries* s : {m_selected, m_highs, m_lows}) {
        m_chart->addSeries(s);
        s->attachAxis(m_dateAxis);
        s->attachAxis(m_priceAxis);
    }
}

void frmPriceHistory::DrawLevels()
{
    for (QAbstractSeries* s : m_levelLines) {
        m_chart->removeSeries(s);
        delete s;
    }
    m_levelLines.clear();
    const PriceHistory& h = *m_history;
    QDate first = h.bars.front().date, last = h.bars.back().date;
    double low = h.bars.front().close, high = low;
    for (const PriceBar& b : h.bars) {
        low = std::min({low, b.close, b.hasCandle() ? b.low : b.close});
        high = std::max({high, b.close, b.hasCandle() ? b.high : b.close});
    }
    for (const QDate& d : m_levelDates)
        last = std::max(last, d);
    for (const double p : m_levelPrices) {
        low = std::min(low, p);
        high = std::max(high, p);
    }
    const double margin = (high - low) * 0.05;
    m_priceAxis->setRange(std::max(0.0, low - margin), high + margin);
    m_priceAxis->applyNiceNumbers();
    m_dateAxis->setRange(first.startOfDay(), last.startOfDay());
    // About one date label per 110 pixels. Setting the count also makes Qt Charts lay
    // the date labels out again, which a new range alone does not after a new series.
    const int ticks = std::clamp(int(m_chart->plotArea().width()) / 110, 3, 12);
    m_dateAxis->setTickCount(ticks == m_dateAxis->tickCount() ? ticks + 1 : ticks);

    const auto add = [this](QLineSeries* line, const QString& name) {
        line->setName(name);
        m_chart->addSeries(line);
        line->attachAxis(m_dateAxis);
        line->attachAxis(m_priceAxis);
        m_levelLines.push_back(line);
    };
    for (const double p : m_levelPrices) {
        QLineSeries* line = DashedLine(QColor(0x6a, 0x1b, 0x9a));
        line->append(AxisTime(first), p);
        line->append(AxisTime(last), p);
        add(line, m_levelLines.empty() ? QStringLiteral("Projected prices") : QString());
    }
    const size_t priceLines = m_levelLines.size();
    for (const QDate& d : m_levelDates) {
        QLineSeries* line = DashedLine(QColor(0x00, 0x89, 0x7b));
        line->append(AxisTime(d), m_priceAxis->min());
        line->append(AxisTime(d), m_priceAxis->max());
        add(line, m_levelLines.size() == priceLines ? QStringLiteral("Projected dates") : QString());
    }
    // Only the first line of each kind has a legend entry.
    for (QLegendMarker* marker : m_chart->legend()->markers())
        marker->setVisible(!marker->label().isEmpty());
}

void frmPriceHistory::ShowEvidence()
{
    tblEvidence->setColumnCount(0);
    QString problem;
    const std::optional<HistoryRatios> ratios = HistoryRatios::fromFibRatios(CurrentRatios(), &problem);
    if (!ratios) {
        m_evidence = Evidence{};
        lblVerdict->setText(QStringLiteral("The Fibonacci ratios cannot be measured: %1.").arg(problem));
        return;
    }
    EvidenceRequest request;
    request.ratios = *ratios;
    request.scale = ScaleChoice();
    request.today = platform().today();
    // A thousand surrogate histories take a second or more on a long file, too long to
    // wait for on every change of the threshold: the window measures the real swings.
    request.settings.draws = 0;
    const double threshold = spnThreshold->value();
    request.swingRule = [threshold](const PriceHistory& h) { return FindSwings(h, threshold); };
    m_evidence = MeasureEvidence({&*m_history}, request).pooled;
    // Each method's price cells, then its time cells without the count again.
    const std::vector<EvidenceTable> tables = EvidenceTables(m_evidence);
    tblEvidence->setColumnCount(int(m_evidence.methods.size()));
    QStringList names;
    for (int c = 0; c < int(m_evidence.methods.size()); ++c) {
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
    lblVerdict->setText(EvidenceVerdicts(m_evidence).join(QLatin1Char('\n')));
}

void frmPriceHistory::SelectSwing(int index)
{
    if (index < 0 || index >= int(m_swings.size()))
        return;
    // A third click starts a new choice; clicking the chosen swing again keeps it alone.
    if (m_selection.size() == 2 || (m_selection.size() == 1 && m_selection.front() == index))
        m_selection.clear();
    m_selection.push_back(index);
    if (m_selection.size() == 1) {
        ProjectGannFrom(m_swings[index]);
    } else {
        std::sort(m_selection.begin(), m_selection.end());
        ProjectFibonacciFrom(m_swings[m_selection[0]], m_swings[m_selection[1]]);
    }
    DrawLevels();
    DrawSwingMarkers();
}

void frmPriceHistory::ProjectGannFrom(const Swing& swing)
{
    const PriceScale scale = ScaleForPrice(ScaleChoice(), swing.price);
    auto state = std::make_unique<GannState>();
    LoadGannState(*state, Layout::Large, platform().today(), 0);
    GannProjection g;
    m_levelPrices.clear();
    m_levelDates.clear();
    if (const std::optional<QString> m = ProjectGann(swing, scale, platform().today(), Layout::Large, *state, g)) {
        lblProjection->setText(*m);
        return;
    }
    m_levelPrices = g.highs;
    m_levelPrices.insert(m_levelPrices.end(), g.lows.begin(), g.lows.end());
    m_levelDates = g.dates;
    const QString onSquare = PriceBoxText(g.squarePrice);
    lblProjection->setText(QStringLiteral("Square of Nine from %1 %2: on the square as %3 (x %4); levels mapped back.")
                               .arg(FormatShortDate(swing.date), GeneralNumber(swing.price), onSquare, scale.text()));
    emit GannRequested(onSquare, swing.date);
}

void frmPriceHistory::ProjectFibonacciFrom(const Swing& older, const Swing& newer)
{
    FibonacciState state;
    m_levelPrices.clear();
    m_levelDates.clear();
    if (const std::optional<QString> m = ProjectFibonacci(older, newer, platform().today(), CurrentRatios(), state)) {
        lblProjection->setText(*m);
        return;
    }
    m_levelPrices.assign(state.PotentialPrice.begin() + 1, state.PotentialPrice.begin() + 4);
    m_levelDates.assign(state.PotentialDate.begin() + 1, state.PotentialDate.begin() + 1 + state.DateLevelCount);
    lblProjection->setText(QStringLiteral("Fibonacci from %1 %2 to %3 %4.")
                               .arg(FormatShortDate(older.date), GeneralNumber(older.price),
                                    FormatShortDate(newer.date), GeneralNumber(newer.price)));
    emit FibonacciRequested(older.price, older.date, newer.price, newer.date);
}
