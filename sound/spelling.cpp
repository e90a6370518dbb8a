#include "spelling.h"

#include <QChar>
#include <QList>
#include <QVarLengthArray>

#include <algorithm>
#include <array>

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

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// FoldLetters for any text: decomposition, marks dropped, case folding, the letters that do not decompose.
QString foldAnyLetters(QStringView text)
{
    QString folded;
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

// The Latin blocks, up to the end of Latin Extended-B, where nearly every name is written. Decomposing a
// text of them only splits each character into its letter and marks, so such a text folds character by
// character; each character's letters are worked out once.
constexpr char16_t kLatinEnd = 0x250;
using FoldedCharacter = std::array<char16_t, 2>; // up to two letters; 0 where there is none

const std::array<FoldedCharacter, kLatinEnd> &latinFolds()
{
    static const std::array<FoldedCharacter, kLatinEnd> table = [] {
        std::array<FoldedCharacter, kLatinEnd> folds {};
        for (char16_t c = 0; c < kLatinEnd; ++c) {
            const QString letters = foldAnyLetters(QStringView(&c, 1));
            for (qsizetype i = 0; i < std::min<qsizetype>(letters.size(), 2); ++i)
                folds[c][size_t(i)] = letters[i].unicode();
        }
        return folds;
    }();
    return table;
}

bool isLatin(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < kLatinEnd; });
}

void appendFolded(QString &folded, QChar c)
{
    for (const char16_t letter : latinFolds()[c.unicode()]) {
        if (letter)
            folded.append(QChar(letter));
    }
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
    } else if (isLatin(word)) {
        const auto &folds = latinFolds();
        for (const QChar c : word) {
            for (const char16_t letter : folds[c.unicode()])
                keep(letter);
        }
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

// The vowels of ARPAbet, in the dictionary's order.
enum class Vowel { AA, AE, AH, AO, AW, AY, EH, ER, EY, IH, IY, OW, OY, UH, UW };

// A vowel with its stress as the dictionary writes it, "AE1". The texts are static: the phones of a guess
// share them without allocating, which matters when every name of a large search is guessed.
QStringView vowelPhoneText(Vowel vowel, int stress)
{
    static constexpr char16_t kTexts[] = u"AA0AA1AA2AE0AE1AE2AH0AH1AH2AO0AO1AO2AW0AW1AW2AY0AY1AY2EH0EH1EH2ER0ER1ER2"
                                         u"EY0EY1EY2IH0IH1IH2IY0IY1IY2OW0OW1OW2OY0OY1OY2UH0UH1UH2UW0UW1UW2";
    return QStringView(kTexts + (int(vowel) * 3 + stress) * 3, 3);
}

QString vowelPhone(Vowel vowel, int stress)
{
    const QStringView text = vowelPhoneText(vowel, stress);
    return QString::fromRawData(text.data(), text.size());
}

// Where the guessed phones go: into a list of phones, or straight into the shape of the word.
class PhoneList
{
public:
    explicit PhoneList(QStringList &phones)
        : m_phones(phones)
    { }
    bool wantsEveryPhone() const { return true; }
    void consonant(QStringView symbol) { m_phones.append(QString::fromRawData(symbol.data(), symbol.size())); }
    void vowel(Vowel vowel, int stress) { m_phones.append(vowelPhone(vowel, stress)); }

private:
    QStringList &m_phones;
};

class ShapeSink
{
public:
    explicit ShapeSink(SoundShapeBuilder &builder)
        : m_builder(builder)
    { }
    // A shape keeps the first phone and the vowels' stress only: past the first phone, which consonants
    // there are and how the vowels sound change nothing, and the guess skips working them out.
    bool wantsEveryPhone() const { return !m_builder.shape().hasPhones(); }
    void consonant(QStringView symbol) { m_builder.add(symbol, -1); }
    void vowel(Vowel vowel, int stress) { m_builder.add(vowelPhoneText(vowel, stress).chopped(1), stress); }

private:
    SoundShapeBuilder &m_builder;
};

// The phones of the consonant letters from `at` up to `end`.
template<typename Sink> void appendConsonants(const Letters &letters, qsizetype at, qsizetype end, Sink &phones)
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
            phones.consonant(u"B");
            break;
        case 'c':
            if (next == 'h') {
                phones.consonant(u"CH");
                used = 2;
            } else if (next == 'k') {
                phones.consonant(u"K");
                used = 2;
            } else {
                phones.consonant(softens ? u"S" : u"K");
            }
            break;
        case 'd':
            phones.consonant(u"D");
            break;
        case 'f':
            phones.consonant(u"F");
            break;
        case 'g':
            if (next == 'h') {
                // Silent inside or at the end of a word (Leigh, Vaughn), hard at its start (Ghislaine).
                if (at == 0)
                    phones.consonant(u"G");
                used = 2;
            } else {
                phones.consonant(softens ? u"JH" : u"G");
            }
            break;
        case 'h':
            // Heard only before a vowel, where it starts a syllable.
            if (at + 1 == end && at + 1 < letters.size())
                phones.consonant(u"HH");
            break;
        case 'j':
            phones.consonant(u"JH");
            break;
        case 'k':
            if (at == 0 && next == 'n') {
                phones.consonant(u"N");
                used = 2;
            } else {
                phones.consonant(u"K");
            }
            break;
        case 'l':
            phones.consonant(u"L");
            break;
        case 'm':
            phones.consonant(u"M");
            break;
        case 'n':
            if (next == 'k') {
                phones.consonant(u"NG");
                phones.consonant(u"K");
                used = 2;
            } else if (next == 'g' && !isVowelLetter(letterAt(at + 2)) && letterAt(at + 2) != 'y') {
                phones.consonant(u"NG");
                used = 2;
            } else {
                phones.consonant(u"N");
            }
            break;
        case 'p':
            if (next == 'h') {
                phones.consonant(u"F");
                used = 2;
            } else {
                phones.consonant(u"P");
            }
            break;
        case 'q':
            phones.consonant(u"K");
            break;
        case 'r':
            phones.consonant(u"R");
            break;
        case 's':
            if (next == 'h') {
                phones.consonant(u"SH");
                used = 2;
            } else {
                phones.consonant(u"S");
            }
            break;
        case 't':
            if (next == 'c' && letterAt(at + 2) == 'h') {
                break; // the t of "tch" is not heard apart from the ch
            } else if (next == 'h') {
                phones.consonant(u"TH");
                used = 2;
            } else {
                phones.consonant(u"T");
            }
            break;
        case 'u': // the w of qu
        case 'w':
            if (c == 'w' && at == 0 && next == 'r') {
                phones.consonant(u"R");
                used = 2;
            } else {
                phones.consonant(u"W");
                if (c == 'w' && next == 'h')
                    used = 2;
            }
            break;
        case 'v':
            phones.consonant(u"V");
            break;
        case 'x':
            if (at == 0) {
                phones.consonant(u"Z");
            } else {
                phones.consonant(u"K");
                phones.consonant(u"S");
            }
            break;
        case 'y':
            phones.consonant(u"Y");
            break;
        case 'z':
            phones.consonant(u"Z");
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
Vowel vowelFor(QLatin1StringView group, bool stressed, bool last)
{
    const char final = group.back().toLatin1();
    if (!stressed) {
        if (last) {
            if (final == 'a')
                return Vowel::AH;
            if (final == 'o')
                return Vowel::OW;
            if (final == 'u' || final == 'w')
                return Vowel::UW;
            return final == 'e' || final == 'i' || final == 'y' ? Vowel::IY : Vowel::AH;
        }
        return group == QLatin1StringView("i") || group == QLatin1StringView("y") ? Vowel::IH : Vowel::AH;
    }
    if (groupIs(group, { "ai", "ay", "ei" }) || (group == QLatin1StringView("ey") && !last))
        return Vowel::EY;
    if (groupIs(group, { "ee", "ea", "ie", "ey" }))
        return Vowel::IY;
    if (groupIs(group, { "oa", "oe" }))
        return Vowel::OW;
    if (groupIs(group, { "oo", "ew", "eu", "ue", "ui" }))
        return Vowel::UW;
    if (groupIs(group, { "ou", "ow" }))
        return Vowel::AW;
    if (groupIs(group, { "au", "aw" }))
        return Vowel::AO;
    if (groupIs(group, { "oi", "oy" }))
        return Vowel::OY;
    switch (group.front().toLatin1()) {
    case 'a':
        return last && group.size() == 1 ? Vowel::AA : Vowel::AE;
    case 'e':
        return last && group.size() == 1 ? Vowel::IY : Vowel::EH;
    case 'i':
        return last && group.size() == 1 ? Vowel::IY : Vowel::IH;
    case 'o':
        return last ? Vowel::OW : Vowel::AA;
    case 'u':
        return last ? Vowel::UW : Vowel::AH;
    case 'y':
        return last ? Vowel::AY : Vowel::IH;
    default:
        return Vowel::AH;
    }
}

bool isWordBreak(QChar c)
{
    if (c.unicode() < 0x80)
        return c == u' ' || c == u'-' || (c.unicode() >= 0x09 && c.unicode() <= 0x0d);
    return c.isSpace() || c.category() == QChar::Punctuation_Dash;
}

template<typename Sink> void estimateOneWord(QStringView word, Sink &phones)
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
            const int stress = stressed ? 1 : 0;
            phones.vowel(phones.wantsEveryPhone() ? vowelFor(spelling, stressed, end == count) : Vowel::AH, stress);
            ++group;
        } else if (phones.wantsEveryPhone()) {
            appendConsonants(letters, at, end, phones);
        }
        at = end;
    }
}

