#pragma once
#include "core/history/chartcolumns.h"
#include "core/history/evidence.h"
#include "core/history/pricehistory.h"
#include "core/history/swings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

// Opening price files in the Price History window: each read whole and its swings
// found off the window's thread, the trader asked which way round the dates go when
// the file cannot tell, and all of them kept or none.

// A file open in the window: its history with the chart's summary of it, and its swings.
struct OpenPriceFile {
    ChartBars bars;
    std::vector<Swing> swings;
    const PriceHistory& history() const { return *bars.history(); }
};

// Runs work off the window's thread and returns when it is done.
using BackgroundRunner = std::function<void(const std::function<void()>& work)>;

// Every file, or none: the first one refused is reported (in a message box over
// `owner`) and false returned. A file refused only because each of its dates reads
// both ways is read again in the order the trader names.
bool ReadFiles(const QStringList& paths, const SwingRule& findSwings, const BackgroundRunner& runInBackground,
               QWidget* owner, std::vector<OpenPriceFile>& files);

// Which way round the slash dates of `path` go, as the trader says; std::nullopt for
// Cancel.
std::optional<DateOrder> AskDateOrder(QWidget* owner, const QString& path);
