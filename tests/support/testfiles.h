#pragma once
#include "core/files/savefile.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <memory>

// A file's bytes, or "<unreadable>" when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Four kilobytes of noise, as a damaged or foreign file holds.
inline QByteArray NoiseBytes() {
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char((i * 7919) & 0xFF);
    return bytes;
}

// A disk that fills up after `room` bytes of the next save: the write that crosses
// the limit puts what still fits and then fails, as a real full disk does.
inline FileWriteStep DiskFullAfter(qint64 room) {
    auto written = std::make_shared<qint64>(0);
    return [room, written](QFile& file, const char* data, qint64 size) -> qint64 {
        const qint64 n = std::min(size, room - *written);
        if (n <= 0 || file.write(data, n) != n)
            return -1;
        *written += n;
        return n;
    };
}

// The `count` lines of an exported report under `heading`, from the line after its
// rule; empty when the heading or its rule is missing. Addressing a part by its
// heading keeps a check on the lines that belong to it, wherever the part sits.
inline QStringList ReportSection(const QStringList& lines, const QString& heading, int count) {
    const int at = lines.indexOf(heading);
    if (at < 0 || lines.value(at + 1) != QString(heading.size(), QLatin1Char('-')))
        return {};
    return lines.mid(at + 2, count);
}
