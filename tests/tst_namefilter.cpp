#include "namefilter.h"
#include "namesearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace namorel;
using namespace Qt::StringLiterals;

namespace {

QStringList passing(const NameFilter &filter, const QStringList &names)
{
    QStringList kept;
    for (const QString &name : names) {
        if (filter.passes(name))
            kept.append(name);
    }
    return kept;
}

NameQuery letterQuery(const QString &exclude, const QString &include)
{
    NameQuery query;
    query.ExcludeLetters = exclude;
    query.IncludeLetters = include;
    return query;
}

// The program folder of the source tree, whose database the program ships.
QString shippedProgramFolder()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

} // namespace

class TestNameFilter : public QObject
{
    Q_OBJECT

private slots:
    void letters_data();
    void letters();

    void filteredNamesMoveToNotRecommended();
    void soundDataThatCannotBeReadFailsTheSearch_data();
    void soundDataThatCannotBeReadFailsTheSearch();
    void filtersOffGiveTheSameResultsOverTheWholeDatabase_data();
    void filtersOffGiveTheSameResultsOverTheWholeDatabase();
};

void TestNameFilter::letters_data()
{
    QTest::addColumn<QString>("exclude");
    QTest::addColumn<QString>("include");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("kept");

    const QStringList names = { QStringLiteral("Hélène"), QStringLiteral("Zoë"), QStringLiteral("Eve"),
        QStringLiteral("Anna"), QStringLiteral("Rafael"), QStringLiteral("Lena") };
    QTest::newRow("exclude e: accents and capitals count") << u"e"_s << QString() << names << QStringList { u"Anna"_s };
    QTest::newRow("include ae: every letter needed")
        << QString() << u"ae"_s << names << QStringList { u"Rafael"_s, u"Lena"_s };
    QTest::newRow("capital A is a") << u"A"_s << QString() << names
                                    << QStringList { QStringLiteral("Hélène"), QStringLiteral("Zoë"), u"Eve"_s };
    QTest::newRow("both fields at once") << u"z"_s << u"e"_s << names
                                         << QStringList { QStringLiteral("Hélène"), u"Eve"_s, u"Rafael"_s, u"Lena"_s };
    QTest::newRow("a letter twice is once")
        << QString() << u"nn"_s << names << QStringList { u"Hélène"_s, u"Anna"_s, u"Lena"_s };
    QTest::newRow("what is not a letter is ignored") << u" -,1"_s << u"'.'"_s << names << names;
    QTest::newRow("an accent in the field is dropped too")
        << QStringLiteral("É") << QString() << names << QStringList { u"Anna"_s };
    QTest::newRow("a ligature is two letters")
        << QString() << QStringLiteral("Æ") << QStringList { QStringLiteral("Æsa"), u"Ada"_s, u"Eda"_s, u"Dean"_s }
        << QStringList { QStringLiteral("Æsa"), u"Eda"_s, u"Dean"_s };
    QTest::newRow("letters that do not decompose")
        << QStringLiteral("øł") << QString()
        << QStringList { QStringLiteral("Søren"), QStringLiteral("Łucja"), u"Soren"_s, u"Anja"_s, u"Bea"_s }
        << QStringList { u"Anja"_s, u"Bea"_s };
    QTest::newRow("sharp s is ss") << QString() << QStringLiteral("ß")
                                   << QStringList { u"Tess"_s, QStringLiteral("Weiß"), u"Ted"_s }
                                   << QStringList { u"Tess"_s, QStringLiteral("Weiß") };
    QTest::newRow("letters of another script")
        << QStringLiteral("Σ") << QString()
        << QStringList { QStringLiteral("Σοφία"), QStringLiteral("Νίκος"), u"Sofia"_s } << QStringList { u"Sofia"_s };
}

void TestNameFilter::letters()
{
    QFETCH(QString, exclude);
    QFETCH(QString, include);
    QFETCH(QStringList, names);
    QFETCH(QStringList, kept);

    const NameQuery query = letterQuery(exclude, include);
    const NameFilter filter(query);
    QCOMPARE(passing(filter, names), kept);
    QCOMPARE(filter.isActive(), kept != names);
    QCOMPARE(FiltersActive(query), filter.isActive());
}

