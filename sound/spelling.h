#pragma once

#include "phones.h"

#include <QString>
#include <QStringView>

namespace namorel {

/// The letters of a text as the program compares spellings: decomposed (NFD), without combining marks, with
/// ø as o, æ as ae, œ as oe, ß as ss, ł as l, đ and ð as d, þ as th and ı as i, case-folded; everything that
/// is not a letter is left out. "Hélène" gives "helene", "Mary-Ann" "maryann", "Øster" "oster".
QString FoldLetters(QStringView text);

/// The first letter of FoldLetters(text), or 0 when there is none.
char32_t FirstFoldedLetter(QStringView text);

/// A pronunciation guessed from the spelling, for words the dictionary does not know. Each group of vowel
/// letters is one syllable; the primary stress falls on the first syllable of a word of one or two
/// syllables and on the second-to-last of a longer one; the other vowels are unstressed. Only the letters
/// a to z after folding are read; a word without them has no phones.
Pronunciation EstimatePronunciation(QStringView word);

} // namespace namorel
