// The program against a hostile system: settings stored where they cannot be, or only partly, written, and name
// files that change while a search reads them. Each save runs in a child process with a time limit, so that a
// save that would wait for ever shows as a failure instead of stopping the suite.

#include "namefile_p.h"
#include "namesearch.h"
#include "settingsstore.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

using namespace namorel;
using namespace namorel::testing;

namespace {

const QString kFailedSave = QStringLiteral("Failed to set data for 'surname'");

// What the child saves: long enough that its file does not fit where the tests leave room for a lock file only.
UserEntries childEntries()
{
    return { QString(1000, u'W'), QStringLiteral("Mae"), 1, 4, 9 };
}

// The child's side: load the store at the task's path, then save it, as the program does between start and
// close; with a count, the files it writes may not grow past that many bytes. Exits with 0 when saved, with 1
// and the message on its error output when the save failed.
int runChild(const ChildTask &task)
{
    const SettingsStore store(task.Path);
#ifdef Q_OS_UNIX
    // A limit on the size of the files this process writes: writes fail past it, as on a full disk.
    if (task.Count > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = rlim_t(task.Count);
        const rlimit fileSize { limit, limit };
        if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            return 3;
    }
#endif
    UserEntries entries = SettingsStore::defaults();
    store.load(entries);
    try {
        store.save(childEntries());
    } catch (const SettingsError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

#ifdef Q_OS_UNIX
// A user for whom file permissions bind.
struct ChildUser
{
    uid_t uid;
    gid_t gid;
};

// The test's own user, or "nobody" when the test runs as root; nothing when there is no such user.
std::optional<ChildUser> unprivilegedUser()
{
    if (::geteuid() != 0)
        return ChildUser { ::geteuid(), ::getegid() };
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody || nobody->pw_uid == 0)
        return std::nullopt;
    return ChildUser { nobody->pw_uid, nobody->pw_gid };
}
#endif

enum class Obstacle {
    AbandonedLockInReadOnlyFolder,
    PipeForFile,
    PipeForLock,
    LinkLoopForFile,
    DanglingLinkForFile,
    FullDisk,
    FileSizeLimit,
};

} // namespace

Q_DECLARE_METATYPE(Obstacle)

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void settingsSave_data();
    void settingsSave();
    void nameFilesReplacedDuringSearches();
};

void TestFaults::settingsSave_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QByteArray>("detail"); // the lock file's contents, or the number of free blocks
    QTest::addColumn<bool>("saves");

    // Process id, program and host, as a lock file holds them; no process has an id this high.
    const QByteArray goneOwner = "4194305\nnamorel\n" + QSysInfo::machineHostName().toUtf8() + '\n';
    QTest::newRow("an abandoned lock whose owner is gone, in a read-only folder")
        << Obstacle::AbandonedLockInReadOnlyFolder << goneOwner << false;
    QTest::newRow("an abandoned lock that names no owner, in a read-only folder")
        << Obstacle::AbandonedLockInReadOnlyFolder << QByteArray() << false;
    QTest::newRow("a pipe where the settings file belongs") << Obstacle::PipeForFile << QByteArray() << false;
    QTest::newRow("a pipe where the lock file belongs") << Obstacle::PipeForLock << QByteArray() << false;
    // Such a link names no file; the save puts the settings in its place.
    QTest::newRow("a symbolic link loop where the settings file belongs")
        << Obstacle::LinkLoopForFile << QByteArray() << true;
    QTest::newRow("a link to a file yet to be made") << Obstacle::DanglingLinkForFile << QByteArray() << true;
    QTest::newRow("a disk with one free block, which the lock file takes")
        << Obstacle::FullDisk << QByteArray("1") << false;
    QTest::newRow("a disk without a free block") << Obstacle::FullDisk << QByteArray("0") << false;
    QTest::newRow("a file size limit that cuts the write short") << Obstacle::FileSizeLimit << QByteArray() << false;
}

