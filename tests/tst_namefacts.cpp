#include "factsdatabase.h"
#include "namefacts.h"
#include "namefile_p.h"
#include "namesearch.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace namorel;
using namespace namorel::testing;

namespace {

// A small database: every name file, Anna in three of them, and facts for Anna and Liam over 1880-1881.
const QByteArray kPronunciations = "# test\nAnna\t/ˈænə/\tAE1 N AH0\tcmudict\n";
const QByteArray kMeanings = "Anna\tf\tHebrew: grace\n";
const QByteArray kBirths = "*\tf\t1880\t1000 2000\t\n*\tm\t1880\t1000 1000\t\nanna\tf\t1880\t10 40\t2 1\n"
                           "anna\tm\t1881\t5\t300\nliam\tm\t1880\t7\t90\n";

bool makeDatabase(const QString &folder)
{
    if (!QDir(folder).mkpath(QStringLiteral("database")))
        return false;
    for (const QString &origin : OriginTable()) {
        for (const qint32 gender : { 0, 1 }) {
            const bool lists = gender == 0
                && (origin == QStringLiteral("Danish") || origin == QStringLiteral("Swedish")
                    || origin == QStringLiteral("Popular"));
            if (!writeFile(NameFilePath(folder, origin, gender), lists ? "Anna\r\nAstrid\r\n" : ""))
                return false;
        }
    }
    return writeFile(folder + QStringLiteral("database/pronunciations.txt"), kPronunciations)
        && writeFile(folder + QStringLiteral("database/meanings.txt"), kMeanings)
        && writeFile(folder + QStringLiteral("database/usbirths.txt"), kBirths);
}

} // namespace

class TestNameFacts : public QObject
{
    Q_OBJECT

private slots:
    void publicRecords_data();
    void publicRecords();
    void namesWithoutRecords_data();
    void namesWithoutRecords();
    void shareOfGirlsIsTheSameForEitherGender();
    void smallDatabase();
    void unreadableData_data();
    void unreadableData();
    void largerThanTheScanLimits_data();
    void largerThanTheScanLimits();
    void damagedLineFailsOnlyItsName_data();
    void damagedLineFailsOnlyItsName();
    void trend_data();
    void trend();
};

void TestNameFacts::publicRecords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("genderIndex");
    QTest::addColumn<qint32>("latestBirths");
    QTest::addColumn<qint32>("latestRank");
    QTest::addColumn<QString>("origin");

    // The Social Security Administration's national counts for 2024.
    QTest::newRow("Liam, boys") << QStringLiteral("Liam") << 1 << 22164 << 1 << QStringLiteral("Irish");
    QTest::newRow("Olivia, girls") << QStringLiteral("Olivia") << 0 << 14718 << 1 << QStringLiteral("Popular");
    QTest::newRow("Emma, girls") << QStringLiteral("Emma") << 0 << 13485 << 2 << QStringLiteral("Popular");
    // Names given equally often share a rank: 1 + the number of names given more often.
    QTest::newRow("Thijs, boys, one of many with 5 births") << QStringLiteral("Thijs") << 1 << 5 << 12301
                                                           << QStringLiteral("Dutch");
    QTest::newRow("no gender chosen reads as boys")
        << QStringLiteral("Liam") << -1 << 22164 << 1 << QStringLiteral("Irish");
}

void TestNameFacts::publicRecords()
{
    QFETCH(QString, name);
    QFETCH(qint32, genderIndex);
    QFETCH(qint32, latestBirths);
    QFETCH(qint32, latestRank);
    QFETCH(QString, origin);

    const NameFacts facts = LookUpFacts(shippedFolder(), name, genderIndex);
    QCOMPARE(facts.Name, name);
    QCOMPARE(facts.GenderIndex, genderIndex);
    const auto database = FactsDatabase::open(shippedFolder());
    QCOMPARE(database->latestYear(), 2024);
    QVERIFY(facts.FirstYear >= 1880);
    QCOMPARE(facts.FirstYear + facts.Births.size() - 1, 2024);
    QCOMPARE(facts.Births.back(), latestBirths);
    QCOMPARE(facts.LatestRank, latestRank);
    QCOMPARE(database->ranks(name, genderIndex).back(), latestRank);
    QVERIFY2(facts.Origins.contains(origin), qPrintable(facts.Origins.join(u',')));
    QVERIFY(!facts.Pronunciation.isEmpty());
    QCOMPARE(facts.BirthsSpelling, name);
}

