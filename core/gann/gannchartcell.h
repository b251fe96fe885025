#pragma once
#include "core/gann/gannchartgeometry.h"

#include <QPoint>
#include <QString>
#include <optional>

// What a trader reads off one cell of the drawn Square of Nine: its number, where it
// lies round the square (degrees counter-clockwise from the right, as the wheel's
// spokes are measured) and its ring (1 for 2 to 9, 2 for 10 to 25, ...).
struct GannCellInfo {
    int number = 0;
    double angleDegrees = 0;
    int ring = 0;
};

// The cell under a point of the chart (twips on the chart box) that carries a
// number: every cell of a full square, the marked cells of a band chart.
std::optional<GannCellInfo> GannCellAt(const GannChartGeometry& chart, QPoint twips);

// "Number 121 · angle 315° · ring 5".
QString GannCellText(const GannCellInfo& cell);
