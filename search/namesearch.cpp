#include "namesearch.h"
#include "datafile.h"
#include "namefile_p.h"
#include "namefilter.h"

#include <algorithm>
#include <new>
#include <vector>

namespace namorel {

namespace {

// The origin code is the first five characters of the display name, as a reader counts them.
constexpr qsizetype kOriginCodeLength = 5;

void appendAsciiLowerCase(QString &target, QStringView text)
{
    for (const QChar c : text)
        target.append(c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c);
}

QChar asciiUpperCase(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c;
}

// Characters that choose how the character before them is drawn, or how it joins the next, without making it
// another letter: variation selectors and the zero-width joiner and non-joiner.
bool isPresentationSelector(char32_t c)
{
    return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || (c >= 0x180B && c <= 0x180D) || c == 0x180F
        || c == 0x200C || c == 0x200D;
}

void appendInitial(QString &initials, QStringView part)
{
    if (part.isEmpty())
        return;
    // The first user-perceived character, never half of one.
    const QStringView first = part.first(LeadingGraphemes(part, 1).End);
    // Its a-z is raised, also when selectors follow it; an accented letter, also one written with a combining
    // mark, stays as it is.
    const QList<uint> rest = first.sliced(1).toUcs4();
    const bool plainLetter = std::all_of(rest.begin(), rest.end(), [](uint c) { return isPresentationSelector(c); });
    initials.append(plainLetter ? asciiUpperCase(first.front()) : first.front());
    initials.append(first.sliced(1));
    initials.append(u'.');
}

SearchError unableToInsert()
{
    return SearchError(QStringLiteral("Unable to insert a line"));
}

// The lines of one name file, unless they would take the search past \a roomForLines lines.
std::vector<NameLine> readLines(const QString &path, const ScanLimits &limits, qint64 roomForLines)
{
    try {
        const QString text = DecodeNameText(ReadNameFile(path, limits.MaxFileBytes));
        // A text has no more lines than characters, so only a text that might have too many is counted.
        if (text.size() > roomForLines && CountNameLines(text) > roomForLines)
            throw unableToInsert();
        return SplitNameLines(text, limits.MaxLineLength);
    } catch (const std::bad_alloc &) {
        throw SearchError(QStringLiteral("Text exceeds memo capacity"));
    }
}

} // namespace

SearchError::SearchError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{ }

SearchError::SearchError(const DataFileError &error)
    : SearchError(error.kind() == DataFileError::Kind::TooLarge
            ? QStringLiteral("Text exceeds memo capacity")
            : QStringLiteral("Cannot open file %1").arg(error.path()))
{ }

const QStringList &OriginTable()
{
    static const QStringList table = {
        QStringLiteral("African"),
        QStringLiteral("AfroUSA"),
        QStringLiteral("Anglo-Saxon"),
        QStringLiteral("Arabic"),
        QStringLiteral("Arthurian Legand"),
        QStringLiteral("Basque"),
        QStringLiteral("Celtic"),
        QStringLiteral("Czechoslovakian"),
        QStringLiteral("Danish"),
        QStringLiteral("Dutch"),
        QStringLiteral("Egyptian"),
        QStringLiteral("English"),
        QStringLiteral("Finnish"),
        QStringLiteral("French"),
        QStringLiteral("Gaelic"),
        QStringLiteral("German"),
        QStringLiteral("Greek"),
        QStringLiteral("Hawaiian"),
        QStringLiteral("Hebrew"),
        QStringLiteral("Hindi"),
        QStringLiteral("Hungarian"),
        QStringLiteral("Indian"),
        QStringLiteral("Irish"),
        QStringLiteral("Italian"),
        QStringLiteral("Japanese"),
        QStringLiteral("Latin"),
        QStringLiteral("Popular"),
        QStringLiteral("Native American"),
        QStringLiteral("Norse"),
        QStringLiteral("Persian"),
        QStringLiteral("Polish"),
        QStringLiteral("Portuguese"),
        QStringLiteral("Russian"),
        QStringLiteral("Sanskrit"),
        QStringLiteral("Scandinavian"),
        QStringLiteral("Scottish"),
        QStringLiteral("Slavic"),
        QStringLiteral("Spanish"),
        QStringLiteral("Swedish"),
        QStringLiteral("Teutonic"),
        QStringLiteral("Welsh"),
    };
    return table;
}

QString NameFilePath(const QString &programFolder, const QString &origin, qint32 genderIndex)
{
    // The program folder keeps its letter case: on a file system that tells case apart, lowering it could
    // name a folder that does not exist. The database folder and the file names are lower case.
    QString fileName;
    appendAsciiLowerCase(fileName, QStringView(origin).first(LeadingGraphemes(origin, kOriginCodeLength).End));
    fileName.append(genderIndex == 0 ? u'g' : u'b');
    fileName.append(u".nam");
    return DatabaseFilePath(programFolder, fileName);
}

QStringList BuildFileList(const QStringList &origins, qint32 genderIndex, const QString &programFolder)
{
    QStringList paths;
    for (const QString &origin : OriginTable()) {
        if (origins.contains(origin))
            paths.append(NameFilePath(programFolder, origin, genderIndex));
    }
    return paths;
}

void ScanFiles(const QStringList &paths, qint32 minLength, qint32 maxLength, SearchResult &result)
{
    ScanFiles(paths, minLength, maxLength, NameFilter(), result);
}

void ScanFiles(
    const QStringList &paths, qint32 minLength, qint32 maxLength, const NameFilter &filter, SearchResult &result)
{
    result.ScannedCount = 0;
    result.FilteredCount = 0;
    result.Recommended.clear();
    result.NotRecommended.clear();

    const ScanLimits limits = CurrentScanLimits();
    qint64 chars = 0;
    for (const QString &path : paths) {
        // A file is taken whole or not at all, so a failure leaves exactly the files before it. The limits are
        // checked before the file's lines are made, and before they are added.
        std::vector<NameLine> lines = readLines(path, limits, limits.MaxLines - result.ScannedCount);
        qint64 fileChars = 0;
        for (const NameLine &line : lines)
            fileChars += line.Text.size();
        if (fileChars > limits.MaxChars - chars)
            throw unableToInsert();

        const qsizetype recommendedBefore = result.Recommended.size();
        const qsizetype notRecommendedBefore = result.NotRecommended.size();
        qint32 moved = 0;
        try {
            for (NameLine &line : lines) {
                QStringList &target
                    = line.Length >= minLength && line.Length <= maxLength ? result.Recommended : result.NotRecommended;
                target.append(std::move(line.Text));
            }
            moved = filter.moveFailingNames(result.Recommended, recommendedBefore, result.NotRecommended);
        } catch (const std::bad_alloc &) {
            result.Recommended.resize(recommendedBefore);
            result.NotRecommended.resize(notRecommendedBefore);
            throw unableToInsert();
        }
        result.ScannedCount += qint32(lines.size());
        result.FilteredCount += moved;
        chars += fileChars;
    }

    try {
        SortNames(result.Recommended);
        SortNames(result.NotRecommended);
    } catch (const std::bad_alloc &) {
        // The lists keep every line read, in reading order.
        throw unableToInsert();
    }
}

SearchResult RunSearch(const NameQuery &query)
{
    SearchResult result;
    const NameFilter filter(query);
    ScanFiles(BuildFileList(query.Origins, query.GenderIndex, query.ProgramFolder), query.MinLength, query.MaxLength,
        filter, result);
    return result;
}

QString SummaryText(const SearchResult &result)
{
    return QStringLiteral("Search Complete!\r\n\r\nScanned Names in Database: %1\r\nRelevent Names displayed: %2")
        .arg(result.ScannedCount)
        .arg(result.Recommended.size());
}

QString SummaryText(const SearchResult &result, bool filtersOn)
{
    QString text = SummaryText(result);
    if (filtersOn)
        text.append(QStringLiteral("\r\nMoved by filters: %1").arg(result.FilteredCount));
    return text;
}

QString ComposeSignature(const QString &name, const QString &surname)
{
    return QStringLiteral("\r\n") + name + u' ' + surname;
}

QString ComposeInitials(const QString &name, const QString &middleName, const QString &surname)
{
    QString initials;
    if (!name.isEmpty())
        initials.append(QStringLiteral("\r\n"));
    appendInitial(initials, name);
    appendInitial(initials, middleName);
    appendInitial(initials, surname);
    return initials;
}

} // namespace namorel
