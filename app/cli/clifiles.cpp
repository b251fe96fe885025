#include "app/cli/clifiles.h"
#include "core/files/savefile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

QString ReadProblem(const QString& path)
{
    // QFile opens a folder without complaint; reading it would fail later with less to say.
    if (QFileInfo(path).isDir())
        return QStringLiteral("Is a directory");
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

CliFailure FileFailure(const QString& sentence, const QString& path, const QString& reason)
{
    return {ExitFailed, QStringLiteral("%1 %2: %3").arg(sentence, EscapeControls(path), reason)};
}

CliFailure ProjectFailure(const QString& path, const QString& reason)
{
    return FileFailure(QStringLiteral("Action failed:\nCan't open project file"), path,
                       reason.isEmpty() ? QStringLiteral("not a project file this window can read") : reason);
}

namespace {

QString SystemReason() { return QString::fromLocal8Bit(strerror(errno)); }

// The descriptors a shell hands over, by the names scripts give them. Writing to the
// descriptor itself keeps what the shell asked for (">>" appends); opening the name
// again would start a new file at its beginning.
std::optional<int> InheritedDescriptor(const QString& path)
{
    if (path == QLatin1String("/dev/stdin"))
        return 0;
    if (path == QLatin1String("/dev/stdout"))
        return 1;
    if (path == QLatin1String("/dev/stderr"))
        return 2;
    static const QRegularExpression fd(QStringLiteral("^/(?:dev|proc/self|proc/thread-self|proc/(\\d+))/fd/(\\d{1,9})$"));
    const QRegularExpressionMatch m = fd.match(path);
    if (!m.hasMatch() || (m.hasCaptured(1) && m.captured(1).toLongLong() != QCoreApplication::applicationPid()))
        return std::nullopt;
    return m.captured(2).toInt();
}

// Where a named output ends: the shell's own descriptor, something that takes a stream
// (a terminal, a pipe, a socket), or a file to replace (or make) at the end of its links.
struct Destination {
    enum Kind { Descriptor, Stream, File } kind = File;
    int descriptor = -1;
    QString path;
};

std::optional<Destination> FindDestination(const QString& target, QString* reason)
{
    if (target == QLatin1String("-"))
        return Destination{Destination::Descriptor, STDOUT_FILENO, QString()};
    const std::optional<QString> end = ResolveSaveTarget(target, reason, [](const QString& name) {
        return InheritedDescriptor(name).has_value();
    });
    if (!end)
        return std::nullopt;
    if (const std::optional<int> fd = InheritedDescriptor(*end))
        return Destination{Destination::Descriptor, *fd, QString()};
    struct stat st;
    const bool stream = ::stat(QFile::encodeName(*end).constData(), &st) == 0 &&
                        (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
    return Destination{stream ? Destination::Stream : Destination::File, -1, *end};
}

// Every byte to a descriptor, waiting where a pipe is full; empty, or the system's reason.
QString WriteToDescriptor(int fd, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, -1);
        } else if (n == 0 || errno != EINTR) {
            return n == 0 ? QStringLiteral("the device took no data") : SystemReason();
        }
    }
    return QString();
}

