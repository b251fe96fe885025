// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// A small JSON writer for the tool's output: keys stay in the order they are added
// (so the object reads like the window's state from top to bottom), doubles are
// written in the shortest form that reads back to the very same double, and text is
// UTF-8. Every value is kept as finished JSON text.

QByteArray JsonNull();
QByteArray JsonBool(bool value);
QByteArray JsonInteger(qint64 value);
// Shortest round-trip form ("130.9", "1e+20"); NaN and infinities, which JSON cannot
// hold, are null.
QByteArray JsonNumber(double value);
QByteArray JsonString(const QString& text);
// "mm/dd/yyyy", or null.
QByteArray JsonDate(const std::optional<QDate>& date);
QByteArray JsonArray(const std::vector<QByteArray>& items);

class JsonObject {
public:
    JsonObject& add(const QString& key, const QByteArray& value);
    // One member per line, two blanks in; nested arrays and objects stay on their line.
    QByteArray text(bool multiline = true) const;

private:
    std::vector<std::pair<QString, QByteArray>> m_members;
};
