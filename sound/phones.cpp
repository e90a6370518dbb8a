#include "phones.h"

#include <algorithm>
#include <array>
#include <utility>

namespace namorel {

namespace {

struct Spelling
{
    const char16_t *Phone;
    const char16_t *Letters;
};

// How each vowel reads in plain letters.
constexpr std::array<Spelling, 15> kVowels = { {
    { u"AA", u"ah" },
    { u"AE", u"a" },
    { u"AH", u"uh" },
    { u"AO", u"aw" },
    { u"AW", u"ow" },
    { u"AY", u"eye" },
    { u"EH", u"e" },
    { u"ER", u"er" },
    { u"EY", u"ay" },
    { u"IH", u"i" },
    { u"IY", u"ee" },
    { u"OW", u"oh" },
    { u"OY", u"oy" },
    { u"UH", u"uu" },
    { u"UW", u"oo" },
} };

constexpr std::array<Spelling, 24> kConsonants = { {
    { u"B", u"b" },
    { u"CH", u"ch" },
    { u"D", u"d" },
    { u"DH", u"th" },
    { u"F", u"f" },
    { u"G", u"g" },
    { u"HH", u"h" },
    { u"JH", u"j" },
    { u"K", u"k" },
    { u"L", u"l" },
    { u"M", u"m" },
    { u"N", u"n" },
    { u"NG", u"ng" },
    { u"P", u"p" },
    { u"R", u"r" },
    { u"S", u"s" },
    { u"SH", u"sh" },
    { u"T", u"t" },
    { u"TH", u"th" },
    { u"V", u"v" },
    { u"W", u"w" },
    { u"Y", u"y" },
    { u"Z", u"z" },
    { u"ZH", u"zh" },
} };

// Vowels that an English syllable does not end in when stressed: they take a consonant with them.
constexpr std::array<QStringView, 5> kCheckedVowels = { u"IH", u"EH", u"AE", u"AH", u"UH" };

// The consonant clusters that begin English syllables, besides every single consonant but NG.
constexpr std::array<std::pair<QStringView, QStringView>, 24> kTwoConsonantOnsets = { {
    { u"P", u"L" },
    { u"P", u"R" },
    { u"B", u"L" },
    { u"B", u"R" },
    { u"T", u"R" },
    { u"D", u"R" },
    { u"K", u"L" },
    { u"K", u"R" },
    { u"G", u"L" },
    { u"G", u"R" },
    { u"F", u"L" },
    { u"F", u"R" },
    { u"TH", u"R" },
    { u"SH", u"R" },
    { u"S", u"P" },
    { u"S", u"T" },
    { u"S", u"K" },
    { u"S", u"M" },
    { u"S", u"N" },
    { u"S", u"L" },
    { u"S", u"W" },
    { u"T", u"W" },
    { u"K", u"W" },
    { u"G", u"W" },
} };
constexpr std::array<QStringView, 4> kThreeConsonantOnsets = { u"S P L", u"S P R", u"S T R", u"S K R" };

template<std::size_t N> const Spelling *findSpelling(const std::array<Spelling, N> &table, QStringView phone)
{
    const auto found
        = std::find_if(table.begin(), table.end(), [phone](const Spelling &entry) { return phone == entry.Phone; });
    return found == table.end() ? nullptr : &*found;
}

enum PhoneKind : quint8 { NoPhone, Consonant, Vowel };

// The kind of every one- and two-letter phone name, indexed by its letters: a constant-time check for
// reading whole dictionaries.
const std::array<quint8, 26 * 27> &phoneKinds()
{
    static const std::array<quint8, 26 * 27> kinds = [] {
        std::array<quint8, 26 * 27> table {};
        const auto mark = [&table](const char16_t *name, quint8 kind) {
            const int second = name[1] ? name[1] - u'A' + 1 : 0;
            table[std::size_t((name[0] - u'A') * 27 + second)] = kind;
        };
        for (const Spelling &vowel : kVowels)
            mark(vowel.Phone, Vowel);
        for (const Spelling &consonant : kConsonants)
            mark(consonant.Phone, Consonant);
        return table;
    }();
    return kinds;
}

PhoneKind kindOf(QStringView base)
{
    if (base.isEmpty() || base.size() > 2 || base[0] < u'A' || base[0] > u'Z')
        return NoPhone;
    int second = 0;
    if (base.size() == 2) {
        if (base[1] < u'A' || base[1] > u'Z')
            return NoPhone;
        second = base[1].unicode() - u'A' + 1;
    }
    return PhoneKind(phoneKinds()[std::size_t((base[0].unicode() - u'A') * 27 + second)]);
}

QStringView vowelBase(QStringView phone)
{
    return phone.size() >= 2 ? phone.first(phone.size() - 1) : QStringView();
}

bool isConsonantPhone(QStringView phone)
{
    return kindOf(phone) == Consonant;
}

bool isOnset(const QStringList &cluster)
{
    switch (cluster.size()) {
    case 0:
        return true;
    case 1:
        return cluster.front() != u"NG";
    case 2:
        return std::any_of(kTwoConsonantOnsets.begin(), kTwoConsonantOnsets.end(),
            [&cluster](const auto &onset) { return cluster[0] == onset.first && cluster[1] == onset.second; });
    case 3:
        return std::find(kThreeConsonantOnsets.begin(), kThreeConsonantOnsets.end(), cluster.join(u' '))
            != kThreeConsonantOnsets.end();
    default:
        return false;
    }
}

} // namespace

bool IsVowelPhone(QStringView phone)
{
    return PhoneStress(phone) >= 0;
}

qint32 PhoneStress(QStringView phone)
{
    if (phone.size() != 3 || phone.back() < u'0' || phone.back() > u'2')
        return -1;
    return kindOf(vowelBase(phone)) == Vowel ? phone.back().unicode() - u'0' : -1;
}

bool IsArpabetWord(QStringView arpabet)
{
    bool hasVowel = false;
    for (const QStringView phone : arpabet.tokenize(u' ', Qt::SkipEmptyParts)) {
        const bool vowel = IsVowelPhone(phone);
        if (!vowel && !isConsonantPhone(phone))
            return false;
        hasVowel = hasVowel || vowel;
    }
    return hasVowel;
}

QStringList ParsePhones(QStringView arpabet)
{
    QStringList phones;
    bool hasVowel = false;
    for (const QStringView phone : arpabet.split(u' ', Qt::SkipEmptyParts)) {
        const bool vowel = IsVowelPhone(phone);
        if (!vowel && !isConsonantPhone(phone))
            return {};
        hasVowel = hasVowel || vowel;
        phones.append(phone.toString());
    }
    return hasVowel ? phones : QStringList();
}

qint32 SyllableCount(const QStringList &phones)
{
    return qint32(
        std::count_if(phones.begin(), phones.end(), [](const QString &phone) { return IsVowelPhone(phone); }));
}

qint32 StressedSyllable(const QStringList &phones)
{
    qint32 syllable = 0;
    for (const QString &phone : phones) {
        const qint32 stress = PhoneStress(phone);
        if (stress == 1)
            return syllable;
        if (stress >= 0)
            ++syllable;
    }
    return -1;
}

QList<QStringList> Syllabify(const QStringList &phones)
{
    QList<QStringList> syllables;
    QStringList pending;
    for (const QString &phone : phones) {
        if (!IsVowelPhone(phone)) {
            pending.append(phone);
            continue;
        }
        if (syllables.isEmpty()) {
            syllables.append(pending);
        } else {
            // The longest tail of the consonants in between that can begin a syllable begins this one.
            qsizetype split = pending.size();
            while (split > 0 && isOnset(pending.mid(split - 1)))
                --split;
            QStringList &previous = syllables.back();
            const QString &previousVowel
                = *std::find_if(previous.begin(), previous.end(), [](const QString &p) { return IsVowelPhone(p); });
            const bool checked = PhoneStress(previousVowel) == 1
                && std::find(kCheckedVowels.begin(), kCheckedVowels.end(), vowelBase(previousVowel))
                    != kCheckedVowels.end();
            if (checked && split == 0 && !pending.isEmpty())
                split = 1;
            previous.append(pending.mid(0, split));
            syllables.append(pending.mid(split));
        }
        syllables.back().append(phone);
        pending.clear();
    }
    if (!syllables.isEmpty())
        syllables.back().append(pending);
    return syllables;
}

QString SpokenSyllables(const QStringList &phones)
{
    QStringList spoken;
    for (const QStringList &syllable : Syllabify(phones)) {
        QString letters;
        bool stressed = false;
        for (const QString &phone : syllable) {
            const qint32 stress = PhoneStress(phone);
            if (stress >= 0) {
                stressed = stress == 1;
                // "eye" alone, but "my", "ky" after a consonant.
                const bool lateEye = vowelBase(phone) == u"AY" && !letters.isEmpty();
                letters += lateEye ? QStringLiteral("y")
                                   : QString::fromUtf16(findSpelling(kVowels, vowelBase(phone))->Letters);
            } else if (const Spelling *consonant = findSpelling(kConsonants, phone)) {
                letters += QString::fromUtf16(consonant->Letters);
            }
        }
        spoken.append(stressed ? letters.toUpper() : letters);
    }
    return spoken.join(u'-');
}

} // namespace namorel
