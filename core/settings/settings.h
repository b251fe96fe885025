#pragma once
#include "core/settings/fibratios.h"
#include "core/files/textfile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

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

// The three ratios every Fibonacci window of the program calculates with. The main
// menu loads them from the settings file and hands them to the windows; the ratios
// dialog puts a new set in force. Zero until loaded. A calculation reads them at the
// moment it runs, so results on screen keep the ratios they were made with.
class ProgramRatios : public QObject {
    Q_OBJECT
public:
    explicit ProgramRatios(QObject* parent = nullptr) : QObject(parent) {}

    FibRatios ratios() const { return {FibRatio1, FibRatio2, FibRatio3}; }
    // Puts a set in force; changed() follows when any of the three differs.
    void setRatios(const FibRatios& ratios);
    // The settings file at `path` put in force; a missing or damaged file quietly gives
    // the classic 0.382 / 0.5 / 0.618, so start-up always succeeds.
    void load(const QString& path);

signals:
    // A window showing what the old ratios gave works it out again.
    void changed();

private:
    double FibRatio1 = 0;
    double FibRatio2 = 0;
    double FibRatio3 = 0;
};

// A ratio beyond what a double holds (1e400 pasted) would be written as "Infinity",
// which no later start could read back.
inline constexpr char RatioTooLargeMessage[] =
    "Enter each ratio as an ordinary number: one of them is too large to calculate with.";

// The check the ratios dialog makes before it accepts three ratios: the message to
// show, or std::nullopt when they are acceptable. A ratio too large comes first, then
// the "greater than 0" test, so an empty (zero) entry is reported as such and not as
// out of order.
std::optional<QString> RatiosProblem(const FibRatios& ratios);
