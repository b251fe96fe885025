#pragma once
#include "app/cli/clicommon.h"
#include "app/cli/options.h"
#include "core/gann/ganncalc.h"
#include "core/gann/gannproject.h"
#include "core/reports/reports.h"

#include <QByteArray>
#include <memory>

// One Gann calculation as the window makes it. The Gann window keeps no copy of its
// inputs: its four controls are the document. They start as a freshly loaded window
// shows them, --project reads a file into them as Open does, the options are typed
// over them, and Calculate runs on them.

struct GannRun {
    Layout layout = Layout::Large;
    QSize screen{1024, 768};
    QDate today;
    GannDocument controls;                 // txtProject, txtPrice, dtpInputDate, txtNotes
    std::unique_ptr<GannState> state;      // large (the spiral tables), so on the heap
};

// Sets up the controls, loads the window's state for the layout and screen, and
// calculates. run.today, run.layout and run.screen must be set.
std::optional<CliFailure> RunGann(const CliOptions& options, GannRun& run);

// The window calculates a price box that holds no price (0.4, -5, letters) with its
// date at today and shows blank results; the tool says why nothing was projected.
QString NothingProjectedMessage(const QString& priceText);

// Calculate on the state of a loaded window. Status 2 with the window's message for a
// rejected input, status 1 when a date would leave the calendar.
std::optional<CliFailure> CalculateGannControls(const GannDocument& controls, const QDate& today,
                                                Layout layout, GannState& state);

// Half the side of the chart box of a window on this screen (twips).
qint32 GannChartHalf(const QSize& screenPixels);

extern const RunOutputs<GannRun> GannOutputs;
// What the report and the printed text block are made from.
GannReportValues GannValues(const GannRun& run);
// "full" or "band": the chart the calculation draws.
QString GannChartKindText(const GannRun& run);
// Band chart: {"number": [column, row], ...} of every number it shows; null otherwise.
QByteArray GannBandCellsJson(const GannRun& run);
// What Print Image -> File saves: the chart with its text block.
QImage GannChartPicture(const GannRun& run);
