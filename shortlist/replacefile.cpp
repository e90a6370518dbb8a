#include "shortlist.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace namorel {

namespace {

// Why the path cannot be written when it names something other than a regular file ("it is a device, not a
// file."); an empty text for a regular file and for nothing at all (a new file). A symbolic link is judged by what
// it names.
QString notAFile(const QString &filePath)
{
#ifdef Q_OS_UNIX
    struct stat info = {};
    if (::stat(QFile::encodeName(filePath).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return QString();
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder, not a file.");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("it is a device, not a file.");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("it is a pipe, not a file.");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("it is a socket, not a file.");
#else
    const QFileInfo info(filePath);
    if (!info.exists() || info.isFile())
        return QString();
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file.");
#endif
    return QStringLiteral("it is not a regular file.");
}

#ifdef Q_OS_UNIX
// What a system error number means for a file being written.
QString writeErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full.");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("your disk quota is full.");
#endif
    case EFBIG:
        return QStringLiteral("the file would be larger than the system allows.");
    default:
        break;
    }
    return qt_error_string(error) + u'.';
}
#endif

// Writes \a bytes to the open file and makes sure that the disk holds them all. Returns what went wrong, or an
// empty text. Not through QSaveFile's own writing: it keeps what it is given in a buffer, and its commit() reports
// success when the buffer does not fit on the disk, leaving an empty file; nor do its messages say which error it
// met.
QString writeWholly(QSaveFile &file, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno != EINTR)
            return writeErrorText(errno);
        done += std::max<ssize_t>(written, 0);
    }
    return ::fsync(fd) == 0 ? QString() : writeErrorText(errno);
#else
    return file.write(bytes) == bytes.size() && file.flush() ? QString() : file.errorString() + u'.';
#endif
}

} // namespace

void ReplaceFile(const QString &filePath, const QByteArray &bytes, const QString &failure)
{
    const auto fail
        = [&failure](const QString &reason) { throw ShortlistError(failure + QStringLiteral(": ") + reason); };
    // Replacing a device, a pipe or a socket would put a file in its place (even /dev/null, for an administrator).
    if (const QString reason = notAFile(filePath); !reason.isEmpty())
        fail(reason);
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString() + u'.');
    if (const QString problem = writeWholly(file, bytes); !problem.isEmpty()) {
        file.cancelWriting();
        fail(problem);
    }
    if (!file.commit())
        fail(file.errorString() + u'.');
}

} // namespace namorel