void TestNameFacts::namesWithoutRecords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("genderIndex");
    QTest::addColumn<QString>("countedAs"); // empty: no counts

    // The records spell names in the letters a to z: an accented spelling is counted under its plain form.
    QTest::newRow("José, boys, as Jose") << QStringLiteral("José") << 1 << QStringLiteral("Jose");
    QTest::newRow("Zoë, girls, as Zoe") << QStringLiteral("Zoë") << 0 << QStringLiteral("Zoe");
    QTest::newRow("Søren, boys: a letter of its own, spelled out") << QStringLiteral("Søren") << 1
                                                                   << QStringLiteral("Soren");
    QTest::newRow("a name nobody was given") << QStringLiteral("Qxwzzy") << 0 << QString();
    QTest::newRow("an empty name") << QString() << 1 << QString();
}

void TestNameFacts::namesWithoutRecords()
{
    QFETCH(QString, name);
    QFETCH(qint32, genderIndex);
    QFETCH(QString, countedAs);

    const NameFacts facts = LookUpFacts(shippedFolder(), name, genderIndex);
    QCOMPARE(facts.BirthsSpelling, countedAs);
    if (countedAs.isEmpty()) {
        QVERIFY(facts.Births.isEmpty());
        QCOMPARE(facts.FirstYear, 0);
        QCOMPARE(facts.LatestRank, 0);
        QCOMPARE(facts.FemaleShare, -1.0);
        QVERIFY(facts.Origins.isEmpty());
        QVERIFY(facts.Pronunciation.isEmpty());
        return;
    }
    // The plain spelling's own counts, whole.
    const NameFacts plain = LookUpFacts(shippedFolder(), countedAs, genderIndex);
    QVERIFY(!facts.Births.isEmpty());
    QCOMPARE(facts.Births, plain.Births);
    QCOMPARE(facts.FirstYear, plain.FirstYear);
    QCOMPARE(facts.LatestRank, plain.LatestRank);
    QCOMPARE(facts.FemaleShare, plain.FemaleShare);
    QCOMPARE(plain.BirthsSpelling, countedAs);
    QVERIFY(!facts.Origins.isEmpty());
}

void TestNameFacts::shareOfGirlsIsTheSameForEitherGender()
{
    for (const auto &[name, low, high] :
        { std::tuple { "Liam", 0.0, 0.01 }, std::tuple { "Olivia", 0.99, 1.0 }, std::tuple { "Avery", 0.6, 0.9 } }) {
        const NameFacts girls = LookUpFacts(shippedFolder(), QString::fromLatin1(name), 0);
        const NameFacts boys = LookUpFacts(shippedFolder(), QString::fromLatin1(name), 1);
        QCOMPARE(girls.FemaleShare, boys.FemaleShare);
        QVERIFY2(girls.FemaleShare > low && girls.FemaleShare < high, name);
    }
}

void TestNameFacts::smallDatabase()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid() && makeDatabase(folder.path() + u'/'));
    const QString programFolder = folder.path() + u'/';

    const NameFacts anna = LookUpFacts(programFolder, QStringLiteral("Anna"), 0);
    // In the order of the origin table, whatever order the files were read in.
    QCOMPARE(anna.Origins, texts({ "Danish", "Popular", "Swedish" }));
    QCOMPARE(anna.Pronunciation, QStringLiteral("/ˈænə/"));
    QCOMPARE(anna.Syllables, 2);
    QCOMPARE(anna.Meaning, QStringLiteral("Hebrew: grace"));
    QCOMPARE(anna.FirstYear, 1880);
    QCOMPARE(anna.Births, QList<qint32>({ 10, 40 }));
    QCOMPARE(anna.LatestRank, 1);
    QCOMPARE(anna.FemaleShare, 50.0 / 55.0);

    // A boys' line that starts late and the meaning written for girls only.
    const NameFacts annaBoys = LookUpFacts(programFolder, QStringLiteral("Anna"), 1);
    QVERIFY(annaBoys.Origins.isEmpty());
    QCOMPARE(annaBoys.FirstYear, 1881);
    QCOMPARE(annaBoys.Births, QList<qint32>({ 5 }));
    QCOMPARE(annaBoys.Meaning, QStringLiteral("Hebrew: grace"));

    // A line that ends before the latest year runs on with zeros, and is not ranked then.
    const NameFacts liam = LookUpFacts(programFolder, QStringLiteral("Liam"), 1);
    QCOMPARE(liam.Births, QList<qint32>({ 7, 0 }));
    QCOMPARE(liam.LatestRank, 0);
    QCOMPARE(liam.FemaleShare, -1.0);

    const auto database = FactsDatabase::open(programFolder);
    const QList<double> rates = BirthsPerMillion(anna, database->allBirths(0), database->firstYear());
    QCOMPARE(rates, QList<double>({ 10000.0, 20000.0 }));
    QCOMPARE(BirthsPerMillion(annaBoys, database->allBirths(1), 1880), QList<double>({ 0.0, 5000.0 }));
    QCOMPARE(PeakYear(rates, 1880), 1881);
}

