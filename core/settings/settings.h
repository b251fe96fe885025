#pragma once
#include "core/settings/fibratios.h"
#include "core/files/textfile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;

// The three program-wide Fibonacci ratios. Zero until the main menu loads them;
// every Fibonacci calculation reads them at the moment it runs.
extern double FibRatio1;
extern double FibRatio2;
extern double FibRatio3;

inline const QString SettingsFileName = QStringLiteral("quillomat.ini");

// The settings file path for a program directory.
QString SettingsPath(const QString& programDir);

// Where the windows and the command-line tool keep their settings: beside the
// executable when it runs as a portable copy (a folder the user may write to that is
// no system folder); otherwise $XDG_CONFIG_HOME/tessaray/quillomat.ini, by default
// ~/.config/tessaray/quillomat.ini. Nothing is created until the ratios are saved.
QString SettingsPathFor(const QString& programDir);

// Reads the settings file into `ratios`. A missing key leaves its ratio as it was.
// Returns false (and sets the defaults) when the file is missing, unreadable, or one
// of FIB1..FIB3 holds something that is not a number. *warnings, when asked for, gets
// what the command-line tool tells a script about a file that was read but leaves a
// ratio at 0 or below, or the three not increasing ("FIB2 is missing, so Fibonacci
// ratio 2 is 0").
bool ReadRatiosFile(const QString& path, FibRatios& ratios, QStringList* warnings = nullptr);
// The same for the file's lines once read (the fuzz test hands in text that never was
// a file).
bool ReadRatiosLines(const FileLines& lines, FibRatios& ratios);

// Writes the three lines FIB1=, FIB2=, FIB3= in general number form, atomically.
bool WriteRatiosFile(const QString& path, const FibRatios& ratios, QString* error = nullptr);

// The program-wide ratios as one value, and back.
FibRatios CurrentRatios();
void SetCurrentRatios(const FibRatios& ratios);
// Calls `changed` each time SetCurrentRatios gives the ratios other values, for as long
// as `context` lives: a window showing what the old ratios gave works it out again.
void WhenRatiosChange(QObject* context, std::function<void()> changed);

// A ratio beyond what a double holds (1e400 pasted) would be written as "Infinity",
// which no later start could read back.
inline constexpr char RatioTooLargeMessage[] =
    "Enter each ratio as an ordinary number: one of them is too large to calculate with.";

// The check the ratios dialog makes before it accepts three ratios: the message to
// show, or std::nullopt when they are acceptable. A ratio too large comes first, then
// the "greater than 0" test, so an empty (zero) entry is reported as such and not as
// out of order.
std::optional<QString> RatiosProblem(const FibRatios& ratios);