void TestFaults::settingsSave()
{
    // A save either fails, with its message and everything as it was, or saves whole; it never waits for ever
    // and leaves nothing of its own behind.
#ifndef Q_OS_LINUX
    QSKIP("pipes, links, small disks and file size limits are made the Linux way here");
#else
    QFETCH(Obstacle, obstacle);
    QFETCH(QByteArray, detail);
    QFETCH(bool, saves);

    QTemporaryDir config;
    QVERIFY(config.isValid());
    const QString folder = config.filePath(QStringLiteral("Tessaly"));
    const QString path = folder + QStringLiteral("/Nomigraph.conf");
    const QString lockPath = path + QStringLiteral(".lock");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray before("[Setup]\nsurname=\"Kept\"\n");
    QProcess child;
    int fileSizeLimit = 0;
    std::optional<QScopeGuard<std::function<void()>>> undo;
    QStringList leftBehind;
    QString savedPath = path;
    switch (obstacle) {
    case Obstacle::AbandonedLockInReadOnlyFolder: {
        const std::optional<ChildUser> user = unprivilegedUser();
        if (!user)
            QSKIP("the test runs as root and there is no user \"nobody\" to save as: the folder's permissions would "
                  "not bind");
        QVERIFY(writeFile(path, before) && writeFile(lockPath, detail));
        // The saving user owns the folder and its files, but may not add or remove any.
        for (const QString &owned : { config.path(), folder, path, lockPath }) {
            if (::chown(QFile::encodeName(owned).constData(), user->uid, user->gid) != 0)
                QSKIP("the files cannot be handed to the user who saves");
        }
        QVERIFY(QFile::setPermissions(
            config.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        undo.emplace(
            [folder] { QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        const ChildUser runAs = *user;
        if (runAs.uid != ::geteuid()) {
            child.setChildProcessModifier([runAs] {
                // Only async-signal-safe calls here; a child that kept root's rights must not run at all.
                if (::setgroups(0, nullptr) != 0 || ::setgid(runAs.gid) != 0 || ::setuid(runAs.uid) != 0)
                    ::_exit(4);
            });
        }
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf"), QStringLiteral("Nomigraph.conf.lock") };
        break;
    }
    case Obstacle::PipeForFile:
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf") };
        break;
    case Obstacle::PipeForLock:
        QVERIFY(writeFile(path, before));
        QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf"), QStringLiteral("Nomigraph.conf.lock") };
        break;
    case Obstacle::LinkLoopForFile:
        QVERIFY(QFile::link(QStringLiteral("Nomigraph.conf"), path));
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf") };
        break;
    case Obstacle::DanglingLinkForFile:
        QVERIFY(QDir().mkpath(config.filePath(QStringLiteral("dotfiles"))));
        savedPath = config.filePath(QStringLiteral("dotfiles/namorel.conf"));
        QVERIFY(QFile::link(savedPath, path));
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf") };
        break;
    case Obstacle::FullDisk: {
        const QByteArray mountPoint = QFile::encodeName(folder);
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
            QSKIP("a small disk cannot be mounted here (only root may, and not in every container)");
        undo.emplace([mountPoint] { ::umount2(mountPoint.constData(), MNT_DETACH); });
        QVERIFY(writeFile(path, before));
        // Fill the disk, then free as many blocks as wanted.
        const auto fill = [&](const QString &name, qint64 blocks) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            for (qint64 i = 0; i < blocks && file.write(block) == block.size(); ++i) { }
        };
        const int freeBlocks = detail.toInt();
        fill(QStringLiteral("spare"), freeBlocks);
        fill(QStringLiteral("filler"), LLONG_MAX);
        QVERIFY(QFile::remove(folder + QStringLiteral("/spare")));
        struct statvfs disk = {};
        QCOMPARE(::statvfs(QFile::encodeName(folder).constData(), &disk), 0);
        QCOMPARE(qint64(disk.f_bavail * disk.f_frsize), qint64(freeBlocks) * 4096);
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf"), QStringLiteral("filler") };
        break;
    }
    case Obstacle::FileSizeLimit:
        QVERIFY(writeFile(path, before));
        // Room for the lock file, not for the settings.
        fileSizeLimit = 512;
        leftBehind = QStringList { QStringLiteral("Nomigraph.conf") };
        break;
    }
    const QFileInfo initial(path);
    const QByteArray initialTarget = initial.isSymLink() ? initial.symLinkTarget().toUtf8() : QByteArray();
    QFile current(path);
    const QByteArray initialText = initial.isFile() && current.open(QIODevice::ReadOnly) ? current.readAll() : "";
    current.close();

    QVERIFY(startChild(child, "save", path, {}, fileSizeLimit));
    QVERIFY2(child.waitForFinished(20000), "the save neither ended nor gave up");
    if (child.exitCode() == 4)
        QSKIP("the test cannot drop its rights to save as another user");
    const QByteArray errors = child.readAllStandardError();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), saves ? 0 : 1);
    if (saves) {
        UserEntries loaded = SettingsStore::defaults();
        SettingsStore(path).load(loaded);
        QCOMPARE(loaded.Surname, childEntries().Surname);
        QCOMPARE(loaded.MaxLength, childEntries().MaxLength);
        QVERIFY(QFileInfo(savedPath).isFile());
        if (obstacle == Obstacle::DanglingLinkForFile)
            QVERIFY(QFileInfo(path).isSymLink());
    } else {
        QVERIFY2(errors.contains(kFailedSave.toUtf8()), errors.constData());
        // Everything as it was. (A pipe is not opened: that would wait for a writer.)
        QFile after(path);
        const bool readable = QFileInfo(path).isFile() && after.open(QIODevice::ReadOnly);
        QCOMPARE(readable ? after.readAll() : QByteArray(), initialText);
        QCOMPARE(QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget().toUtf8() : QByteArray(), initialTarget);
    }
    leftBehind.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name).join(u' '),
        leftBehind.join(u' '));