void TestNameFacts::unreadableData_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents"); // a null array removes the file
    QTest::addColumn<QString>("message"); // %1 is the file's path

    const QString cannotOpen = QStringLiteral("Cannot open file %1");
    QTest::newRow("births file missing") << "database/usbirths.txt" << QByteArray() << cannotOpen;
    QTest::newRow("births file cut short")
        << "database/usbirths.txt" << kBirths.first(kBirths.size() - 4) << cannotOpen;
    QTest::newRow("births of all names missing")
        << "database/usbirths.txt" << QByteArray("anna\tf\t1880\t10 40\t2 1\n") << cannotOpen;
    QTest::newRow("births of the sexes over different years")
        << "database/usbirths.txt" << QByteArray("*\tf\t1880\t1 2\t\n*\tm\t1881\t1 2\t\n") << cannotOpen;
    QTest::newRow("a births line twice") << "database/usbirths.txt" << kBirths + "liam\tm\t1880\t7\t90\n" << cannotOpen;
    const auto allNames = [](const char *girls, const char *boys = "*\tm\t1880\t1000 1000\t") {
        return QByteArray(girls) + '\n' + boys + "\nanna\tf\t1880\t10 40\t2 1\n";
    };
    QTest::newRow("births of all names lost their counts")
        << "database/usbirths.txt" << allNames("*\tf\t1880") << cannotOpen;
    QTest::newRow("births of all names lost their empty ranks")
        << "database/usbirths.txt" << allNames("*\tf\t1880\t1000 2000") << cannotOpen;
    QTest::newRow("births of all names with ranks")
        << "database/usbirths.txt" << allNames("*\tf\t1880\t1000 2000\t1 1") << cannotOpen;
    QTest::newRow("births of all names not numbers")
        << "database/usbirths.txt" << allNames("*\tf\t1880\t1000 many\t") << cannotOpen;
    QTest::newRow("births of all names below nought")
        << "database/usbirths.txt" << allNames("*\tf\t1880\t1000 -2000\t") << cannotOpen;
    QTest::newRow("births of all names without a year")
        << "database/usbirths.txt" << allNames("*\tf\t\t1000 2000\t", "*\tm\t\t1000 1000\t") << cannotOpen;
    QTest::newRow("births before the records began")
        << "database/usbirths.txt"
        << QByteArray("*\tf\t1879\t1000 2000\t\n*\tm\t1879\t1000 1000\t\nanna\tf\t1879\t10 40\t2 1\n") << cannotOpen;
    QTest::newRow("births past the four-digit years")
        << "database/usbirths.txt"
        << QByteArray("*\tf\t9999\t1000 2000\t\n*\tm\t9999\t1000 1000\t\nanna\tf\t9999\t10 40\t2 1\n") << cannotOpen;
    QTest::newRow("births in a year past what a number holds")
        << "database/usbirths.txt" << QByteArray("*\tf\t2147483647\t1000 2000\t\n*\tm\t2147483647\t1000 1000\t\n")
        << cannotOpen;
    QTest::newRow("a spelling the records cannot hold")
        << "database/usbirths.txt" << kBirths + "zo\xC3\xAB\tf\t1880\t10\t5\n"
        << cannotOpen;
    QTest::newRow("births with Windows line ends")
        << "database/usbirths.txt" << QByteArray(kBirths).replace("\n", "\r\n") << cannotOpen;
    QTest::newRow("meanings without a sex")
        << "database/meanings.txt" << QByteArray("Anna\tHebrew: grace\n") << cannotOpen;
    QTest::newRow("meanings not UTF-8") << "database/meanings.txt" << QByteArray("Zo\xEB\tf\tlife\n") << cannotOpen;
    QTest::newRow("a meaning lost its text") << "database/meanings.txt" << QByteArray("Anna\tf\t\n") << cannotOpen;
    QTest::newRow("a meaning with a field more")
        << "database/meanings.txt" << QByteArray("Anna\tf\tHebrew\tgrace\n") << cannotOpen;
    QTest::newRow("a name's meaning twice for one sex")
        << "database/meanings.txt" << kMeanings + "Anna\tf\tLatin: grace\n"
        << cannotOpen;
    QTest::newRow("meanings with Windows line ends")
        << "database/meanings.txt" << QByteArray("Anna\tf\tHebrew: grace\r\n") << cannotOpen;
    QTest::newRow("pronunciations missing") << "database/pronunciations.txt" << QByteArray() << cannotOpen;
    QTest::newRow("pronunciations in another format")
        << "database/pronunciations.txt" << QByteArray("Anna,AE1 N AH0\n") << cannotOpen;
    QTest::newRow("a pronunciation lost its phones")
        << "database/pronunciations.txt" << QByteArray("Anna\t/\xCB\x88\xC3\xA6n\xC9\x99/\tcmudict\n") << cannotOpen;
    QTest::newRow("a name file missing") << "database/welshb.nam" << QByteArray() << cannotOpen;
    QTest::newRow("a folder where the births file should be")
        << "database/usbirths.txt" << QByteArray("/") << cannotOpen;
}

