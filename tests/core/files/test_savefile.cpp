#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

int SyncError = 0;   // what the next syncs fail with; 0: they succeed

const QByteArray OldBytes = "NM=Gold\r\nP1=1290\r\n";

// Everything in the folder except the named files: temporaries left behind.
QStringList Leftovers(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}

} // namespace

// This program's fsync comes before the C library's, for the saves too: a disk that
// takes every byte and then cannot make them last (EIO, as a failing or network disk
// gives), or a file system that has no sync at all (EINVAL).
extern "C" int fsync(int fd) {
    if (SyncError != 0) {
        errno = SyncError;
        return -1;
    }
    return int(::syscall(SYS_fsync, fd));
}

// Whatever goes wrong while a file is saved, the file that was there stays byte for
// byte, nothing of ours is left beside it, and nothing the program did not make is
// ever removed.
class TestSaveFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        SetFileWriteStep({});
        SyncError = 0;
    }

    // "room": bytes the disk takes before it is full (-1: no limit). The new bytes are
    // 200 kB, more than one write, so a disk that fills in a later write is caught too.
    void failedWritesKeepTheOldFile_data() {
        QTest::addColumn<QString>("target");   // "file", "symlink", "folder", "fifo", "device"
        QTest::addColumn<qint64>("room");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("syncError");
        QTest::newRow("saved") << "file" << qint64(-1) << true << 0;
        QTest::newRow("the disk cannot sync") << "file" << qint64(-1) << false << EIO;
        QTest::newRow("a file system without sync") << "file" << qint64(-1) << true << EINVAL;
        QTest::newRow("disk full at once") << "file" << qint64(0) << false << 0;
        QTest::newRow("disk full at byte 1000") << "file" << qint64(1000) << false << 0;
        QTest::newRow("disk full in the last write") << "file" << qint64(200 * 1000 - 1) << false << 0;
        QTest::newRow("through a link: the file replaced") << "symlink" << qint64(-1) << true << 0;
        QTest::newRow("through a link, disk full") << "symlink" << qint64(70000) << false << 0;
        QTest::newRow("a folder in the way") << "folder" << qint64(-1) << false << 0;
        QTest::newRow("a pipe: refused, no hang") << "fifo" << qint64(-1) << false << 0;
        QTest::newRow("a device: refused, kept") << "device" << qint64(-1) << false << 0;
    }
    void failedWritesKeepTheOldFile() {
        QFETCH(QString, target);
        QFETCH(qint64, room);
        QFETCH(bool, saved);
        QFETCH(int, syncError);
        QTemporaryDir dir;
        const QString real = dir.filePath("real.fib");
        QString path = dir.filePath("chart.fib");
        QStringList expected{"chart.fib"};
        if (target == "file" || target == "symlink") {
            QVERIFY(WriteBytes(real, OldBytes));
            if (target == "symlink")
                QVERIFY(QFile::link(real, path));
            else
                path = real;
            expected = QStringList{"chart.fib", "real.fib"};
        } else if (target == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("chart.fib"));
        } else if (target == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QVERIFY(QFile::link("/dev/full", path));
        }
        if (room >= 0)
            SetFileWriteStep(DiskFullAfter(room));
        SyncError = syncError;

        const QByteArray bytes(200 * 1000, 'x');
        QString error;
        QCOMPARE(ReplaceFile(path, bytes, &error), saved);
        if (target == "file" || target == "symlink")
            QCOMPARE(ReadBytes(path), saved ? bytes : OldBytes);
        if (target == "symlink")
            QVERIFY(QFileInfo(path).isSymLink());
        if (!saved)
            QVERIFY2(error.startsWith("Cannot write the file " + path + ": "), qPrintable(error));
        if (target == "device")
            QVERIFY(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
        QCOMPARE(Leftovers(dir.path(), expected), QStringList());
    }

    // A save killed halfway (power cut, kill -9) leaves the old file whole; its
    // temporary file is cleared away by the next save of the same file. The save is
    // run in a copy of this test program (stalledSave) that stops halfway.
    void killedSaveKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("gann.gann");
        QVERIFY(WriteBytes(path, OldBytes));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("STALLED_SAVE_TARGET", path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"stalledSave"});
        QVERIFY(child.waitForStarted());
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("stalled"), 20000);
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(ReadBytes(path), OldBytes);
        QCOMPARE(Leftovers(dir.path(), {"gann.gann"}).size(), 1);   // the killed save's

        QVERIFY(ReplaceFile(path, "NM=Silver\r\n"));
        QCOMPARE(ReadBytes(path), QByteArray("NM=Silver\r\n"));
        QCOMPARE(Leftovers(dir.path(), {"gann.gann"}), QStringList());
    }
    void stalledSave() {
        const QString path = qEnvironmentVariable("STALLED_SAVE_TARGET");
        if (path.isEmpty())
            QSKIP("run by killedSaveKeepsTheOldFile");
        SetFileWriteStep([](QFile& file, const char* data, qint64 size) -> qint64 {
            const qint64 n = file.write(data, size / 2);
            std::fputs("stalled\n", stdout);
            std::fflush(stdout);
            ::sleep(60);
            return n;
        });
        ReplaceFile(path, QByteArray(100000, 'y'));
    }

    // Links are followed one at a time to what the last of them names. links: "name>target"
    // made in order; outcome: the file that gets the bytes, or "!" and the error's end.
    // Every link stays a link either way.
    void linkChains_data() {
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("a loop is refused") << QStringList{"first>second", "second>first"}
                                           << "!Too many levels of symbolic links";
        QTest::newRow("a chain that ends nowhere gets its file at the end")
            << QStringList{"first>second", "second>third"} << "third";
    }
    void linkChains() {
        QFETCH(QStringList, links);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        for (const QString& link : links)
            QCOMPARE(::symlink(qPrintable(link.section('>', 1)), qPrintable(dir.filePath(link.section('>', 0, 0)))), 0);
        QString error;
        const bool saved = ReplaceFile(dir.filePath("first"), "new", &error);
        QCOMPARE(saved, !outcome.startsWith('!'));
        if (saved)
            QCOMPARE(ReadBytes(dir.filePath(outcome)), QByteArray("new"));
        else
            QVERIFY2(error.endsWith(outcome.mid(1)), qPrintable(error));
        for (const QString& link : links)
            QVERIFY(QFileInfo(dir.filePath(link.section('>', 0, 0))).isSymLink());
    }

    // In a folder that takes no new file the file is overwritten in place: room for the
    // new bytes is found first, so a disk that is really full (a 64 KiB tmpfs, where one
    // can be mounted) fails with the old file whole; a write that fails later puts the
    // old bytes back; a shorter text leaves nothing of the old one behind it.
    void inPlace_data() {
        QTest::addColumn<QString>("disk");   // "room", "fails at byte 1000", "full tmpfs"
        QTest::addColumn<qint64>("newSize");
        QTest::newRow("shorter text, no old tail") << "room" << qint64(100);
        QTest::newRow("a write fails mid-file: the old bytes back") << "fails at byte 1000" << qint64(200 * 1000);
        QTest::newRow("a full disk fails before a byte changes") << "full tmpfs" << qint64(5000);
    }
    void inPlace() {
        QFETCH(QString, disk);
        QFETCH(qint64, newSize);
        QTemporaryDir dir;
        const bool tmpfs = disk == "full tmpfs";
        if (tmpfs && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir.path()}) != 0)
            QSKIP("a small tmpfs cannot be mounted here (it needs root and a mount namespace)");
        const auto unmount = qScopeGuard([&] {
            if (tmpfs)
                QProcess::execute("umount", {dir.path()});
        });
        const QString path = dir.filePath("report.txt");
        const QByteArray old(616, 'o');
        QVERIFY(WriteBytes(path, old));
        if (tmpfs)
            WriteBytes(dir.filePath("filler"), QByteArray(64 << 10, 'f'));   // as much as fits: the disk is full
        if (disk == "fails at byte 1000")
            SetFileWriteStep(DiskFullAfter(1000));
        const QByteArray bytes(newSize, 'n');
        QString error;
        QCOMPARE(OverwriteFileInPlace(path, bytes, &error), disk == "room");
        QCOMPARE(ReadBytes(path), disk == "room" ? bytes : old);
        if (tmpfs)
            QVERIFY2(error.endsWith(": No space left on device"), qPrintable(error));
    }

    // A folder the user may not write holding a file he may: the file is written in
    // place, so an opened project can still be saved.
    void unwritableFolderWritesInPlace() {
        if (::geteuid() == 0)
            QSKIP("the superuser may write any folder");
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.txt");
        QVERIFY(WriteBytes(path, OldBytes));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool saved = ReplaceFile(path, "new");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(saved);
        QCOMPARE(ReadBytes(path), QByteArray("new"));
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "test_savefile.moc"
