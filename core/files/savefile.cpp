#include "core/files/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileWriteStep& WriteStep()
{
    static FileWriteStep step;
    return step;
}

qint64 WriteSome(QFile& file, const char* data, qint64 size)
{
    return WriteStep() ? WriteStep()(file, data, size) : file.write(data, size);
}

QString CannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write the file %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString SystemReason()
{
    return QString::fromLocal8Bit(strerror(errno));
}

// The reason a device gives, or a plain one when it gave none (a refused write
// that set no error).
QString Reason(const QFile& file)
{
    return file.error() == QFileDevice::NoError ? QStringLiteral("the disk refused the data")
                                                : file.errorString();
}

// Writes all bytes in slices, each write checked, then flushes and syncs them to the
// disk: a full disk shows up here and not later as an empty file.
bool WriteAll(QFile& file, const QByteArray& bytes, QString* reason)
{
    constexpr qint64 Slice = 64 * 1024;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = WriteSome(file, bytes.constData() + done,
                                         std::min(Slice, bytes.size() - done));
        if (written <= 0) {
            *reason = Reason(file);
            return false;
        }
        done += written;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        *reason = Reason(file);
        return false;
    }
    if (::fsync(file.handle()) != 0 && errno != EINVAL) {   // EINVAL: a file system without sync
        *reason = SystemReason();
        return false;
    }
    return true;
}

QString TemporaryPrefix(const QFileInfo& target)
{
    return QLatin1Char('.') + target.fileName() + QStringLiteral(".tessaray-");
}

QString TemporaryPath(const QFileInfo& target)
{
    return target.dir().filePath(TemporaryPrefix(target) +
                                 QString::number(QCoreApplication::applicationPid()) +
                                 QStringLiteral(".tmp"));
}

bool ProcessIsGone(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid != QCoreApplication::applicationPid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
           errno == ESRCH;
#else
    Q_UNUSED(pid);
    return false;
#endif
}

// A save that was killed leaves its temporary file; ours carry the saving process's
// id, so one whose process is gone (or is this one) can be removed without touching
// a save running in another copy of the program or a file of anybody else.
void RemoveStaleTemporaries(const QFileInfo& target)
{
    const QString prefix = TemporaryPrefix(target);
    const QDir dir = target.dir();
    const QStringList names = dir.entryList({prefix + QStringLiteral("*.tmp")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        bool isNumber = false;
        const qint64 pid = name.mid(prefix.size(), name.size() - prefix.size() - 4).toLongLong(&isNumber);
        if (!isNumber)
            continue;
        if (pid == QCoreApplication::applicationPid() || ProcessIsGone(pid))
            QFile::remove(dir.filePath(name));
    }
}

const QString NotRegular = QStringLiteral("it is not a regular file");

bool ReadOld(int fd, qint64 size, QByteArray* old)
{
    old->resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, old->data() + done, size_t(size - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Plain system calls, past the write step tests install (which by then fails everything).
void PutBack(int fd, const QByteArray& old)
{
    qint64 done = 0;
    while (done < old.size()) {
        const ssize_t n = ::pwrite(fd, old.constData() + done, size_t(old.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
    if (::ftruncate(fd, old.size()) == 0)
        ::fsync(fd);
}

// Room for the new bytes, taken before one of them is written: a full disk then refuses
// the save while the old file is still whole. The file keeps its length meanwhile.
bool Reserve(int fd, qint64 size, QString* reason)
{
    if (size == 0)
        return true;
#ifdef Q_OS_LINUX
    int result;
    do {
        result = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS) {
        *reason = SystemReason();
        return false;
    }
#endif
    *reason = QStringLiteral("the folder takes no temporary file and the file system cannot set room aside "
                             "for the new contents, so the file was left as it was");
    return false;
}

// The new bytes over the old ones, synced, and only then the file cut to their length.
// A full disk fails at Reserve, a write that fails later puts the old bytes back (when
// the file could be read), and a kill halfway leaves the new text's start over the old
// text's end: never an emptied file.
bool OverwriteOpenFile(int fd, bool readable, const QByteArray& bytes, QString* reason)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *reason = NotRegular;
        return false;
    }
    QByteArray old;
    readable = readable && ReadOld(fd, st.st_size, &old);
    if (!Reserve(fd, bytes.size(), reason))
        return false;
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
        *reason = file.errorString();
        return false;
    }
    bool written = WriteAll(file, bytes, reason);
    if (written && st.st_size > bytes.size() && (::ftruncate(fd, bytes.size()) != 0 || ::fsync(fd) != 0)) {
        *reason = SystemReason();
        written = false;
    }
    if (!written && readable)
        PutBack(fd, old);
    return written;
}

// A folder we may not write to still lets us overwrite a file in it that we may write,
// so an opened project can be saved where it lies.
bool WriteInPlace(const QString& path, const QByteArray& bytes, QString* reason)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking: a pipe put there meanwhile must not hang the save (fstat refuses it).
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    const bool readable = fd >= 0;
    if (fd < 0 && errno == EACCES)
        fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);   // written without the way back
    if (fd < 0) {
        *reason = SystemReason();
        return false;
    }
    const bool written = OverwriteOpenFile(fd, readable, bytes, reason);
    ::close(fd);
    return written;
}

bool WriteAndRename(const QFileInfo& target, const QByteArray& bytes, QString* reason)
{
    const QString temporary = TemporaryPath(target);
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        if (target.exists() && target.isWritable() && !QFileInfo(target.absolutePath()).isWritable())
            return WriteInPlace(target.filePath(), bytes, reason);
        *reason = file.errorString();
        return false;
    }
    if (target.exists())
        file.setPermissions(target.permissions());   // a replaced file keeps who may read it
    bool written = WriteAll(file, bytes, reason);
    file.close();
    if (written && std::rename(QFile::encodeName(temporary).constData(),
                               QFile::encodeName(target.filePath()).constData()) != 0) {
        *reason = SystemReason();
        written = false;
    }
    if (!written)
        QFile::remove(temporary);   // ours: made above with NewOnly
    return written;
}

} // namespace