#endif
}

void TestFaults::nameFilesReplacedDuringSearches()
{
    // While searches run, another program deletes the name files and puts new versions in their place, each
    // written whole under another name and then renamed, as installers do. A search reads every file whole, one
    // version or the other, or stops at a file that is missing with "Cannot open file"; it never lists part of
    // a file, and keeps the files read before the missing one.
    constexpr int kFiles = 6;
    constexpr int kLines = 30;
    constexpr int kSearches = 300;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList paths;
    const auto version = [](int file, int number) {
        QByteArray text;
        for (int line = 0; line < kLines; ++line)
            text += QStringLiteral("f%1 v%2 n%3\n")
                        .arg(file)
                        .arg(number, 6, 10, QChar(u'0'))
                        .arg(line, 2, 10, QChar(u'0'))
                        .toUtf8();
        return text;
    };
    // Writes a new version whole under another name, deletes the file, and renames the new version into its place.
    const auto put = [&](int file, int number) {
        QFile temporary(paths[file] + QStringLiteral(".new"));
        if (!temporary.open(QIODevice::WriteOnly) || temporary.write(version(file, number)) < 0)
            return false;
        temporary.close();
        QFile::remove(paths[file]);
        return std::rename(
                   QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(paths[file]).constData())
            == 0;
    };
    for (int file = 0; file < kFiles; ++file) {
        paths.append(dir.filePath(QStringLiteral("f%1g.nam").arg(file)));
        QVERIFY(put(file, 0));
    }

    std::atomic<bool> stop { false };
    std::atomic<int> replaced { 0 };
    std::thread replacer([&] {
        QRandomGenerator random(20240611);
        for (int number = 1; !stop; ++number) {
            put(int(random.bounded(kFiles)), number);
            ++replaced;
        }
    });
    const auto stopReplacer = qScopeGuard([&] {
        stop = true;
        replacer.join();
    });

    int complete = 0;
    int missing = 0;
    for (int search = 0; search < kSearches; ++search) {
        SearchResult result;
        QString error;
        try {
            ScanFiles(paths, 1, 20, result);
        } catch (const SearchError &searchError) {
            error = searchError.message();
        }
        // The lines of each file read, by file: all of them, of one version.
        QMap<QString, QStringList> byFile;
        for (const QString &line : result.Recommended + result.NotRecommended)
            byFile[line.section(u' ', 0, 0)].append(line);
        int filesRead = 0;
        for (auto it = byFile.cbegin(); it != byFile.cend(); ++it) {
            QCOMPARE(it.value().size(), kLines);
            const QString number = it.value().first().section(u' ', 1, 1);
            QVERIFY2(std::all_of(it.value().begin(), it.value().end(),
                         [&](const QString &line) { return line.section(u' ', 1, 1) == number; }),
                qPrintable(QStringLiteral("search %1 mixed two versions of %2").arg(search).arg(it.key())));
            QCOMPARE(it.key(), QStringLiteral("f%1").arg(filesRead));
            ++filesRead;
        }
        QCOMPARE(result.ScannedCount, filesRead * kLines);
        if (error.isEmpty()) {
            QCOMPARE(filesRead, kFiles);
            ++complete;
        } else {
            QCOMPARE(error, QStringLiteral("Cannot open file %1").arg(paths[filesRead]));
            ++missing;
        }
    }
    qInfo("%d searches read every file, %d stopped at a missing one, while files were replaced %d times", complete,
        missing, replaced.load());
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The settings tests start this program again as the copy that saves.
    if (const ChildTask task = childTask(); !task.Role.isEmpty())
        return runChild(task);
    TestFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
