#pragma once

// Internals of the name search, shared with the tests and the benchmarks. Not part of the interface
// that the rest of the program uses.

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <limits>
#include <vector>

namespace namorel {

/// Limits that keep a scan from exhausting memory or overflowing its counts. Default-constructed, they are the
/// limits that hold whatever the memory: a search runs with those of its memory budget, forMemoryBudget().
struct ScanLimits
{
    /// A name file larger than this is refused before it is read.
    qint64 MaxFileBytes = qint64(256) * 1024 * 1024;
    /// The most lines one search may hold; ScannedCount is a signed 32-bit count.
    qint64 MaxLines = 2147483647;
    /// The most characters (UTF-16 code units) that the lines of one search may hold together.
    qint64 MaxChars = std::numeric_limits<qint64>::max();
    /// Lines are cut to this many characters.
    qsizetype MaxLineLength = 4096;

    /// The limits of a search that may take \a memoryBudget bytes: its lines and their characters counted at what
    /// they cost once listed and sorted, and a file small enough to be held several times over while it is read.
    static ScanLimits forMemoryBudget(qint64 memoryBudget);
};

/// The memory a search may take: a quarter of the machine's physical memory, at most 4 GiB.
qint64 SearchMemoryBudget();

/// The limits in force; at first those of SearchMemoryBudget().
ScanLimits CurrentScanLimits();

/// Replaces the limits of every scan that follows. For tests, which reach the limits with small files.
void SetScanLimits(const ScanLimits &limits);

/// Sets the limits for as long as it lives, then puts the previous ones back.
class ScopedScanLimits
{
public:
    explicit ScopedScanLimits(const ScanLimits &limits);
    ~ScopedScanLimits();
    ScopedScanLimits(const ScopedScanLimits &) = delete;
    ScopedScanLimits &operator=(const ScopedScanLimits &) = delete;

private:
    ScanLimits m_previous;
};

/// Reads a name file whole. Throws SearchError "Cannot open file <path>" when the path is not a regular
/// file that can be opened and read, and "Text exceeds memo capacity" when it holds more than
/// \a maxBytes bytes. Never blocks on a pipe or device.
QByteArray ReadNameFile(const QString &path, qint64 maxBytes);

/// The text of a name file: everything before the first NUL byte, without a UTF-8 byte-order mark,
/// decoded as UTF-8, or as Windows-1252 when it is not valid UTF-8.
QString DecodeNameText(QByteArrayView bytes);

/// The first user-perceived characters (grapheme clusters) of a text.
struct Graphemes
{
    qsizetype Count = 0; ///< how many, at most the number asked for
    qsizetype End = 0; ///< where the last of them ends, in UTF-16 code units
};

/// The first \a maxCount grapheme clusters of \a text. A cluster is never split, so End never falls inside a
/// surrogate pair.
Graphemes LeadingGraphemes(QStringView text, qsizetype maxCount);

/// One line of a name file with its length in user-perceived characters.
struct NameLine
{
    QString Text;
    qsizetype Length = 0;
};

/// The number of lines that SplitNameLines() would make of \a text, counted without making them.
qsizetype CountNameLines(QStringView text);

/// The lines of a decoded name file: CR LF, a lone CR and a lone LF each end a line, a line end at the
/// very end starts no further line, and each line is cut to \a maxLength characters.
std::vector<NameLine> SplitNameLines(const QString &text, qsizetype maxLength);

/// The locale whose alphabetical order the result lists follow: the user's collation setting (on Unix the
/// first of LC_ALL, LC_COLLATE and LANG that is set, elsewhere the system's regional settings), with English
/// standing in for the C and POSIX locales.
QLocale CollationLocale();

} // namespace namorel
