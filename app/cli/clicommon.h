// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "core/numbers/errors.h"
#include "core/numbers/layout.h"

#include <QSize>
#include <QString>
#include <QtGlobal>
#include <optional>

class QByteArray;
class QImage;

// What the tool shares between its commands: exit statuses, the failure that ends a
// run, and the window a calculation is imagined in.

enum ExitStatus {
    ExitOk = 0,
    ExitFailed = 1,    // a file could not be read or written, or a calculation could not go on
    ExitRejected = 2,  // the inputs were rejected, with the window's own message
    ExitUsage = 64,    // the command line itself is wrong
};

// Why a run stopped: the exit status and the sentence for standard error, the same
// sentence the window would show in its message box.
struct CliFailure {
    int status = ExitFailed;
    QString message;
};

// "Action failed:", a line break and the action's own sentence, as the windows say it.
inline CliFailure ActionFailed(const QString& sentence)
{
    return {ExitFailed, QStringLiteral("Action failed:\n") + sentence};
}

// A rejected calculation ends with status 2, one that could not go on with status 1,
// each with the window's sentence.
inline std::optional<CliFailure> FailureOf(const CalcOutcome& outcome)
{
    if (outcome.accepted())
        return std::nullopt;
    return CliFailure{outcome.kind == CalcOutcome::Rejected ? ExitRejected : ExitFailed, outcome.message};
}

// What one calculation of an analysis prints, as --format and --chart ask for it.
template <class Run>
struct RunOutputs {
    QString (*listing)(const Run&);  // lblPrices, "=====", lblDates
    QString (*report)(const Run&);   // what Export Results writes
    QByteArray (*json)(const Run&);
    QImage (*chartPicture)(const Run&);  // what Print Image -> File saves: the chart with its text block
};

// An option given on the command line is typed over what the project put in that box.
template <class T>
void TypeOver(T& box, const std::optional<T>& option)
{
    if (option)
        box = *option;
}

// Bitmaps and window sizes are worked out at 96 dots per inch: 15 twips per pixel.
constexpr double CliTwipsPerPixel = 15.0;

// An analysis window fills the screen, so its height in twips is the screen's.
inline double WindowHeightTwips(const QSize& screenPixels) { return screenPixels.height() * CliTwipsPerPixel; }

// --format listing: the lblPrices caption, a line "=====", then the lblDates caption,
// each ended by CR LF like the lines inside the captions.
inline QString JoinListings(const QString& prices, const QString& dates)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString text = prices;
    if (!text.isEmpty() && !text.endsWith(lineEnd))
        text += lineEnd;
    text += QStringLiteral("=====") + lineEnd + dates;
    if (!dates.isEmpty() && !dates.endsWith(lineEnd))
        text += lineEnd;
    return text;
}
