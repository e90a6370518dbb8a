#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace namorel {

/// What the database knows of one name for one sex.
struct NameFacts
{
    QString Name;
    qint32 GenderIndex = 0; // as in NameQuery: 0 girls, anything else boys
    QStringList Origins; // display names of the origins whose file for this gender lists the name, table order
    QString Pronunciation; // IPA between slashes, empty if unknown
    bool PronunciationEstimated = false;
    qint32 Syllables = 0; // 0 if unknown
    QString Meaning; // empty if unknown
    qint32 FirstYear = 0; // the year of Births[0]; 0 when there are no counts
    QList<qint32> Births; // US births recorded with the spelling BirthsSpelling and this sex, one per year up to the
                          // latest year
    qint32 LatestRank = 0; // shared rank among names of this sex in the latest year (1 + the number of names given
                           // more often); 0 if not ranked
    double FemaleShare
        = -1; // share of girls among US births with this spelling over the last 20 years; -1 if fewer than 50 births
    QString PronunciationLanguage; // BCP 47 tag of the language Pronunciation is in: "ga", "es", "hi", "en-US"
    QString EnglishPronunciation; // IPA between slashes as English speakers usually say it; equal to
                                  // Pronunciation for an English name; empty if unknown
    QString BirthsSpelling; // the spelling whose US counts Births holds: Name, or its plain form ("Jose" for
                            // "José") when the US records cannot hold Name; empty when there are no counts
};

// Everything the database in programFolder ("<folder>/", as the search takes it) knows of the name.
// Never throws for a name it does not know; throws SearchError with the search's messages when the data files
// cannot be read.
NameFacts LookUpFacts(const QString &programFolder, const QString &name, qint32 genderIndex);

} // namespace namorel
