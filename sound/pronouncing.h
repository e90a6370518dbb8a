#pragma once

#include "pronunciations.h"
#include "soundshape.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

namespace namorel {

/// The CMU Pronouncing Dictionary as the program ships it, database/cmudict.txt: one word a line in capitals,
/// a tab, then its phones ("SMITH<TAB>S M IH1 TH"), sorted by the bytes of the words, so that a word is
/// found by halving without building an index of the whole dictionary.
class PronouncingDictionary
{
public:
    /// The largest file the dictionary reads.
    static constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;

    /// The file's place in the program folder ("<folder>/" as the search takes it).
    static QString filePath(const QString &programFolder);

    PronouncingDictionary() = default;

    /// Reads the dictionary from \a path. Throws SoundDataError, CannotOpen also when the file is damaged: a
    /// line without its tab, a word of anything but capitals and apostrophes, phones of anything but capitals,
    /// stress digits and spaces, words out of order or listed twice, or a last line without its line end.
    static PronouncingDictionary load(const QString &path);

    /// Reads the dictionary from the bytes of such a file; \a path names it in errors.
    static PronouncingDictionary parse(const QByteArray &data, const QString &path);

    /// The phones of \a word, in any letter case, as the dictionary writes them; empty when it does not know
    /// the word. A word with accents is also looked up without them ("Müller" as MULLER).
    QByteArrayView arpabet(QStringView word) const;

    /// The phones of \a word ("S", "M", "IH1", "TH"); empty when the dictionary does not know it.
    QStringList find(QStringView word) const;

    qsizetype size() const { return qsizetype(m_lines.size()); }

private:
    QByteArrayView lookUp(QByteArrayView key) const;

    QByteArray m_data;
    std::vector<qint32> m_lines; // where each line starts in m_data
};

/// A list of words, one a line, looked up exactly as given: database/words-offensive.txt and
/// database/words-english.txt hold lower-case words.
class WordList
{
public:
    /// The largest file the list reads.
    static constexpr qint64 kMaxFileBytes = qint64(16) * 1024 * 1024;

    /// The offensive and the ordinary English words in the program folder.
    static QString offensiveFilePath(const QString &programFolder);
    static QString ordinaryFilePath(const QString &programFolder);

    /// Reads the list from \a path. Throws SoundDataError, CannotOpen also when the file is not UTF-8 or its
    /// last line has no line end (a file cut short).
    static WordList load(const QString &path);

    bool contains(QStringView word) const { return m_words.contains(word.toString()); }
    qsizetype size() const { return m_words.size(); }

private:
    QSet<QString> m_words;
};

/// The data files of the sound library, each read the first time it is asked for and then kept for the rest
/// of the run. Thread-safe. Throws SoundDataError as the file's load() does; a later call tries again.
std::shared_ptr<const PronunciationTable> SharedPronunciationTable(const QString &programFolder);
std::shared_ptr<const PronouncingDictionary> SharedPronouncingDictionary(const QString &programFolder);
std::shared_ptr<const WordList> SharedWordList(const QString &path);

/// How a surname or middle name is said: each of its words (apart at spaces and hyphens) from the
/// dictionary, else estimated from its spelling (EstimatePronunciation).
QStringList PronounceWord(const PronouncingDictionary &dictionary, QStringView word);

/// How a name of the name files is said: the table's pronunciation, else estimated from its spelling.
QStringList PronounceName(const PronunciationTable &table, QStringView name);

/// ShapeOf(PronounceName(table, name)), without making the phones.
SoundShape NameShape(const PronunciationTable &table, QStringView name);

} // namespace namorel
