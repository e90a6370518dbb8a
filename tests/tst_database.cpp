#include "namesearch.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <algorithm>
#include <tuple>

using namespace namorel;
using namespace namorel::testing;

namespace {

// The name files are checked where they live in the source tree, so a bad edit fails here before it is
// copied anywhere.
QString programFolder()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

constexpr qsizetype kMinimumNames = 120;
// The historical origins attest fewer names than a living naming tradition uses.
constexpr qsizetype kMinimumHistoricalNames = 80;

bool isHistorical(const QString &origin)
{
    return origin == QStringLiteral("Arthurian Legand") || origin == QStringLiteral("Anglo-Saxon")
        || origin == QStringLiteral("Egyptian");
}

// The rules below are the ones tools/namedb/checks.py applies when it writes the files; they are checked again
// here so that a file edited past the tool fails the build.

// Origins whose language writes accents: an unaccented copy of a native spelling needs a stated reason.
const QStringList &accentedOrigins()
{
    static const QStringList origins = { QStringLiteral("Basque"), QStringLiteral("Celtic"),
        QStringLiteral("Czechoslovakian"), QStringLiteral("Danish"), QStringLiteral("Dutch"), QStringLiteral("Finnish"),
        QStringLiteral("French"), QStringLiteral("Gaelic"), QStringLiteral("German"), QStringLiteral("Hawaiian"),
        QStringLiteral("Hungarian"), QStringLiteral("Irish"), QStringLiteral("Italian"), QStringLiteral("Polish"),
        QStringLiteral("Portuguese"), QStringLiteral("Scandinavian"), QStringLiteral("Scottish"),
        QStringLiteral("Slavic"), QStringLiteral("Spanish"), QStringLiteral("Swedish"), QStringLiteral("Welsh") };
    return origins;
}

// The languages a group origin gathers, whose files it must agree with (the rules of tools/namedb/checks.py).
QStringList memberOrigins(const QString &origin)
{
    static const QHash<QString, QStringList> members = {
        { QStringLiteral("Scandinavian"), { QStringLiteral("Swedish"), QStringLiteral("Danish") } },
        { QStringLiteral("Gaelic"), { QStringLiteral("Irish"), QStringLiteral("Scottish") } },
        { QStringLiteral("Celtic"),
            { QStringLiteral("Gaelic"), QStringLiteral("Welsh"), QStringLiteral("Irish"),
                QStringLiteral("Scottish") } },
        { QStringLiteral("Slavic"),
            { QStringLiteral("Czechoslovakian"), QStringLiteral("Polish"), QStringLiteral("Russian") } },
    };
    return members.value(origin);
}

// A name is out of place in a sex file when the US counts give the other sex more than this share of at
// least this many births.
constexpr double kOtherSexLimit = 0.95;
constexpr qint64 kOtherSexMinimumBirths = 100;
// Respellings of another name of the same file, beyond the first spelling: at most this share of a file.
constexpr double kVariantShare = 0.10;
constexpr qsizetype kVariantAllowance = 3;

// The lines of a name file as the tool writes them: UTF-8, each line ended by LF.
QStringList linesOf(const QString &path)
{
    QString text = QString::fromUtf8(readFile(path));
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// The order the tool sorts by: the letters without accents or case, then without case, then the code
// points, so that the order does not depend on a locale. Letters that have no decomposition are spelled
// out ("Æthelflæd" sorts as "aethelflaed"), and the okina and apostrophes do not count.
struct SortKey
{
    QString Base;
    QString Folded;
    QString Name;

    bool operator<(const SortKey &other) const
    {
        return std::tie(Base, Folded, Name) < std::tie(other.Base, other.Folded, other.Name);
    }
};

// A name without case, accents or apostrophes, with the letters that have no decomposition spelled out:
// "Søren" -> "soren", "Æthelflæd" -> "aethelflaed", "Kaʻiulani" -> "kaiulani".
QString plainLetters(const QString &name)
{
    const QString folded = name.toCaseFolded();
    QString base;
    for (const QChar ch : folded.normalized(QString::NormalizationForm_KD)) {
        if (ch.isMark())
            continue;
        switch (ch.unicode()) {
        case u'æ':
            base += QStringLiteral("ae");
            break;
        case u'œ':
            base += QStringLiteral("oe");
            break;
        case u'þ':
            base += QStringLiteral("th");
            break;
        case u'ø':
            base += u'o';
            break;
        case u'ð':
        case u'đ':
            base += u'd';
            break;
        case u'ł':
            base += u'l';
            break;
        case u'ß':
            base += QStringLiteral("ss");
            break;
        case u'ʻ':
        case u'\'':
        case u'’':
            break;
        default:
            base += ch;
        }
    }
    return base;
}

SortKey sortKeyOf(const QString &name)
{
    return { plainLetters(name), name.toCaseFolded(), name };
}

bool isPlain(const QString &name)
{
    return plainLetters(name) == name.toCaseFolded();
}

// What the spellings of one name share: "Sophia" and "Sofia" give "sofia", "Hannah" and "Hanna" give "hana".
QString skeletonOf(const QString &name)
{
    QString text = plainLetters(name);
    text.remove(u' ');
    text.remove(u'-');
    text.replace(QStringLiteral("ph"), QStringLiteral("f"));
    text.replace(u'y', u'i');
    text.replace(u'w', u'v');
    static const QRegularExpression hardC(QStringLiteral("c(?!h)"));
    static const QRegularExpression silentH(QStringLiteral("(?<=[^cs])h"));
    static const QRegularExpression doubled(QStringLiteral("(.)\\1+"));
    text.replace(hardC, QStringLiteral("k"));
    text.replace(silentH, QString());
    text.replace(doubled, QStringLiteral("\\1"));
    return text;
}

QString toolFolder()
{
    return programFolder() + QStringLiteral("tools/namedb/");
}

QString fileNameOf(const QString &origin, qint32 genderIndex)
{
    return QFileInfo(NameFilePath(programFolder(), origin, genderIndex)).fileName();
}

// A text file of the tool, line by line, blank lines and comments left out.
QStringList entriesOf(const QString &path)
{
    QStringList entries;
    for (const QString &line : QString::fromUtf8(readFile(path)).split(u'\n')) {
        const QString text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(u'#'))
            entries += text;
    }
    return entries;
}

// The hand corrections of one name file: tools/namedb/curation/<file>.txt.
struct Curation
{
    struct Addition
    {
        QString Name;
        QString Source;
    };
    QList<Addition> Additions;
    // "!kind Name  # reason": the names excused from a check, by kind, with their reasons.
    QHash<QString, QHash<QString, QString>> Excused;
};

Curation curationOf(const QString &fileName)
{
    Curation curation;
    QString source;
    for (const QString &entry : entriesOf(
             toolFolder() + QStringLiteral("curation/") + QFileInfo(fileName).baseName() + QStringLiteral(".txt"))) {
        if (entry.startsWith(u'@')) {
            source = entry.mid(1).trimmed();
        } else if (entry.startsWith(u'+')) {
            curation.Additions.append({ entry.mid(1).trimmed(), source });
        } else if (entry.startsWith(u'!')) {
            const qsizetype hash = entry.indexOf(u'#');
            const QString head = entry.mid(1, hash < 0 ? -1 : hash - 1).trimmed();
            const qsizetype space = head.indexOf(u' ');
            const QString reason = hash < 0 ? QString() : entry.mid(hash + 1).trimmed();
            curation.Excused[head.left(space)].insert(head.mid(space + 1).trimmed(), reason);
        }
    }
    return curation;
}

// The names of a country's statistics kept for one name file, where there are any.
QStringList statisticsOf(const QString &fileName)
{
    QStringList names;
    for (const QString &entry : entriesOf(
             toolFolder() + QStringLiteral("statistics/") + QFileInfo(fileName).baseName() + QStringLiteral(".txt"))) {
        if (!entry.startsWith(u'@'))
            names += entry;
    }
    return names;
}

struct Births
{
    qint64 Girls = 0;
    qint64 Boys = 0;
};

// The US births by sex of every plain name of the files, as the tool wrote them.
const QHash<QString, Births> &usCounts()
{
    static const QHash<QString, Births> counts = [] {
        QHash<QString, Births> table;
        for (const QString &entry : entriesOf(toolFolder() + QStringLiteral("us-counts.txt"))) {
            const QStringList fields = entry.split(u'\t');
            if (fields.size() == 3)
                table.insert(fields[0], { fields[1].toLongLong(), fields[2].toLongLong() });
        }
        return table;
    }();
    return counts;
}

bool isCountsSpelling(const QString &name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar ch) {
        return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z');
    });
}

