#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

// Text files of the program (settings, projects, reports).
// Lines end at CR LF or at a bare LF; a final line end starts no extra line.
// Written in Windows-1252 when every character fits, else UTF-8; read as UTF-8
// when the bytes are valid UTF-8, else as Windows-1252.

QString DecodeFileText(const QByteArray& bytes);
QByteArray EncodeFileText(const QString& text);
QStringList SplitFileLines(const QString& text);
// The same lines one at a time, without a list: a file of millions of empty lines then
// costs no more than its text. `line` returns false to stop; so does the call.
bool ForEachFileLine(QStringView text, const std::function<bool(QStringView line)>& line);

// Settings and projects are a few hundred bytes; a larger file is not one of ours,
// and reading it whole would hold several times its size in memory.
constexpr qint64 MaxTextFileSize = 64 * 1024 * 1024;

// The lines of a settings or project file for its reader: the decoded text, split one
// line at a time as it is read, or (tests, the fuzzer) lines already split.
class FileLines {
public:
    FileLines(const QStringList& lines) : m_lines(lines) {}
    explicit FileLines(const QString& text) : m_text(text), m_isText(true) {}
    // Hands each line to `line` until it returns false; returns false then.
    bool forEach(const std::function<bool(const QString& line)>& line) const;

private:
    QStringList m_lines;
    QString m_text;
    bool m_isText = false;
};

// The decoded text of a settings or project file. std::nullopt when the file is
// missing, not a regular file (which is never opened), larger than MaxTextFileSize or
// cannot be read; *error gets the reason, as the system words it where it has one
// ("No such file or directory", "Is a directory", "not a regular file").
std::optional<QString> ReadTextFile(const QString& path, QString* error = nullptr);
// The same, split into lines.
std::optional<QStringList> ReadTextLines(const QString& path, QString* error = nullptr);

// Writes every line followed by CR LF through ReplaceFile: a failure never leaves a
// half-written file.
bool WriteTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
// The same for a text that already holds its line ends (reports).
bool WriteTextFile(const QString& path, const QString& text, QString* error = nullptr);
