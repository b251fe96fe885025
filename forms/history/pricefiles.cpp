#include "forms/history/pricefiles.h"

#include "platform/platform.h"

#include <QFileInfo>
#include <memory>
#include <utility>

namespace {

// One file read whole and its swings found, on the worker thread. No history in the
// result when it was refused.
PriceHistoryRead ReadAndFindSwings(const QString& path, DateOrder order, const SwingRule& findSwings,
                                   ChartBars& bars, std::vector<Swing>& swings)
{
    PriceReadOptions options;
    options.dateOrder = order;
    PriceHistoryRead read = LoadPriceHistoryFile(path, options);
    if (!read.history)
        return read;
    // The table stays as long as the window shows it: no room kept for rows to come.
    read.history->bars.shrink_to_fit();
    bars = ChartBars(std::make_shared<const PriceHistory>(std::move(*read.history)));
    read.history.reset();
    swings = findSwings(*bars.history());
    return read;
}

}  // namespace

bool ReadFiles(const QStringList& paths, const SwingRule& findSwings, const BackgroundRunner& runInBackground,
               QWidget* owner, std::vector<OpenPriceFile>& files)
{
    files.assign(size_t(paths.size()), OpenPriceFile{});
    std::vector<PriceHistoryRead> reads(files.size());
    runInBackground([&] {
        for (size_t k = 0; k < files.size(); ++k)
            reads[k] = ReadAndFindSwings(paths[qsizetype(k)], DateOrder::Automatic, findSwings, files[k].bars,
                                         files[k].swings);
    });
    for (size_t k = 0; k < files.size(); ++k) {
        if (reads[k].ambiguousDates) {
            const std::optional<DateOrder> order = AskDateOrder(owner, paths[qsizetype(k)]);
            if (!order)
                return false;
            runInBackground([&] {
                reads[k] = ReadAndFindSwings(paths[qsizetype(k)], *order, findSwings, files[k].bars, files[k].swings);
            });
        }
        if (!files[k].bars.history()) {
            platform().messageBox(reads[k].problem, ProgramTitle, MsgButtons::Ok, MsgIcon::Critical);
            return false;
        }
    }
    return true;
}

// 3/4/2024 is 4 March in the United States and 3 April in most of Europe; a file in
// which no day is above 12 cannot tell, and only the trader knows where it came from.
std::optional<DateOrder> AskDateOrder(QWidget* owner, const QString& path)
{
    const DialogOwner dialogOwner(owner);
    const QString text =
        QStringLiteral("%1: every date in the file reads both as month/day and as day/month, so the order of "
                       "its dates cannot be told from the file.\n\nAre the days written first (dd/mm/yyyy)? "
                       "Yes reads the dates day first, No month first (mm/dd/yyyy), as in the United States; "
                       "Cancel opens nothing.")
            .arg(QFileInfo(path).fileName());
    switch (platform().messageBox(text, ProgramTitle, MsgButtons::YesNoCancel, MsgIcon::None)) {
    case MsgResult::Yes: return DateOrder::DayFirst;
    case MsgResult::No: return DateOrder::MonthFirst;
    default: return std::nullopt;
    }
}

