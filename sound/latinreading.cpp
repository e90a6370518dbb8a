#include "latinreading.h"

#include <QList>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>

namespace namorel {

namespace {

// Russian and Greek as they are said today (Yakovlev, not Akovlev; Vasileiou, not Basileiou), every other
// script by the general rules, then the accents dropped.
constexpr char16_t kToLatin[] = u"Russian-Latin/BGN; Greek-Latin/UNGEGN; Any-Latin; Latin-ASCII";

// Basic Latin up to the end of Latin Extended-B, where nearly every surname is written.
constexpr char16_t kLatinEnd = 0x250;

bool isLatinOrShared(char32_t c)
{
    if (c < kLatinEnd)
        return true;
    const QChar::Script script = QChar::script(c);
    return script == QChar::Script_Latin || script == QChar::Script_Common || script == QChar::Script_Inherited;
}

// Arabic, Hebrew and Syriac are mostly written without their vowels: their letters alone give a string of
// consonants (Mohammed as "mhmd"), which no rule can count syllables in. Written with the marks, they read.
bool leavesOutVowels(const QList<uint> &text)
{
    bool abjad = false;
    for (const char32_t c : text) {
        if (QChar::isMark(c))
            return false;
        const QChar::Script script = QChar::script(c);
        abjad = abjad || script == QChar::Script_Arabic || script == QChar::Script_Hebrew
            || script == QChar::Script_Syriac;
    }
    return abjad;
}

QString transliterated(QStringView text)
{
    // Building the rules takes far longer than applying them, so they are built once. A transliterator keeps
    // state while it works, so one text at a time goes through it.
    static std::mutex mutex;
    static const std::unique_ptr<icu::Transliterator> toLatin = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(
            icu::Transliterator::createInstance(icu::UnicodeString(kToLatin), UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!toLatin || text.size() > std::numeric_limits<int32_t>::max())
        return {};
    icu::UnicodeString buffer(text.utf16(), int32_t(text.size()));
    {
        const std::lock_guard lock(mutex);
        toLatin->transliterate(buffer);
    }
    return QStringView(buffer.getBuffer(), buffer.length()).toString();
}

bool hasLetterAToZ(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    });
}

} // namespace

QString LatinReading(QStringView text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < kLatinEnd; }))
        return text.toString();
    const QList<uint> characters = text.toUcs4();
    if (std::all_of(characters.begin(), characters.end(), isLatinOrShared))
        return text.toString();
    if (leavesOutVowels(characters))
        return {};
    QString reading = transliterated(text);
    return hasLetterAToZ(reading) ? reading : QString();
}

} // namespace namorel