void TestNameFacts::unreadableData()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);

    QTemporaryDir folder;
    const QString programFolder = folder.path() + u'/';
    QVERIFY(folder.isValid() && makeDatabase(programFolder));
    const QString path = programFolder + file;
    QVERIFY(QFile::remove(path));
    if (contents == "/")
        QVERIFY(QDir().mkdir(path));
    else if (!contents.isNull())
        QVERIFY(writeFile(path, contents));

    try {
        LookUpFacts(programFolder, QStringLiteral("Anna"), 0);
        QFAIL("damaged data was read");
    } catch (const SearchError &error) {
        QCOMPARE(error.message(), message.arg(path));
    }
    // Nothing of the failed load is kept: once the file is mended, the facts are there.
    if (QFileInfo(path).isDir())
        QVERIFY(QDir(path).removeRecursively());
    QVERIFY(QFile::remove(path) || !QFile::exists(path));
    QVERIFY(makeDatabase(programFolder));
    QCOMPARE(LookUpFacts(programFolder, QStringLiteral("Anna"), 0).Births.size(), 2);
}

void TestNameFacts::largerThanTheScanLimits_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");

    // Each more than the 64 bytes of the limits below, which the name files keep within.
    QTest::newRow("births") << "database/usbirths.txt" << kBirths;
    QTest::newRow("meanings") << "database/meanings.txt"
                              << kMeanings + "Astrid\tf\tOld Norse: god and beautiful\nLiam\tm\tIrish: protector\n";
}

void TestNameFacts::largerThanTheScanLimits()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);

    QTemporaryDir folder;
    const QString programFolder = folder.path() + u'/';
    QVERIFY(folder.isValid() && makeDatabase(programFolder));
    QVERIFY(contents.size() > 64 && writeFile(programFolder + file, contents));
    {
        // The facts files are held within the memory a search may take, as the name files are.
        ScanLimits limits;
        limits.MaxFileBytes = 64;
        const ScopedScanLimits scoped(limits);
        try {
            FactsDatabase::load(programFolder);
            QFAIL("a file larger than the limits was read");
        } catch (const SearchError &error) {
            QCOMPARE(error.message(), QStringLiteral("Text exceeds memo capacity"));
        }
    }
    QCOMPARE(FactsDatabase::load(programFolder)->lookUp(QStringLiteral("Anna"), 0).Births.size(), 2);
}

void TestNameFacts::damagedLineFailsOnlyItsName_data()
{
    QTest::addColumn<QByteArray>("line"); // Liam's, where the boys of 1880 are 1000

    QTest::newRow("counts lost") << QByteArray("liam\tm\t1880");
    QTest::newRow("ranks lost") << QByteArray("liam\tm\t1880\t7");
    QTest::newRow("a field more") << QByteArray("liam\tm\t1880\t7\t90\t1");
    QTest::newRow("no births at all") << QByteArray("liam\tm\t1880\t\t");
    QTest::newRow("births not numbers") << QByteArray("liam\tm\t1880\t7 x\t90");
    QTest::newRow("a year not a number") << QByteArray("liam\tm\tyear\t7\t90");
    QTest::newRow("two first years") << QByteArray("liam\tm\t1880 1881\t7\t90");
    QTest::newRow("births below nought") << QByteArray("liam\tm\t1880\t-7\t90");
    QTest::newRow("births past what a number holds") << QByteArray("liam\tm\t1880\t4294967303\t90");
    QTest::newRow("more births than of all boys") << QByteArray("liam\tm\t1880\t1001\t90");
    QTest::newRow("a rank below nought") << QByteArray("liam\tm\t1880\t7\t-90");
    QTest::newRow("a rank in a year without births") << QByteArray("liam\tm\t1880\t0 7\t5 90");
    QTest::newRow("no rank in a year with births") << QByteArray("liam\tm\t1880\t7\t0");
    QTest::newRow("ranks of other years than the births") << QByteArray("liam\tm\t1880\t7\t90 80");
    QTest::newRow("starts before the first year") << QByteArray("liam\tm\t1879\t7 7\t90 90");
    QTest::newRow("runs past the latest year") << QByteArray("liam\tm\t1881\t7 7\t90 90");
}