void addFileRows()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<qint32>("genderIndex");
    for (const QString &origin : OriginTable()) {
        for (const qint32 gender : { 0, 1 })
            QTest::newRow(qPrintable(fileNameOf(origin, gender))) << origin << gender;
    }
}

QStringList allLinesOf(qint32 genderIndex)
{
    QStringList lines;
    for (const QString &origin : OriginTable())
        lines += linesOf(NameFilePath(programFolder(), origin, genderIndex));
    return lines;
}

} // namespace

class tst_Database : public QObject
{
    Q_OBJECT

private slots:
    void nameFile_data();
    void nameFile();
    void noOtherFiles();
    void noUnaccentedCopies_data() { addFileRows(); }
    void noUnaccentedCopies();
    void noNameOfTheOtherSex_data() { addFileRows(); }
    void noNameOfTheOtherSex();
    void fewRespellings_data() { addFileRows(); }
    void fewRespellings();
    void everyAdditionHasASource_data() { addFileRows(); }
    void everyAdditionHasASource();
    void searchOverAllOrigins_data();
    void searchOverAllOrigins();
};

void tst_Database::nameFile_data()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<qint32>("genderIndex");
    QTest::addColumn<qsizetype>("minimum");

    for (const QString &origin : OriginTable()) {
        const qsizetype minimum = isHistorical(origin) ? kMinimumHistoricalNames : kMinimumNames;
        for (const qint32 gender : { 0, 1 }) {
            const QString fileName = QFileInfo(NameFilePath(programFolder(), origin, gender)).fileName();
            QTest::newRow(qPrintable(fileName)) << origin << gender << minimum;
        }
    }
}

