#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// Text files of the program (settings, projects, reports).
// Lines end at CR LF or at a bare LF; a final line end starts no extra line.
// Written in Windows-1252 when every character fits, else UTF-8; read as UTF-8
// when the bytes are valid UTF-8, else as Windows-1252.

QString DecodeFileText(const QByteArray& bytes);
QByteArray EncodeFileText(const QString& text);
QStringList SplitFileLines(const QString& text);

// Settings and projects are a few hundred bytes; a larger file is not one of ours,
// and reading it whole would hold several times its size in memory.
constexpr qint64 MaxTextFileSize = 64 * 1024 * 1024;

// std::nullopt when the file is missing, not a regular file, larger than
// MaxTextFileSize or cannot be read; *error gets a reason.
std::optional<QStringList> ReadTextLines(const QString& path, QString* error = nullptr);

// Writes every line followed by CR LF through ReplaceFile: a failure never leaves a
// half-written file.
bool WriteTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
// The same for a text that already holds its line ends (reports).
bool WriteTextFile(const QString& path, const QString& text, QString* error = nullptr);