void TestNameFacts::damagedLineFailsOnlyItsName()
{
    QFETCH(QByteArray, line);

    QTemporaryDir folder;
    const QString programFolder = folder.path() + u'/';
    QVERIFY(folder.isValid() && makeDatabase(programFolder));
    const QString births = programFolder + QStringLiteral("database/usbirths.txt");
    QVERIFY(writeFile(births, QByteArray(kBirths).replace("liam\tm\t1880\t7\t90", line)));

    QCOMPARE(LookUpFacts(programFolder, QStringLiteral("Anna"), 0).Births.size(), 2);
    try {
        LookUpFacts(programFolder, QStringLiteral("Liam"), 1);
        QFAIL("a damaged line was read");
    } catch (const SearchError &error) {
        QCOMPARE(error.message(), QStringLiteral("Cannot open file %1").arg(births));
    }
}

void TestNameFacts::trend_data()
{
    QTest::addColumn<double>("before"); // rates per million
    QTest::addColumn<double>("now");
    QTest::addColumn<qint32>("birthsBefore");
    QTest::addColumn<qint32>("birthsNow");
    QTest::addColumn<QString>("words");

    QTest::newRow("more than twice") << 10.0 << 25.0 << 200 << 500
                                     << QStringLiteral("Rising fast: 2.5 times as common as in 2014");
    QTest::newRow("up a third") << 30.0 << 40.0 << 300 << 400 << QStringLiteral("Rising: up 33 % since 2014");
    QTest::newRow("within a tenth") << 100.0 << 95.0 << 500 << 475 << QStringLiteral("Steady since 2014");
    QTest::newRow("down a fifth") << 100.0 << 80.0 << 500 << 400 << QStringLiteral("Falling: down 20 % since 2014");
    QTest::newRow("halved or worse") << 100.0 << 40.0 << 500 << 200
                                     << QStringLiteral("Falling fast: down 60 % since 2014");
    QTest::newRow("new") << 0.0 << 5.0 << 0 << 500 << QStringLiteral("New: not given in 2014");
    QTest::newRow("gone") << 5.0 << 0.0 << 500 << 0 << QStringLiteral("Out of use: not given in 2024");
    QTest::newRow("neither year") << 0.0 << 0.0 << 0 << 0 << QStringLiteral("Not given in 2014 or 2024");
    // A rise of 99 % on a handful of births is no trend.
    QTest::newRow("99 births in the two years") << 1.0 << 1.99 << 33 << 66
                                                << QStringLiteral("Too few births to tell: 99 in 2014 and 2024 together");
    QTest::newRow("100 births in the two years") << 1.0 << 1.5 << 40 << 60 << QStringLiteral("Rising: up 50 % since 2014");
    QTest::newRow("new, on 7 births") << 0.0 << 5.0 << 0 << 7
                                      << QStringLiteral("Too few births to tell: 7 in 2014 and 2024 together");
}

void TestNameFacts::trend()
{
    QFETCH(double, before);
    QFETCH(double, now);
    QFETCH(qint32, birthsBefore);
    QFETCH(qint32, birthsNow);
    QFETCH(QString, words);

    // 2013 to 2024: only the latest year and the one ten years before it count.
    QList<double> rates(12, 1000.0);
    rates[1] = before;
    rates[11] = now;
    NameFacts facts;
    facts.FirstYear = 2013;
    facts.Births = QList<qint32>(12, 100000);
    facts.Births[1] = birthsBefore;
    facts.Births[11] = birthsNow;
    QCOMPARE(TenYearTrend(facts, rates, 2013), words);
    QCOMPARE(TenYearTrend(facts, rates.mid(2), 2015), QString());
}

QTEST_GUILESS_MAIN(TestNameFacts)

#include "tst_namefacts.moc"
