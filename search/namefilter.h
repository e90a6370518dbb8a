#pragma once

#include "namesearch.h"
#include "soundrules.h"
#include "soundshape.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

namespace namorel {

class PronunciationTable;

/// The filters of one search, made ready once for all of its names: the letters of "Exclude..." and
/// "Include..." folded (FoldLetters), and the pronunciations of the surname and the middle name.
///
/// - Exclude: a name fails when it holds any letter of the field.
/// - Include: a name fails unless it holds every letter of the field.
/// - Balance, rhythm and alliteration: a name fails the rule of the same name (IsBalanced, HasGoodRhythm,
///   Alliterates) with the surname. These three need a surname they can judge (CanJudgeSoundWith); without
///   one they are off. A surname or middle name in another script is read in Latin letters (LatinReading).
///
/// A field without letters is off. Safe to use from several threads at once.
class NameFilter
{
public:
    /// Every filter off.
    NameFilter() = default;

    /// The filters of \a query. With a sound filter on, it reads the pronunciations of the names and the
    /// pronouncing dictionary of the query's program folder, once per run: names are said as the name facts
    /// say them, the surname and middle name as the dictionary does, and what neither knows is guessed from
    /// its spelling. Throws SearchError "Cannot open file <path>" when that data cannot be read.
    explicit NameFilter(const NameQuery &query);

    /// Whether any filter is on.
    bool isActive() const { return !m_exclude.isEmpty() || !m_include.isEmpty() || m_soundFilters; }

    /// Whether \a name passes every filter that is on.
    bool passes(QStringView name) const;

    /// Moves the names of \a recommended from index \a from on that fail a filter to the end of
    /// \a notRecommended, keeping the order of both lists. Returns how many it moved.
    qint32 moveFailingNames(QStringList &recommended, qsizetype from, QStringList &notRecommended) const;

private:
    // Folded letters: a to z as bits, any others listed.
    struct LetterSet
    {
        quint32 Ascii = 0;
        QList<char32_t> Others;

        bool isEmpty() const { return Ascii == 0 && Others.isEmpty(); }
    };

    static LetterSet lettersOf(QStringView text);
    bool passesSoundFilters(QStringView name) const;

    LetterSet m_exclude;
    LetterSet m_include;

    bool m_soundFilters = false;
    bool m_balance = false;
    bool m_rhythm = false;
    bool m_alliteration = false;
    std::shared_ptr<const PronunciationTable> m_names;
    QString m_surname;
    SoundShape m_surnameShape;
    bool m_hasMiddleName = false;
    SoundShape m_middleNameShape;
};

/// Whether a search with \a query has a filter on, as NameFilter judges it.
bool FiltersActive(const NameQuery &query);

} // namespace namorel
