#include "soundrules.h"
#include "latinreading.h"
#include "spelling.h"

#include <algorithm>

namespace namorel {

namespace {

// The phones come checked from the pronouncing data or the estimate, so a vowel is a phone that ends in
// its stress digit. This runs for every name of a search and stays cheap.
int stressOf(QStringView phone)
{
    const QChar last = phone.isEmpty() ? QChar() : phone.back();
    return last >= u'0' && last <= u'2' ? last.unicode() - u'0' : -1;
}

bool isVowel(QStringView phone)
{
    return stressOf(phone) >= 0;
}

// A phone without its stress digit: the sound itself.
QStringView soundOf(QStringView phone)
{
    return isVowel(phone) ? phone.chopped(1) : phone;
}

constexpr int kPrimaryStress = 1;

} // namespace

bool IsBalanced(const SoundShape &name, const SoundShape &surname, const SoundShape *middleName)
{
    if (name.Syllables == surname.Syllables)
        return false;
    if (middleName && name.Syllables == middleName->Syllables)
        return false;
    return name.Syllables + surname.Syllables <= kMaxBalancedSyllables;
}

bool IsBalanced(const QStringList &name, const QStringList &surname, const QStringList *middleName)
{
    const SoundShape middle = middleName ? ShapeOf(*middleName) : SoundShape();
    return IsBalanced(ShapeOf(name), ShapeOf(surname), middleName ? &middle : nullptr);
}

bool HasStressClash(const SoundShape &name, const SoundShape &surname)
{
    return name.LastStress == kPrimaryStress && surname.FirstStress == kPrimaryStress;
}

bool HasStressClash(const QStringList &name, const QStringList &surname)
{
    return HasStressClash(ShapeOf(name), ShapeOf(surname));
}

qint32 LongestUnstressedRun(const SoundShape &name, const SoundShape &surname)
{
    // A run inside either word, or the name's last unstressed syllables running into the surname's first.
    return std::max(
        { name.LongestUnstressed, surname.LongestUnstressed, name.TrailingUnstressed + surname.LeadingUnstressed });
}

qint32 LongestUnstressedRun(const QStringList &name, const QStringList &surname)
{
    return LongestUnstressedRun(ShapeOf(name), ShapeOf(surname));
}

bool HasGoodRhythm(const SoundShape &name, const SoundShape &surname)
{
    return !HasStressClash(name, surname) && LongestUnstressedRun(name, surname) <= kMaxUnstressedRun;
}

bool HasGoodRhythm(const QStringList &name, const QStringList &surname)
{
    return HasGoodRhythm(ShapeOf(name), ShapeOf(surname));
}

bool Alliterates(QStringView name, const SoundShape &nameShape, QStringView surname, const SoundShape &surnameShape)
{
    if (!nameShape.hasPhones() || !surnameShape.hasPhones())
        return false;
    // Vowel sounds are too alike and too variously spelt for the phones alone to tell: Eve and Evans.
    if (nameShape.StartsWithVowel && surnameShape.StartsWithVowel) {
        const char32_t letter = FirstFoldedLetter(name);
        return letter != 0 && letter == FirstFoldedLetter(surname);
    }
    return nameShape.FirstSound == surnameShape.FirstSound;
}

bool Alliterates(QStringView name, const QStringList &namePhones, QStringView surname, const QStringList &surnamePhones)
{
    return Alliterates(name, ShapeOf(namePhones), surname, ShapeOf(surnamePhones));
}

QStringList RhymingPart(const QStringList &phones)
{
    const auto stressed
        = std::find_if(phones.rbegin(), phones.rend(), [](const QString &p) { return stressOf(p) == kPrimaryStress; });
    if (stressed == phones.rend())
        return {};
    QStringList part(stressed.base() - 1, phones.end());
    if (part.size() > 1 && (part.back() == u"S" || part.back() == u"Z"))
        part.removeLast();
    return part;
}

bool Rhymes(const QStringList &name, const QStringList &surname)
{
    const QStringList part = RhymingPart(name);
    return !part.isEmpty() && part == RhymingPart(surname);
}

bool RunsTogether(const QStringList &name, const QStringList &surname)
{
    return !name.isEmpty() && !surname.isEmpty() && soundOf(name.back()) == soundOf(surname.front());
}

bool CanJudgeSoundWith(QStringView surname)
{
    return !FoldLetters(LatinReading(surname)).isEmpty();
}

QString InitialsWord(QStringView name, QStringView middleName, QStringView surname)
{
    QString word;
    for (const QStringView part : { name, middleName, surname }) {
        const QStringView trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        // The part's first character decides; a part that opens with a digit or a sign spells nothing.
        qsizetype firstEnd = trimmed.front().isHighSurrogate() && trimmed.size() > 1 ? 2 : 1;
        while (firstEnd < trimmed.size() && QChar::isMark(trimmed[firstEnd].unicode()))
            ++firstEnd;
        const char32_t letter = FirstFoldedLetter(trimmed.first(firstEnd));
        if (letter == 0)
            return {};
        word.append(QString::fromUcs4(&letter, 1));
    }
    return word;
}

} // namespace namorel
