#include "core/settings/settings.h"

#include "core/numbers/numbers.h"
#include "core/files/programfolder.h"
#include "core/files/projectfile.h"
#include "core/files/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cmath>

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

namespace {

struct RatiosRead {
    FibRatios ratios;
    bool numbers = true;     // every FIB1..FIB3 present held a number
    bool seen[3] = {};       // FIB1..FIB3 present in the file
};

RatiosRead ReadRatiosFrom(const FileLines& lines, const FibRatios& before)
{
    RatiosRead read{before};
    double* ratios[3] = {&read.ratios.r1, &read.ratios.r2, &read.ratios.r3};
    lines.forEach([&read, &ratios](const QString& line) {
        KeyLine kv;
        if (!SplitKeyLine(line, kv))
            return true;
        const int k = kv.key == QLatin1String("FIB1")   ? 0
                      : kv.key == QLatin1String("FIB2") ? 1
                      : kv.key == QLatin1String("FIB3") ? 2
                                                        : -1;
        if (k < 0)
            return true;
        const auto value = ParseFileNumber(kv.value);
        read.numbers = value && std::isfinite(*value);
        if (read.numbers) {
            *ratios[k] = *value;
            read.seen[k] = true;
        }
        return read.numbers;
    });
    return read;
}

// A file read whole but leaving a ratio at 0 or the three out of order gives
// projections nobody meant; the windows keep reading it silently as they always did,
// and the command-line tool says so.
QStringList RatiosWarnings(const RatiosRead& read)
{
    QStringList warnings;
    const double ratios[3] = {read.ratios.r1, read.ratios.r2, read.ratios.r3};
    for (int k = 0; k < 3; ++k) {
        if (ratios[k] > 0)
            continue;
        warnings << (read.seen[k] ? QStringLiteral("FIB%1=%2 leaves Fibonacci ratio %1 at %2, and ratios must be "
                                                   "greater than 0")
                                        .arg(k + 1).arg(GeneralNumber(ratios[k]))
                                  : QStringLiteral("FIB%1 is missing, so Fibonacci ratio %1 is 0").arg(k + 1));
    }
    if (warnings.isEmpty() && (ratios[1] <= ratios[0] || ratios[2] <= ratios[1]))
        warnings << QStringLiteral("the Fibonacci ratios %1, %2, %3 are not in increasing order")
                        .arg(GeneralNumber(ratios[0]), GeneralNumber(ratios[1]), GeneralNumber(ratios[2]));
    return warnings;
}

}  // namespace

bool ReadRatiosFile(const QString& path, FibRatios& ratios, QStringList* warnings)
{
    const std::optional<QString> text = QFileInfo::exists(path) ? ReadTextFile(path) : std::nullopt;
    // Read into a copy: one bad value sends all three back to the defaults, even those
    // read correctly before it.
    const RatiosRead read = text ? ReadRatiosFrom(FileLines(*text), ratios) : RatiosRead{DefaultRatios, false};
    ratios = read.numbers ? read.ratios : DefaultRatios;
    if (warnings)
        *warnings = read.numbers ? RatiosWarnings(read) : QStringList();
    return read.numbers;
}

bool ReadRatiosLines(const FileLines& lines, FibRatios& ratios)
{
    const RatiosRead read = ReadRatiosFrom(lines, ratios);
    ratios = read.numbers ? read.ratios : DefaultRatios;
    return read.numbers;
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

void ProgramRatios::setRatios(const FibRatios& ratios)
{
    const bool different = ratios.r1 != FibRatio1 || ratios.r2 != FibRatio2 || ratios.r3 != FibRatio3;
    FibRatio1 = ratios.r1;
    FibRatio2 = ratios.r2;
    FibRatio3 = ratios.r3;
    if (different)
        emit changed();
}

void ProgramRatios::load(const QString& path)
{
    FibRatios read = ratios();
    ReadRatiosFile(path, read);
    setRatios(read);
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
