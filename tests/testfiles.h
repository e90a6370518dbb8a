#pragma once

// Files, texts and errors as the tests handle them.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>

namespace namorel::testing {

/// The shipped database, where it lives in the source tree, ending in '/'.
inline QString shippedFolder()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

/// A list of texts written as UTF-8 literals.
inline QStringList texts(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

/// The bytes of the file at \a path; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Replaces the file at \a path with \a bytes. Returns whether all of them were written.
[[nodiscard]] inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// The text of the \a Error that \a operation throws; empty when it throws none.
template<typename Error> QString errorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Error &error) {
        // The message whole where the error keeps it, also past a NUL that would end what().
        if constexpr (requires { QString(error.message()); })
            return error.message();
        else
            return QString::fromUtf8(error.what());
    }
    return QString();
}

} // namespace namorel::testing
