#include "modules/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <unistd.h>
#endif

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
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0 && errno != EINVAL) {   // EINVAL: a file system without sync
        *reason = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
#endif
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

// The file the path finally names: a symbolic link is followed so that the link stays
// a link and the file it points to gets the new bytes.
QFileInfo FinalTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QFileInfo(info.absoluteFilePath());
    return QFileInfo(info.exists() ? info.canonicalFilePath() : info.symLinkTarget());
}

// A folder we may not write to still lets us overwrite a file in it that we may write:
// done in place, so a failure there can leave the file short, but the edits are not
// stranded.
bool WriteInPlace(const QFileInfo& target, const QByteArray& bytes, QString* reason)
{
    QFile file(target.filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    const bool written = WriteAll(file, bytes, reason);
    file.close();
    return written;
}

bool WriteAndRename(const QFileInfo& target, const QByteArray& bytes, QString* reason)
{
    const QString temporary = TemporaryPath(target);
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        if (target.exists() && target.isWritable() && !QFileInfo(target.absolutePath()).isWritable())
            return WriteInPlace(target, bytes, reason);
        *reason = file.errorString();
        return false;
    }
    if (target.exists())
        file.setPermissions(target.permissions());   // a replaced file keeps who may read it
    bool written = WriteAll(file, bytes, reason);
    file.close();
    if (written && std::rename(QFile::encodeName(temporary).constData(),
                               QFile::encodeName(target.filePath()).constData()) != 0) {
        *reason = QString::fromLocal8Bit(strerror(errno));
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

bool ReplaceFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const QFileInfo target = FinalTarget(path);
    QString reason;
    if (target.exists() && !target.isFile()) {
        reason = QStringLiteral("it is not a regular file");
    } else {
        RemoveStaleTemporaries(target);
        if (WriteAndRename(target, bytes, &reason))
            return true;
    }
    if (error)
        *error = CannotWrite(path, reason);
    return false;
}
