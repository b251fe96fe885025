#include "core/files/projectfile.h"

#include "core/numbers/modFunctions.h"

bool SplitKeyLine(const QString& line, KeyLine& out)
{
    const qsizetype first = line.indexOf(QLatin1Char('='));
    if (first < 0)
        return false;
    // A second "=" ends the value: "NM=a=b" names the project "a".
    const qsizetype second = line.indexOf(QLatin1Char('='), first + 1);
    const qsizetype valueEnd = second < 0 ? line.size() : second;
    // Hand-edited files get blanks around keys and values, never tabs or line breaks,
    // so a tab stays part of the value.
    out.key = TrimBlanks(line.left(first)).toUpper();
    out.value = TrimBlanks(line.mid(first + 1, valueEnd - first - 1));
    return true;
}

bool ReadProjectLines(const FileLines& lines,
                      const std::function<bool(const QString& key, const QString& value)>& onKey,
                      const std::function<void(const QString& line)>& onNotesLine)
{
    // Notes may run over several lines; the file stores their second and later
    // lines bare, so a line without "=" belongs to the notes only while the last
    // key seen was NT. Any other key, known or not, ends the notes.
    QString recentKey = QStringLiteral("NONE");
    return lines.forEach([&](const QString& line) {
        KeyLine keyLine;
        if (SplitKeyLine(line, keyLine)) {
            recentKey = keyLine.key;
            return onKey(keyLine.key, keyLine.value);
        }
        if (recentKey == QLatin1String("NT"))
            onNotesLine(line);
        return true;
    });
}
