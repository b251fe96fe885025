// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "app/cli/clicommon.h"
#include "app/cli/options.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

// The files the tool reads and writes. "-" is standard output; a named regular file is
// written whole or not at all (the windows' careful replacement), and every failure
// names the file and the operating system's reason. A terminal, a pipe, a socket, or
// a descriptor the shell opened (/dev/stdout, /dev/stderr, /dev/fd/N) takes the bytes
// as a stream, exactly like "-": "--output /dev/stdout >> log.txt" appends to log.txt.

// Why `path` cannot be read as a watch-list ("No such file or directory", "Is a
// directory", "Permission denied"); empty when it can. A pipe is a fine watch-list.
QString ReadProblem(const QString& path);

// The sentence for a file that failed: "<sentence> <path>: <reason>".
CliFailure FileFailure(const QString& sentence, const QString& path, const QString& reason);

// Open's "Can't open project file", naming the file and why: the reader's reason, or
// that its lines are not a project's when it gave none.
CliFailure ProjectFailure(const QString& path, const QString& reason);

// The report, listing or JSON: to `out` for "-", else into the file.
std::optional<CliFailure> WriteOutput(const QString& target, const QByteArray& bytes, QIODevice* out);

// The chart picture in the form ChartFormatFor gives, to `out` for "-".
std::optional<CliFailure> WriteChartPicture(const QImage& picture, const QString& target, QIODevice* out);

// Whether two output names end in the same file, after links, whatever way each is
// spelt ("-" and /dev/stdout, a link and its file, a hard link).
bool SameOutputFile(const QString& a, const QString& b);
