// The facts files: the input read as the pronunciations, the meanings and the yearly births in turn, each beside
// sound copies of the other two, and the facts of a few names asked of what was read. Either the file is refused
// with the facts' own message naming it, or what is told of a name holds together: births not negative and within
// those of all names, a rank in exactly the years with births, a share of girls within 0 and 1, the same for
// either gender, and rates per million within a million.

#include "factsdatabase.h"
#include "fuzzcheck.h"
#include "namesearch.h"
#include "phones.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <functional>

using namespace namorel;

namespace {

const QByteArray kPronunciations = "Anna\t/\xCB\x88\xC3\xA6n\xC9\x99/\tAE1 N AH0\tcmudict\n"
                                   "Zo\xC3\xAB\t/\xCB\x88zo\xCA\x8Ai/\tZ OW1 IY0\tespeak-ng:en-us\n";
const QByteArray kMeanings = "Anna\tf\tHebrew: grace\nZoe\tf\tGreek: life\n";
const QByteArray kBirths = "*\tf\t2022\t1000 2000 1500\t\n*\tm\t2022\t1000 1000 1200\t\n"
                           "anna\tf\t2022\t10 40 0\t2 1 0\nanna\tm\t2023\t5\t300\nliam\tm\t2022\t7 9 11\t90 80 70\n";

bool writeFile(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes.data(), bytes.size()) == bytes.size();
}

QString pronunciationsPath(const QString &folder)
{
    return folder + QStringLiteral("database/pronunciations.txt");
}

QString meaningsPath(const QString &folder)
{
    return folder + QStringLiteral("database/meanings.txt");
}

QString birthsPath(const QString &folder)
{
    return folder + QStringLiteral("database/usbirths.txt");
}

// A program folder with every name file (Anna in two of them) and sound facts files, made once; empty when it
// cannot be made.
const QString &programFolder()
{
    static const QString folder = []() -> QString {
        if (!FuzzScratchFolder().isValid())
            return {};
        const QString made = FuzzScratchFolder().filePath(QStringLiteral("facts")) + u'/';
        if (!QDir(made).mkpath(QStringLiteral("database")))
            return {};
        for (const QString &origin : OriginTable()) {
            for (const qint32 gender : { 0, 1 }) {
                const bool lists = gender == 0 && (origin == u"Swedish" || origin == u"Popular");
                if (!writeFile(NameFilePath(made, origin, gender), lists ? "Anna\nZo\xC3\xAB\n" : ""))
                    return {};
            }
        }
        return writeFile(pronunciationsPath(made), kPronunciations) && writeFile(meaningsPath(made), kMeanings)
                && writeFile(birthsPath(made), kBirths)
            ? made
            : QString();
    }();
    return folder;
}

// The names asked: a few fixed ones and the first field of the input's first lines other than comments.
QStringList namesToAsk(QByteArrayView bytes)
{
    QStringList names = { QStringLiteral("Anna"), QStringLiteral("Liam"), QStringLiteral("Zo\u00EB"), QString() };
    for (qsizetype start = 0; start < bytes.size() && names.size() < 10;) {
        const qsizetype end = bytes.indexOf('\n', start);
        const QByteArrayView line = bytes.sliced(start, (end < 0 ? bytes.size() : end) - start);
        const qsizetype tab = line.indexOf('\t');
        if (!line.startsWith('#'))
            names.append(QString::fromUtf8(line.first(std::min<qsizetype>(tab < 0 ? line.size() : tab, 64))));
        start = end < 0 ? bytes.size() : end + 1;
    }
    return names;
}

// Runs a step that reads a facts file; true when it went through, false when it refused the file at \a path.
bool reads(const QString &path, const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const SearchError &error) {
        NAMOREL_FUZZ_CHECK(error.message() == QStringLiteral("Cannot open file ") + path);
        return false;
    }
}

void checkPronunciations(const QByteArray &bytes, const QStringList &names)
{
    const QString path = pronunciationsPath(programFolder());
    PronunciationTable table;
    try {
        table = PronunciationTable::parse(bytes, path);
    } catch (const SoundDataError &error) {
        NAMOREL_FUZZ_CHECK(error.kind() == SoundDataError::Kind::CannotOpen && error.path() == path);
        return;
    }
    for (const QString &name : names) {
        const std::optional<NamePronunciation> spoken = table.find(name);
        if (!spoken) {
            NAMOREL_FUZZ_CHECK(table.arpabet(name).isEmpty());
            continue;
        }
        NAMOREL_FUZZ_CHECK(spoken->Ipa.size() >= 3 && spoken->Ipa.startsWith(u'/') && spoken->Ipa.endsWith(u'/'));
        NAMOREL_FUZZ_CHECK(SyllableCount(spoken->Phones) >= 1 && !spoken->Source.isEmpty());
        NAMOREL_FUZZ_CHECK(ParsePhones(table.arpabet(name)) == spoken->Phones);
    }
}

