#pragma once
#include "core/history/evidence.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What `history` prints beyond the analyses' own listings and JSON: the levels of any
// number of ratios, and the evidence with its comparison against chance.

// "Fib Ratio   Price" / "---------   -----" / one line per ratio, "=====", then the
// dates the same way: the Fibonacci window's listing, for as many ratios as there are.
QString LevelsListing(const QString& ratioHeading, const HistoryRatios& ratios, const ProjectedLevels& levels);

// The price table, the time table and the verdicts, each line ended by "\n".
QString EvidenceText(const Evidence& evidence);

// {"draws": N, "seed": S, "block_days": B, "methods": [...]}, medians and shares as
// fractions, null where nothing was measured or nothing drawn.
QByteArray EvidenceJson(const Evidence& evidence);
QByteArray VerdictsJson(const Evidence& evidence);
// {"ratios": [...], "prices": [...], "dates": [...]}, or null.
QByteArray LevelsJson(const HistoryRatios& ratios, const std::optional<ProjectedLevels>& levels);
