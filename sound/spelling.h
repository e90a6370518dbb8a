#pragma once

#include "soundshape.h"

#include <QString>
#include <QStringList>
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
/// syllables and on the second-to-last of a longer one; the other vowels are unstressed. Words apart
/// (spaces, hyphens) each have their stress. Only the letters a to z after folding are read; a word without
/// them has no phones. The phones are ARPAbet as the pronouncing dictionary writes them ("S", "M", "IH1",
/// "TH").
QStringList EstimatePronunciation(QStringView word);

/// ShapeOf(EstimatePronunciation(word)), without making the phones.
SoundShape EstimateShape(QStringView word);

} // namespace namorel
