#pragma once

#include <QFile>
#include <QString>

namespace namorel {

/// Opens \a path for reading when it names a regular file, and returns the file's size. Returns -1, with
/// \a file left closed, when the path is empty or holds a NUL, or names something missing, unreadable or
/// other than a regular file (a folder, pipe, socket or device). Never blocks on a pipe or a device.
/// Every data file of the program, name files included, is opened through it.
qint64 OpenRegularFile(QFile &file, const QString &path);

} // namespace namorel
