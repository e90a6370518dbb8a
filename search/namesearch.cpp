#include "namesearch.h"
#include "namefile_p.h"
#include "namefilter.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <new>
#include <vector>

namespace namorel {

namespace {

// The origin code is the first five characters of the display name.
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

// The first user-perceived character of a text, never half of one.
QStringView firstCharacter(QStringView text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    const qsizetype end = finder.toNextBoundary();
    return text.first(end > 0 ? end : text.size());
}

void appendInitial(QString &initials, QStringView part)
{
    if (part.isEmpty())
        return;
    const QStringView first = firstCharacter(part);
    // Only a lone a-z is raised; an accented letter, also one written with a combining mark, stays as it is.
    if (first.size() == 1)
        initials.append(asciiUpperCase(first.front()));
    else
        initials.append(first);
    initials.append(u'.');
}

SearchError unableToInsert()
{
    return SearchError(QStringLiteral("Unable to insert a line"));
}

} // namespace

SearchError::SearchError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
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
    const QChar genderLetter = genderIndex == 0 ? u'g' : u'b';
    QString path = programFolder;
    path.reserve(programFolder.size() + 32);
    // The program folder keeps its letter case: on a file system that tells case apart, lowering it could
    // name a folder that does not exist. The database folder and the file names are lower case.
    path.append(QStringLiteral("database/"));
    appendAsciiLowerCase(path, QStringView(origin).left(kOriginCodeLength));
    path.append(genderLetter);
    path.append(QStringLiteral(".nam"));
    return path;
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
    for (const QString &path : paths) {
        const QByteArray bytes = ReadNameFile(path, limits.MaxFileBytes);
        std::vector<NameLine> lines;
        try {
            lines = SplitNameLines(DecodeNameText(bytes), limits.MaxLineLength);
        } catch (const std::bad_alloc &) {
            throw SearchError(QStringLiteral("Text exceeds memo capacity"));
        }

        // A file is taken whole or not at all, so a failure leaves exactly the files before it.
        if (qint64(result.ScannedCount) + qint64(lines.size()) > limits.MaxLines)
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
    }

    SortNames(result.Recommended);
    SortNames(result.NotRecommended);
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
