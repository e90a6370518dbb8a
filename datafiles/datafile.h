#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>

namespace namorel {

/// A data file that cannot be used. what() is "Cannot open file <path>" or "<path> is too large", in UTF-8;
/// a library that has messages of its own for these makes them from kind() and path().
class DataFileError : public std::runtime_error
{
public:
    enum class Kind {
        CannotOpen, ///< missing, unreadable, not a regular file, or damaged
        TooLarge, ///< larger than the reader is willing to hold
    };

    DataFileError(Kind kind, const QString &path);

    Kind kind() const { return m_kind; }
    QString path() const { return m_path; }

private:
    Kind m_kind;
    QString m_path;
};

/// Reads a whole data file into a buffer of the file's own size, grown only if the file grows while it is read.
/// Throws DataFileError CannotOpen when \a path is not a regular file that can be opened and read, and TooLarge
/// when it holds more than \a maxBytes bytes or memory runs out holding it. Never blocks on a pipe or a device.
QByteArray ReadDataFile(const QString &path, qint64 maxBytes);

/// The path of \a fileName in the database of \a programFolder: the folder, kept as it is and ending in '/',
/// then "database/" and the name. Does not look at the disk.
QString DatabaseFilePath(const QString &programFolder, QStringView fileName);

/// The \a Count tab-separated fields of one line of a data file, empty fields included; nothing when the line has
/// more or fewer.
template<std::size_t Count> std::optional<std::array<QStringView, Count>> TabFields(QStringView line)
{
    std::array<QStringView, Count> fields;
    std::size_t count = 0;
    for (const QStringView field : line.tokenize(u'\t')) {
        if (count == Count)
            return std::nullopt;
        fields[count++] = field;
    }
    if (count != Count)
        return std::nullopt;
    return fields;
}

} // namespace namorel
