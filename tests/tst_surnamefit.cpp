#include "namefilter.h"
#include "namesearch.h"
#include "pronouncing.h"
#include "surnamefit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace namorel;
using namespace Qt::StringLiterals;

namespace {

// The program folder of the source tree: the data the program ships.
QString shipped()
{
    return QStringLiteral(NAMOREL_SOURCE_DIR "/");
}

QStringList kindsOf(const QList<FitNote> &notes)
{
    QStringList kinds;
    for (const FitNote &note : notes)
        kinds.append(note.Kind);
    return kinds;
}

FitNote noteOf(const QList<FitNote> &notes, const QString &kind)
{
    for (const FitNote &note : notes) {
        if (note.Kind == kind)
            return note;
    }
    return {};
}

// The verdict of one sound filter of the search on one name.
bool filterPasses(bool NameQuery::*filter, const QString &name, const QString &middleName, const QString &surname)
{
    NameQuery query;
    query.ProgramFolder = shipped();
    query.Surname = surname;
    query.MiddleName = middleName;
    query.*filter = true;
    return NameFilter(query).passes(name);
}

// A program folder with a database folder, for data that is missing or damaged.
struct ScratchFolder
{
    QTemporaryDir dir;
    QString folder = dir.path() + u'/';

    ScratchFolder() { QDir().mkpath(folder + QStringLiteral("database")); }

    void copyShipped(const QString &file) const
    {
        QFile::copy(shipped() + QStringLiteral("database/") + file, folder + QStringLiteral("database/") + file);
    }

    void write(const QString &file, const QByteArray &bytes) const
    {
        QFile out(folder + QStringLiteral("database/") + file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write a test data file");
    }
};

} // namespace

class TestSurnameFit : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data();
    void verdicts();
    void notes_data();
    void notes();
    void dictionary_data();
    void dictionary();
    void damagedDictionary_data();
    void damagedDictionary();
    void missingDataIsAnError();
};

void TestSurnameFit::verdicts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middleName");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("balanced");
    QTest::addColumn<bool>("flows");
    QTest::addColumn<bool>("alliterates");

    // With the pronunciations the program ships: the names' from the name facts, the surnames' from the
    // pronouncing dictionary.
    QTest::newRow("Jack Smith") << u"Jack"_s << QString() << u"Smith"_s << false << false << false;
    QTest::newRow("Oliver Smith") << u"Oliver"_s << QString() << u"Smith"_s << true << true << false;
    QTest::newRow("Emma Johnson") << u"Emma"_s << QString() << u"Johnson"_s << false << true << false;
    QTest::newRow("Olivia Johnson") << u"Olivia"_s << QString() << u"Johnson"_s << true << true << false;
    QTest::newRow("Jackson Smith") << u"Jackson"_s << QString() << u"Smith"_s << true << true << false;
    QTest::newRow("Liam Smith") << u"Liam"_s << QString() << u"Smith"_s << true << true << false;
    QTest::newRow("Philip Fisher") << u"Philip"_s << QString() << u"Fisher"_s << false << true << true;
    QTest::newRow("Cara Kelly") << u"Cara"_s << QString() << u"Kelly"_s << false << true << true;
    QTest::newRow("Celia Kelly") << u"Celia"_s << QString() << u"Kelly"_s << false << true << false;
    QTest::newRow("Charlotte Campbell") << u"Charlotte"_s << QString() << u"Campbell"_s << false << true << false;
    QTest::newRow("Emma Kelly Smith: as many as the middle name")
        << u"Emma"_s << u"Kelly"_s << u"Smith"_s << false << true << false;
    QTest::newRow("Emma Anthony Smith: fewer than the middle name")
        << u"Emma"_s << u"Anthony"_s << u"Smith"_s << true << true << false;
    QTest::newRow("Eve Evans: vowels spelt alike") << u"Eve"_s << QString() << u"Evans"_s << true << false << true;
    QTest::newRow("a name and surname the data do not know are guessed")
        << u"Zorbulon"_s << QString() << u"Quaxley"_s << true << true << false;
    QTest::newRow("Maria Müller: accents as before") << u"Maria"_s << QString() << u"Müller"_s << true << true << true;
    QTest::newRow("Nina Ñúñez: accents as before") << u"Nina"_s << QString() << u"Ñúñez"_s << false << true << true;
    // Surnames and middle names in other scripts are judged as they read in Latin letters.
    QTest::newRow("Ivy Иванов: Ivanov") << u"Ivy"_s << QString() << u"Иванов"_s << true << true << true;
    QTest::newRow("Jack Иванов") << u"Jack"_s << QString() << u"Иванов"_s << true << false << false;
    QTest::newRow("Yakov Яковлев: Yakovlev, as said")
        << u"Yakov"_s << QString() << u"Яковлев"_s << true << true << true;
    QTest::newRow("Paul Παπαδόπουλος") << u"Paul"_s << QString() << u"Παπαδόπουλος"_s << true << true << true;
    QTest::newRow("Tim 田中: tian zhong") << u"Tim"_s << QString() << u"田中"_s << true << false << true;
    QTest::newRow("Sam Smith-Иванов: scripts mixed")
        << u"Sam"_s << QString() << u"Smith-Иванов"_s << true << false << true;
    QTest::newRow("Emma Анна Smith: a middle name in Cyrillic")
        << u"Emma"_s << u"Анна"_s << u"Smith"_s << false << true << false;
}