void TestNameFilter::filteredNamesMoveToNotRecommended()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    QVERIFY(QDir().mkpath(folder + QStringLiteral("database")));
    QFile file(NameFilePath(folder, QStringLiteral("French"), 0));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Eve\nAnna\nElisabeth\nZo\xC3\xAB\nAl\nH\xC3\xA9l\xC3\xA8ne\n\nAnnabel\n");
    file.close();

    NameQuery query;
    query.Origins = { QStringLiteral("French") };
    query.ProgramFolder = folder;
    query.MinLength = 3;
    query.MaxLength = 6;
    query.ExcludeLetters = QStringLiteral("e");
    SearchResult result = RunSearch(query);

    // Eve, Zoë and Hélène are moved; Elisabeth and Annabel were outside the window and are not counted.
    QCOMPARE(result.Recommended, QStringList { u"Anna"_s });
    QCOMPARE(result.NotRecommended,
        QStringList({ u""_s, u"Al"_s, u"Annabel"_s, u"Elisabeth"_s, u"Eve"_s, QStringLiteral("Hélène"),
            QStringLiteral("Zoë") }));
    QCOMPARE(result.ScannedCount, 8);
    QCOMPARE(result.FilteredCount, 3);
    // A filter that is on adds its line to the summary, also when it moved nothing.
    QCOMPARE(SummaryText(result, true), SummaryText(result) + u"\r\nMoved by filters: 3"_s);
    result.FilteredCount = 0;
    QCOMPARE(SummaryText(result, true), SummaryText(result) + u"\r\nMoved by filters: 0"_s);
}

void TestNameFilter::soundDataThatCannotBeReadFailsTheSearch_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<qint64>("size"); // -1: the file is missing
    QTest::addColumn<QString>("error"); // %1: the file's path

    // The same messages as a name file that cannot be read.
    QTest::newRow("pronunciations missing") << u"pronunciations.txt"_s << qint64(-1) << u"Cannot open file %1"_s;
    QTest::newRow("pronouncing dictionary larger than the program holds")
        << u"cmudict.txt"_s << qint64(64) * 1024 * 1024 + 1 << u"Text exceeds memo capacity"_s;
}

void TestNameFilter::soundDataThatCannotBeReadFailsTheSearch()
{
    QFETCH(QString, fileName);
    QFETCH(qint64, size);
    QFETCH(QString, error);

    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    QVERIFY(QDir().mkpath(folder + u"database"_s));
    for (const QString &data : { u"pronunciations.txt"_s, u"cmudict.txt"_s }) {
        if (data != fileName)
            QVERIFY(QFile::copy(shippedProgramFolder() + u"database/"_s + data, folder + u"database/"_s + data));
    }
    const QString path = folder + u"database/"_s + fileName;
    if (size >= 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size)); // sparse: no disk is spent on it
    }

    NameQuery query;
    query.ProgramFolder = folder;
    query.Surname = u"Sands"_s;
    query.Alliteration = true;
    try {
        NameFilter filter(query);
        QFAIL("the filter was made without its data");
    } catch (const SearchError &caught) {
        QCOMPARE(caught.message(), error.contains(u"%1"_s) ? error.arg(path) : error);
    }
}

void TestNameFilter::filtersOffGiveTheSameResultsOverTheWholeDatabase_data()
{
    QTest::addColumn<NameQuery>("query");

    // Each query has its filters off in another way: untouched, ticked without a surname, fields without
    // letters, ticked with a surname the sound filters cannot read.
    NameQuery query;
    query.Origins = OriginTable();
    query.ProgramFolder = shippedProgramFolder();
    query.MinLength = 3;
    query.MaxLength = 7;
    QTest::newRow("girls, nothing set") << query;
    query.GenderIndex = 1;
    query.MiddleName = QStringLiteral("Rose");
    query.BalanceFilter = query.RhythmFilter = query.Alliteration = true;
    QTest::newRow("boys, sound filters without a surname") << query;
    query.GenderIndex = -1;
    query.MinLength = 1;
    query.MaxLength = 20;
    query.Surname = QStringLiteral(" -1- ");
    query.ExcludeLetters = QStringLiteral(" - ");
    query.IncludeLetters = QStringLiteral("1.");
    QTest::newRow("no gender, fields without letters, a surname without letters") << query;
    query.Surname = QStringLiteral("כהן");
    query.MiddleName = QStringLiteral("Иван");
    QTest::newRow("sound filters with a surname whose spelling does not tell how it is said") << query;
}

void TestNameFilter::filtersOffGiveTheSameResultsOverTheWholeDatabase()
{
    QFETCH(NameQuery, query);

    SearchResult unfiltered;
    ScanFiles(BuildFileList(query.Origins, query.GenderIndex, query.ProgramFolder), query.MinLength, query.MaxLength,
        unfiltered);
    QVERIFY(unfiltered.ScannedCount > 5000);

    QVERIFY(!FiltersActive(query));
    const SearchResult result = RunSearch(query);
    QCOMPARE(result.Recommended, unfiltered.Recommended);
    QCOMPARE(result.NotRecommended, unfiltered.NotRecommended);
    QCOMPARE(result.ScannedCount, unfiltered.ScannedCount);
    QCOMPARE(result.FilteredCount, 0);
    QCOMPARE(SummaryText(result, FiltersActive(query)), SummaryText(unfiltered));
}

QTEST_GUILESS_MAIN(TestNameFilter)
#include "tst_namefilter.moc"
