#pragma once
#include "core/reports/reports.h"

#include "core/fibonacci/fibonaccicore.h"
#include "core/gann/gannstate.h"

// The report values from the analysis states. The windows (and the command-line tool)
// add what only the controls know: the notes box, and for Gann the input boxes, whose
// date picker reads as no date while it stands at today.

FibonacciReportValues FibonacciReportValuesOf(const FibonacciState& state, const QString& notesText);

GannReportValues GannReportValuesOf(const GannResults& results, const QString& projectText,
                                    const QString& priceText, const QDate& pickerDate,
                                    const QDate& today, const QString& notesText);