void TestSurnameFit::verdicts()
{
    QFETCH(QString, name);
    QFETCH(QString, middleName);
    QFETCH(QString, surname);
    QFETCH(bool, balanced);
    QFETCH(bool, flows);
    QFETCH(bool, alliterates);

    // The search's filters and the card's notes give the same verdicts.
    QCOMPARE(filterPasses(&NameQuery::BalanceFilter, name, middleName, surname), balanced);
    QCOMPARE(filterPasses(&NameQuery::RhythmFilter, name, middleName, surname), flows);
    QCOMPARE(filterPasses(&NameQuery::Alliteration, name, middleName, surname), alliterates);

    const QList<FitNote> notes = SurnameFit(shipped(), name, middleName, surname);
    QCOMPARE(noteOf(notes, u"balance"_s).Text.contains(u" balances "_s), balanced);
    QCOMPARE(noteOf(notes, u"rhythm"_s).Text.contains(u" flows:"_s), flows);
    QCOMPARE(noteOf(notes, u"alliteration"_s).Text.contains(u" alliterates:"_s), alliterates);
}

void TestSurnameFit::notes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middleName");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("kind"); // of the note whose text is checked
    QTest::addColumn<QString>("text"); // that note's text; empty when there is no such note
    QTest::addColumn<bool>("warning");

    const QStringList verdicts = { u"alliteration"_s, u"rhythm"_s, u"balance"_s };
    QTest::newRow("Hank Banks rhyme") << u"Hank"_s << QString() << u"Banks"_s << QStringList { u"rhyme"_s } + verdicts
                                      << u"initials"_s << QString() << false;
    QTest::newRow("Ellis Smith run together")
        << u"Ellis"_s << QString() << u"Smith"_s << QStringList { u"run-together"_s } + verdicts << u"initials"_s
        << QString() << false;
    QTest::newRow("Anna Susan Smith is warned")
        << u"Anna"_s << u"Susan"_s << u"Smith"_s << verdicts + QStringList { u"initials"_s } << u"initials"_s
        << u"The initials A.S.S. spell an offensive word."_s << true;
    QTest::newRow("initials that spell an ordinary word")
        << u"Bea"_s << u"Eve"_s << u"Dunn"_s << verdicts + QStringList { u"initials"_s } << u"initials"_s
        << u"The initials B.E.D. spell the word \"bed\"."_s << false;
    QTest::newRow("initials that spell nothing")
        << u"Oliver"_s << QString() << u"Smith"_s << verdicts << u"initials"_s << QString() << false;
    QTest::newRow("accented initials are folded")
        << u"Ábel"_s << u"Ste"_s << u"Ström"_s << verdicts + QStringList { u"initials"_s } << u"initials"_s
        << u"The initials A.S.S. spell an offensive word."_s << true;
    QTest::newRow("without a surname only the initials")
        << u"Xena"_s << u"Xavier"_s << u"  "_s << QStringList { u"initials"_s } << u"initials"_s
        << u"The initials X.X. spell an offensive word."_s << true;
    QTest::newRow("two-letter initials spell no ordinary word")
        << u"Anna"_s << QString() << u"Smith"_s << verdicts << u"initials"_s << QString() << false;
    QTest::newRow("without a name nothing")
        << QString() << u"Susan"_s << u"Smith"_s << QStringList() << u"initials"_s << QString() << false;

    // Names as typed are text, never placeholders of the note they appear in, whatever number follows them.
    QTest::newRow("a surname with %1 in a note that flows")
        << u"Oliver"_s << QString() << u"Smith%1"_s << verdicts << u"rhythm"_s
        << u"Oliver Smith%1 flows: no stress clash, at most 3 unstressed syllables in a row."_s << false;
    QTest::newRow("a surname with %4 in a note on a long unstressed run")
        << u"Maximilian"_s << QString() << u"Montgomery%4"_s << verdicts << u"rhythm"_s
        << u"Maximilian Montgomery%4 has 4 unstressed syllables in a row, more than 3."_s << false;
    QTest::newRow("a middle name with %2 in a note on its syllables")
        << u"Emma"_s << u"Kelly%2"_s << u"Smith"_s << verdicts << u"balance"_s
        << u"none: Emma has as many syllables as the middle name Kelly%2 (2)."_s << false;
    QTest::newRow("a surname with %L1 in a note on too many syllables")
        << u"Maximilian"_s << QString() << u"Montgomery%L1"_s << verdicts << u"balance"_s
        << u"too long: Maximilian Montgomery%L1 has 9 syllables together, more than 7."_s << false;

    // A surname in another script is judged as it reads in Latin letters, and the notes say so; one whose
    // spelling does not tell how it is said is not judged at all.
    const QStringList reading { u"reading"_s };
    QTest::newRow("a surname in Cyrillic is read in Latin letters")
        << u"Ivy"_s << QString() << u"Иванов"_s << reading + verdicts << u"reading"_s
        << u"Иванов is judged as it reads in Latin letters: Ivanov."_s << false;
    QTest::newRow("a surname in Cyrillic has its syllables")
        << u"Jack"_s << QString() << u"Иванов"_s << reading + verdicts << u"balance"_s
        << u"Jack (1 syllable) balances Иванов (3 syllables)."_s << false;
    QTest::newRow("a middle name in Cyrillic has its syllables")
        << u"Emma"_s << u"Анна"_s << u"Smith"_s << verdicts << u"balance"_s
        << u"none: Emma has as many syllables as the middle name Анна (2)."_s << false;
    const QString cannotJudge = u" cannot be judged: its spelling does not tell how it is said."_s;
    QTest::newRow("a surname in Hebrew without its vowels")
        << u"Jack"_s << QString() << u"כהן"_s << reading << u"reading"_s << u"כהן"_s + cannotJudge << false;
    QTest::newRow("a surname in Arabic without its vowels")
        << u"Omar"_s << QString() << u"محمد"_s << reading << u"reading"_s << u"محمد"_s + cannotJudge << false;
    QTest::newRow("a surname of digits") << u"Jack"_s << QString() << u" 123 "_s << reading << u"reading"_s
                                         << u"123"_s + cannotJudge << false;
    QTest::newRow("a surname of an emoji")
        << u"Anna"_s << u"Susan"_s << u"😀"_s << reading << u"reading"_s << u"😀"_s + cannotJudge << false;
}

