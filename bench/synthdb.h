#pragma once

#include <QString>

namespace namorel::bench {

/// Writes a synthetic name database of 82 files under <programFolder>/database, \a totalLines lines in all,
/// spread over the files. The names are built from syllables, with the lengths of real given names and a
/// share of accented letters. The same arguments always give the same files.
void WriteSyntheticDatabase(const QString &programFolder, qint64 totalLines);

} // namespace namorel::bench
