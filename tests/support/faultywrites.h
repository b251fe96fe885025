#pragma once
#include "modules/savefile.h"

#include <QFile>
#include <algorithm>
#include <memory>

// A disk that fills up after `room` bytes of the next save: the write that crosses
// the limit puts what still fits and then fails, as a real full disk does.
inline FileWriteStep DiskFullAfter(qint64 room)
{
    auto written = std::make_shared<qint64>(0);
    return [room, written](QFile& file, const char* data, qint64 size) -> qint64 {
        const qint64 n = std::min(size, room - *written);
        if (n <= 0 || file.write(data, n) != n)
            return -1;
        *written += n;
        return n;
    };
}
