#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

class QFile;

// Every file the program writes (settings, projects, reports, bitmaps) goes through
// ReplaceFile, so a full disk, a crash or a kill halfway never costs the trader the
// file that was there before.
//
// The bytes go to a temporary file beside the target, named
// ".<name>.tessaray-<process id>.tmp"; every write, the flush and the sync are
// checked, and only then is the temporary file renamed over the target. A symbolic
// link is followed and its target replaced; the link stays. Anything that is not a
// regular file (a device, a pipe, a folder) is refused and left alone. Where the
// folder does not let us create the temporary file but the target itself may be
// written, the target is written in place, still checking every write.
// Temporaries of ours left by an interrupted save are removed on the next save of
// the same file. false with *error ("Cannot write the file <path>: <reason>").
bool ReplaceFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// How bytes reach an open file: returns the count written or -1, like QIODevice::write.
// Tests install one that runs out of space at a chosen byte or stalls halfway; an empty
// function restores the plain write.
using FileWriteStep = std::function<qint64(QFile& file, const char* data, qint64 size)>;
void SetFileWriteStep(FileWriteStep step);
