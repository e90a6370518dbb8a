#include "factsdatabase.h"
#include "datafile.h"
#include "namesearch.h"
#include "phones.h"
#include "pronouncing.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

namespace namorel {

namespace {

// The largest facts file the program holds; the shipped ones are a few megabytes.
constexpr qint64 kMaxFactsFileBytes = qint64(64) * 1024 * 1024;
// The share of girls is told over the births of this many years, and only from this many births on.
constexpr qint32 kShareYears = 20;
constexpr qint64 kShareMinimumBirths = 50;
constexpr qint32 kTrendYears = 10;
constexpr qint64 kTrendMinimumBirths = 100;
// The years the births file may hold: the US records begin in 1880, and a year has four digits. The bound also
// keeps every yearly list, run on to the latest year, to a few thousand numbers whatever the file says.
constexpr qint32 kFirstRecordsYear = 1880;
constexpr qint32 kLastRecordsYear = 9999;

const QByteArray kAllNames = QByteArrayLiteral("*");

SearchError damaged(const QString &path)
{
    return SearchError(QStringLiteral("Cannot open file %1").arg(path));
}

// Reads a facts file within the memory a search may take, with the search's messages.
QByteArray readFactsFile(const QString &path)
{
    QByteArray data;
    try {
        data = ReadDataFile(path, qMin(kMaxFactsFileBytes, MaxNameFileBytes()));
    } catch (const DataFileError &error) {
        throw SearchError(error);
    }
    // Every line ends with LF; a file that does not was cut short.
    if (!data.isEmpty() && !data.endsWith('\n'))
        throw damaged(path);
    return data;
}

char sexLetter(int sex)
{
    return sex == 0 ? 'f' : 'm';
}

// Reads "12 0 345" into numbers; false on anything else, such as a sign, a letter or a doubled space, and on
// more than maxCount numbers, which are refused before any is read.
bool parseNumbers(QByteArrayView text, QList<qint32> &numbers, qsizetype maxCount)
{
    numbers.clear();
    if (text.isEmpty())
        return true;
    const qsizetype count = text.count(' ') + 1;
    if (count > maxCount)
        return false;
    numbers.reserve(count);
    qint64 value = -1;
    for (const char c : text) {
        if (c == ' ') {
            if (value < 0)
                return false;
            numbers.append(qint32(value));
            value = -1;
        } else if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > std::numeric_limits<qint32>::max())
                return false;
        } else {
            return false;
        }
    }
    if (value < 0)
        return false;
    numbers.append(qint32(value));
    return true;
}

// A first year of the births file: one number, within the years the file may hold.
bool parseYear(QByteArrayView text, qint32 &year)
{
    QList<qint32> numbers;
    if (!parseNumbers(text, numbers, 1) || numbers.size() != 1 || numbers[0] < kFirstRecordsYear
        || numbers[0] > kLastRecordsYear)
        return false;
    year = numbers[0];
    return true;
}

// The letters a to z only, in lower case; nothing when there is any other character.
QByteArray lowerAtoZ(QStringView text)
{
    QByteArray spelling;
    spelling.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            spelling.append(char(u));
        else if (u >= u'A' && u <= u'Z')
            spelling.append(char(u - u'A' + u'a'));
        else
            return {};
    }
    return spelling;
}

// The plain form of a name the records cannot hold: its letters without accents, the letters of their own
// spelled out as the records write them (Søren as soren, Æthelflæd as aethelflaed). Nothing when that still
// leaves other characters (a hyphen, a space, another script). The maintainer tool folds names the same way.
QByteArray plainSpelling(const QString &name)
{
    static const QHash<char16_t, QStringView> spelledOut = { { u'æ', u"ae" }, { u'ø', u"o" }, { u'œ', u"oe" },
        { u'ð', u"d" }, { u'þ', u"th" }, { u'ł', u"l" }, { u'đ', u"d" }, { u'ß', u"ss" } };
    QString text;
    for (const QChar c : name.toCaseFolded()) {
        if (const QStringView letters = spelledOut.value(c.unicode()); !letters.isEmpty())
            text += letters;
        else
            text += c;
    }
    text = text.normalized(QString::NormalizationForm_KD);
    text.removeIf([](QChar c) { return c.combiningClass() != 0; });
    return lowerAtoZ(text);
}