void tst_Database::nameFile()
{
    QFETCH(QString, origin);
    QFETCH(qint32, genderIndex);
    QFETCH(qsizetype, minimum);

    const QString path = NameFilePath(programFolder(), origin, genderIndex);
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path + QStringLiteral(" is missing")));
    const QByteArray bytes = readFile(path);

    QVERIFY2(!bytes.startsWith("\xEF\xBB\xBF"), "a byte-order mark would be read as part of the first name");
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    QVERIFY2(!decoder.hasError(), "not valid UTF-8, so the program would read it as Windows-1252");
    QVERIFY2(!bytes.contains('\r'), "line ends must be LF alone");
    QVERIFY2(!bytes.contains('\0'), "a NUL would end the text early");
    QVERIFY2(bytes.endsWith('\n'), "the last name must end with LF");
    QVERIFY2(!bytes.contains("\n\n") && !bytes.startsWith('\n'), "a blank line would be scanned as a name");

    const QStringList names = linesOf(path);
    QSet<QString> seen;
    for (const QString &name : names) {
        const QByteArray shown = name.toUtf8();
        QVERIFY2(name.trimmed() == name, shown + " has spaces at an end");
        QVERIFY2(std::none_of(name.begin(), name.end(), [](QChar ch) { return ch.category() == QChar::Other_Control; }),
            shown + " holds a control character");
        QVERIFY2(name.normalized(QString::NormalizationForm_C) == name, shown + " is not in composed form");
        QVERIFY2(!seen.contains(name), shown + " is there twice");
        seen.insert(name);
    }
    for (qsizetype i = 1; i < names.size(); ++i) {
        QVERIFY2(sortKeyOf(names[i - 1]) < sortKeyOf(names[i]),
            (names[i - 1] + QStringLiteral(" comes before ") + names[i]).toUtf8());
    }
    QVERIFY2(
        names.size() >= minimum, qPrintable(QStringLiteral("%1 names, fewer than %2").arg(names.size()).arg(minimum)));
}