// A named pipe or a device is opened as a shell's ">" would open it (a pipe waits for
// its reader); a socket is connected to.
int OpenStream(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

QString WriteStream(const Destination& d, const QByteArray& bytes, QIODevice* out)
{
    if (d.kind == Destination::Descriptor && d.descriptor == STDOUT_FILENO) {
        // Through the tool's own standard output, so nothing written before is overtaken.
        return !out || out->write(bytes) == bytes.size() ? QString() : out->errorString();
    }
    if (d.kind == Destination::Descriptor)
        return WriteToDescriptor(d.descriptor, bytes);
    const int fd = OpenStream(d.path);
    if (fd < 0)
        return SystemReason();
    const QString problem = WriteToDescriptor(fd, bytes);
    ::close(fd);
    return problem;
}

// context: "Action failed:\n" or "Error in Printing: ", the window's own start of the
// sentence. A regular file goes through the same careful replacement as the windows'
// files: a full disk or a kill never leaves it half written.
std::optional<CliFailure> WriteBytes(const QString& target, const QByteArray& bytes, QIODevice* out,
                                     const QString& context)
{
    QString reason;
    const std::optional<Destination> d = FindDestination(target, &reason);
    if (d && d->kind == Destination::File) {
        QString error;
        if (ReplaceFile(target, bytes, &error))
            return std::nullopt;
        return CliFailure{ExitFailed, context + EscapeControls(error)};
    }
    if (d)
        reason = WriteStream(*d, bytes, out);
    if (reason.isEmpty())
        return std::nullopt;
    const QString shown = target == QLatin1String("-") ? QStringLiteral("(standard output)") : target;
    return FileFailure(context + QStringLiteral("Cannot write the file"), shown, reason);
}

// What a name stands for: the device and inode of what it ends in, or, for a file not
// made yet, its folder's and its own name.
QString FileIdentity(const QString& target)
{
    QString reason;
    const std::optional<Destination> d = FindDestination(target, &reason);
    if (!d)
        return target;
    struct stat st;
    const auto identity = [&st](const QString& name) {
        return QStringLiteral("%1:%2/%3").arg(st.st_dev).arg(st.st_ino).arg(name);
    };
    if (d->kind == Destination::Descriptor)
        return ::fstat(d->descriptor, &st) == 0 ? identity(QString()) : target;
    if (::stat(QFile::encodeName(d->path).constData(), &st) == 0)
        return identity(QString());
    const qsizetype slash = d->path.lastIndexOf(QLatin1Char('/'));
    return ::stat(QFile::encodeName(d->path.left(slash + 1)).constData(), &st) == 0
        ? identity(d->path.mid(slash + 1))
        : d->path;
}

}  // namespace

std::optional<CliFailure> WriteOutput(const QString& target, const QByteArray& bytes, QIODevice* out)
{
    return WriteBytes(target, bytes, out, QStringLiteral("Action failed:\n"));
}

bool SameOutputFile(const QString& a, const QString& b)
{
    return FileIdentity(a) == FileIdentity(b);
}

namespace {

// The chart's pixels for a PNG: a chart has a handful of colours, and a palette of them
// sends a third of the bytes through the compressor, in well under half the time. A
// picture of more than 256 colours stays 24-bit: never an approximation.
QImage PngPixels(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    QList<QRgb> colors;
    QRgb last = 0;
    uchar lastIndex = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* to = indexed.scanLine(y);
        for (int x = 0, width = rgb.width(); x < width; ++x) {
            if (colors.isEmpty() || from[x] != last) {
                last = from[x];
                qsizetype at = colors.indexOf(last);
                if (at < 0) {
                    if (colors.size() == 256)
                        return picture.convertToFormat(QImage::Format_RGB888);
                    at = colors.size();
                    colors.push_back(last);
                }
                lastIndex = uchar(at);
            }
            to[x] = lastIndex;
        }
    }
    indexed.setColorTable(colors);
    indexed.setDotsPerMeterX(picture.dotsPerMeterX());
    indexed.setDotsPerMeterY(picture.dotsPerMeterY());
    return indexed;
}

}  // namespace

std::optional<CliFailure> WriteChartPicture(const QImage& picture, const QString& target, QIODevice* out)
{
    // 24 bits per pixel: the bitmap every Windows program reads; a PNG of the chart's
    // few colours.
    const bool png = ChartFormatFor(target) == ChartFormat::Png;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (png) {
        // Quality 80 is zlib's fastest level for Qt's PNG writer: on a palette chart it
        // takes a fifth off the whole run for a file of 60 KB instead of 37 KB.
        PngPixels(picture).save(&buffer, "PNG", 80);
    } else {
        // A bitmap's size is known before it is written: rows padded to 4 bytes under a
        // 54-byte header. Growing the buffer step by step would copy megabytes.
        const qsizetype rowBytes = (qsizetype(picture.width()) * 3 + 3) & ~qsizetype(3);
        bytes.reserve(54 + rowBytes * picture.height());
        // Qt writes 24-bit rows from 32-bit pixels; handing it 24-bit ones makes it
        // convert them back first.
        picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    }
    return WriteBytes(target, bytes, out, QStringLiteral("Error in Printing: "));
}