void TestSurnameFit::notes()
{
    QFETCH(QString, name);
    QFETCH(QString, middleName);
    QFETCH(QString, surname);
    QFETCH(QStringList, kinds);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, warning);

    const QList<FitNote> notes = SurnameFit(shipped(), name, middleName, surname);
    QCOMPARE(kindsOf(notes), kinds);
    QCOMPARE(noteOf(notes, kind).Text, text);
    for (const FitNote &each : notes)
        QCOMPARE(each.Warning, each.Kind == u"initials" && warning);
}

void TestSurnameFit::dictionary_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("phones");

    QTest::newRow("a surname") << u"Smith"_s << u"S M IH1 TH"_s;
    QTest::newRow("an apostrophe") << u"O'Brien"_s << u"OW0 B R AY1 IH0 N"_s;
    QTest::newRow("a typographic apostrophe") << u"O’Brien"_s << u"OW0 B R AY1 IH0 N"_s;
    QTest::newRow("accents are looked up without them") << u"Müller"_s << u"M AH1 L ER0"_s;
    QTest::newRow("a word it does not know") << u"Quaxley"_s << QString();
    QTest::newRow("a prefix of a word is no word") << u"Johnso"_s << QString();
    QTest::newRow("two words are not one") << u"Van Dyke"_s << QString();
}

