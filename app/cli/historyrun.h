#pragma once
#include "app/cli/cli.h"
#include "app/cli/clicommon.h"
#include "forms/history/core/evidence.h"
#include "forms/history/core/pricehistory.h"
#include "forms/history/core/swings.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

// tessaray-cli history: reads a price history, finds its swings and projects from the
// last of them with the same runs `fib` and `gann` make, so its "fibonacci" and "gann"
// objects are byte for byte what those commands print for the swings' prices and
// dates. It also measures how projections from earlier swings met the swings after
// them.

struct HistoryOptions {
    QStringList dataFiles;   // in the order given; "-" (standard input) at most once
    DateOrder dateOrder = DateOrder::Automatic;
    std::optional<SwingBasis> swings;   // else High/Low where the file has both, else closes
    double threshold = DefaultSwingThreshold;
    std::optional<FibRatios> ratios;   // else the settings file, as fib reads it
    PriceScaleChoice scale;
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
