#pragma once
#include "core/gann/gannchartgeometry.h"

class PictureSurface;

// Painting the Square of Nine onto the chart box. The geometry (gannchartgeometry.h)
// says where everything goes; these only draw it, in the order a trader saw it built
// up: ring outlines, result boxes, wheel, numbers (or for the band chart: band
// outlines, wheel, then each result box with its number).
//
// The surface is the chart box: 2 x ChartHalf twips square. The chart's corners lie
// on the wheel circle; with the middle square's larger radius the circle runs past
// the surface and is clipped by it.

// The chart step that ends every calculation: the kept picture is dropped, the
// surface cleared, the whole square or the band chart drawn, and the image kept as
// the picture the box repaints from (and printing and the bitmap use). Returns what
// was drawn, for the zoomed view and the cell tooltips.
GannChartGeometry DrawGannChartStep(PictureSurface& surface, const GannState& state, Layout layout);

// The chart at window load: as the chart step, but a square beyond the full-square
// limit leaves the surface blank and no picture kept.
GannChartGeometry RedrawGannChart(PictureSurface& surface, const GannState& state, Layout layout);

// Draws a computed chart onto the surface as it stands (no clearing, no keeping).
void PaintGannChart(PictureSurface& surface, const GannChartGeometry& chart);

// The pieces, for callers that draw one part on its own.
void DrawRingOutlines(PictureSurface& surface, const std::vector<GannSegment>& segments);
void DrawResultBoxes(PictureSurface& surface, const std::vector<GannBox>& boxes);
void DrawCellNumbers(PictureSurface& surface, const std::vector<GannLabel>& numbers);
void DrawAngleWheel(PictureSurface& surface, const GannWheel& wheel);
void DrawBandChart(PictureSurface& surface, const GannChartGeometry& chart);
