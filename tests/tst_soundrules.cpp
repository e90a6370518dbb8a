#include "latinreading.h"
#include "soundrules.h"
#include "spelling.h"

#include <QTest>

using namespace namorel;
using namespace Qt::StringLiterals;

namespace {

// Phones written as the pronouncing dictionary writes them. Well-known names with the pronunciations the
// program ships are judged in tst_surnamefit; these are the rules' edges.
QStringList P(const QString &phones)
{
    return phones.split(u' ', Qt::SkipEmptyParts);
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
    void latinReading_data();
    void latinReading();

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
    QString ascii;
    for (char16_t c = 1; c < 0x80; ++c)
        ascii.append(QChar(c));
    QTest::newRow("every ASCII character: the letters alone, capitals first")
        << ascii << QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz");
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

void TestSoundRules::latinReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<bool>("judged");

    QTest::newRow("Latin letters are read as typed") << u"Smith"_s << u"Smith"_s << true;
    QTest::newRow("accents too: the dictionary and the guess fold them")
        << u"Ñúñez Müller Þór"_s << u"Ñúñez Müller Þór"_s << true;
    QTest::newRow("Cyrillic") << u"Иванов"_s << u"Ivanov"_s << true;
    QTest::newRow("Cyrillic letters as they sound") << u"Хрущёв Яковлев"_s << u"Khrushchev Yakovlev"_s << true;
    QTest::newRow("Greek as it is said today") << u"Βασιλείου"_s << u"Vasileiou"_s << true;
    QTest::newRow("Han in its Mandarin reading") << u"田中"_s << u"tian zhong"_s << true;
    QTest::newRow("kana") << u"やまだ"_s << u"yamada"_s << true;
    QTest::newRow("Hangul") << u"김"_s << u"gim"_s << true;
    QTest::newRow("scripts mixed") << u"Smith-Иванов"_s << u"Smith-Ivanov"_s << true;
    QTest::newRow("Hebrew without its vowel points") << u"כהן"_s << QString() << false;
    QTest::newRow("Arabic without its vowel marks") << u"محمد"_s << QString() << false;
    QTest::newRow("Arabic with its vowel marks") << u"مُحَمَّد"_s << u"muhamad"_s << true;
    QTest::newRow("Latin mixed with a script without its vowels") << u"Smith כהן"_s << QString() << false;
    QTest::newRow("digits") << u"123"_s << u"123"_s << false;
    QTest::newRow("an emoji") << u"😀"_s << u"😀"_s << false;
    QTest::newRow("a script with no Latin reading") << u"𓀀"_s << QString() << false;
}

void TestSoundRules::latinReading()
{
    QFETCH(QString, text);
    QFETCH(QString, reading);
    QFETCH(bool, judged);
    QCOMPARE(LatinReading(text), reading);
    QCOMPARE(CanJudgeSoundWith(text), judged);
}

void TestSoundRules::balance_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("middleName"); // empty: none
    QTest::addColumn<bool>("balanced");

    QTest::newRow("as many syllables as the surname") << u"JH AE1 K"_s << u"S M IH1 TH"_s << QString() << false;
    QTest::newRow("seven in all") << u"AE2 N AH0 S T EY1 SH AH0"_s << u"AA1 L AH0 V ER0"_s << QString() << true;
    QTest::newRow("eight in all") << u"AA1 L AH0 V ER0"_s << u"P AA2 P AH0 D AA1 P AH0 L AH0 S"_s << QString() << false;
    QTest::newRow("as many as the middle name") << u"EH1 M AH0"_s << u"S M IH1 TH"_s << u"K EH1 L IY0"_s << false;
    QTest::newRow("other than the middle name") << u"EH1 M AH0"_s << u"S M IH1 TH"_s << u"R OW1 Z"_s << true;
}

void TestSoundRules::balance()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(QString, middleName);
    QFETCH(bool, balanced);

    const QStringList middle = P(middleName);
    QCOMPARE(IsBalanced(P(name), P(surname), middleName.isEmpty() ? nullptr : &middle), balanced);
}

