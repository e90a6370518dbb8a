#include "namesearch.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <algorithm>

using namespace namorel;
using namespace namorel::testing;

namespace {

// The name files are checked where they live in the source tree, so a bad edit fails here before it is
// copied anywhere.
QString programFolder()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

// The historical origins attest fewer names than a living naming tradition uses; no file holds fewer.
constexpr qsizetype kMinimumHistoricalNames = 80;

// The lines of a name file as the tool writes them: UTF-8, each line ended by LF.
QStringList linesOf(const QString &path)
{
    QString text = QString::fromUtf8(readFile(path));
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QStringList allLinesOf(qint32 genderIndex)
{
    QStringList lines;
    for (const QString &origin : OriginTable())
        lines += linesOf(NameFilePath(programFolder(), origin, genderIndex));
    return lines;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void nameFile_data();
    void nameFile();
    void noOtherFiles();
    void searchOverAllOrigins_data();
    void searchOverAllOrigins();
};

void TestDatabase::nameFile_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &origin : OriginTable()) {
        for (const qint32 gender : { 0, 1 }) {
            const QString path = NameFilePath(programFolder(), origin, gender);
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
        }
    }
}

// What the program's reading of a name file relies on. The rules of the names themselves (order, sizes,
// accents, sexes, sources) are the name tool's: CTest runs tools/namedb/verify.py over these files.
void TestDatabase::nameFile()
{
    QFETCH(QString, path);

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
}

void TestDatabase::noOtherFiles()
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

void TestDatabase::searchOverAllOrigins_data()
{
    QTest::addColumn<qint32>("genderIndex");
    QTest::newRow("every origin, girls") << 0;
    QTest::newRow("every origin, boys") << 1;
}

void TestDatabase::searchOverAllOrigins()
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

QTEST_GUILESS_MAIN(TestDatabase)

#include "tst_database.moc"
