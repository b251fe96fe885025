#pragma once
#include "core/files/savefile.h"

#include <QFile>
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
