#include "soundrules.h"
#include "spelling.h"

#include <algorithm>

namespace namorel {

namespace {

constexpr qint8 kPrimaryStress = 1;
constexpr qint8 kUnstressed = 0;

const Phone *firstVowel(const Pronunciation &phones)
{
    const auto found = std::find_if(phones.begin(), phones.end(), [](const Phone &p) { return p.isVowel(); });
    return found == phones.end() ? nullptr : &*found;
}

const Phone *lastVowel(const Pronunciation &phones)
{
    const auto found = std::find_if(phones.rbegin(), phones.rend(), [](const Phone &p) { return p.isVowel(); });
    return found == phones.rend() ? nullptr : &*found;
}

bool isSibilantEnd(const Phone &phone)
{
    return phone.Symbol == Arpabet::S || phone.Symbol == Arpabet::Z;
}

} // namespace

bool IsBalanced(const Pronunciation &name, const Pronunciation &surname, const Pronunciation *middleName)
{
    const qint32 syllables = SyllableCount(name);
    const qint32 surnameSyllables = SyllableCount(surname);
    if (syllables == surnameSyllables)
        return false;
    if (middleName && syllables == SyllableCount(*middleName))
        return false;
    return syllables + surnameSyllables <= kMaxBalancedSyllables;
}

bool HasStressClash(const Pronunciation &name, const Pronunciation &surname)
{
    const Phone *last = lastVowel(name);
    const Phone *first = firstVowel(surname);
    return last && first && last->Stress == kPrimaryStress && first->Stress == kPrimaryStress;
}

qint32 LongestUnstressedRun(const Pronunciation &name, const Pronunciation &surname)
{
    qint32 longest = 0;
    qint32 run = 0;
    for (const Pronunciation *word : { &name, &surname }) {
        for (const Phone &phone : *word) {
            if (!phone.isVowel())
                continue;
            run = phone.Stress == kUnstressed ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

bool HasGoodRhythm(const Pronunciation &name, const Pronunciation &surname)
{
    return !HasStressClash(name, surname) && LongestUnstressedRun(name, surname) <= kMaxUnstressedRun;
}

bool Alliterates(
    QStringView name, const Pronunciation &namePhones, QStringView surname, const Pronunciation &surnamePhones)
{
    if (namePhones.isEmpty() || surnamePhones.isEmpty())
        return false;
    const Phone &first = namePhones.front();
    const Phone &surnameFirst = surnamePhones.front();
    // Vowel sounds are too alike and too variously spelt for the phones alone to tell: Eve and Evans.
    if (first.isVowel() && surnameFirst.isVowel()) {
        const char32_t letter = FirstFoldedLetter(name);
        return letter != 0 && letter == FirstFoldedLetter(surname);
    }
    return first.Symbol == surnameFirst.Symbol;
}

Pronunciation RhymingPart(const Pronunciation &phones)
{
    const auto stressed = std::find_if(
        phones.rbegin(), phones.rend(), [](const Phone &p) { return p.isVowel() && p.Stress == kPrimaryStress; });
    if (stressed == phones.rend())
        return {};
    Pronunciation part(stressed.base() - 1, phones.end());
    if (part.size() > 1 && isSibilantEnd(part.back()))
        part.removeLast();
    return part;
}

bool Rhymes(const Pronunciation &name, const Pronunciation &surname)
{
    const Pronunciation part = RhymingPart(name);
    return !part.isEmpty() && part == RhymingPart(surname);
}

bool RunsTogether(const Pronunciation &name, const Pronunciation &surname)
{
    return !name.isEmpty() && !surname.isEmpty() && name.back().Symbol == surname.front().Symbol
        && name.back().isVowel() == surname.front().isVowel();
}

QString InitialsWord(QStringView name, QStringView middleName, QStringView surname)
{
    QString word;
    for (const QStringView part : { name, middleName, surname }) {
        const QStringView trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        // The part's first character decides; a part that opens with a digit or a sign spells nothing.
        qsizetype firstEnd = 1;
        while (firstEnd < trimmed.size() && QChar::isMark(trimmed[firstEnd].unicode()))
            ++firstEnd;
        if (trimmed.front().isHighSurrogate() && trimmed.size() > 1)
            firstEnd = std::max<qsizetype>(firstEnd, 2);
        const char32_t letter = FirstFoldedLetter(trimmed.first(firstEnd));
        if (letter == 0)
            return {};
        word.append(QString::fromUcs4(&letter, 1));
    }
    return word;
}

} // namespace namorel
