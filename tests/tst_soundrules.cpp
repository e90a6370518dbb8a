#include "soundrules.h"
#include "spelling.h"

#include <QTest>

using namespace namorel;

namespace {

// Pronunciations as the CMU Pronouncing Dictionary gives them.
const QHash<QString, QString> &dictionary()
{
    static const QHash<QString, QString> words = {
        { QStringLiteral("Anna"), QStringLiteral("AE1 N AH0") },
        { QStringLiteral("Banks"), QStringLiteral("B AE1 NG K S") },
        { QStringLiteral("Campbell"), QStringLiteral("K AE1 M B AH0 L") },
        { QStringLiteral("Cara"), QStringLiteral("K AA1 R AH0") },
        { QStringLiteral("Celia"), QStringLiteral("S IY1 L IY0 AH0") },
        { QStringLiteral("Charlotte"), QStringLiteral("SH AA1 R L AH0 T") },
        { QStringLiteral("Ellis"), QStringLiteral("EH1 L IH0 S") },
        { QStringLiteral("Emma"), QStringLiteral("EH1 M AH0") },
        { QStringLiteral("Evans"), QStringLiteral("EH1 V AH0 N Z") },
        { QStringLiteral("Eve"), QStringLiteral("IY1 V") },
        { QStringLiteral("Fisher"), QStringLiteral("F IH1 SH ER0") },
        { QStringLiteral("Hank"), QStringLiteral("HH AE1 NG K") },
        { QStringLiteral("Jack"), QStringLiteral("JH AE1 K") },
        { QStringLiteral("Jackson"), QStringLiteral("JH AE1 K S AH0 N") },
        { QStringLiteral("Johnson"), QStringLiteral("JH AA1 N S AH0 N") },
        { QStringLiteral("Kelly"), QStringLiteral("K EH1 L IY0") },
        { QStringLiteral("Liam"), QStringLiteral("L IY1 AH0 M") },
        { QStringLiteral("Oliver"), QStringLiteral("AA1 L IH0 V ER0") },
        { QStringLiteral("Olivia"), QStringLiteral("OW0 L IH1 V IY0 AH0") },
        { QStringLiteral("Oscar"), QStringLiteral("AO1 S K ER0") },
        { QStringLiteral("Philip"), QStringLiteral("F IH1 L IH0 P") },
        { QStringLiteral("Rose"), QStringLiteral("R OW1 Z") },
        { QStringLiteral("Smith"), QStringLiteral("S M IH1 TH") },
        { QStringLiteral("Susan"), QStringLiteral("S UW1 Z AH0 N") },
        { QStringLiteral("Anastasia"), QStringLiteral("AE2 N AH0 S T EY1 SH AH0") },
        { QStringLiteral("Ivanova"), QStringLiteral("IY0 V AH0 N OW1 V AH0") },
        { QStringLiteral("Adele"), QStringLiteral("AH0 D EH1 L") },
        { QStringLiteral("Papadopoulos"), QStringLiteral("P AA2 P AH0 D AA1 P AH0 L AH0 S") },
    };
    return words;
}

QStringList phonesOf(const QString &word)
{
    const QString text = dictionary().value(word);
    if (text.isEmpty())
        qFatal("no test pronunciation for %s", qPrintable(word));
    return text.split(u' ');
}

} // namespace

class TestSoundRules : public QObject
{
    Q_OBJECT

private slots:
    void foldLetters_data();
    void foldLetters();
    void estimate_data();
    void estimate();

    void balance_data();
    void balance();
    void rhythm_data();
    void rhythm();
    void alliteration_data();
    void alliteration();
    void rhymeAndRunTogether_data();
    void rhymeAndRunTogether();
    void initialsWord_data();
    void initialsWord();
};

void TestSoundRules::foldLetters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("letters");

    QTest::newRow("capitals are folded") << QStringLiteral("Anna") << QStringLiteral("anna");
    QTest::newRow("accents are dropped") << QStringLiteral("Hélène Zoë") << QStringLiteral("helenezoe");
    QTest::newRow("a combining accent is dropped too") << QStringLiteral("Jose\u0301") << QStringLiteral("jose");
    QTest::newRow("what is not a letter is left out")
        << QStringLiteral("Mary-Ann O'Neil 2") << QStringLiteral("maryannoneil");
    QTest::newRow("o with stroke, either case") << QStringLiteral("Søren Øster") << QStringLiteral("sorenoster");
    QTest::newRow("ligatures are two letters")
        << QStringLiteral("Æthelflæd Œdipe") << QStringLiteral("aethelflaedoedipe");
    QTest::newRow("sharp s, also the capital") << QStringLiteral("Straße STRAẞE") << QStringLiteral("strassestrasse");
    QTest::newRow("stroked l and d, eth, thorn")
        << QStringLiteral("Łukasz Đorđe Ðóra Þór") << QStringLiteral("lukaszdordedorathor");
    QTest::newRow("dotless and dotted i") << QStringLiteral("Iİı") << QStringLiteral("iii");
    QTest::newRow("letters of other scripts stay") << QStringLiteral("Σοφία") << QStringLiteral("σοφια");
    QTest::newRow("nothing to fold") << QStringLiteral(" -1 ") << QString();
}

