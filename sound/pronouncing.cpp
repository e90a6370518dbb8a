#include "pronouncing.h"
#include "datafile.h"
#include "phones.h"
#include "spelling.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>

namespace namorel {

namespace {

SoundDataError cannotOpen(const QString &path)
{
    return SoundDataError(SoundDataError::Kind::CannotOpen, path);
}

bool isWordByte(char c)
{
    return (c >= 'A' && c <= 'Z') || c == '\'';
}

bool isPhonesByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '2') || c == ' ';
}

// The dictionary's spelling of a word: capitals and apostrophes. Empty when the word has anything else.
QByteArray dictionaryKey(QStringView word)
{
    QByteArray key;
    key.reserve(word.size());
    for (const QChar c : word) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            key.append(char(u - (u'a' - u'A')));
        else if ((u >= u'A' && u <= u'Z') || u == u'\'')
            key.append(char(u));
        else if (u == u'\u2019') // a typographic apostrophe, as in O’Brien
            key.append('\'');
        else
            return {};
    }
    return key;
}

bool isWordBreak(QChar c)
{
    return c.isSpace() || c.category() == QChar::Punctuation_Dash;
}

// Keeps one loaded file per path for the rest of the run.
template<typename Data>
std::shared_ptr<const Data> shared(const QString &path, const std::function<Data(const QString &)> &load)
{
    static std::mutex mutex;
    static QHash<QString, std::shared_ptr<const Data>> loaded;
    const std::lock_guard lock(mutex);
    if (const auto found = loaded.constFind(path); found != loaded.constEnd())
        return *found;
    auto data = std::make_shared<const Data>(load(path));
    loaded.insert(path, data);
    return data;
}

} // namespace

QString PronouncingDictionary::filePath(const QString &programFolder)
{
    return DatabaseFilePath(programFolder, u"cmudict.txt");
}

PronouncingDictionary PronouncingDictionary::load(const QString &path)
{
    return parse(ReadDataFile(path, kMaxFileBytes), path);
}

PronouncingDictionary PronouncingDictionary::parse(const QByteArray &data, const QString &path)
{
    if (!data.isEmpty() && !data.endsWith('\n'))
        throw cannotOpen(path);
    PronouncingDictionary dictionary;
    dictionary.m_data = data;
    const char *const begin = data.constData();
    const char *const end = begin + data.size();
    QByteArrayView previous;
    for (const char *line = begin; line < end;) {
        const char *const lineEnd = static_cast<const char *>(std::memchr(line, '\n', size_t(end - line)));
        const char *const tab = static_cast<const char *>(std::memchr(line, '\t', size_t(lineEnd - line)));
        if (!tab || tab == line || tab + 1 == lineEnd || !std::all_of(line, tab, isWordByte)
            || !std::all_of(tab + 1, lineEnd, isPhonesByte))
            throw cannotOpen(path);
        // Halving finds nothing reliably in a list that is out of order.
        const QByteArrayView word(line, tab - line);
        if (!previous.isNull() && !(previous < word))
            throw cannotOpen(path);
        previous = word;
        dictionary.m_lines.push_back(qint32(line - begin));
        line = lineEnd + 1;
    }
    return dictionary;
}

QByteArrayView PronouncingDictionary::lookUp(QByteArrayView key) const
{
    if (key.isEmpty())
        return {};
    const char *const data = m_data.constData();
    const auto wordAt = [&](qint32 start) {
        const char *tab = static_cast<const char *>(std::memchr(data + start, '\t', size_t(m_data.size() - start)));
        return QByteArrayView(data + start, tab - (data + start));
    };
    const auto found = std::lower_bound(m_lines.begin(), m_lines.end(), key,
        [&](qint32 start, QByteArrayView wanted) { return wordAt(start) < wanted; });
    if (found == m_lines.end() || wordAt(*found) != key)
        return {};
    const char *const phones = data + *found + key.size() + 1;
    const char *const lineEnd
        = static_cast<const char *>(std::memchr(phones, '\n', size_t(m_data.constEnd() - phones)));
    return QByteArrayView(phones, lineEnd - phones);
}

QByteArrayView PronouncingDictionary::arpabet(QStringView word) const
{
    QByteArray key = dictionaryKey(word);
    // The dictionary spells without accents: Müller is MULLER.
    if (key.isEmpty() && std::any_of(word.begin(), word.end(), [](QChar c) { return c.unicode() >= 0x80; }))
        key = dictionaryKey(FoldLetters(word));
    return lookUp(key);
}

QStringList PronouncingDictionary::find(QStringView word) const
{
    const QByteArrayView phones = arpabet(word);
    return phones.isEmpty() ? QStringList() : ParsePhones(QString::fromLatin1(phones));
}

QString WordList::offensiveFilePath(const QString &programFolder)
{
    return DatabaseFilePath(programFolder, u"words-offensive.txt");
}

QString WordList::ordinaryFilePath(const QString &programFolder)
{
    return DatabaseFilePath(programFolder, u"words-english.txt");
}

WordList WordList::load(const QString &path)
{
    const QByteArray data = ReadDataFile(path, kMaxFileBytes);
    if (!data.isEmpty() && !data.endsWith('\n'))
        throw cannotOpen(path);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data);
    if (utf8.hasError())
        throw cannotOpen(path);
    WordList list;
    for (const QStringView line : QStringView(text).tokenize(u'\n', Qt::SkipEmptyParts))
        list.m_words.insert(line.toString());
    return list;
}

std::shared_ptr<const PronunciationTable> SharedPronunciationTable(const QString &programFolder)
{
    return shared<PronunciationTable>(PronunciationTable::filePath(programFolder), &PronunciationTable::load);
}

std::shared_ptr<const PronouncingDictionary> SharedPronouncingDictionary(const QString &programFolder)
{
    return shared<PronouncingDictionary>(PronouncingDictionary::filePath(programFolder), &PronouncingDictionary::load);
}

std::shared_ptr<const WordList> SharedWordList(const QString &path)
{
    return shared<WordList>(path, &WordList::load);
}

QStringList PronounceWord(const PronouncingDictionary &dictionary, QStringView word)
{
    // Each word of a double-barrelled surname or one such as "Van Dyke" is looked up on its own.
    QStringList phones;
    qsizetype at = 0;
    while (at < word.size()) {
        qsizetype end = at;
        while (end < word.size() && !isWordBreak(word[end]))
            ++end;
        if (end > at) {
            const QStringView part = word.sliced(at, end - at);
            const QStringList known = dictionary.find(part);
            phones.append(known.isEmpty() ? EstimatePronunciation(part) : known);
        }
        at = end + 1;
    }
    return phones;
}

QStringList PronounceName(const PronunciationTable &table, QStringView name)
{
    const QStringView known = table.arpabet(name);
    return known.isEmpty() ? EstimatePronunciation(name) : ParsePhones(known);
}

SoundShape NameShape(const PronunciationTable &table, QStringView name)
{
    const QStringView known = table.arpabet(name);
    return known.isEmpty() ? EstimateShape(name) : ShapeOfArpabet(known);
}

} // namespace namorel
