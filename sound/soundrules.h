#pragma once

#include "phones.h"

#include <QString>
#include <QStringView>

namespace namorel {

/// The most syllables that a balanced first name and surname have together.
constexpr qint32 kMaxBalancedSyllables = 7;
/// The most unstressed syllables in a row that a first name and surname may have together and still flow.
constexpr qint32 kMaxUnstressedRun = 3;

/// The balance rule: the name's syllable count differs from the surname's, and from the middle name's when
/// there is one (\a middleName not null), and the name's and the surname's counts add up to at most
/// kMaxBalancedSyllables. With Smith, Jack is unbalanced and Oliver balanced.
bool IsBalanced(const Pronunciation &name, const Pronunciation &surname, const Pronunciation *middleName = nullptr);

/// Whether the name's last syllable and the surname's first syllable both carry the primary stress.
bool HasStressClash(const Pronunciation &name, const Pronunciation &surname);

/// The longest run of unstressed syllables in the name followed by the surname.
qint32 LongestUnstressedRun(const Pronunciation &name, const Pronunciation &surname);

/// The rhythm rule: no stress clash, and no more than kMaxUnstressedRun unstressed syllables in a row.
bool HasGoodRhythm(const Pronunciation &name, const Pronunciation &surname);

/// Whether the name and the surname start with the same sound: the same first phone, or, when both start
/// with a vowel, the same first letter after folding (FoldLetters). Philip Fisher and Cara Kelly alliterate,
/// Celia Kelly does not.
bool Alliterates(
    QStringView name, const Pronunciation &namePhones, QStringView surname, const Pronunciation &surnamePhones);

/// The part of a word that a rhyme must repeat: its phones from the last vowel with primary stress to the
/// end, without a final S or Z. Empty when no vowel carries the primary stress.
Pronunciation RhymingPart(const Pronunciation &phones);

/// Whether the two words rhyme: equal rhyming parts. Hank and Banks rhyme.
bool Rhymes(const Pronunciation &name, const Pronunciation &surname);

/// Whether the name ends with the sound the surname starts with, so that the two run together when spoken
/// (Ellis Smith). A vowel's stress does not change its sound here.
bool RunsTogether(const Pronunciation &name, const Pronunciation &surname);

/// What the initials spell: the first letter (after folding) of the name, the middle name and the surname,
/// in that order, leaving out a part that is empty or blank. Empty when a part starts with something other
/// than a letter. Anna Susan Smith gives "ass".
QString InitialsWord(QStringView name, QStringView middleName, QStringView surname);

} // namespace namorel
