#include "core/files/programfolder.h"

#include <QFileInfo>

bool IsPortableProgramFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable())
        return false;
    // Where the package manager puts programs and their files; /bin is /usr/bin on
    // Debian, which the real path shows.
    const QString real = info.canonicalFilePath();
    for (const char* system : {"/usr", "/bin", "/sbin", "/lib", "/lib64", "/etc"}) {
        const QString root = QLatin1String(system);
        if (real == root || real.startsWith(root + QLatin1Char('/')))
            return false;
    }
    return true;
}

QString FolderToPropose(const QString& folder, const QStringList& fallbacks)
{
    if (IsPortableProgramFolder(folder))
        return folder;
    for (const QString& fallback : fallbacks)
        if (!fallback.isEmpty() && IsPortableProgramFolder(fallback))
            return fallback;
    return folder;
}