// The spelling under which the US records list a name: lower case a-z, else its plain form; nothing when it
// has neither.
QByteArray recordsSpelling(const QString &name)
{
    const QByteArray own = lowerAtoZ(name);
    return own.isEmpty() ? plainSpelling(name) : own;
}

// Whether a births line's spelling is one the records may hold: lower case a-z, or the births of all names.
bool isRecordsKey(QByteArrayView spelling)
{
    return spelling == kAllNames
        || std::all_of(spelling.begin(), spelling.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The tab-separated fields of a line.
QList<QByteArrayView> splitFields(QByteArrayView line)
{
    QList<QByteArrayView> fields;
    qsizetype start = 0;
    for (qsizetype tab = line.indexOf('\t'); tab >= 0; tab = line.indexOf('\t', start)) {
        fields.append(line.sliced(start, tab - start));
        start = tab + 1;
    }
    fields.append(line.sliced(start));
    return fields;
}

std::mutex g_cacheMutex;
QHash<QString, std::shared_ptr<const FactsDatabase>> g_cache;

} // namespace

std::shared_ptr<const FactsDatabase> FactsDatabase::open(const QString &programFolder)
{
    const std::lock_guard lock(g_cacheMutex);
    if (const auto found = g_cache.constFind(programFolder); found != g_cache.constEnd())
        return *found;
    auto loaded = load(programFolder);
    g_cache.insert(programFolder, loaded);
    return loaded;
}

std::shared_ptr<const FactsDatabase> FactsDatabase::load(const QString &programFolder)
{
    std::shared_ptr<FactsDatabase> facts(new FactsDatabase);
    facts->loadOrigins(programFolder);
    try {
        facts->m_pronunciations = SharedPronunciationTable(programFolder);
    } catch (const SoundDataError &error) {
        throw SearchError(error);
    }
    facts->loadMeanings(DatabaseFilePath(programFolder, u"meanings.txt"));
    facts->loadBirths(DatabaseFilePath(programFolder, u"usbirths.txt"));
    return facts;
}

void FactsDatabase::loadOrigins(const QString &programFolder)
{
    const QStringList &origins = OriginTable();
    for (int sex = 0; sex < 2; ++sex) {
        for (qsizetype origin = 0; origin < origins.size(); ++origin) {
            for (const QString &name : ReadNameFileLines(NameFilePath(programFolder, origins[origin], sex))) {
                if (!name.isEmpty())
                    m_origins[sex][name] |= quint64(1) << origin;
            }
        }
    }
}

void FactsDatabase::loadMeanings(const QString &path)
{
    const QByteArray data = readFactsFile(path);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    m_meaningsText = utf8.decode(data);
    if (utf8.hasError())
        throw damaged(path);
    const auto isControl = [](QChar c) { return c.category() == QChar::Other_Control; };
    for (const QStringView line : QStringView(m_meaningsText).tokenize(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        // "<name>\t<f or m>\t<meaning>", one line per name and sex. The text is shown as it is, so a control
        // character (a carriage return left by a Windows editor, say) marks the file as damaged.
        const std::optional<std::array<QStringView, 3>> fields = TabFields<3>(line);
        if (!fields)
            throw damaged(path);
        const auto &[name, sex, meaning] = *fields;
        if (name.isEmpty() || (sex != u"f" && sex != u"m") || meaning.isEmpty()
            || std::any_of(line.begin(), line.end(), [&](QChar c) { return c != u'\t' && isControl(c); }))
            throw damaged(path);
        QHash<QStringView, QStringView> &meanings = m_meanings[sex == u"f" ? 0 : 1];
        if (meanings.contains(name))
            throw damaged(path);
        meanings.insert(name, meaning);
    }
}

void FactsDatabase::loadBirths(const QString &path)
{
    m_birthsPath = path;
    m_births = readFactsFile(path);
    // About one line per 450 bytes; a guess that spares most rehashing.
    m_birthLines.reserve(m_births.size() / 400 + 16);
    qsizetype start = 0;
    while (start < m_births.size()) {
        // The file ends with a line end, so every line finds its own.
        const auto *found = static_cast<const char *>(
            std::memchr(m_births.constData() + start, '\n', size_t(m_births.size() - start)));
        const qsizetype end = found - m_births.constData();
        const QByteArrayView line = QByteArrayView(m_births).sliced(start, end - start);
        if (!line.isEmpty() && !line.startsWith('#')) {
            // "<spelling>\t<sex>\t<first year>\t<births>\t<ranks>"
            const qsizetype keyEnd = line.indexOf('\t');
            if (keyEnd <= 0 || line.size() < keyEnd + 3 || (line[keyEnd + 1] != 'f' && line[keyEnd + 1] != 'm')
                || line[keyEnd + 2] != '\t')
                throw damaged(path);
            const QByteArrayView key = line.first(keyEnd + 2);
            if (!isRecordsKey(line.first(keyEnd)) || m_birthLines.contains(key))
                throw damaged(path);
            m_birthLines.insert(key, start);
        }
        start = end + 1;
    }

    // The births of all names set the years every other line lies within.
    for (int sex = 0; sex < 2; ++sex) {
        const QByteArray key = kAllNames + '\t' + sexLetter(sex);
        const qsizetype offset = m_birthLines.value(QByteArrayView(key), -1);
        if (offset < 0)
            throw damaged(path);
        const QByteArrayView line = QByteArrayView(m_births).sliced(offset, m_births.indexOf('\n', offset) - offset);
        // "*\t<sex>\t<first year>\t<births per year>\t": no ranks, and the same years for both sexes.
        const QList<QByteArrayView> fields = splitFields(line);
        qint32 year = 0;
        if (fields.size() != 5 || !parseYear(fields[2], year)
            || !parseNumbers(fields[3], m_allBirths[sex], kLastRecordsYear - year + 1) || m_allBirths[sex].isEmpty()
            || !fields[4].isEmpty()
            || (sex == 1 && (year != m_firstYear || m_allBirths[1].size() != m_allBirths[0].size())))
            throw damaged(path);
        m_firstYear = year;
    }
}

FactsDatabase::YearlyLine FactsDatabase::yearly(const QString &name, int sex) const
{
    const QByteArray spelling = recordsSpelling(name);
    if (spelling.isEmpty())
        return {};
    const QByteArray key = spelling + '\t' + sexLetter(sex);
    const qsizetype offset = m_birthLines.value(QByteArrayView(key), -1);
    if (offset < 0)
        return {};
    const QByteArrayView line = QByteArrayView(m_births).sliced(offset, m_births.indexOf('\n', offset) - offset);
    const QList<QByteArrayView> fields = splitFields(line);
    YearlyLine result;
    if (fields.size() != 5 || !parseYear(fields[2], result.FirstYear) || result.FirstYear < m_firstYear
        || !parseNumbers(fields[3], result.Births, latestYear() - result.FirstYear + 1)
        || !parseNumbers(fields[4], result.Ranks, result.Births.size()) || result.Births.isEmpty()
        || result.Ranks.size() != result.Births.size())
        throw damaged(m_birthsPath);
    // A name's births are some of those of all names, and it is ranked in exactly the years it was given.
    const qsizetype since = result.FirstYear - m_firstYear;
    for (qsizetype i = 0; i < result.Births.size(); ++i) {
        if (result.Births[i] > m_allBirths[sex][since + i] || (result.Births[i] > 0) != (result.Ranks[i] > 0))
            throw damaged(m_birthsPath);
    }
    const qsizetype padded = latestYear() - result.FirstYear + 1;
    result.Births.resize(padded, 0);
    result.Ranks.resize(padded, 0);
    return result;
}

NameFacts FactsDatabase::lookUp(const QString &name, qint32 genderIndex) const
{
    const int sex = sexIndex(genderIndex);
    NameFacts facts;
    facts.Name = name;
    facts.GenderIndex = genderIndex;

    const quint64 origins = m_origins[sex].value(name);
    for (qsizetype origin = 0; origin < OriginTable().size(); ++origin) {
        if (origins & (quint64(1) << origin))
            facts.Origins.append(OriginTable()[origin]);
    }

    if (const std::optional<NamePronunciation> spoken = m_pronunciations->find(name)) {
        facts.Pronunciation = spoken->Ipa;
        facts.PronunciationEstimated = spoken->estimated();
        facts.Syllables = SyllableCount(spoken->Phones);
    }

    // A meaning written for the other sex still tells what the name means.
    facts.Meaning = m_meanings[sex].value(name).toString();
    if (facts.Meaning.isEmpty())
        facts.Meaning = m_meanings[1 - sex].value(name).toString();

    const YearlyLine own = yearly(name, sex);
    if (!own.Births.isEmpty()) {
        facts.FirstYear = own.FirstYear;
        facts.Births = own.Births;
        facts.LatestRank = own.Births.back() > 0 ? own.Ranks.back() : 0;
        // The records' spelling, as a name is written: "Jose" for José.
        const QByteArray spelling = recordsSpelling(name);
        facts.BirthsSpelling = lowerAtoZ(name).isEmpty()
            ? QString::fromLatin1(spelling.first(1).toUpper() + spelling.sliced(1))
            : name;
    }

    // The share of girls among both sexes' births over the last twenty years.
    qint64 recent[2] = { 0, 0 };
    for (int s = 0; s < 2; ++s) {
        const YearlyLine line = s == sex ? own : yearly(name, s);
        for (qsizetype i = qMax<qsizetype>(0, line.Births.size() - kShareYears); i < line.Births.size(); ++i)
            recent[s] += line.Births[i];
    }
    if (recent[0] + recent[1] >= kShareMinimumBirths)
        facts.FemaleShare = double(recent[0]) / double(recent[0] + recent[1]);
    return facts;
}

QList<qint32> FactsDatabase::ranks(const QString &name, qint32 genderIndex) const
{
    return yearly(name, sexIndex(genderIndex)).Ranks;
}

NameFacts LookUpFacts(const QString &programFolder, const QString &name, qint32 genderIndex)
{
    return FactsDatabase::open(programFolder)->lookUp(name, genderIndex);
}

QList<double> BirthsPerMillion(const NameFacts &facts, const QList<qint32> &allBirths, qint32 firstYear)
{
    QList<double> rates(allBirths.size(), 0.0);
    for (qsizetype i = 0; i < facts.Births.size(); ++i) {
        const qsizetype year = facts.FirstYear - firstYear + i;
        if (year >= 0 && year < allBirths.size() && allBirths[year] > 0)
            rates[year] = 1e6 * facts.Births[i] / allBirths[year];
    }
    return rates;
}

qint32 PeakYear(const QList<double> &perMillion, qint32 firstYear)
{
    const auto peak = std::max_element(perMillion.begin(), perMillion.end());
    if (peak == perMillion.end() || *peak <= 0)
        return 0;
    return firstYear + qint32(peak - perMillion.begin());
}

QString TenYearTrend(const NameFacts &facts, const QList<double> &perMillion, qint32 firstYear)
{
    if (perMillion.size() <= kTrendYears)
        return {};
    const double now = perMillion.back();
    const double before = perMillion[perMillion.size() - 1 - kTrendYears];
    const qint32 since = firstYear + qint32(perMillion.size()) - 1 - kTrendYears;
    if (now <= 0 && before <= 0)
        return QStringLiteral("Not given in %1 or %2")
            .arg(QString::number(since), QString::number(since + kTrendYears));
    // A handful of births either way would read as a steep rise or fall.
    const auto birthsIn = [&facts](qint32 year) {
        const qint64 index = qint64(year) - facts.FirstYear;
        return index >= 0 && index < facts.Births.size() ? qint64(facts.Births[index]) : 0;
    };
    const qint64 compared = birthsIn(since) + birthsIn(since + kTrendYears);
    if (compared < kTrendMinimumBirths)
        return QStringLiteral("Too few births to tell: %1 in %2 and %3 together")
            .arg(QString::number(compared), QString::number(since), QString::number(since + kTrendYears));
    if (before <= 0)
        return QStringLiteral("New: not given in %1").arg(since);
    if (now <= 0)
        return QStringLiteral("Out of use: not given in %1").arg(since + kTrendYears);
    const double ratio = now / before;
    if (ratio >= 2)
        return QStringLiteral("Rising fast: %1 times as common as in %2")
            .arg(QString::number(ratio, 'f', 1), QString::number(since));
    const int percent = int(std::lround(std::abs(ratio - 1) * 100));
    if (ratio >= 1.1)
        return QStringLiteral("Rising: up %1 % since %2").arg(QString::number(percent), QString::number(since));
    if (ratio > 1 / 1.1)
        return QStringLiteral("Steady since %1").arg(since);
    if (ratio > 0.5)
        return QStringLiteral("Falling: down %1 % since %2").arg(QString::number(percent), QString::number(since));
    return QStringLiteral("Falling fast: down %1 % since %2").arg(QString::number(percent), QString::number(since));
}

} // namespace namorel