void TestSoundRules::foldLetters()
{
    QFETCH(QString, text);
    QFETCH(QString, letters);
    QCOMPARE(FoldLetters(text), letters);
    const char32_t first = letters.isEmpty() ? 0 : letters.toUcs4().front();
    QCOMPARE(FirstFoldedLetter(text), first);
}

void TestSoundRules::estimate_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("phones");

    // Vowel groups are syllables; the stress is on the first of one or two, else on the second-to-last.
    QTest::newRow("one syllable") << QStringLiteral("Smith") << QStringLiteral("S M IH1 TH");
    QTest::newRow("two syllables, stress on the first") << QStringLiteral("Kowal") << QStringLiteral("K AA1 W AH0 L");
    QTest::newRow("three, stress on the second-to-last")
        << QStringLiteral("Abernathy") << QStringLiteral("AH0 B AH0 R N AE1 TH IY0");
    QTest::newRow("a vowel group is one syllable") << QStringLiteral("Boateng") << QStringLiteral("B OW1 T AH0 NG");
    QTest::newRow("y between vowels is a consonant") << QStringLiteral("Maya") << QStringLiteral("M AE1 Y AH0");
    QTest::newRow("y after a consonant is a vowel") << QStringLiteral("Lynn") << QStringLiteral("L IH1 N");
    QTest::newRow("w closes a vowel group") << QStringLiteral("Dawson") << QStringLiteral("D AO1 S AH0 N");
    QTest::newRow("digraphs") << QStringLiteral("Philippa Thatcher")
                              << QStringLiteral("F IH0 L IH1 P AH0 TH AE1 CH AH0 R");
    QTest::newRow("soft and hard c and g")
        << QStringLiteral("Cecil Gage") << QStringLiteral("S EH1 S IH0 L G AE1 JH IY0");
    QTest::newRow("silent letters") << QStringLiteral("Knight") << QStringLiteral("N IH1 T");
    QTest::newRow("n before k") << QStringLiteral("Hank") << QStringLiteral("HH AE1 NG K");
    QTest::newRow("qu and x") << QStringLiteral("Quinn Rex") << QStringLiteral("K W IH1 N R EH1 K S");
    QTest::newRow("accents are read as their letters") << QStringLiteral("Zoë") << QStringLiteral("Z OW1");
    QTest::newRow("each word has its stress")
        << QStringLiteral("Mary-Ann Van  Dyke") << QStringLiteral("M AE1 R IY0 AE1 N V AE1 N D IH1 K IY0");
    QTest::newRow("no vowels") << QStringLiteral("Ng") << QStringLiteral("NG");
    QTest::newRow("no letters") << QStringLiteral("1-2") << QString();
}

void TestSoundRules::estimate()
{
    QFETCH(QString, word);
    QFETCH(QString, phones);
    QCOMPARE(EstimatePronunciation(word).join(u' '), phones);
    // The search takes the shape of the guess without making its phones; it must be the same.
    QVERIFY(EstimateShape(word) == ShapeOf(EstimatePronunciation(word)));
}

void TestSoundRules::balance_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middleName");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("balanced");

    QTest::newRow("Jack Smith: one and one") << "Jack" << QString() << "Smith" << false;
    QTest::newRow("Oliver Smith: three and one") << "Oliver" << QString() << "Smith" << true;
    QTest::newRow("Emma Johnson: two and two") << "Emma" << QString() << "Johnson" << false;
    QTest::newRow("Olivia Johnson: four and two") << "Olivia" << QString() << "Johnson" << true;
    QTest::newRow("Oliver Rose Smith: the middle name has one") << "Oliver"
                                                                << "Rose"
                                                                << "Smith" << true;
    QTest::newRow("Oliver Charlotte Smith: two and three differ") << "Oliver"
                                                                  << "Charlotte"
                                                                  << "Smith" << true;
    QTest::newRow("Emma Kelly Smith: as many as the middle name") << "Emma"
                                                                  << "Kelly"
                                                                  << "Smith" << false;
    QTest::newRow("Anastasia Johnson: six in all") << "Anastasia" << QString() << "Johnson" << true;
    QTest::newRow("Anastasia Oliver: seven in all") << "Anastasia" << QString() << "Oliver" << true;
    QTest::newRow("Oliver Papadopoulos: eight in all") << "Oliver" << QString() << "Papadopoulos" << false;
}

void TestSoundRules::balance()
{
    QFETCH(QString, name);
    QFETCH(QString, middleName);
    QFETCH(QString, surname);
    QFETCH(bool, balanced);

    const QStringList middle = middleName.isEmpty() ? QStringList() : phonesOf(middleName);
    QCOMPARE(IsBalanced(phonesOf(name), phonesOf(surname), middleName.isEmpty() ? nullptr : &middle), balanced);
}

