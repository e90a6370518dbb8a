#include "spelling.h"

#include <QChar>
#include <QList>

#include <algorithm>

namespace namorel {

namespace {

// Letters that decomposition leaves whole, written as the letters a reader takes them for. Looked up after
// case folding, so the capitals are covered too (folding turns ẞ into ß).
QStringView lettersFor(char32_t c)
{
    switch (c) {
    case U'ø':
        return u"o";
    case U'æ':
        return u"ae";
    case U'œ':
        return u"oe";
    case U'ß':
        return u"ss";
    case U'ł':
        return u"l";
    case U'đ':
    case U'ð':
        return u"d";
    case U'þ':
        return u"th";
    case U'ı':
        return u"i";
    default:
        return {};
    }
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// The letters a to z of a word after folding, which is all the estimate reads.
using Letters = QVarLengthArray<char, 48>;

Letters plainLetters(QStringView word)
{
    Letters letters;
    const auto keep = [&letters](char16_t c) {
        if (c >= u'a' && c <= u'z')
            letters.append(char(c));
    };
    if (isAscii(word)) {
        for (const QChar c : word)
            keep(asciiLower(c.unicode()));
    } else {
        for (const QChar c : FoldLetters(word))
            keep(c.unicode());
    }
    return letters;
}

bool isVowelLetter(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

// Which letters belong to a vowel group. Y is a vowel except before a vowel at the start of a word or
// between vowels (Yates, Maya); w closes a group it follows unless a vowel comes next (Dawson, Andrew);
// u after q before a vowel is the w of qu.
QVarLengthArray<bool, 48> vowelLetters(const Letters &letters)
{
    const qsizetype count = letters.size();
    QVarLengthArray<bool, 48> vowel(count, false);
    const auto letterAt = [&](qsizetype i) { return i >= 0 && i < count ? letters[i] : '\0'; };
    for (qsizetype i = 0; i < count; ++i) {
        const char c = letters[i];
        const char next = letterAt(i + 1);
        const char previous = letterAt(i - 1);
        if (c == 'u' && previous == 'q' && (isVowelLetter(next) || next == 'y'))
            vowel[i] = false;
        else if (isVowelLetter(c))
            vowel[i] = true;
        else if (c == 'y')
            vowel[i] = !(isVowelLetter(next) && (i == 0 || isVowelLetter(previous)));
        else if (c == 'w')
            vowel[i] = i > 0 && vowel[i - 1] && !isVowelLetter(next) && next != 'y';
    }
    return vowel;
}

Phone consonant(Arpabet symbol)
{
    return Phone { symbol, Phone::kConsonant };
}

// The phones of the consonant letters from `at` up to `end`.
void appendConsonants(const Letters &letters, qsizetype at, qsizetype end, Pronunciation &phones)
{
    const auto letterAt = [&](qsizetype i) { return i < letters.size() ? letters[i] : '\0'; };
    while (at < end) {
        const char c = letters[at];
        char next = at + 1 < end ? letters[at + 1] : '\0';
        // A doubled letter sounds once.
        if (next == c) {
            ++at;
            next = at + 1 < end ? letters[at + 1] : '\0';
        }
        const char after = letterAt(at + 1); // the letter that follows, also past the group
        const bool softens = after == 'e' || after == 'i' || after == 'y';
        qsizetype used = 1;
        switch (c) {
        case 'b':
            phones.append(consonant(Arpabet::B));
            break;
        case 'c':
            if (next == 'h') {
                phones.append(consonant(Arpabet::CH));
                used = 2;
            } else if (next == 'k') {
                phones.append(consonant(Arpabet::K));
                used = 2;
            } else {
                phones.append(consonant(softens ? Arpabet::S : Arpabet::K));
            }
            break;
        case 'd':
            phones.append(consonant(Arpabet::D));
            break;
        case 'f':
            phones.append(consonant(Arpabet::F));
            break;
        case 'g':
            if (next == 'h') {
                // Silent inside or at the end of a word (Leigh, Vaughn), hard at its start (Ghislaine).
                if (at == 0)
                    phones.append(consonant(Arpabet::G));
                used = 2;
            } else {
                phones.append(consonant(softens ? Arpabet::JH : Arpabet::G));
            }
            break;
        case 'h':
            // Heard only before a vowel, where it starts a syllable.
            if (at + 1 == end && at + 1 < letters.size())
                phones.append(consonant(Arpabet::HH));
            break;
        case 'j':
            phones.append(consonant(Arpabet::JH));
            break;
        case 'k':
            if (at == 0 && next == 'n') {
                phones.append(consonant(Arpabet::N));
                used = 2;
            } else {
                phones.append(consonant(Arpabet::K));
            }
            break;
        case 'l':
            phones.append(consonant(Arpabet::L));
            break;
        case 'm':
            phones.append(consonant(Arpabet::M));
            break;
        case 'n':
            if (next == 'k') {
                phones.append(consonant(Arpabet::NG));
                phones.append(consonant(Arpabet::K));
                used = 2;
            } else if (next == 'g' && !isVowelLetter(letterAt(at + 2)) && letterAt(at + 2) != 'y') {
                phones.append(consonant(Arpabet::NG));
                used = 2;
            } else {
                phones.append(consonant(Arpabet::N));
            }
            break;
        case 'p':
            if (next == 'h') {
                phones.append(consonant(Arpabet::F));
                used = 2;
            } else {
                phones.append(consonant(Arpabet::P));
            }
            break;
        case 'q':
            phones.append(consonant(Arpabet::K));
            break;
        case 'r':
            phones.append(consonant(Arpabet::R));
            break;
        case 's':
            if (next == 'h') {
                phones.append(consonant(Arpabet::SH));
                used = 2;
            } else {
                phones.append(consonant(Arpabet::S));
            }
            break;
        case 't':
            if (next == 'c' && letterAt(at + 2) == 'h') {
                break; // the t of "tch" is not heard apart from the ch
            } else if (next == 'h') {
                phones.append(consonant(Arpabet::TH));
                used = 2;
            } else {
                phones.append(consonant(Arpabet::T));
            }
            break;
        case 'u': // the w of qu
        case 'w':
            if (c == 'w' && at == 0 && next == 'r') {
                phones.append(consonant(Arpabet::R));
                used = 2;
            } else {
                phones.append(consonant(Arpabet::W));
                if (c == 'w' && next == 'h')
                    used = 2;
            }
            break;
        case 'v':
            phones.append(consonant(Arpabet::V));
            break;
        case 'x':
            if (at == 0) {
                phones.append(consonant(Arpabet::Z));
            } else {
                phones.append(consonant(Arpabet::K));
                phones.append(consonant(Arpabet::S));
            }
            break;
        case 'y':
            phones.append(consonant(Arpabet::Y));
            break;
        case 'z':
            phones.append(consonant(Arpabet::Z));
            break;
        default:
            break;
        }
        at += used;
    }
}

bool groupIs(QLatin1StringView group, std::initializer_list<const char *> spellings)
{
    return std::any_of(
        spellings.begin(), spellings.end(), [group](const char *s) { return group == QLatin1StringView(s); });
}

// The vowel that a group of vowel letters stands for.
Arpabet vowelFor(QLatin1StringView group, bool stressed, bool last)
{
    const char final = group.back().toLatin1();
    if (!stressed) {
        if (last) {
            if (final == 'a')
                return Arpabet::AH;
            if (final == 'o')
                return Arpabet::OW;
            if (final == 'u' || final == 'w')
                return Arpabet::UW;
            return final == 'e' || final == 'i' || final == 'y' ? Arpabet::IY : Arpabet::AH;
        }
        return group == QLatin1StringView("i") || group == QLatin1StringView("y") ? Arpabet::IH : Arpabet::AH;
    }
    if (groupIs(group, { "ai", "ay", "ei" }) || (group == QLatin1StringView("ey") && !last))
        return Arpabet::EY;
    if (groupIs(group, { "ee", "ea", "ie", "ey" }))
        return Arpabet::IY;
    if (groupIs(group, { "oa", "oe" }))
        return Arpabet::OW;
    if (groupIs(group, { "oo", "ew", "eu", "ue", "ui" }))
        return Arpabet::UW;
    if (groupIs(group, { "ou", "ow" }))
        return Arpabet::AW;
    if (groupIs(group, { "au", "aw" }))
        return Arpabet::AO;
    if (groupIs(group, { "oi", "oy" }))
        return Arpabet::OY;
    switch (group.front().toLatin1()) {
    case 'a':
        return last && group.size() == 1 ? Arpabet::AA : Arpabet::AE;
    case 'e':
        return last && group.size() == 1 ? Arpabet::IY : Arpabet::EH;
    case 'i':
        return last && group.size() == 1 ? Arpabet::IY : Arpabet::IH;
    case 'o':
        return last ? Arpabet::OW : Arpabet::AA;
    case 'u':
        return last ? Arpabet::UW : Arpabet::AH;
    case 'y':
        return last ? Arpabet::AY : Arpabet::IH;
    default:
        return Arpabet::AH;
    }
}

bool isWordBreak(QChar c)
{
    return c.isSpace() || c.category() == QChar::Punctuation_Dash;
}

void estimateOneWord(QStringView word, Pronunciation &phones)
{
    const Letters letters = plainLetters(word);
    const QVarLengthArray<bool, 48> vowel = vowelLetters(letters);
    const qsizetype count = letters.size();

    qint32 groups = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (vowel[i] && (i == 0 || !vowel[i - 1]))
            ++groups;
    }
    const qint32 stressedGroup = groups <= 2 ? 0 : groups - 2;

    qint32 group = 0;
    qsizetype at = 0;
    while (at < count) {
        qsizetype end = at;
        const bool inVowels = vowel[at];
        while (end < count && vowel[end] == inVowels)
            ++end;
        if (inVowels) {
            const QLatin1StringView spelling(letters.data() + at, end - at);
            const bool stressed = group == stressedGroup;
            phones.append(Phone { vowelFor(spelling, stressed, end == count), qint8(stressed ? 1 : 0) });
            ++group;
        } else {
            appendConsonants(letters, at, end, phones);
        }
        at = end;
    }
}

} // namespace

QString FoldLetters(QStringView text)
{
    QString folded;
    if (isAscii(text)) {
        folded.reserve(text.size());
        for (const QChar c : text) {
            if (isAsciiLetter(c.unicode()))
                folded.append(QChar(asciiLower(c.unicode())));
        }
        return folded;
    }
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    folded.reserve(decomposed.size());
    for (const char32_t c : decomposed.toUcs4()) {
        if (QChar::isMark(c))
            continue;
        const char32_t lower = QChar::toCaseFolded(c);
        if (const QStringView replacement = lettersFor(lower); !replacement.isEmpty()) {
            folded.append(replacement);
            continue;
        }
        if (!QChar::isLetter(lower))
            continue;
        if (QChar::requiresSurrogates(lower)) {
            folded.append(QChar(QChar::highSurrogate(lower)));
            folded.append(QChar(QChar::lowSurrogate(lower)));
        } else {
            folded.append(QChar(char16_t(lower)));
        }
    }
    return folded;
}

char32_t FirstFoldedLetter(QStringView text)
{
    const QString folded = FoldLetters(text);
    if (folded.isEmpty())
        return 0;
    return folded.size() > 1 && folded[0].isHighSurrogate() ? QChar::surrogateToUcs4(folded[0], folded[1])
                                                            : char32_t(folded[0].unicode());
}

Pronunciation EstimatePronunciation(QStringView word)
{
    // Each word of a double name or a surname such as "Van Dyke" carries its own stress.
    Pronunciation phones;
    qsizetype at = 0;
    while (at < word.size()) {
        qsizetype end = at;
        while (end < word.size() && !isWordBreak(word[end]))
            ++end;
        if (end > at)
            estimateOneWord(word.sliced(at, end - at), phones);
        at = end + 1;
    }
    return phones;
}

} // namespace namorel
