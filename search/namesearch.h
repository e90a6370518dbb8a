#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace namorel {

/// The inputs of one search, as the main window collects them from its controls.
struct NameQuery
{
    QStringList Origins; ///< display names of the ticked origins
    qint32 GenderIndex = 0; ///< 0 female, 1 male, -1 none chosen (read as male)
    qint32 MinLength = 1; ///< shortest recommended length, inclusive
    qint32 MaxLength = 20; ///< longest recommended length, inclusive
    QString ProgramFolder; ///< folder holding the program, ending in '/'
    QString Surname; ///< for the sound filters
    QString MiddleName;
    QString ExcludeLetters; ///< text of "Exclude..."
    QString IncludeLetters; ///< text of "Include..."
    bool BalanceFilter = false;
    bool RhythmFilter = false;
    bool Alliteration = false;
};

/// What a search found. Both lists are in alphabetical order once a scan has completed.
struct SearchResult
{
    QStringList Recommended; ///< names whose length lies within the window
    QStringList NotRecommended; ///< every other line read, empty ones included
    qint32 ScannedCount = 0; ///< lines read from all files, duplicates and empty lines included
    qint32 FilteredCount = 0; ///< names within the length window that a filter moved to NotRecommended
};

class DataFileError;
class NameFilter;

/// A search that cannot go on: a name file that cannot be opened or held, or a result list that is full.
/// what() is the message for the user, in UTF-8.
class SearchError : public std::runtime_error
{
public:
    explicit SearchError(const QString &message);

    /// The search's message for a file of the database that cannot be used: "Cannot open file <path>", also
    /// for a damaged file, or "Text exceeds memo capacity" for one larger than the search holds.
    explicit SearchError(const DataFileError &error);

    /// The message as the user sees it.
    QString message() const { return m_message; }

private:
    QString m_message;
};

/// The 41 origin display names, in the fixed order of the origin list (not alphabetical).
const QStringList &OriginTable();

/// The path of the name file for an origin and gender: the program folder, kept as it is, followed by
/// "database/", the origin's code (the first five characters of its display name), "g" for gender 0 or
/// "b" for any other gender, and ".nam", all after the program folder in lower case (A-Z only).
/// Does not look at the disk.
QString NameFilePath(const QString &programFolder, const QString &origin, qint32 genderIndex);

/// The largest name file a search reads, set by the memory a search may take. Files that go with the name
/// files (the name facts) are held within it as well.
qint64 MaxNameFileBytes();

/// The lines of a name file as a search reads them: decoded, each cut to the longest line a search keeps, empty
/// lines included. Throws SearchError as ScanFiles does when the file cannot be opened, read or held.
QStringList ReadNameFileLines(const QString &path);

/// The name files of a search: one path per origin of the table that appears in \a origins, in table order.
/// Names that are not in the table are ignored.
QStringList BuildFileList(const QStringList &origins, qint32 genderIndex, const QString &programFolder);

/// Reads the name files in order and sorts every line into the recommended list (length within
/// [minLength, maxLength]) or the not-recommended one, then sorts both lists alphabetically.
/// Empties \a result first. Throws SearchError when a file cannot be opened or read ("Cannot open file
/// <path>"), is too large to hold ("Text exceeds memo capacity"), or when the lists would grow past the
/// largest count or the search's memory budget ("Unable to insert a line"); memory that runs out all the same
/// ends it with one of these two messages. \a result then holds the lines of the files before the failing one,
/// unsorted; when the sort itself fails, those of all files.
void ScanFiles(const QStringList &paths, qint32 minLength, qint32 maxLength, SearchResult &result);

/// ScanFiles with the filters of a query: a name within the length window that fails a filter that is on goes
/// to NotRecommended instead and is counted in FilteredCount. With every filter off, the same as ScanFiles.
void ScanFiles(
    const QStringList &paths, qint32 minLength, qint32 maxLength, const NameFilter &filter, SearchResult &result);

/// BuildFileList followed by ScanFiles with the query's filters. Throws what ScanFiles and NameFilter throw.
SearchResult RunSearch(const NameQuery &query);

/// The text of the message shown after a completed search, lines separated by CR LF.
QString SummaryText(const SearchResult &result);

/// SummaryText, and when a filter was on, one more line: "Moved by filters: " and FilteredCount.
QString SummaryText(const SearchResult &result, bool filtersOn);

/// How the name would be signed: CR LF, the name, a space, the surname.
QString ComposeSignature(const QString &name, const QString &surname);

/// The initials: CR LF (only when the name is not empty), then the first character of each non-empty part
/// followed by ".", in the order name, middle name, surname, with a-z upper-cased and nothing else changed.
QString ComposeInitials(const QString &name, const QString &middleName, const QString &surname);

/// Sorts names into the program's alphabetical order: the user's collation locale, letter case ignored,
/// duplicates kept and equal names left in the order they had.
void SortNames(QStringList &names);

/// The length of a name as a reader counts it: its user-perceived characters (grapheme clusters).
qsizetype NameLength(QStringView name);

} // namespace namorel
