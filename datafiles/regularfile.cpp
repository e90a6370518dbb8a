#include "regularfile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace namorel {

qint64 OpenRegularFile(QFile &file, const QString &path)
{
    // A NUL would silently cut the path short and name another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return -1;
#ifdef Q_OS_UNIX
    // O_NONBLOCK keeps open() from waiting for a writer when the path names a pipe; the type check then
    // refuses pipes, sockets, devices and folders before a single byte is read.
    const QByteArray nativePath = QFile::encodeName(path);
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return -1;
    }
    return info.st_size;
#else
    file.setFileName(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return -1;
    return file.size();
#endif
}

} // namespace namorel
