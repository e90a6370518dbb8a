#include "surnamefit.h"
#include "latinreading.h"
#include "phones.h"
#include "pronouncing.h"
#include "soundrules.h"
#include "spelling.h"

#include <optional>

namespace namorel {

namespace {

QString syllables(qint32 count)
{
    return count == 1 ? QStringLiteral("1 syllable") : QStringLiteral("%1 syllables").arg(count);
}

// The surname as the notes show it (trimmed, as typed) and as the rules read it (LatinReading).
FitNote alliterationNote(const QString &name, const QStringList &phones, const QString &surname,
    const QString &surnameReading, const QStringList &surnamePhones)
{
    if (Alliterates(name, phones, surnameReading, surnamePhones))
        return { QStringLiteral("alliteration"),
            QStringLiteral("%1 %2 alliterates: both start with the same sound.").arg(name, surname) };
    return { QStringLiteral("alliteration"),
        QStringLiteral("none: %1 and %2 start with different sounds.").arg(name, surname) };
}

FitNote rhythmNote(
    const QString &name, const QStringList &phones, const QString &surname, const QStringList &surnamePhones)
{
    const QString kind = QStringLiteral("rhythm");
    if (HasStressClash(phones, surnamePhones)) {
        return { kind,
            QStringLiteral("stress clash: %1 ends and %2 starts on a stressed syllable.").arg(name, surname) };
    }
    if (const qint32 run = LongestUnstressedRun(phones, surnamePhones); run > kMaxUnstressedRun) {
        return { kind,
            QStringLiteral("%1 %2 has %3 unstressed syllables in a row, more than %4.")
                .arg(name, surname, QString::number(run), QString::number(kMaxUnstressedRun)) };
    }
    return { kind,
        QStringLiteral("%1 %2 flows: no stress clash, at most %3 unstressed syllables in a row.")
            .arg(name, surname, QString::number(kMaxUnstressedRun)) };
}

FitNote balanceNote(const QString &name, const QStringList &phones, const QString &middleName,
    const QStringList *middlePhones, const QString &surname, const QStringList &surnamePhones)
{
    const QString kind = QStringLiteral("balance");
    const qint32 count = SyllableCount(phones);
    const qint32 surnameCount = SyllableCount(surnamePhones);
    if (count == surnameCount) {
        return { kind, QStringLiteral("none: %1 and %2 both have %3.").arg(name, surname, syllables(count)) };
    }
    if (middlePhones && count == SyllableCount(*middlePhones)) {
        return { kind,
            QStringLiteral("none: %1 has as many syllables as the middle name %2 (%3).")
                .arg(name, middleName.trimmed(), QString::number(count)) };
    }
    if (count + surnameCount > kMaxBalancedSyllables) {
        return { kind,
            QStringLiteral("too long: %1 %2 has %3 together, more than %4.")
                .arg(name, surname, syllables(count + surnameCount), QString::number(kMaxBalancedSyllables)) };
    }
    return { kind,
        QStringLiteral("%1 (%2) balances %3 (%4).").arg(name, syllables(count), surname, syllables(surnameCount)) };
}

std::optional<FitNote> initialsNote(
    const QString &programFolder, const QString &name, const QString &middleName, const QString &surname)
{
    const QString word = InitialsWord(name, middleName, surname);
    if (word.size() < 2)
        return std::nullopt;
    QString initials;
    for (const QChar letter : word.toUpper())
        initials.append(letter).append(u'.');
    if (SharedWordList(WordList::offensiveFilePath(programFolder))->contains(word)) {
        return FitNote { QStringLiteral("initials"),
            QStringLiteral("The initials %1 spell an offensive word.").arg(initials), true };
    }
    if (SharedWordList(WordList::ordinaryFilePath(programFolder))->contains(word)) {
        return FitNote { QStringLiteral("initials"),
            QStringLiteral("The initials %1 spell the word \"%2\".").arg(initials, word) };
    }
    return std::nullopt;
}

} // namespace

QList<FitNote> SurnameFit(
    const QString &programFolder, const QString &name, const QString &middleName, const QString &surname)
{
    QList<FitNote> notes;
    if (name.trimmed().isEmpty())
        return notes;
    const QString shownSurname = surname.trimmed();
    const QString surnameReading = LatinReading(shownSurname);
    if (!shownSurname.isEmpty() && FoldLetters(surnameReading).isEmpty()) {
        notes.append({ QStringLiteral("reading"),
            QStringLiteral("%1 cannot be judged: its spelling does not tell how it is said.").arg(shownSurname) });
    } else if (!shownSurname.isEmpty()) {
        if (surnameReading != shownSurname) {
            notes.append({ QStringLiteral("reading"),
                QStringLiteral("%1 is judged as it reads in Latin letters: %2.").arg(shownSurname, surnameReading) });
        }
        const auto dictionary = SharedPronouncingDictionary(programFolder);
        const QStringList phones = PronounceName(*SharedPronunciationTable(programFolder), name);
        const QStringList surnamePhones = PronounceWord(*dictionary, surnameReading);
        const QString middleReading = LatinReading(middleName);
        const bool hasMiddleName = !FoldLetters(middleReading).isEmpty();
        const QStringList middlePhones = hasMiddleName ? PronounceWord(*dictionary, middleReading) : QStringList();

        if (Rhymes(phones, surnamePhones)) {
            notes.append({ QStringLiteral("rhyme"),
                QStringLiteral("%1 rhymes with %2: they sound alike from the stressed vowel on.")
                    .arg(name, shownSurname) });
        }
        if (RunsTogether(phones, surnamePhones)) {
            notes.append({ QStringLiteral("run-together"),
                QStringLiteral("%1 ends with the sound %2 starts with: the two run together when spoken.")
                    .arg(name, shownSurname) });
        }
        notes.append(alliterationNote(name, phones, shownSurname, surnameReading, surnamePhones));
        notes.append(rhythmNote(name, phones, shownSurname, surnamePhones));
        notes.append(balanceNote(
            name, phones, middleName, hasMiddleName ? &middlePhones : nullptr, shownSurname, surnamePhones));
    }
    if (const std::optional<FitNote> initials = initialsNote(programFolder, name, middleName, surname))
        notes.append(*initials);
    return notes;
}

} // namespace namorel
