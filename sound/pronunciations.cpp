#include "pronunciations.h"
#include "phones.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace namorel {

namespace {

SoundDataError cannotOpen(const QString &path)
{
    return SoundDataError(SoundDataError::Kind::CannotOpen, path);
}

qint64 openRegularFile(QFile &file, const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        throw cannotOpen(path);
#ifdef Q_OS_UNIX
    // O_NONBLOCK keeps open() from waiting on a pipe, which the type check then refuses.
    const QByteArray nativePath = QFile::encodeName(path);
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw cannotOpen(path);
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw cannotOpen(path);
    }
    return info.st_size;
#else
    file.setFileName(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw cannotOpen(path);
    return file.size();
#endif
}

} // namespace

SoundDataError::SoundDataError(Kind kind, const QString &path)
    : std::runtime_error(
        (kind == Kind::TooLarge ? QStringLiteral("%1 is too large") : QStringLiteral("Cannot open file %1"))
            .arg(path)
            .toStdString())
    , m_kind(kind)
    , m_path(path)
{ }

QByteArray ReadDataFile(const QString &path, qint64 maxBytes)
{
    QFile file;
    const qint64 size = openRegularFile(file, path);
    if (size > maxBytes)
        throw SoundDataError(SoundDataError::Kind::TooLarge, path);
    // Read one byte past the limit at most, in case the file grows while it is read.
    QByteArray data = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw cannotOpen(path);
    if (data.size() > maxBytes)
        throw SoundDataError(SoundDataError::Kind::TooLarge, path);
    return data;
}

QString PronunciationTable::filePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("database/pronunciations.txt");
}

PronunciationTable PronunciationTable::load(const QString &path)
{
    return parse(ReadDataFile(path, kMaxFileBytes), path);
}

PronunciationTable PronunciationTable::parse(const QByteArray &data, const QString &path)
{
    if (!data.isEmpty() && !data.endsWith('\n'))
        throw cannotOpen(path);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data);
    if (utf8.hasError())
        throw cannotOpen(path);

    PronunciationTable table;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() != 4 || fields[0].isEmpty() || fields[1].size() < 3 || !fields[1].startsWith(u'/')
            || !fields[1].endsWith(u'/') || fields[3].isEmpty())
            throw cannotOpen(path);
        NamePronunciation entry { fields[1].toString(), ParsePhones(fields[2]), fields[3].toString() };
        if (entry.Phones.isEmpty())
            throw cannotOpen(path);
        const QString key = fields[0].toString().toCaseFolded();
        if (table.m_entries.contains(key))
            throw cannotOpen(path);
        table.m_entries.insert(key, std::move(entry));
    }
    return table;
}

const NamePronunciation *PronunciationTable::find(const QString &name) const
{
    const auto found = m_entries.constFind(name.toCaseFolded());
    return found == m_entries.constEnd() ? nullptr : &*found;
}

} // namespace namorel
