#include "forms/shell/settings.h"

#include "modules/numbers.h"
#include "modules/programfolder.h"
#include "modules/projectfile.h"
#include "modules/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <vector>

double FibRatio1 = 0;
double FibRatio2 = 0;
double FibRatio3 = 0;

QString SettingsPath(const QString& programDir)
{
    return QDir(programDir).filePath(SettingsFileName);
}

QString SettingsPathFor(const QString& programDir)
{
    // A folder that is missing altogether stays the answer, so saving reports the failure.
    if (!QFileInfo::exists(programDir) || IsPortableProgramFolder(programDir))
        return SettingsPath(programDir);
    // The same file for the windows and tessaray-cli, whichever of them asks.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return SettingsPath(QDir(config).filePath(QStringLiteral("tessaray")));
}

bool ReadRatiosFile(const QString& path, FibRatios& ratios)
{
    const auto lines = QFileInfo::exists(path) ? ReadTextLines(path) : std::nullopt;
    if (!lines) {
        ratios = DefaultRatios;
        return false;
    }
    return ReadRatiosLines(*lines, ratios);
}

bool ReadRatiosLines(const QStringList& lines, FibRatios& ratios)
{
    // Read into a copy: one bad value sends all three back to the defaults,
    // even those read correctly before it.
    FibRatios read = ratios;
    for (const QString& line : lines) {
        KeyLine kv;
        if (!SplitKeyLine(line, kv))
            continue;
        double* target = kv.key == QLatin1String("FIB1")   ? &read.r1
                         : kv.key == QLatin1String("FIB2") ? &read.r2
                         : kv.key == QLatin1String("FIB3") ? &read.r3
                                                           : nullptr;
        if (!target)
            continue;
        const auto value = ParseFileNumber(kv.value);
        if (!value || !std::isfinite(*value)) {
            ratios = DefaultRatios;
            return false;
        }
        *target = *value;
    }
    ratios = read;
    return true;
}

bool WriteRatiosFile(const QString& path, const FibRatios& ratios, QString* error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());   // the user's folder is made on the first save
    return WriteTextLines(path,
                          {QStringLiteral("FIB1=") + GeneralNumber(ratios.r1),
                           QStringLiteral("FIB2=") + GeneralNumber(ratios.r2),
                           QStringLiteral("FIB3=") + GeneralNumber(ratios.r3)},
                          error);
}

FibRatios CurrentRatios()
{
    return {FibRatio1, FibRatio2, FibRatio3};
}

namespace {

struct RatiosListener {
    QPointer<QObject> context;
    std::function<void()> changed;
};

std::vector<RatiosListener>& RatiosListeners()
{
    static std::vector<RatiosListener> listeners;
    return listeners;
}

}  // namespace

void SetCurrentRatios(const FibRatios& ratios)
{
    const bool changed = ratios.r1 != FibRatio1 || ratios.r2 != FibRatio2 || ratios.r3 != FibRatio3;
    FibRatio1 = ratios.r1;
    FibRatio2 = ratios.r2;
    FibRatio3 = ratios.r3;
    if (!changed)
        return;
    std::vector<RatiosListener>& listeners = RatiosListeners();
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                                   [](const RatiosListener& l) { return l.context.isNull(); }),
                    listeners.end());
    for (const RatiosListener& l : std::vector<RatiosListener>(listeners)) {
        if (l.context)
            l.changed();
    }
}

void WhenRatiosChange(QObject* context, std::function<void()> changed)
{
    RatiosListeners().push_back({context, std::move(changed)});
}

std::optional<QString> RatiosProblem(const FibRatios& r)
{
    if (!std::isfinite(r.r1) || !std::isfinite(r.r2) || !std::isfinite(r.r3))
        return QString::fromLatin1(RatioTooLargeMessage);
    if (r.r1 <= 0 || r.r2 <= 0 || r.r3 <= 0)
        return QStringLiteral("All ratios must be greater than 0");
    if (r.r2 <= r.r1 || r.r3 <= r.r2)
        return QStringLiteral("Ratios must be in increasing order");
    return std::nullopt;
}