void tst_Database::noOtherFiles()
{
    // A file the program never opens (a misspelt code, a stray copy) is a file whose names are lost.
    QSet<QString> expected;
    for (const QString &origin : OriginTable()) {
        for (const qint32 gender : { 0, 1 })
            expected.insert(QFileInfo(NameFilePath(programFolder(), origin, gender)).fileName());
    }
    QCOMPARE(expected.size(), 82);
    const QStringList present
        = QDir(programFolder() + QStringLiteral("database")).entryList({ QStringLiteral("*.nam") }, QDir::Files);
    QCOMPARE(QSet<QString>(present.begin(), present.end()), expected);
}

void tst_Database::noUnaccentedCopies()
{
    QFETCH(QString, origin);
    QFETCH(qint32, genderIndex);
    if (!accentedOrigins().contains(origin))
        QSKIP("the language of this origin writes no accents");

    // The spellings that show how the language writes its names: the accented names of the origin's own
    // files, and everything in its country's statistics and, for a group origin, in the files of the
    // languages it gathers. A plain spelling found there is a native one (Polish "Karolina" in the Slavic
    // file), not a copy.
    QHash<QString, QString> accented;
    QSet<QString> spelled;
    const auto learn = [&](const QStringList &names, bool all) {
        for (const QString &name : names) {
            if (!isPlain(name))
                accented.insert(plainLetters(name), name);
            else if (all)
                spelled.insert(name);
        }
    };
    for (const QString &source : QStringList { origin } + memberOrigins(origin)) {
        for (const qint32 gender : { 0, 1 }) {
            learn(linesOf(NameFilePath(programFolder(), source, gender)), source != origin);
            learn(statisticsOf(fileNameOf(source, gender)), true);
        }
    }
    const QString fileName = fileNameOf(origin, genderIndex);
    const QHash<QString, QString> excused = curationOf(fileName).Excused.value(QStringLiteral("plain"));
    QStringList copies;
    for (const QString &name : linesOf(NameFilePath(programFolder(), origin, genderIndex))) {
        const QString native = accented.value(name.toCaseFolded());
        if (!native.isEmpty() && !excused.contains(name) && !spelled.contains(name))
            copies += name + QStringLiteral(" (") + native + u')';
    }
    QVERIFY2(copies.isEmpty(), qPrintable(QStringLiteral("unaccented copies: ") + copies.join(QStringLiteral(", "))));
}

void tst_Database::noNameOfTheOtherSex()
{
    QFETCH(QString, origin);
    QFETCH(qint32, genderIndex);

    const QHash<QString, QString> excused
        = curationOf(fileNameOf(origin, genderIndex)).Excused.value(QStringLiteral("sex"));
    QStringList unknown;
    QStringList misplaced;
    for (const QString &name : linesOf(NameFilePath(programFolder(), origin, genderIndex))) {
        if (!isCountsSpelling(name))
            continue; // the counts hold plain spellings only: "Kári" is not the American "Kari"
        const auto found = usCounts().constFind(name.toCaseFolded());
        if (found == usCounts().constEnd()) {
            unknown += name;
            continue;
        }
        const qint64 own = genderIndex == 0 ? found->Girls : found->Boys;
        const qint64 other = genderIndex == 0 ? found->Boys : found->Girls;
        if (own + other >= kOtherSexMinimumBirths && double(other) > kOtherSexLimit * double(own + other)
            && !excused.contains(name)) {
            misplaced += name;
        }
    }
    QVERIFY2(unknown.isEmpty(),
        qPrintable(QStringLiteral("not written by tools/namedb (no line in us-counts.txt): ") + unknown.join(u' ')));
    QVERIFY2(misplaced.isEmpty(),
        qPrintable(QStringLiteral("over 95 % of the other sex in the US counts: ") + misplaced.join(u' ')));
}