void checkMeanings(const QByteArray &bytes, const QStringList &names)
{
    const QString folder = programFolder();
    std::shared_ptr<const FactsDatabase> database;
    if (!reads(meaningsPath(folder), [&] { database = FactsDatabase::load(folder); }))
        return;
    for (const QString &name : names) {
        for (const qint32 gender : { 0, 1 }) {
            const QString meaning = database->lookUp(name, gender).Meaning;
            // What the file says of the name, as it says it: one field of one line.
            NAMOREL_FUZZ_CHECK(meaning.isEmpty() || bytes.contains('\t' + meaning.toUtf8() + '\n'));
            NAMOREL_FUZZ_CHECK(std::none_of(
                meaning.begin(), meaning.end(), [](QChar c) { return c.category() == QChar::Other_Control; }));
        }
    }
}

void checkBirths(const QStringList &names)
{
    const QString folder = programFolder();
    const QString path = birthsPath(folder);
    std::shared_ptr<const FactsDatabase> database;
    if (!reads(path, [&] { database = FactsDatabase::load(folder); }))
        return;
    const qint32 first = database->firstYear();
    const qint32 latest = database->latestYear();
    NAMOREL_FUZZ_CHECK(first >= 1880 && latest >= first && latest <= 9999);
    for (const qint32 gender : { 0, 1 }) {
        const QList<qint32> &all = database->allBirths(gender);
        NAMOREL_FUZZ_CHECK(all.size() == latest - first + 1);
        NAMOREL_FUZZ_CHECK(std::all_of(all.begin(), all.end(), [](qint32 births) { return births >= 0; }));
    }

    for (const QString &name : names) {
        double share[2] = { -2, -2 };
        for (const qint32 gender : { 0, 1 }) {
            NameFacts facts;
            QList<qint32> ranks;
            if (!reads(path, [&] { facts = database->lookUp(name, gender); })
                || !reads(path, [&] { ranks = database->ranks(name, gender); }))
                continue;
            share[gender] = facts.FemaleShare;
            NAMOREL_FUZZ_CHECK(facts.FemaleShare == -1 || (facts.FemaleShare >= 0 && facts.FemaleShare <= 1));
            NAMOREL_FUZZ_CHECK(ranks.size() == facts.Births.size());
            if (facts.Births.isEmpty()) {
                NAMOREL_FUZZ_CHECK(facts.FirstYear == 0 && facts.LatestRank == 0);
                continue;
            }
            NAMOREL_FUZZ_CHECK(facts.FirstYear >= first && facts.FirstYear + facts.Births.size() - 1 == latest);
            const QList<qint32> &all = database->allBirths(gender);
            for (qsizetype i = 0; i < facts.Births.size(); ++i) {
                const qint32 births = facts.Births[i];
                NAMOREL_FUZZ_CHECK(births >= 0 && births <= all[facts.FirstYear - first + i]);
                NAMOREL_FUZZ_CHECK((births > 0) == (ranks[i] > 0) && ranks[i] >= 0);
            }
            NAMOREL_FUZZ_CHECK(facts.LatestRank == ranks.back());

            const QList<double> rates = BirthsPerMillion(facts, all, first);
            NAMOREL_FUZZ_CHECK(rates.size() == all.size());
            NAMOREL_FUZZ_CHECK(
                std::all_of(rates.begin(), rates.end(), [](double rate) { return rate >= 0 && rate <= 1e6; }));
            const qint32 peak = PeakYear(rates, first);
            NAMOREL_FUZZ_CHECK(peak == 0 || (peak >= facts.FirstYear && peak <= latest));
            NAMOREL_FUZZ_CHECK(TenYearTrend(facts, rates, first).isEmpty() == (rates.size() <= 10));
        }
        // The share of girls is told of the name, whichever gender asks.
        NAMOREL_FUZZ_CHECK(share[0] == -2 || share[1] == -2 || share[0] == share[1]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString &folder = programFolder();
    if (folder.isEmpty())
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList names = namesToAsk(bytes);

    // The program keeps the pronunciations it has read once for the rest of the run, so they are parsed here
    // as the facts read them, not through a load.
    checkPronunciations(bytes, names);

    if (!writeFile(meaningsPath(folder), bytes))
        return 0;
    checkMeanings(bytes, names);
    if (!writeFile(meaningsPath(folder), kMeanings) || !writeFile(birthsPath(folder), bytes))
        return 0;
    checkBirths(names);
    writeFile(birthsPath(folder), kBirths);
    return 0;
}
