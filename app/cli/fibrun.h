#pragma once
#include "app/cli/clicommon.h"
#include "app/cli/options.h"
#include "core/fibonacci/fibonaccicore.h"
#include "core/reports/reports.h"

#include <QByteArray>

// One Fibonacci calculation as the window makes it: the controls are set the way a
// freshly opened window (or one that has just opened a project) shows them, the
// options are typed over them, and Calculate runs ValidateInputs and the projection
// of the widget-free core. Everything printed is then read from that state by the
// same builders the window uses.

struct FibonacciRun {
    Layout layout = Layout::Large;
    QSize screen{1024, 768};
    QDate today;
    FibRatios ratios;
    FibonacciInputs inputs;   // the controls when Calculate is pressed
    FibonacciState state;     // after the calculation
};

// The ratios in force: --ratios, checked as the ratios dialog checks its boxes, or else
// the settings file beside the program read as the main menu reads it. *warnings gets
// "<file>: <what>" for a settings file that leaves a ratio at 0 or the ratios out of
// order, which the windows would use without a word.
std::optional<CliFailure> FibonacciRatiosFor(const CliOptions& options, const QString& programDir,
                                             FibRatios& ratios, QStringList* warnings = nullptr);

// Sets up run.inputs from --project and the options, then calculates. run.today,
// run.ratios and run.layout must be set.
std::optional<CliFailure> RunFibonacci(const CliOptions& options, FibonacciRun& run);

// Half the side of the chart box of a window on this screen (twips).
qint32 FibonacciChartHalfSize(const QSize& screenPixels);

extern const RunOutputs<FibonacciRun> FibonacciOutputs;
// What the report and the printed text block are made from.
FibonacciReportValues FibonacciValues(const FibonacciRun& run);
