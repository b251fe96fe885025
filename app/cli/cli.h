#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

class QIODevice;

// The whole tool behind main(): reads the command line, runs one calculation or a
// watch-list batch, writes the result to `out` and problems to `err`, and returns the
// exit status (0 done, 1 a file or calculation failed, 2 inputs rejected, 64 usage).

struct CliEnvironment {
    QString programDir;     // where the settings file is looked for
    QDate computerToday;    // today's date unless --today says otherwise
    QString version;
};

struct CliStreams {
    QIODevice* in = nullptr;    // standard input, for --csv -
    QIODevice* out = nullptr;
    QIODevice* err = nullptr;
};

int RunCli(const QStringList& args, const CliEnvironment& env, const CliStreams& io);
