#pragma once

#include <QList>
#include <QString>

namespace namorel {

/// One thing worth knowing about how a first name goes with the surname, with its reason in a short text.
struct FitNote
{
    QString Kind; ///< "reading", "rhyme", "run-together", "alliteration", "rhythm", "balance" or "initials"
    QString Text;
    bool Warning = false; ///< the initials spell an offensive word
};

/// How \a name goes with \a middleName and \a surname, for the name card, in this order:
/// - "reading", when the surname is read in other letters than typed (LatinReading), or cannot be judged
///   because its spelling does not tell how it is said: then it is the only note before the initials';
/// - "rhyme", when the name rhymes with the surname (Rhymes);
/// - "run-together", when the name ends with the sound the surname starts with (RunsTogether);
/// - "alliteration", "rhythm" and "balance", always: the verdicts of the filters of the same name;
/// - "initials", when the initials spell a word: a warning for an offensive word, a note for an ordinary one.
/// The name is pronounced as the search pronounces it (the name facts, else a guess from the spelling), the
/// surname and the middle name by their LatinReading from the pronouncing dictionary, else guessed; the notes
/// show them as typed. Without a name there are no notes, and without a surname (a blank one) only the
/// initials'. Throws SoundDataError when a data file of \a programFolder ("<folder>/" as the search takes
/// it) cannot be read.
QList<FitNote> SurnameFit(
    const QString &programFolder, const QString &name, const QString &middleName, const QString &surname);

} // namespace namorel
