#include "forms/history/pricechart.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double MinSpanDays = 5;      // the closest zoom: a trading week across the chart
constexpr double EdgeShare = 0.01;     // room beside the first and last bar in the whole view
constexpr double ZoomStep = 1.25;      // one wheel notch or one + / -
constexpr double MarkerGap = 3;        // between a wick's end and its swing's marker
constexpr double MarkerBucket = 12;    // pixels that share one high and one low marker
constexpr double PickRadius = 10;      // how near a click must come to a marker
constexpr int RightMargin = 10;
constexpr int DragThreshold = 4;       // a press that moves less is a click

// The price a swing is on (its bar's high or low, or its close, as the swing rule read
// it), which its label shows and the line joining the swings runs through.
double SwingPrice(const Swing& s) { return s.price; }

// The end of the bar a marker sits beyond: above a high's wick, below a low's, so the
// marker never covers the candle; on a line of closes, the close.
double MarkerAnchor(const PriceBar& bar, bool high, BarShape shape)
{
    if (shape == BarShape::Closes)
        return bar.close;
    return high ? bar.high : bar.low;
}

}  // namespace

double PriceChart::Frame::y(double price) const
{
    double low = prices.low, high = prices.high, v = price;
    if (logarithmic) {
        low = std::log(low);
        high = std::log(high);
        v = price > 0 ? std::log(price) : low - (high - low);
    }
    return plot.top() + (high - v) / (high - low) * plot.height();
}

PriceChart::PriceChart(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 160);
}

void PriceChart::setBars(ChartBars bars)
{
    m_bars = std::move(bars);
    m_swings.clear();
    m_selection.clear();
    m_priceLevels.clear();
    m_dateLevels.clear();
    m_axisWidth = 0;
    showAll();
}

void PriceChart::setSwings(std::vector<Swing> swings)
{
    m_swings = std::move(swings);
    m_selection.clear();
    invalidate();
}

void PriceChart::setSelection(std::vector<int> swingIndexes)
{
    m_selection = std::move(swingIndexes);
    invalidate();
}

void PriceChart::setLevels(std::vector<ChartLevel> prices, std::vector<ChartLevel> dates)
{
    m_priceLevels = std::move(prices);
    m_dateLevels = std::move(dates);
    setView(m_firstDay, m_lastDay);   // the dates may have moved the whole history's end
}

void PriceChart::setLogarithmic(bool on)
{
    m_logarithmic = on;
    m_axisWidth = 0;
    invalidate();
}

// The history and its projected dates, with a little room at either end.
std::pair<double, double> PriceChart::wholeSpan() const
{
    if (m_bars.size() == 0)
        return {0, MinSpanDays};
    double first = double(m_bars.julianDay(0)), last = double(m_bars.julianDay(m_bars.size() - 1)) + 1;
    for (const ChartLevel& level : m_dateLevels)
        last = std::max(last, double(level.date.toJulianDay()) + 1);
    if (last - first < MinSpanDays) {
        const double middle = (first + last) / 2;
        first = middle - MinSpanDays / 2;
        last = middle + MinSpanDays / 2;
    }
    const double edge = (last - first) * EdgeShare;
    return {first - edge, last + edge};
}

void PriceChart::setView(double firstDay, double lastDay)
{
    const auto [wholeFirst, wholeLast] = wholeSpan();
    const double whole = wholeLast - wholeFirst;
    const double span = std::clamp(lastDay - firstDay, std::min(MinSpanDays, whole), whole);
    const double first = std::clamp(firstDay, wholeFirst, wholeLast - span);
    if (first == m_firstDay && first + span == m_lastDay && m_frame)
        return;
    m_firstDay = first;
    m_lastDay = first + span;
    invalidate();
    emit viewChanged();
}

void PriceChart::zoom(double factor, double plotX)
{
    const TimeWindow& t = frame().time;
    const double day = t.dayAt(plotX);
    const double span = (m_lastDay - m_firstDay) / factor;
    const double first = day - plotX / t.width * span;
    setView(first, first + span);
}

void PriceChart::pan(double pixels)
{
    const double days = pixels / frame().time.pixelsPerDay();
    setView(m_firstDay + days, m_lastDay + days);
}

void PriceChart::showAll()
{
    const auto [first, last] = wholeSpan();
    setView(first, last);
}

void PriceChart::invalidate()
{
    m_frame.reset();
    update();
}

const PriceChart::Frame& PriceChart::frame() const
{
    if (!m_frame)
        m_frame = computeFrame();
    return *m_frame;
}

