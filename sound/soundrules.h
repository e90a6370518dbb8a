#pragma once

#include "soundshape.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace namorel {

// The rules take pronunciations as ARPAbet phones, vowels with their stress digit ("JH", "AE1", "K"), as
// the pronouncing dictionary and EstimatePronunciation give them, or as their SoundShape, which gives the
// same verdicts.

/// The most syllables that a balanced first name and surname have together.
constexpr qint32 kMaxBalancedSyllables = 7;
/// The most unstressed syllables in a row that a first name and surname may have together and still flow.
constexpr qint32 kMaxUnstressedRun = 3;

/// The balance rule: the name's syllable count differs from the surname's, and from the middle name's when
/// there is one (\a middleName not null), and the name's and the surname's counts add up to at most
/// kMaxBalancedSyllables. With Smith, Jack is unbalanced and Oliver balanced.
bool IsBalanced(const QStringList &name, const QStringList &surname, const QStringList *middleName = nullptr);
bool IsBalanced(const SoundShape &name, const SoundShape &surname, const SoundShape *middleName = nullptr);

/// Whether the name's last syllable and the surname's first syllable both carry the primary stress.
bool HasStressClash(const QStringList &name, const QStringList &surname);
bool HasStressClash(const SoundShape &name, const SoundShape &surname);

/// The longest run of unstressed syllables in the name followed by the surname.
qint32 LongestUnstressedRun(const QStringList &name, const QStringList &surname);
qint32 LongestUnstressedRun(const SoundShape &name, const SoundShape &surname);

/// The rhythm rule: no stress clash, and no more than kMaxUnstressedRun unstressed syllables in a row.
bool HasGoodRhythm(const QStringList &name, const QStringList &surname);
bool HasGoodRhythm(const SoundShape &name, const SoundShape &surname);

/// Whether the name and the surname start with the same sound: the same first phone, or, when both start
/// with a vowel, the same first letter after folding (FoldLetters). Philip Fisher and Cara Kelly alliterate,
/// Celia Kelly does not.
bool Alliterates(
    QStringView name, const QStringList &namePhones, QStringView surname, const QStringList &surnamePhones);
bool Alliterates(QStringView name, const SoundShape &nameShape, QStringView surname, const SoundShape &surnameShape);

/// The part of a word that a rhyme must repeat: its phones from the last vowel with primary stress to the
/// end, without a final S or Z. Empty when no vowel carries the primary stress.
QStringList RhymingPart(const QStringList &phones);

/// Whether the two words rhyme: equal rhyming parts. Hank and Banks rhyme.
bool Rhymes(const QStringList &name, const QStringList &surname);

/// Whether the name ends with the sound the surname starts with, so that the two run together when spoken
/// (Ellis Smith). A vowel's stress does not change its sound here.
bool RunsTogether(const QStringList &name, const QStringList &surname);

/// Whether the sound rules can judge names with \a surname, or with a middle name: its LatinReading holds a
/// letter. The rules then read that spelling, not the text as typed.
bool CanJudgeSoundWith(QStringView surname);

/// What the initials spell: the first letter (after folding) of the name, the middle name and the surname,
/// in that order, leaving out a part that is empty or blank. Empty when a part starts with something other
/// than a letter. Anna Susan Smith gives "ass".
QString InitialsWord(QStringView name, QStringView middleName, QStringView surname);

} // namespace namorel
