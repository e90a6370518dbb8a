#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace namorel {

// Pronunciations are sequences of phones in the ARPAbet of the CMU Pronouncing Dictionary: consonants such
// as "L" or "SH", vowels with a stress digit, "IH1" (primary stress), "EY2" (secondary) or "AH0"
// (unstressed). A syllable is one vowel with the consonants around it.

/// Whether \a phone is an ARPAbet vowel with its stress digit ("OW0", "IH1").
bool IsVowelPhone(QStringView phone);

/// The stress digit of a vowel (0, 1 or 2); -1 for a consonant or anything that is no phone.
qint32 PhoneStress(QStringView phone);

/// Splits "OW0 L IH1 V IY0 AH0" into its phones. Empty when the text is empty, holds anything that is no
/// ARPAbet phone (a vowel without its stress digit included), or has no vowel.
QStringList ParsePhones(QStringView arpabet);

/// Whether ParsePhones() would accept \a arpabet; reads it without making any copies.
bool IsArpabetWord(QStringView arpabet);

/// The number of syllables: one per vowel.
qint32 SyllableCount(const QStringList &phones);

/// The index of the first syllable with primary stress, -1 when none has it.
qint32 StressedSyllable(const QStringList &phones);

/// The phones split into syllables. Consonants between two vowels begin the later syllable as far as an
/// English syllable can begin with them; a stressed short vowel (as in "bit", "bet", "bat", "but", "put")
/// keeps one of them, since English syllables do not end in those vowels.
QList<QStringList> Syllabify(const QStringList &phones);

/// The syllables in plain letters for readers who do not know the IPA, joined by "-", the syllable with
/// primary stress in capitals: "oh-LIV-ee-uh" for OW0 L IH1 V IY0 AH0.
QString SpokenSyllables(const QStringList &phones);

} // namespace namorel