void TestSoundRules::rhythm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("clash");
    QTest::addColumn<int>("unstressedRun");
    QTest::addColumn<bool>("flows");

    QTest::newRow("Jack Smith: both stressed") << "Jack"
                                               << "Smith" << true << 0 << false;
    QTest::newRow("Jackson Smith") << "Jackson"
                                   << "Smith" << false << 1 << true;
    QTest::newRow("Liam Smith") << "Liam"
                                << "Smith" << false << 1 << true;
    QTest::newRow("Emma Oliver") << "Emma"
                                 << "Oliver" << false << 2 << true;
    QTest::newRow("Emma Ivanova: three in a row") << "Emma"
                                                  << "Ivanova" << false << 3 << true;
    QTest::newRow("Olivia Ivanova: four in a row") << "Olivia"
                                                   << "Ivanova" << false << 4 << false;
    QTest::newRow("Jack Papadopoulos: a secondary stress is no clash") << "Jack"
                                                                       << "Papadopoulos" << false << 2 << true;
}

void TestSoundRules::rhythm()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(bool, clash);
    QFETCH(int, unstressedRun);
    QFETCH(bool, flows);

    QCOMPARE(HasStressClash(phonesOf(name), phonesOf(surname)), clash);
    QCOMPARE(LongestUnstressedRun(phonesOf(name), phonesOf(surname)), unstressedRun);
    QCOMPARE(HasGoodRhythm(phonesOf(name), phonesOf(surname)), flows);
}

void TestSoundRules::alliteration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("alliterates");

    QTest::newRow("Philip Fisher: the same sound, spelt apart") << "Philip"
                                                                << "Fisher" << true;
    QTest::newRow("Cara Kelly: the same sound, spelt apart") << "Cara"
                                                             << "Kelly" << true;
    QTest::newRow("Celia Kelly: the same letter, another sound") << "Celia"
                                                                 << "Kelly" << false;
    QTest::newRow("Charlotte Campbell: the same letter, another sound") << "Charlotte"
                                                                        << "Campbell" << false;
    QTest::newRow("Eve Evans: vowels spelt alike") << "Eve"
                                                   << "Evans" << true;
    QTest::newRow("Oscar Ellis: vowels spelt apart") << "Oscar"
                                                     << "Ellis" << false;
    QTest::newRow("Anna Smith") << "Anna"
                                << "Smith" << false;
}

void TestSoundRules::alliteration()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(bool, alliterates);
    QCOMPARE(Alliterates(name, phonesOf(name), surname, phonesOf(surname)), alliterates);
}

void TestSoundRules::rhymeAndRunTogether_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("rhymes");
    QTest::addColumn<bool>("runsTogether");

    QTest::newRow("Hank Banks: a final S is ignored") << "Hank"
                                                      << "Banks" << true << false;
    QTest::newRow("Banks Hank: either way round") << "Banks"
                                                  << "Hank" << true << false;
    QTest::newRow("Jack Jackson: only the stressed vowel on") << "Jack"
                                                              << "Jackson" << false << false;
    QTest::newRow("Ellis Smith: S into S") << "Ellis"
                                           << "Smith" << false << true;
    QTest::newRow("Oscar Rose") << "Oscar"
                                << "Rose" << false << false;
    QTest::newRow("Emma Adele: a vowel into the same vowel") << "Emma"
                                                             << "Adele" << false << true;
    QTest::newRow("Emma Anna: a vowel into another") << "Emma"
                                                     << "Anna" << false << false;
}

void TestSoundRules::rhymeAndRunTogether()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(bool, rhymes);
    QFETCH(bool, runsTogether);
    QCOMPARE(Rhymes(phonesOf(name), phonesOf(surname)), rhymes);
    QCOMPARE(RunsTogether(phonesOf(name), phonesOf(surname)), runsTogether);
}

void TestSoundRules::initialsWord_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middleName");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("word");

    QTest::newRow("Anna Susan Smith") << "Anna"
                                      << "Susan"
                                      << "Smith"
                                      << "ass";
    QTest::newRow("no middle name") << "Anna" << QString() << "Smith"
                                    << "as";
    QTest::newRow("a blank middle name is none") << "Anna"
                                                 << "  "
                                                 << "Smith"
                                                 << "as";
    QTest::newRow("accents and capitals fold") << QStringLiteral("Élodie") << "Bo" << QStringLiteral("ÖZ") << "ebo";
    QTest::newRow("a part that opens with no letter") << "Anna"
                                                      << "2"
                                                      << "Smith" << QString();
}

void TestSoundRules::initialsWord()
{
    QFETCH(QString, name);
    QFETCH(QString, middleName);
    QFETCH(QString, surname);
    QFETCH(QString, word);
    QCOMPARE(InitialsWord(name, middleName, surname), word);
}

QTEST_GUILESS_MAIN(TestSoundRules)
#include "tst_soundrules.moc"
