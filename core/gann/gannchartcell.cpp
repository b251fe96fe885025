#include "core/gann/gannchartcell.h"

#include <QRect>
#include <cmath>

namespace {

// The ring of a spiral number: ring k ends at (2k + 1)^2.
int RingOf(int number)
{
    int ring = 0;
    while ((2 * ring + 1) * (2 * ring + 1) < number) ++ring;
    return ring;
}

// The angle from the square's middle cell, counted in cells so the rounding of the
// drawn edges cannot tilt it.
GannCellInfo InfoFor(int cells, int column, int row, int number)
{
    const int middle = cells / 2;
    // Rows are counted downwards; angles grow counter-clockwise.
    double degrees = std::round(std::atan2(double(middle - row), double(column - middle)) * 180 / M_PI);
    if (degrees < 0) degrees += 360;
    if (degrees >= 360) degrees -= 360;
    return GannCellInfo{number, degrees, RingOf(number)};
}

} // namespace

std::optional<GannCellInfo> GannCellAt(const GannChartGeometry& chart, QPoint twips)
{
    if (chart.blank || chart.CellSize <= 0) return std::nullopt;
    if (chart.kind == GannChartKind::Band) {
        for (const GannBox& box : chart.band.boxes)
            if (QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom)).contains(twips))
                return InfoFor(chart.cells, box.column, box.row, box.number);
        return std::nullopt;
    }
    for (const GannLabel& label : chart.cellNumbers) {
        const QPoint corner(label.x - GannNumberOffsetX, label.y - GannNumberOffsetY);
        if (!QRect(corner, QSize(chart.CellSize, chart.CellSize)).contains(twips)) continue;
        return InfoFor(chart.cells, (corner.x() - chart.SquareLeft) / chart.CellSize,
                       (corner.y() - chart.SquareTop) / chart.CellSize, label.text.trimmed().toInt());
    }
    return std::nullopt;
}

QString GannCellText(const GannCellInfo& cell)
{
    return QStringLiteral("Number %1 \u00b7 angle %2\u00b0 \u00b7 ring %3")
        .arg(cell.number)
        .arg(cell.angleDegrees)
        .arg(cell.ring);
}