void TestSoundRules::rhythm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("clash");
    QTest::addColumn<int>("unstressedRun");

    QTest::newRow("stressed meets stressed") << u"JH AE1 K"_s << u"S M IH1 TH"_s << true << 0;
    QTest::newRow("a secondary stress is no clash")
        << u"JH AE1 K"_s << u"P AA2 P AH0 D AA1 P AH0 L AH0 S"_s << false << 2;
    QTest::newRow("three unstressed in a row") << u"EH1 M AH0"_s << u"IY0 V AH0 N OW1 V AH0"_s << false << 3;
    QTest::newRow("four unstressed in a row") << u"OW0 L IH1 V IY0 AH0"_s << u"IY0 V AH0 N OW1 V AH0"_s << false << 4;
    QTest::newRow("a run within the name alone") << u"AH0 AH0 AH0 AH0 IY1"_s << u"S M IH1 TH"_s << true << 4;
    QTest::newRow("a name without stress runs into the surname") << u"AH0 N AH0"_s << u"AH0 D EH1 L"_s << false << 3;
}

void TestSoundRules::rhythm()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(bool, clash);
    QFETCH(int, unstressedRun);

    QCOMPARE(HasStressClash(P(name), P(surname)), clash);
    QCOMPARE(LongestUnstressedRun(P(name), P(surname)), unstressedRun);
    QCOMPARE(HasGoodRhythm(P(name), P(surname)), !clash && unstressedRun <= 3);
}

void TestSoundRules::alliteration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("namePhones");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("surnamePhones");
    QTest::addColumn<bool>("alliterates");

    QTest::newRow("vowels spelt alike") << u"Eve"_s << u"IY1 V"_s << u"Evans"_s << u"EH1 V AH0 N Z"_s << true;
    QTest::newRow("vowels spelt apart") << u"Oscar"_s << u"AO1 S K ER0"_s << u"Ellis"_s << u"EH1 L IH0 S"_s << false;
    QTest::newRow("an accented vowel letter folds")
        << u"Émile"_s << u"EY0 M IY1 L"_s << u"Ellis"_s << u"EH1 L IH0 S"_s << true;
    QTest::newRow("a vowel and a consonant") << u"Anna"_s << u"AE1 N AH0"_s << u"Hanna"_s << u"HH AE1 N AH0"_s << false;
    QTest::newRow("the stress of a first vowel does not count")
        << u"Adele"_s << u"AH0 D EH1 L"_s << u"Ahmed"_s << u"AH1 M EH0 D"_s << true;
    QTest::newRow("no phones") << u"Ng"_s << QString() << u"Ng"_s << QString() << false;
}

void TestSoundRules::alliteration()
{
    QFETCH(QString, name);
    QFETCH(QString, namePhones);
    QFETCH(QString, surname);
    QFETCH(QString, surnamePhones);
    QFETCH(bool, alliterates);
    QCOMPARE(Alliterates(name, P(namePhones), surname, P(surnamePhones)), alliterates);
}

void TestSoundRules::rhymeAndRunTogether_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("rhymes");
    QTest::addColumn<bool>("runsTogether");

    QTest::newRow("a final S on either side is ignored") << u"B AE1 NG K S"_s << u"HH AE1 NG K"_s << true << false;
    QTest::newRow("a final Z too") << u"R OW1 Z"_s << u"D OW1"_s << true << false;
    QTest::newRow("only from the last primary stress on") << u"JH AE1 K"_s << u"JH AE1 K S AH0 N"_s << false << false;
    QTest::newRow("the unstressed ends must match too") << u"EH1 M AH0"_s << u"JH EH1 M IY0"_s << false << false;
    QTest::newRow("no primary stress, no rhyme") << u"AH0 N AH0"_s << u"AH0 N AH0"_s << false << true;
    QTest::newRow("a consonant into the same") << u"EH1 L IH0 S"_s << u"S M IH1 TH"_s << false << true;
    QTest::newRow("a vowel into the same, whatever its stress") << u"EH1 M AH0"_s << u"AH1 M EH0 D"_s << false << true;
}

void TestSoundRules::rhymeAndRunTogether()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(bool, rhymes);
    QFETCH(bool, runsTogether);
    QCOMPARE(Rhymes(P(name), P(surname)), rhymes);
    QCOMPARE(RunsTogether(P(name), P(surname)), runsTogether);
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