PriceChart::Frame PriceChart::computeFrame() const
{
    Frame f;
    f.logarithmic = m_logarithmic;
    const QFontMetricsF metrics(font());
    const int textHeight = int(std::ceil(metrics.height()));
    // Room above for the names of projected dates, below for the dates.
    const int top = textHeight + 6, bottom = textHeight + 8;
    // The axis labels' width decides where the plot starts, and the plot's width which
    // prices are in view: a second pass settles it when the labels grew.
    for (int pass = 0; pass < 2; ++pass) {
        f.plot = QRect(std::max(m_axisWidth, 30) + 10, top, 0, std::max(1, height() - top - bottom));
        f.plot.setRight(std::max(f.plot.left() + 1, width() - RightMargin));
        f.time = {m_firstDay, m_lastDay, f.plot.width()};
        placePriceAxis(f);
        double widest = 0;
        for (const AxisTick& t : f.priceTicks)
            widest = std::max(widest, textWidth(t.text));
        if (widest <= m_axisWidth)
            break;
        m_axisWidth = int(std::ceil(widest));
    }
    if (m_bars.size() == 0)
        return f;
    f.columns = m_bars.columns(f.time);
    f.dateTicks = DateTicks(f.time, [this](const QString& s) { return textWidth(s); }, 16);
    placeMarkers(f);
    labelMarkers(f);
    return f;
}

// The axis fits the prices in view, with room above and below for the swings' markers
// and labels; with no bar in view (the projected dates beyond the last one), the whole
// history's prices.
void PriceChart::placePriceAxis(Frame& f) const
{
    if (m_bars.size() == 0) {
        f.prices.add(0, 1);
        return;
    }
    const auto [first, end] = m_bars.visibleBars(f.time);
    PriceSpan seen = m_bars.span(first, end);
    if (seen.empty())
        seen = m_bars.span(0, m_bars.size());
    const double room = MarkerGap + MarkerSize + QFontMetricsF(font()).height() + 4;
    f.prices = PriceAxisRange(seen, m_logarithmic, std::min(0.3, room / f.plot.height()));
    f.priceTicks = m_logarithmic ? LogPriceTicks(f.prices.low, f.prices.high)
                                 : PriceTicks(f.prices.low, f.prices.high);
}

// One high and one low marker for every few pixels, the most extreme of each; the
// chosen swings always.
void PriceChart::placeMarkers(Frame& f) const
{
    const auto [firstBar, endBar] = m_bars.visibleBars(f.time);
    const auto byBar = [](const Swing& s, int bar) { return s.bar < bar; };
    const int first = int(std::lower_bound(m_swings.begin(), m_swings.end(), firstBar, byBar) - m_swings.begin());
    const int end = int(std::lower_bound(m_swings.begin(), m_swings.end(), endBar, byBar) - m_swings.begin());

    const auto& bars = m_bars.history()->bars;
    const auto markerAt = [&](int i) {
        const Swing& s = m_swings[size_t(i)];
        const bool high = s.kind == SwingKind::High;
        const double anchor = f.y(MarkerAnchor(bars[size_t(s.bar)], high, m_bars.shape()));
        const double offset = MarkerGap + MarkerSize / 2;
        return Marker{i, QPointF(f.x(m_bars.julianDay(s.bar)), high ? anchor - offset : anchor + offset), high, {}};
    };
    int bucket = 0, bestHigh = -1, bestLow = -1;
    const auto flush = [&] {
        for (const int i : {bestHigh, bestLow}) {
            if (i >= 0)
                f.markers.push_back(markerAt(i));
        }
        bestHigh = bestLow = -1;
    };
    for (int i = first; i < end; ++i) {
        const Swing& s = m_swings[size_t(i)];
        const int b = int(std::floor((f.x(m_bars.julianDay(s.bar)) - f.plot.left()) / MarkerBucket));
        if (i == first || b != bucket)
            flush();
        bucket = b;
        const double anchor = MarkerAnchor(bars[size_t(s.bar)], s.kind == SwingKind::High, m_bars.shape());
        int& best = s.kind == SwingKind::High ? bestHigh : bestLow;
        const bool better = best < 0 || (s.kind == SwingKind::High
            ? anchor > MarkerAnchor(bars[size_t(m_swings[size_t(best)].bar)], true, m_bars.shape())
            : anchor < MarkerAnchor(bars[size_t(m_swings[size_t(best)].bar)], false, m_bars.shape()));
        if (better)
            best = i;
    }
    flush();
    for (const int chosen : m_selection) {
        const bool drawn = std::any_of(f.markers.begin(), f.markers.end(),
                                       [chosen](const Marker& m) { return m.swing == chosen; });
        if (!drawn && chosen >= first && chosen < end)
            f.markers.push_back(markerAt(chosen));
    }
    joinSwings(f, first, end);
}

