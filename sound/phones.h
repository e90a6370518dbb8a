#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace namorel {

// Pronunciations are sequences of phones in the ARPAbet of the CMU Pronouncing Dictionary: consonants such
// as "L" or "SH", vowels with a stress digit, "IH1" (primary stress), "EY2" (secondary) or "AH0"
// (unstressed).

/// Whether \a phone is an ARPAbet vowel with its stress digit ("OW0", "IH1").
bool IsVowelPhone(QStringView phone);

/// The stress digit of a vowel (0, 1 or 2); -1 for a consonant or anything that is no phone.
qint32 PhoneStress(QStringView phone);

/// Splits "OW0 L IH1 V IY0 AH0" into its phones. Empty when the text is empty, holds anything that is no
/// ARPAbet phone (a vowel without its stress digit included), or has no vowel.
QStringList ParsePhones(QStringView arpabet);

/// The number of syllables: one per vowel.
qint32 SyllableCount(const QStringList &phones);

} // namespace namorel
