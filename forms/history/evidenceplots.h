#pragma once
#include "core/history/evidence.h"

#include <QWidget>

// The evidence against chance, drawn: for every method, a small plot for its price
// error and one for its days off, each the surrogate histories' medians as a histogram
// with the real history's median as a red line across it. The surrogates left of the
// line did at least as well as the real swings; the fewer they are, the smaller the
// p-value written beside the plot, and a line far to the left of the whole histogram
// is what beating chance looks like.
class EvidencePlots : public QWidget {
    Q_OBJECT
public:
    explicit EvidencePlots(QWidget* parent = nullptr);

    void setEvidence(const Evidence& evidence);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawPlot(QPainter& p, const QRectF& box, const QString& title, const MeasureAgainstChance& measure) const;

    Evidence m_evidence;
};
