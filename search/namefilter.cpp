#include "namefilter.h"

#include "latinreading.h"
#include "parallel.h"
#include "pronouncing.h"
#include "soundrules.h"
#include "spelling.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace namorel {

namespace {

constexpr quint32 asciiBit(char32_t letter)
{
    return quint32(1) << (letter - U'a');
}

// Below this many names for each worker, another thread costs more than it saves.
constexpr qsizetype kMinNamesPerWorker = 4096;
constexpr unsigned kMaxWorkers = 8;

// Calls judge(i) for every i in [0, count), shared out among the processor's cores in ranges of consecutive
// names. A share whose thread cannot be started is judged on the calling thread; the first exception a share
// throws is rethrown.
template<typename Judge> void judgeAll(qsizetype count, const Judge &judge)
{
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
    const int workers = int(std::clamp<qsizetype>(count / kMinNamesPerWorker, 1, cores));
    RunParallel(workers, [&](int worker) {
        for (qsizetype i = count * worker / workers; i < count * (worker + 1) / workers; ++i)
            judge(i);
    });
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

NameFilter::LetterSet NameFilter::lettersOf(QStringView text)
{
    LetterSet set;
    if (isAscii(text)) {
        // Most names: no folding beyond the case of a to z.
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= u'a' && u <= u'z')
                set.Ascii |= asciiBit(u);
            else if (u >= u'A' && u <= u'Z')
                set.Ascii |= asciiBit(u + (u'a' - u'A'));
        }
        return set;
    }
    const QString folded = FoldLetters(text);
    for (const char32_t letter : folded.toUcs4()) {
        if (letter >= U'a' && letter <= U'z')
            set.Ascii |= asciiBit(letter);
        else if (!set.Others.contains(letter))
            set.Others.append(letter);
    }
    return set;
}

NameFilter::NameFilter(const NameQuery &query)
    : m_exclude(lettersOf(query.ExcludeLetters))
    , m_include(lettersOf(query.IncludeLetters))
    , m_balance(query.BalanceFilter)
    , m_rhythm(query.RhythmFilter)
    , m_alliteration(query.Alliteration)
{
    if (!m_balance && !m_rhythm && !m_alliteration)
        return;
    // The surname and middle name are read once for the whole search, in Latin letters whatever their script.
    m_surname = LatinReading(query.Surname).trimmed();
    m_soundFilters = !FoldLetters(m_surname).isEmpty();
    if (!m_soundFilters)
        return;
    const QString middleName = LatinReading(query.MiddleName);
    m_hasMiddleName = !FoldLetters(middleName).isEmpty();
    try {
        m_names = SharedPronunciationTable(query.ProgramFolder);
        const auto dictionary = SharedPronouncingDictionary(query.ProgramFolder);
        m_surnameShape = ShapeOf(PronounceWord(*dictionary, m_surname));
        if (m_hasMiddleName)
            m_middleNameShape = ShapeOf(PronounceWord(*dictionary, middleName));
    } catch (const SoundDataError &error) {
        // The pronouncing data travels with the name files; it fails the search as a name file would.
        throw SearchError(error);
    }
}

bool NameFilter::passes(QStringView name) const
{
    if (!m_exclude.isEmpty() || !m_include.isEmpty()) {
        const LetterSet letters = lettersOf(name);
        if (letters.Ascii & m_exclude.Ascii)
            return false;
        if ((letters.Ascii & m_include.Ascii) != m_include.Ascii)
            return false;
        for (const char32_t letter : m_exclude.Others) {
            if (letters.Others.contains(letter))
                return false;
        }
        for (const char32_t letter : m_include.Others) {
            if (!letters.Others.contains(letter))
                return false;
        }
    }
    return !m_soundFilters || passesSoundFilters(name);
}

bool NameFilter::passesSoundFilters(QStringView name) const
{
    const SoundShape shape = NameShape(*m_names, name);
    if (m_balance && !IsBalanced(shape, m_surnameShape, m_hasMiddleName ? &m_middleNameShape : nullptr))
        return false;
    if (m_rhythm && !HasGoodRhythm(shape, m_surnameShape))
        return false;
    if (m_alliteration && !Alliterates(name, shape, m_surname, m_surnameShape))
        return false;
    return true;
}

qint32 NameFilter::moveFailingNames(QStringList &recommended, qsizetype from, QStringList &notRecommended) const
{
    if (!isActive())
        return 0;
    // The verdicts are independent of each other and take most of the time; moving the names keeps their order.
    const qsizetype count = recommended.size() - from;
    std::vector<char> passed(size_t(std::max<qsizetype>(count, 0)));
    judgeAll(count, [&](qsizetype i) { passed[size_t(i)] = passes(recommended.at(from + i)); });

    qsizetype kept = from;
    qint32 moved = 0;
    for (qsizetype i = from; i < recommended.size(); ++i) {
        if (passed[size_t(i - from)]) {
            if (kept != i)
                recommended[kept] = std::move(recommended[i]);
            ++kept;
        } else {
            notRecommended.append(std::move(recommended[i]));
            ++moved;
        }
    }
    recommended.resize(kept);
    return moved;
}

bool FiltersActive(const NameQuery &query)
{
    return !FoldLetters(query.ExcludeLetters).isEmpty() || !FoldLetters(query.IncludeLetters).isEmpty()
        || ((query.BalanceFilter || query.RhythmFilter || query.Alliteration) && CanJudgeSoundWith(query.Surname));
}

} // namespace namorel
