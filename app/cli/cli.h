// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "app/cli/clicommon.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

// The whole tool behind main(): reads the command line, runs one calculation or a
// watch-list batch, writes the result to `out` and problems to `err`, and returns the
// exit status (0 done, 1 a file or calculation failed, 2 inputs rejected, 64 usage).

struct CliEnvironment {
    QString programDir;   // where the settings file is looked for first
    QDate computerToday;  // today's date unless --today says otherwise
    QString version;
    // A person watches standard error while the results go elsewhere: show progress there.
    bool showProgress = false;
};

struct CliStreams {
    // Standard input, for --csv -: bytes as they arrive (0 at the end, -1 on an error).
    std::function<qint64(char* buffer, qint64 size)> in;
    QIODevice* out = nullptr;
    QIODevice* err = nullptr;
};

int RunCli(const QStringList& args, const CliEnvironment& env, const CliStreams& io);

// Writes the failure's sentence to standard error and returns its status.
int ReportFailure(const CliStreams& io, const CliFailure& failure);
// Writes each warning to standard error as "tessaray-cli: <warning>"; the run goes on.
void ReportWarnings(const CliStreams& io, const QStringList& warnings);
