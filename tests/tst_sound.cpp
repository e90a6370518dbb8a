#include "phones.h"
#include "pronunciations.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace namorel;
using namespace namorel::testing;

class TestSound : public QObject
{
    Q_OBJECT

private slots:
    void parsePhones_data();
    void parsePhones();
    void syllables_data();
    void syllables();
    void damagedTable_data();
    void damagedTable();
    void tableLookup();
    void unreadableFiles();
};

void TestSound::parsePhones_data()
{
    QTest::addColumn<QString>("arpabet");
    QTest::addColumn<QStringList>("phones");

    QTest::newRow("a dictionary line") << QStringLiteral("OW0 L IH1 V IY0 AH0")
                                       << texts({ "OW0", "L", "IH1", "V", "IY0", "AH0" });
    QTest::newRow("doubled spaces are one separator")
        << QStringLiteral(" L  IY1 AH0 M ") << texts({ "L", "IY1", "AH0", "M" });
    QTest::newRow("a vowel without its stress digit is refused") << QStringLiteral("L IY AH0 M") << QStringList();
    QTest::newRow("a stress digit past 2 is refused") << QStringLiteral("L IY3 M") << QStringList();
    QTest::newRow("a consonant with a digit is refused") << QStringLiteral("L1 IY1") << QStringList();
    QTest::newRow("lower case is no ARPAbet") << QStringLiteral("l iy1") << QStringList();
    QTest::newRow("consonants alone make no word") << QStringLiteral("S T R") << QStringList();
    QTest::newRow("nothing") << QString() << QStringList();
}

void TestSound::parsePhones()
{
    QFETCH(QString, arpabet);
    QFETCH(QStringList, phones);
    QCOMPARE(ParsePhones(arpabet), phones);
}

void TestSound::syllables_data()
{
    QTest::addColumn<QString>("arpabet");
    QTest::addColumn<qint32>("count");
    QTest::addColumn<qint32>("stressed");
    QTest::addColumn<QString>("spoken");

    // A stressed short vowel keeps the consonant after it: LIV, not LI-v.
    QTest::newRow("Olivia") << QStringLiteral("OW0 L IH1 V IY0 AH0") << 4 << 1 << QStringLiteral("oh-LIV-ee-uh");
    QTest::newRow("Liam") << QStringLiteral("L IY1 AH0 M") << 2 << 0 << QStringLiteral("LEE-uhm");
    // "ndr" cannot begin a syllable, "dr" can.
    QTest::newRow("Andrea") << QStringLiteral("AA1 N D R IY0 AH0") << 3 << 0 << QStringLiteral("AHN-dree-uh");
    QTest::newRow("one syllable") << QStringLiteral("JH AE1 K") << 1 << 0 << QStringLiteral("JAK");
    QTest::newRow("stress on the last syllable")
        << QStringLiteral("M IH0 SH EH1 L") << 2 << 1 << QStringLiteral("mi-SHEL");
    QTest::newRow("only secondary stress") << QStringLiteral("K AY2 UW0") << 2 << -1 << QStringLiteral("ky-oo");
    QTest::newRow("NG never begins a syllable") << QStringLiteral("IH1 NG ER0") << 2 << 0 << QStringLiteral("ING-er");
}

void TestSound::syllables()
{
    QFETCH(QString, arpabet);
    QFETCH(qint32, count);
    QFETCH(qint32, stressed);
    QFETCH(QString, spoken);

    const QStringList phones = ParsePhones(arpabet);
    QCOMPARE(SyllableCount(phones), count);
    QCOMPARE(StressedSyllable(phones), stressed);
    QCOMPARE(SpokenSyllables(phones), spoken);
    // The split keeps every phone, in order.
    QStringList joined;
    for (const QStringList &syllable : Syllabify(phones))
        joined += syllable;
    QCOMPARE(joined, phones);
}

void TestSound::damagedTable_data()
{
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("three fields") << QByteArray("Liam\t/liəm/\tL IY1 AH0 M\n");
    QTest::newRow("phones that are not ARPAbet") << QByteArray("Liam\t/liəm/\tL IY AH0 M\tcmudict\n");
    QTest::newRow("IPA without its slashes") << QByteArray("Liam\tliəm\tL IY1 AH0 M\tcmudict\n");
    QTest::newRow("a name twice") << QByteArray(
        "Liam\t/liəm/\tL IY1 AH0 M\tcmudict\nLiam\t/liəm/\tL IY1 AH0 M\tcmudict\n");
    QTest::newRow("five fields") << QByteArray("Liam\t/liəm/\tL IY1 AH0 M\tcmudict\tx\n");
    QTest::newRow("cut short in the last line") << QByteArray("Liam\t/liəm/\tL IY1 AH0 M\tcmu");
    QTest::newRow("not UTF-8") << QByteArray("Zo\xEB\t/zoʊi/\tZ OW1 IY0\tcmudict\n");
}

void TestSound::damagedTable()
{
    QFETCH(QByteArray, data);
    try {
        PronunciationTable::parse(data, QStringLiteral("/x/database/pronunciations.txt"));
        QFAIL("a damaged table was accepted");
    } catch (const SoundDataError &error) {
        QCOMPARE(error.kind(), SoundDataError::Kind::CannotOpen);
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Cannot open file /x/database/pronunciations.txt"));
    }
}

void TestSound::tableLookup()
{
    const PronunciationTable table = PronunciationTable::parse(
        QByteArray("# comment\nSøren\t/sˈœʔʌn/\tS ER1 AH0 N\tespeak-ng:da\nLiam\t/ˈliəm/\tL IY1 AH0 M\tcmudict\n"),
        QString());
    QCOMPARE(table.size(), 2);
    const std::optional<NamePronunciation> soren = table.find(QStringLiteral("Søren"));
    QVERIFY(soren);
    QCOMPARE(soren->Phones, texts({ "S", "ER1", "AH0", "N" }));
    QCOMPARE(soren->Ipa, QStringLiteral("/sˈœʔʌn/"));
    QVERIFY(soren->estimated());
    QVERIFY(!table.find(QStringLiteral("Liam"))->estimated());
    // Spellings are exact: neither another case nor the unaccented twin is the same name.
    QVERIFY(!table.find(QStringLiteral("liam")));
    QVERIFY(!table.find(QStringLiteral("Soren")));
}

void TestSound::unreadableFiles()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString missing = folder.filePath(QStringLiteral("missing.txt"));
    QVERIFY_THROWS_EXCEPTION(SoundDataError, PronunciationTable::load(missing));
    QVERIFY_THROWS_EXCEPTION(SoundDataError, PronunciationTable::load(folder.path()));

    QFile big(folder.filePath(QStringLiteral("big.txt")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.write(QByteArray(100, 'x')) == 100);
    big.close();
    try {
        ReadDataFile(big.fileName(), 99);
        QFAIL("a file over the limit was read");
    } catch (const SoundDataError &error) {
        QCOMPARE(error.kind(), SoundDataError::Kind::TooLarge);
    }
    QCOMPARE(ReadDataFile(big.fileName(), 100).size(), 100);
}

QTEST_GUILESS_MAIN(TestSound)

#include "tst_sound.moc"
