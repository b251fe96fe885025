#pragma once
#include "app/cli/cli.h"
#include "app/cli/clicommon.h"
#include "core/history/evidence.h"
#include "core/history/pricehistory.h"
#include "core/history/swings.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

// tessaray-cli history: reads price histories, finds their swings and projects from
// the last of them with the same runs `fib` and `gann` make, so its "fibonacci" and
// "gann" objects are byte for byte what those commands print for the swings' prices
// and dates. It also measures how projections from earlier swings met the swings
// after them, file by file and pooled, against surrogate histories.

struct HistoryOptions {
    QStringList dataFiles;                           // --data, in order; "-" (standard input) at most once
    DateOrder dateOrder = DateOrder::Automatic;      // --date-format
    std::optional<SwingBasis> swings;                // --swings; else High/Low where every bar has both
    double threshold = DefaultSwingThreshold;
    std::optional<std::vector<double>> ratios;       // else the settings file's three
    PriceScaleChoice scale;
    EvidenceSettings evidence;                       // --draws, --seed, --block-days
    bool json = false;
    std::optional<QDate> today;
};

struct ParsedHistoryLine {
    std::optional<HistoryOptions> options;
    QString error;   // one line, when options is empty
};

// The arguments after "history".
ParsedHistoryLine ParseHistoryCommandLine(const QStringList& args);

// The whole command: status as the other commands give it.
int RunHistoryCommand(const QStringList& args, const CliEnvironment& env, const CliStreams& io);
