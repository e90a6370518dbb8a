#include "namesearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <algorithm>
#include <tuple>

using namespace namorel;

namespace {

// The name files are checked where they live in the source tree, so a bad edit fails here before it is
// copied anywhere.
QString programFolder()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

constexpr qsizetype kMinimumNames = 80;
// The legends of Arthur name fewer people than a living naming tradition.
constexpr qsizetype kMinimumArthurianNames = 50;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The lines of a name file as the tool writes them: UTF-8, each line ended by LF.
QStringList linesOf(const QString &path)
{
    QString text = QString::fromUtf8(readAll(path));
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

SortKey sortKeyOf(const QString &name)
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
        case u'ʻ':
        case u'\'':
        case u'’':
            break;
        default:
            base += ch;
        }
    }
    return { base, folded, name };
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
    void searchOverAllOrigins_data();
    void searchOverAllOrigins();
};

void tst_Database::nameFile_data()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<qint32>("genderIndex");
    QTest::addColumn<qsizetype>("minimum");

    for (const QString &origin : OriginTable()) {
        const qsizetype minimum = origin == QStringLiteral("Arthurian Legand") ? kMinimumArthurianNames : kMinimumNames;
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
    const QByteArray bytes = readAll(path);

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
    QVERIFY(result.ScannedCount > 41 * kMinimumArthurianNames);
    // Every name arrives exactly as written, accents and all: a file read in the wrong encoding or a
    // line split in the wrong place would change the texts here.
    QStringList found = result.Recommended + result.NotRecommended;
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(found, expected);
}

QTEST_GUILESS_MAIN(tst_Database)

#include "tst_database.moc"
