#pragma once
#include "core/reports/reports.h"

#include <QString>
#include <functional>

class PictureBox;

// The Export and Print Image buttons of both analysis windows, in both layouts.
//
// Export: the window hands over its values (the Fibonacci window after its input check
// passed); the trader picks a file in a save dialog that starts in the program's
// directory with the project's name; the report replaces whatever the file held, and a
// message confirms where it went.
//
// Print Image: the trader chooses a destination (frmPrintOption); the chart box is
// widened and the project's inputs and results are written beside the chart; that
// picture is saved as a bitmap or printed; then the box gets its width back and the
// window's calculation redraws the chart without the text. The box is restored also
// after a cancelled save dialog or a failure, so no widened chart is left behind.

void ExportFibonacciResults(const FibonacciReportValues& values);
void ExportGannResults(const GannReportValues& values);

// timeAxisRight, priceAxisTop: the chart geometry of the last drawing.
// calculate: the window's cmdCalculate_Click.
void PrintFibonacciImage(PictureBox& box, const FibonacciReportValues& values, int timeAxisRight,
                         int priceAxisTop, const std::function<void()>& calculate);
void PrintGannImage(PictureBox& box, Layout layout, const GannReportValues& values,
                    const std::function<void()>& calculate);

// The common road of both: destination, picture, bitmap or printer, restore.
// defaultFileName is offered in the program's directory ("fibchart.bmp").
void PrintChartImage(PictureBox& box, const TextBlock& block, const TextBlockPlacement& at,
                     const QString& defaultFileName, const std::function<void()>& calculate);