void SetFileWriteStep(FileWriteStep step)
{
    WriteStep() = std::move(step);
}

std::optional<QString> ResolveSaveTarget(const QString& path, QString* reason,
                                         const std::function<bool(const QString&)>& stopAt)
{
    // What Linux itself follows before it gives up with ELOOP.
    constexpr int MaxLinks = 40;
    // Built by hand, never cleaned: "link/.." is the folder above the link's target, as
    // the system reads it, not the folder the link is in.
    QString current = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    for (int links = 0;; ++links) {
        if (stopAt && stopAt(current))
            return current;
        const QByteArray name = QFile::encodeName(current);
        struct stat st;
        if (::lstat(name.constData(), &st) != 0) {
            if (errno == ENOENT)
                return current;   // a new file: where the name, or the chain's last link, points
            *reason = SystemReason();
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t n = links < MaxLinks ? ::readlink(name.constData(), target, sizeof target) : -1;
        if (n < 0) {
            *reason = links < MaxLinks ? SystemReason() : QString::fromLocal8Bit(strerror(ELOOP));
            return std::nullopt;
        }
        const QString next = QFile::decodeName(QByteArray(target, n));
        current = QDir::isAbsolutePath(next) ? next : current.left(current.lastIndexOf(QLatin1Char('/')) + 1) + next;
    }
}

bool OverwriteFileInPlace(const QString& path, const QByteArray& bytes, QString* error)
{
    QString reason;
    const std::optional<QString> target = ResolveSaveTarget(path, &reason);
    if (target && WriteInPlace(*target, bytes, &reason))
        return true;
    if (error)
        *error = CannotWrite(path, reason);
    return false;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QString reason;
    if (const std::optional<QString> resolved = ResolveSaveTarget(path, &reason)) {
        const QFileInfo target(*resolved);
        if (target.exists() && !target.isFile()) {
            reason = NotRegular;
        } else {
            RemoveStaleTemporaries(target);
            if (WriteAndRename(target, bytes, &reason))
                return true;
        }
    }
    if (error)
        *error = CannotWrite(path, reason);
    return false;
}
