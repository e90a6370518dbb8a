#include "datafile.h"
#include "regularfile.h"

#include <QFile>

#include <new>

namespace namorel {

DataFileError::DataFileError(Kind kind, const QString &path)
    : std::runtime_error(
        (kind == Kind::TooLarge ? QStringLiteral("%1 is too large") : QStringLiteral("Cannot open file %1"))
            .arg(path)
            .toStdString())
    , m_kind(kind)
    , m_path(path)
{ }

QByteArray ReadDataFile(const QString &path, qint64 maxBytes)
{
    const auto cannotOpen = [&] { return DataFileError(DataFileError::Kind::CannotOpen, path); };
    const auto tooLarge = [&] { return DataFileError(DataFileError::Kind::TooLarge, path); };

    QFile file;
    const qint64 size = OpenRegularFile(file, path);
    if (size < 0)
        throw cannotOpen();
    if (size > maxBytes)
        throw tooLarge();

    // The buffer starts one byte larger than the file, so that the end is seen without growing it; a file that
    // grows while it is read is read one byte past the limit at most.
    QByteArray data;
    qint64 total = 0;
    try {
        data.resize(qsizetype(size) + 1);
        for (;;) {
            if (total == data.size()) {
                if (total > maxBytes)
                    throw tooLarge();
                data.resize(qsizetype(qMin(total * 2, maxBytes + 1)));
            }
            const qint64 got = file.read(data.data() + total, data.size() - total);
            if (got < 0)
                throw cannotOpen();
            if (got == 0)
                break;
            total += got;
        }
    } catch (const std::bad_alloc &) {
        throw tooLarge();
    }
    if (total > maxBytes)
        throw tooLarge();
    data.truncate(qsizetype(total));
    return data;
}

QString DatabaseFilePath(const QString &programFolder, QStringView fileName)
{
    static constexpr QStringView kFolder = u"database/";
    QString path;
    path.reserve(programFolder.size() + kFolder.size() + fileName.size());
    path.append(programFolder);
    path.append(kFolder);
    path.append(fileName);
    return path;
}

} // namespace namorel
