#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QFile;

// Every file the program writes (settings, projects, reports, bitmaps) goes through
// ReplaceFile, so a full disk, a crash or a kill halfway never costs the trader the
// file that was there before.
//
// The bytes go to a temporary file beside the target, named
// ".<name>.tessaray-<process id>.tmp"; every write, the flush and the sync are
// checked, and only then is the temporary file renamed over the target. Symbolic
// links are followed as ResolveSaveTarget follows them and the file at the end of
// the chain is replaced; the links stay. Anything that is not a regular file (a
// device, a pipe, a folder) is refused and left alone. Where the folder does not let
// us create the temporary file but the target itself may be written, the target is
// overwritten in place (OverwriteFileInPlace). Temporaries of ours left by an
// interrupted save are removed on the next save of the same file. false with *error
// ("Cannot write the file <path>: <reason>").
bool ReplaceFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// ReplaceFile's way for a folder that takes no new file: room for the new bytes is set
// aside first, so a full disk fails before a byte changes (a file system that cannot
// set room aside is refused with that reason); the new bytes are written over the old,
// synced, and only then is the file cut to their length. A write that fails after all
// puts the old bytes back. A kill halfway can leave the new text's start followed by
// the rest of the old text.
bool OverwriteFileInPlace(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The name a save writes to: symbolic links are followed one at a time to what the last
// of them names, which need not exist (a dangling chain gets its file there, never over
// one of its links). A loop fails with the system's "Too many levels of symbolic
// links". stopAt, when given, ends the walk at the first name it accepts.
std::optional<QString> ResolveSaveTarget(const QString& path, QString* reason,
                                         const std::function<bool(const QString&)>& stopAt = nullptr);

// How bytes reach an open file: returns the count written or -1, like QIODevice::write.
// Tests install one that runs out of space at a chosen byte or stalls halfway; an empty
// function restores the plain write.
using FileWriteStep = std::function<qint64(QFile& file, const char* data, qint64 size)>;
void SetFileWriteStep(FileWriteStep step);