void TestSurnameFit::dictionary()
{
    QFETCH(QString, word);
    QFETCH(QString, phones);

    const auto shippedDictionary = SharedPronouncingDictionary(shipped());
    QVERIFY(shippedDictionary->size() > 100000);
    QCOMPARE(shippedDictionary->find(word).join(u' '), phones);
}

void TestSurnameFit::damagedDictionary_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("damaged");

    QTest::newRow("in order") << QByteArray("ANN\tAE1 N\nANNA\tAE1 N AH0\nBO\tB OW1\n") << false;
    QTest::newRow("out of order") << QByteArray("ANNA\tAE1 N AH0\nANN\tAE1 N\n") << true;
    QTest::newRow("a word twice") << QByteArray("ANN\tAE1 N\nANN\tAE1 N\n") << true;
    QTest::newRow("no tab") << QByteArray("ANN AE1 N\n") << true;
    QTest::newRow("a word in lower case") << QByteArray("ann\tAE1 N\n") << true;
    QTest::newRow("cut short") << QByteArray("ANN\tAE1 N\nBO\tB OW1") << true;
}

void TestSurnameFit::damagedDictionary()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, damaged);

    try {
        const PronouncingDictionary dictionary = PronouncingDictionary::parse(text, u"cmudict.txt"_s);
        QVERIFY(!damaged);
        // Halving finds every word of a list in order, the first and the last too.
        for (const QByteArray &line : text.split('\n')) {
            if (!line.isEmpty())
                QCOMPARE(dictionary.arpabet(QString::fromLatin1(line.split('\t').first())), line.split('\t').last());
        }
    } catch (const SoundDataError &error) {
        QVERIFY(damaged);
        QCOMPARE(error.kind(), SoundDataError::Kind::CannotOpen);
    }
}

void TestSurnameFit::missingDataIsAnError()
{
    ScratchFolder scratch;
    scratch.write(u"celtig.nam"_s, "Aoife\n");
    NameQuery query;
    query.ProgramFolder = scratch.folder;
    query.Origins = { u"Celtic"_s };
    query.Surname = u"Kelly"_s;
    query.Alliteration = true;
    const QString table = scratch.folder + u"database/pronunciations.txt"_s;
    const QString dictionary = scratch.folder + u"database/cmudict.txt"_s;

    // The search reports the file as it reports a name file it cannot open; the card's notes alike.
    for (const QString &missing : { table, dictionary }) {
        if (missing == dictionary)
            scratch.copyShipped(u"pronunciations.txt"_s);
        try {
            RunSearch(query);
            QFAIL("the search went on without its data");
        } catch (const SearchError &error) {
            QCOMPARE(error.message(), u"Cannot open file "_s + missing);
        }
        QVERIFY_THROWS_EXCEPTION(SoundDataError, SurnameFit(scratch.folder, u"Aoife"_s, QString(), u"Kelly"_s));
    }

    // Once the data is there, a later search finds it.
    scratch.copyShipped(u"cmudict.txt"_s);
    const SearchResult result = RunSearch(query);
    QCOMPARE(result.ScannedCount, 1);
    QCOMPARE(result.FilteredCount, 1);
}

QTEST_GUILESS_MAIN(TestSurnameFit)
#include "tst_surnamefit.moc"
