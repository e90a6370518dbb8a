#pragma once

#include "namefacts.h"
#include "pronunciations.h"

#include <QByteArray>
#include <QHash>

#include <array>
#include <memory>

namespace namorel {

/// The name facts of one program folder: which origins list each name, the pronunciations, the meanings and
/// the yearly US births. Loaded whole on first use, then every lookup takes constant time.
class FactsDatabase
{
public:
    /// The facts of \a programFolder, loaded on the first call for that folder and kept for the rest of the
    /// run. Thread-safe. Throws SearchError with the search's messages ("Cannot open file <path>", also for a
    /// damaged file; "Text exceeds memo capacity" for a file larger than the program holds) when a name file or
    /// a facts file cannot be read; a later call tries again.
    static std::shared_ptr<const FactsDatabase> open(const QString &programFolder);

    /// Loads the facts of \a programFolder afresh, without keeping them. Throws as open() does.
    static std::shared_ptr<const FactsDatabase> load(const QString &programFolder);

    /// What the database knows of \a name for a gender (0 girls, anything else boys). Throws SearchError
    /// "Cannot open file <path>" only when the name's line of the births file is damaged.
    NameFacts lookUp(const QString &name, qint32 genderIndex) const;

    /// The name's rank among names of its sex in each year of NameFacts::Births, 0 where it had no births.
    QList<qint32> ranks(const QString &name, qint32 genderIndex) const;

    /// The pronunciation of \a name, or nothing when there is none.
    std::optional<NamePronunciation> pronunciation(const QString &name) const { return m_pronunciations->find(name); }

    /// US births of all names of a sex per year, from firstYear() to latestYear().
    const QList<qint32> &allBirths(qint32 genderIndex) const { return m_allBirths[sexIndex(genderIndex)]; }
    qint32 firstYear() const { return m_firstYear; }
    qint32 latestYear() const { return m_firstYear + qint32(m_allBirths[0].size()) - 1; }

private:
    struct YearlyLine
    {
        qint32 FirstYear = 0;
        QList<qint32> Births;
        QList<qint32> Ranks;
    };

    FactsDatabase() = default;
    static int sexIndex(qint32 genderIndex) { return genderIndex == 0 ? 0 : 1; }
    void loadOrigins(const QString &programFolder);
    void loadMeanings(const QString &path);
    void loadBirths(const QString &path);
    // The yearly line of a spelling, padded with zeros to the latest year; empty when there is none.
    YearlyLine yearly(const QString &name, int sex) const;

    QString m_birthsPath;
    std::array<QHash<QString, quint64>, 2> m_origins; // name -> bit per origin of the table
    std::shared_ptr<const PronunciationTable> m_pronunciations; // shared with the sound filters
    QString m_meaningsText;
    std::array<QHash<QStringView, QStringView>, 2> m_meanings; // name -> meaning, views into m_meaningsText
    QByteArray m_births; // the births file, parsed line by line on lookup
    QHash<QByteArrayView, qsizetype> m_birthLines; // "<spelling>\t<sex>" in m_births -> offset of its line
    std::array<QList<qint32>, 2> m_allBirths;
    qint32 m_firstYear = 0;
};

/// Births per million births of the sex, one per year from \a firstYear to the end of \a allBirths, 0 in the
/// years before the name's first year of records.
QList<double> BirthsPerMillion(const NameFacts &facts, const QList<qint32> &allBirths, qint32 firstYear);

/// The year of the highest rate in \a perMillion (the earliest if several share it), 0 when every rate is 0.
qint32 PeakYear(const QList<double> &perMillion, qint32 firstYear);

/// The change over the last ten years in words ("Rising: up 40 % since 2014"), from the rates per million
/// (\a perMillion, from \a firstYear) of the latest year and of ten years before it; when the name's births in
/// those two years are fewer than 100 together, only that there are too few to tell. Empty when there are not
/// eleven years of rates.
QString TenYearTrend(const NameFacts &facts, const QList<double> &perMillion, qint32 firstYear);

} // namespace namorel
