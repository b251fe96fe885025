#pragma once
#include "core/files/textfile.h"

#include <QString>
#include <QStringList>
#include <functional>

// The lenient key=value reader shared by .fib, .gann and the settings file.

struct KeyLine {
    QString key;    // text before the first "=", blanks trimmed, upper-cased
    QString value;  // text between the first and second "=", blanks trimmed
};

// false for a line that holds no "=" (or is empty): a continuation line.
bool SplitKeyLine(const QString& line, KeyLine& out);

// Project files: each key line goes to onKey(key, value); onKey returns false when
// its value cannot be read, which fails the whole read. A line without "=" is a
// continuation: given to onNotesLine, unchanged, when the most recent key was "NT",
// else ignored. The most recent key starts as "NONE".
bool ReadProjectLines(const FileLines& lines,
                      const std::function<bool(const QString& key, const QString& value)>& onKey,
                      const std::function<void(const QString& line)>& onNotesLine);