// The line joins the swings that have a marker, in their order, and runs on to the
// nearest swing beyond each edge: where the swings are too dense to mark one by one,
// a line through every one of them would bury the prices as surely as the markers.
void PriceChart::joinSwings(Frame& f, int first, int end) const
{
    std::vector<int> joined;
    for (const Marker& m : f.markers)
        joined.push_back(m.swing);
    if (first > 0)
        joined.push_back(first - 1);
    if (end < int(m_swings.size()))
        joined.push_back(end);
    std::sort(joined.begin(), joined.end());
    joined.erase(std::unique(joined.begin(), joined.end()), joined.end());
    for (const int i : joined) {
        const Swing& s = m_swings[size_t(i)];
        f.swingLine.emplace_back(f.x(m_bars.julianDay(s.bar)), f.y(SwingPrice(s)));
    }
    // The swings beyond the edges may lie thousands of pixels away: the line stops at the
    // edge, or drawing it would cost as if all of it were shown.
    const auto cut = [](QPointF& outside, const QPointF& inside, double x) {
        const double share = (x - inside.x()) / (outside.x() - inside.x());
        outside = inside + (outside - inside) * share;
    };
    const size_t n = f.swingLine.size();
    if (n >= 2 && f.swingLine[0].x() < f.plot.left())
        cut(f.swingLine[0], f.swingLine[1], f.plot.left() - 1);
    if (n >= 2 && f.swingLine[n - 1].x() > f.plot.right())
        cut(f.swingLine[n - 1], f.swingLine[n - 2], f.plot.right() + 1);
}

// Each marker's price beside it (above a high, below a low) where it touches no marker
// and no label already placed; the chosen swings are labelled first, then left to right.
void PriceChart::labelMarkers(Frame& f) const
{
    const QFontMetricsF metrics(font());
    std::vector<QRectF> taken;
    for (const Marker& m : f.markers)
        taken.emplace_back(m.at.x() - MarkerSize / 2, m.at.y() - MarkerSize / 2, MarkerSize, MarkerSize);
    const auto chosen = [this](const Marker& m) {
        return std::find(m_selection.begin(), m_selection.end(), m.swing) != m_selection.end();
    };
    std::vector<Marker*> order;
    for (Marker& m : f.markers)
        order.push_back(&m);
    std::stable_sort(order.begin(), order.end(), [&](const Marker* a, const Marker* b) {
        return chosen(*a) != chosen(*b) ? chosen(*a) : a->at.x() < b->at.x();
    });
    for (Marker* m : order) {
        const QString text = PriceText(SwingPrice(m_swings[size_t(m->swing)]));
        const double w = textWidth(text), h = metrics.height();
        const double y = m->high ? m->at.y() - MarkerSize / 2 - 2 - h : m->at.y() + MarkerSize / 2 + 2;
        const QRectF r(m->at.x() - w / 2, y, w, h);
        const QRectF spaced = r.adjusted(-LabelGap / 2, 0, LabelGap / 2, 0);
        if (!QRectF(f.plot).contains(r)
            || std::any_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(spaced); }))
            continue;
        taken.push_back(r);
        m->label = text;
        m->labelBox = r;
    }
}


// A label's width as the sum of its characters' advances: labels are digits, Latin
// letters and signs, which fonts do not kern, and measuring each label whole would lay
// it out anew on every frame.
double PriceChart::textWidth(const QString& text) const
{
    if (!m_charWidthsFor || *m_charWidthsFor != font()) {
        const QFontMetricsF metrics(font());
        for (size_t c = 0; c < m_charWidths.size(); ++c)
            m_charWidths[c] = metrics.horizontalAdvance(QChar(char16_t(c)));
        m_charWidthsFor = font();
    }
    double width = 0;
    for (const QChar c : text)
        width += c.unicode() < m_charWidths.size() ? m_charWidths[c.unicode()] : QFontMetricsF(font()).horizontalAdvance(c);
    return width;
}

std::optional<int> PriceChart::swingAt(const QPointF& at) const
{
    std::optional<int> best;
    double bestDistance = PickRadius;
    for (const Marker& m : frame().markers) {
        const double d = QLineF(m.at, at).length();
        if (d <= bestDistance) {
            bestDistance = d;
            best = m.swing;
        }
    }
    return best;
}

// ---- The trader's hand ------------------------------------------------------

void PriceChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    invalidate();
}

void PriceChart::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta != 0)
        zoom(std::pow(ZoomStep, delta / 120.0), event->position().x() - frame().plot.left());
    event->accept();
}

void PriceChart::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = m_lastAt = event->position();
    m_dragging = event->button() == Qt::LeftButton;
    if (m_dragging)
        setFocus(Qt::MouseFocusReason);
    event->accept();
}

void PriceChart::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        setCursor(swingAt(event->position()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
        return;
    }
    if ((event->position() - m_pressAt).manhattanLength() < DragThreshold)
        return;
    setCursor(Qt::ClosedHandCursor);
    pan(m_lastAt.x() - event->position().x());
    m_lastAt = event->position();
}

void PriceChart::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_dragging && (event->position() - m_pressAt).manhattanLength() < DragThreshold;
    m_dragging = false;
    setCursor(Qt::ArrowCursor);
    if (click) {
        if (const std::optional<int> swing = swingAt(event->position()))
            emit swingClicked(*swing);
    }
}

void PriceChart::keyPressEvent(QKeyEvent* event)
{
    const double middle = frame().plot.width() / 2.0, tenth = frame().plot.width() / 10.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoom(ZoomStep, middle); break;
    case Qt::Key_Minus: zoom(1 / ZoomStep, middle); break;
    case Qt::Key_Left: pan(-tenth); break;
    case Qt::Key_Right: pan(tenth); break;
    case Qt::Key_Home: showAll(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}