void tst_Database::fewRespellings()
{
    QFETCH(QString, origin);
    QFETCH(qint32, genderIndex);

    const QStringList names = linesOf(NameFilePath(programFolder(), origin, genderIndex));
    QHash<QString, QString> byCase;
    for (const QString &name : names) {
        const QString previous = byCase.value(name.toCaseFolded());
        QVERIFY2(previous.isEmpty(),
            qPrintable(name + QStringLiteral(" and ") + previous + QStringLiteral(" differ in case alone")));
        byCase.insert(name.toCaseFolded(), name);
    }
    if (origin == QStringLiteral("Popular"))
        QSKIP("the US counts alone choose this list, respellings and all");

    QHash<QString, QStringList> groups;
    for (const QString &name : names)
        groups[skeletonOf(name)] += name;
    qsizetype respellings = 0;
    QStringList shown;
    for (const QStringList &group : std::as_const(groups)) {
        if (group.size() > 1) {
            respellings += group.size() - 1;
            shown += group.join(u'/');
        }
    }
    const qsizetype limit = std::max(kVariantAllowance, qsizetype(double(names.size()) * kVariantShare));
    QVERIFY2(respellings <= limit,
        qPrintable(QStringLiteral("%1 respellings, more than %2: ").arg(respellings).arg(limit) + shown.join(u' ')));
}

void tst_Database::everyAdditionHasASource()
{
    QFETCH(QString, origin);
    QFETCH(qint32, genderIndex);

    QSet<QString> sources;
    for (const QString &entry : entriesOf(toolFolder() + QStringLiteral("sources.txt")))
        sources.insert(entry.section(u':', 0, 0).trimmed());
    QVERIFY(sources.contains(QStringLiteral("knowledge")));

    const QString fileName = fileNameOf(origin, genderIndex);
    const Curation curation = curationOf(fileName);
    const QSet<QString> names = [&] {
        const QStringList lines = linesOf(NameFilePath(programFolder(), origin, genderIndex));
        return QSet<QString>(lines.begin(), lines.end());
    }();
    for (const Curation::Addition &addition : curation.Additions) {
        QVERIFY2(sources.contains(addition.Source),
            qPrintable(QStringLiteral("+%1 has no known source (found \"%2\")").arg(addition.Name, addition.Source)));
        QVERIFY2(names.contains(addition.Name),
            qPrintable(addition.Name + QStringLiteral(" was added but is not in ") + fileName));
    }
    for (auto kind = curation.Excused.cbegin(); kind != curation.Excused.cend(); ++kind) {
        for (auto excused = kind->cbegin(); excused != kind->cend(); ++excused) {
            QVERIFY2(!excused.value().isEmpty(),
                qPrintable(QStringLiteral("!%1 %2 gives no reason").arg(kind.key(), excused.key())));
        }
    }
}

void tst_Database::searchOverAllOrigins_data()
{
    QTest::addColumn<qint32>("genderIndex");
    QTest::newRow("every origin, girls") << 0;
    QTest::newRow("every origin, boys") << 1;
}

void tst_Database::searchOverAllOrigins()
{
    QFETCH(qint32, genderIndex);

    QStringList expected = allLinesOf(genderIndex);
    NameQuery query;
    query.Origins = OriginTable();
    query.GenderIndex = genderIndex;
    query.ProgramFolder = programFolder();

    SearchResult result;
    try {
        result = RunSearch(query);
    } catch (const SearchError &error) {
        QFAIL(error.what());
    }

    QCOMPARE(result.ScannedCount, qint32(expected.size()));
    QVERIFY(result.ScannedCount > 41 * kMinimumHistoricalNames);
    // Every name arrives exactly as written, accents and all: a file read in the wrong encoding or a
    // line split in the wrong place would change the texts here.
    QStringList found = result.Recommended + result.NotRecommended;
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(found, expected);
}

QTEST_GUILESS_MAIN(tst_Database)

#include "tst_database.moc"
