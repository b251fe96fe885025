#include "forms/history/evidenceplots.h"

#include "core/history/chartaxes.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int PlotHeight = 52;
constexpr int Bins = 24;
const QColor SurrogateColor(0xb0, 0xbe, 0xc5);
const QColor RealColor(0xc6, 0x28, 0x28);

}  // namespace

EvidencePlots::EvidencePlots(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void EvidencePlots::setEvidence(const Evidence& evidence)
{
    m_evidence = evidence;
    updateGeometry();
    update();
}

QSize EvidencePlots::sizeHint() const
{
    return QSize(360, int(std::max<size_t>(m_evidence.methods.size(), 1)) * PlotHeight);
}

void EvidencePlots::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const double half = width() / 2.0;
    for (size_t row = 0; row < m_evidence.methods.size(); ++row) {
        const MethodEvidence& m = m_evidence.methods[row];
        const double top = double(row) * PlotHeight;
        const QString name = MethodName(m.method);
        drawPlot(p, QRectF(0, top, half - 6, PlotHeight - 4), name + QStringLiteral(", price"), m.price);
        drawPlot(p, QRectF(half + 6, top, half - 6, PlotHeight - 4), name + QStringLiteral(", days"), m.days);
    }
}

// The title and the p-value on top; below, the histogram over the range of the
// surrogates' medians and the real one.
void EvidencePlots::drawPlot(QPainter& p, const QRectF& box, const QString& title,
                             const MeasureAgainstChance& measure) const
{
    const QFontMetricsF metrics(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QRectF caption(box.left(), box.top(), box.width(), metrics.height());
    p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title);
    if (measure.pValue)
        p.drawText(caption, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("p %1").arg(*measure.pValue, 0, 'f', 3));
    const QRectF area(box.left(), caption.bottom() + 2, box.width(), box.bottom() - caption.bottom() - 2);
    p.fillRect(area, palette().color(QPalette::Base));
    if (measure.nullMedians.empty() || std::isnan(measure.median)) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(area, Qt::AlignCenter, QStringLiteral("no surrogates"));
        return;
    }
    const auto [least, most] = std::minmax_element(measure.nullMedians.begin(), measure.nullMedians.end());
    double low = std::min(*least, measure.median), high = std::max(*most, measure.median);
    const double spare = high > low ? (high - low) * 0.04 : std::max(std::abs(high) * 0.04, 0.01);
    low -= spare;
    high += spare;
    const std::vector<int> counts = HistogramCounts(measure.nullMedians, low, high, Bins);
    const int tallest = *std::max_element(counts.begin(), counts.end());
    const double barWidth = area.width() / Bins;
    for (int b = 0; b < Bins; ++b) {
        const double h = area.height() * counts[size_t(b)] / std::max(tallest, 1);
        p.fillRect(QRectF(area.left() + b * barWidth, area.bottom() - h, barWidth - 1, h), SurrogateColor);
    }
    const double x = area.left() + (measure.median - low) / (high - low) * area.width();
    p.fillRect(QRectF(std::round(x) - 1, area.top(), 2, area.height()), RealColor);
}
