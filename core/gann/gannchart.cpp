#include "core/gann/gannchart.h"

#include "core/drawing/picturesurface.h"

namespace {

void DrawLabel(PictureSurface& surface, const GannLabel& label)
{
    surface.setForeColor(label.color);
    surface.setFont(GannChartFontName, label.points);
    surface.setCurrentX(label.x);
    surface.setCurrentY(label.y);
    surface.print(label.text);
}

void DrawBox(PictureSurface& surface, const GannBox& box)
{
    surface.filledBox(box.left, box.top, box.right, box.bottom, box.color);
}

}  // namespace

void DrawRingOutlines(PictureSurface& surface, const std::vector<GannSegment>& segments)
{
    surface.setForeColor(GannChartColors::Black());
    for (const GannSegment& s : segments)
        surface.line(s.x1, s.y1, s.x2, s.y2);
}

void DrawResultBoxes(PictureSurface& surface, const std::vector<GannBox>& boxes)
{
    for (const GannBox& box : boxes)
        DrawBox(surface, box);
}

void DrawCellNumbers(PictureSurface& surface, const std::vector<GannLabel>& numbers)
{
    for (const GannLabel& label : numbers)
        DrawLabel(surface, label);
}

void DrawAngleWheel(PictureSurface& surface, const GannWheel& wheel)
{
    surface.setForeColor(GannChartColors::Blue());
    surface.setFillSolid(false);
    surface.circle(wheel.center.x(), wheel.center.y(), wheel.radius);
    for (const GannSegment& d : wheel.diameters)
        surface.line(d.x1, d.y1, d.x2, d.y2, GannChartColors::Blue());
    for (const GannLabel& label : wheel.dateLabels)
        DrawLabel(surface, label);
}

void DrawBandChart(PictureSurface& surface, const GannChartGeometry& chart)
{
    DrawRingOutlines(surface, chart.ringOutlines);
    DrawAngleWheel(surface, chart.wheel);
    const GannBandChart& band = chart.band;
    for (size_t i = 0; i < band.boxes.size(); ++i) {
        DrawBox(surface, band.boxes[i]);
        if (i < band.numbers.size())
            DrawLabel(surface, band.numbers[i]);
    }
}

void PaintGannChart(PictureSurface& surface, const GannChartGeometry& chart)
{
    if (chart.blank)
        return;
    if (chart.kind == GannChartKind::Band) {
        DrawBandChart(surface, chart);
        return;
    }
    DrawRingOutlines(surface, chart.ringOutlines);
    DrawResultBoxes(surface, chart.resultBoxes);
    DrawAngleWheel(surface, chart.wheel);
    DrawCellNumbers(surface, chart.cellNumbers);
}

namespace {

GannChartGeometry DrawKept(PictureSurface& surface, GannChartGeometry chart)
{
    surface.setPictureNone();
    surface.cls();
    if (chart.blank)
        return chart;
    PaintGannChart(surface, chart);
    surface.keepPicture();
    surface.changed();
    return chart;
}

}  // namespace

GannChartGeometry DrawGannChartStep(PictureSurface& surface, const GannState& state, Layout layout)
{
    return DrawKept(surface, ComputeGannChart(state, layout));
}

GannChartGeometry RedrawGannChart(PictureSurface& surface, const GannState& state, Layout layout)
{
    return DrawKept(surface, ComputeInitialGannChart(state, layout));
}
