#include "app/cli/gannrun.h"

#include "app/cli/jsonout.h"
#include "core/gann/gannchart.h"
#include "core/gann/gannchartgeometry.h"
#include "core/drawing/fonts.h"
#include "core/drawing/picturesurface.h"

// The Square of Nine as the window's chart step leaves it: which kind of chart, where
// the band chart put each number it shows, and the picture Print Image saves.

QString GannChartKindText(const GannRun& run)
{
    return GannChartKindName(GannChartKindFor(run.state->spiral, run.layout));
}

QByteArray GannBandCellsJson(const GannRun& run)
{
    const GannChartGeometry chart = ComputeGannChart(*run.state, run.layout);
    if (chart.kind != GannChartKind::Band)
        return JsonNull();
    JsonObject cells;
    for (const auto& [number, cell] : BandCellMap(chart))
        cells.add(QString::number(number), JsonArray({JsonInteger(cell.x()), JsonInteger(cell.y())}));
    return cells.text(false);
}

QImage GannChartPicture(const GannRun& run)
{
    InstallFontSubstitutes();
    const qint32 half = GannChartHalf(run.screen);
    PictureSurface pb(CliTwipsPerPixel);
    pb.setSizeTwips(2 * half, 2 * half);

    // The chart the window drew when it loaded, then the chart step of the calculation
    // (which erases it).
    auto loaded = std::make_unique<GannState>();
    LoadGannState(*loaded, run.layout, run.today, half);
    RedrawGannChart(pb, *loaded, run.layout);
    DrawGannChartStep(pb, *run.state, run.layout);

    ComposeChartPicture(pb, GannTextBlock(GannValues(run)), GannPlacement(run.layout, pb.widthTwips()));
    return pb.picture();
}
