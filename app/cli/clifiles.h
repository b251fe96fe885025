#pragma once
#include "app/cli/clicommon.h"
#include "app/cli/options.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

// The files the tool reads and writes. "-" is standard output; a named file is written
// whole or not at all (a temporary file moved into place), and every failure names
// the file and the operating system's reason.

// Why `path` cannot be read as a file ("No such file or directory", "Is a directory",
// "Permission denied"); empty when it can.
QString ReadProblem(const QString& path);

// The sentence for a file that failed: "<sentence> <path>: <reason>".
CliFailure FileFailure(const QString& sentence, const QString& path, const QString& reason);

// Open's "Can't open project file", naming the file and why: the system's reason, or
// that its lines are not a project's.
CliFailure ProjectFailure(const QString& path);

// The report, listing or JSON: to `out` for "-", else into the file.
std::optional<CliFailure> WriteOutput(const QString& target, const QByteArray& bytes, QIODevice* out);

// The chart picture in the form ChartFormatFor gives, to `out` for "-".
std::optional<CliFailure> WriteChartPicture(const QImage& picture, const QString& target, QIODevice* out);
