#include "namefilter.h"

#include "soundrules.h"
#include "spelling.h"

#include <algorithm>

namespace namorel {

namespace {

constexpr quint32 asciiBit(char32_t letter)
{
    return quint32(1) << (letter - U'a');
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// What a name sounds like. Names the pronouncing data does not know are guessed from their spelling.
Pronunciation pronounceName(QStringView name)
{
    return EstimatePronunciation(name);
}

// What a surname or middle name sounds like.
Pronunciation pronounceWord(QStringView word)
{
    return EstimatePronunciation(word);
}

} // namespace

bool NameFilter::LetterSet::contains(char32_t letter) const
{
    if (letter >= U'a' && letter <= U'z')
        return Ascii & asciiBit(letter);
    return Others.contains(letter);
}

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
    m_soundFilters = (m_balance || m_rhythm || m_alliteration) && CanJudgeSoundWith(query.Surname);
    if (!m_soundFilters)
        return;
    m_surname = query.Surname;
    m_surnamePhones = pronounceWord(query.Surname);
    m_hasMiddleName = !FoldLetters(query.MiddleName).isEmpty();
    if (m_hasMiddleName)
        m_middleNamePhones = pronounceWord(query.MiddleName);
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
    const Pronunciation phones = pronounceName(name);
    if (m_balance && !IsBalanced(phones, m_surnamePhones, m_hasMiddleName ? &m_middleNamePhones : nullptr))
        return false;
    if (m_rhythm && !HasGoodRhythm(phones, m_surnamePhones))
        return false;
    if (m_alliteration && !Alliterates(name, phones, m_surname, m_surnamePhones))
        return false;
    return true;
}

qint32 NameFilter::moveFailingNames(QStringList &recommended, qsizetype from, QStringList &notRecommended) const
{
    if (!isActive())
        return 0;
    qsizetype kept = from;
    qint32 moved = 0;
    for (qsizetype i = from; i < recommended.size(); ++i) {
        if (passes(recommended.at(i))) {
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

bool CanJudgeSoundWith(const QString &surname)
{
    return !FoldLetters(surname).isEmpty();
}

} // namespace namorel
