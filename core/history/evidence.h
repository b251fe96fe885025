#pragma once
#include "core/history/historyratios.h"
#include "core/history/surrogate.h"
#include "core/history/swingprojection.h"

#include <QStringList>
#include <atomic>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

// How projections from past swings met the swing that followed, and whether they met
// it better than chance.
//
// Every projection the swings allow is measured against the confirmed swing it points
// at, by its price error and by its days off:
// - Fibonacci, for every three consecutive swings A, B, C: projected from A to B, the
//   price error is the smallest |C - level| / |B - A| over the levels of the history's
//   ratios, the days off the fewest days between C's date and a projected date.
// - Evenly spaced ratios k / (n + 1), as many as the history's, the same way: ratios
//   chosen with no theory at all.
// - Gann, for every two consecutive swings B, C: projected from B, the price error is
//   the smallest |C - level| / B over the potential highs and lows, the days off the
//   fewest days from C's date to one of the eight dates.
// - The 3-point extension, for every four consecutive swings A, B, C, D: levels from
//   A, B and C, measured against D like Fibonacci against C.
//
// Any set of levels lies near some prices: the Square of Nine's sixteen levels a few
// percent apart come close to almost any swing. So each method is also run on
// surrogate histories (surrogate.h), which keep the file's daily moves and calendar but
// nothing that could make prices turn at a level, through the same swing rule; the
// p-value is the share of them whose median error came out at most the real one,
// (1 + such surrogates) / (1 + surrogates). A small p-value says the real swings met
// the levels more closely than shuffled moves would.

enum class ProjectionMethod { Fibonacci, EvenlySpaced, Gann, Extension };
constexpr int ProjectionMethodCount = 4;

QString MethodName(ProjectionMethod method);   // "Fibonacci", "Evenly spaced", "Gann Square of Nine", ...
QString MethodKey(ProjectionMethod method);    // "fibonacci", "evenly spaced", "gann", "extension"

constexpr double CloseEnoughPrice = 0.05;   // within 5 % ...
constexpr int CloseEnoughDays = 5;          // ... or within 5 days counts as a hit
constexpr double ChanceLevel = 0.05;        // a p-value below this beats chance
// Below this many projections a median moves too much from one swing to the next for
// any comparison to mean something.
constexpr int FewestToTell = 20;

constexpr int DefaultDraws = 1000;
constexpr int MaxDraws = 100000;
constexpr quint32 DefaultSeed = 1;

struct EvidenceSettings {
    int draws = DefaultDraws;            // surrogate histories; 0 measures the real swings only
    quint32 seed = DefaultSeed;          // runs with the same seed repeat exactly
    int blockDays = DefaultBlockDays;
    int threads = 0;                     // 0: one per core; never changes a result
};

// One measure of one method: the real history's median against the surrogates'.
struct MeasureAgainstChance {
    double median = NAN;               // price error as a fraction of the move, or days; NAN without projections
    double within = NAN;               // share of the projections within 5 % or 5 days
    std::vector<double> nullMedians;   // each surrogate's median, in draw order; surrogates without projections left out
    double nullMedian = NAN;           // the median of those
    std::optional<double> pValue;      // none without surrogates or without real projections

    bool beatsChance() const { return pValue && *pValue < ChanceLevel; }
};

struct MethodEvidence {
    ProjectionMethod method = ProjectionMethod::Fibonacci;
    int count = 0;                      // projections measured on the real history
    MeasureAgainstChance price, days;
    QString refusal;                    // why the first projection that could not be made was refused
};

struct Evidence {
    QString label;                      // the file's name, or "all files" for the pool
    EvidenceSettings settings;
    HistoryRatios ratios;
    std::vector<MethodEvidence> methods;   // one per ProjectionMethod, in its order

    const MethodEvidence& method(ProjectionMethod m) const { return methods[size_t(m)]; }
};

// The swing rule the real history was read with; the surrogates go through the same.
using SwingRule = std::function<std::vector<Swing>(const PriceHistory&)>;

struct EvidenceRequest {
    HistoryRatios ratios;
    PriceScaleChoice scale;
    QDate today;
    SwingRule swingRule;
    EvidenceSettings settings;
    const std::atomic<bool>* cancel = nullptr;   // set it to stop early; the result is then incomplete
};

// Per file, and pooled: the pool's medians are taken over the projections of every
// file together, for the real histories and for each draw of surrogates alike.
struct PooledEvidence {
    std::vector<Evidence> files;
    Evidence pooled;   // the one file's evidence when there is only one
};

PooledEvidence MeasureEvidence(const std::vector<const PriceHistory*>& histories, const EvidenceRequest& request);

// One plain sentence per method on whether it did better than chance.
QStringList EvidenceVerdicts(const Evidence& evidence);

// The tables the window and the report show: price and time, one row per method.
struct EvidenceRow {
    QString name;        // MethodName
    QStringList cells;   // under the table's columns
};
struct EvidenceTable {
    QString title;       // "Price", "Time"
    QStringList columns;
    std::vector<EvidenceRow> rows;
};
std::vector<EvidenceTable> EvidenceTables(const Evidence& evidence);