// Each word of a double name or a surname such as "Van Dyke" carries its own stress.
template<typename Sink> void estimateWords(QStringView text, Sink &phones)
{
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = at;
        while (end < text.size() && !isWordBreak(text[end]))
            ++end;
        if (end > at)
            estimateOneWord(text.sliced(at, end - at), phones);
        at = end + 1;
    }
}

} // namespace

QString FoldLetters(QStringView text)
{
    if (isAscii(text)) {
        // Plain ASCII, most surnames: its letters in lower case, without the table of the Latin blocks, which
        // takes a while to work out and is not needed at start-up.
        QString folded;
        folded.reserve(text.size());
        for (const QChar c : text) {
            const char16_t lower = asciiLower(c.unicode());
            if (lower >= u'a' && lower <= u'z')
                folded.append(QChar(lower));
        }
        return folded;
    }
    if (isLatin(text)) {
        QString folded;
        folded.reserve(text.size());
        for (const QChar c : text)
            appendFolded(folded, c);
        return folded;
    }
    return foldAnyLetters(text);
}

char32_t FirstFoldedLetter(QStringView text)
{
    const QString folded = FoldLetters(text);
    if (folded.isEmpty())
        return 0;
    return folded.size() > 1 && folded[0].isHighSurrogate() ? QChar::surrogateToUcs4(folded[0], folded[1])
                                                            : char32_t(folded[0].unicode());
}

QStringList EstimatePronunciation(QStringView word)
{
    QStringList phones;
    phones.reserve(word.size() + 2);
    PhoneList sink(phones);
    estimateWords(word, sink);
    return phones;
}

SoundShape EstimateShape(QStringView word)
{
    SoundShapeBuilder builder;
    ShapeSink sink(builder);
    estimateWords(word, sink);
    return builder.shape();
}

} // namespace namorel
