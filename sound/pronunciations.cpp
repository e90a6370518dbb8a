#include "pronunciations.h"
#include "datafile.h"
#include "phones.h"

#include <QStringDecoder>

#include <array>

namespace namorel {

namespace {

SoundDataError cannotOpen(const QString &path)
{
    return SoundDataError(SoundDataError::Kind::CannotOpen, path);
}

} // namespace

QString PronunciationTable::filePath(const QString &programFolder)
{
    return DatabaseFilePath(programFolder, u"pronunciations.txt");
}

PronunciationTable PronunciationTable::load(const QString &path)
{
    return parse(ReadDataFile(path, kMaxFileBytes), path);
}

PronunciationTable PronunciationTable::parse(const QByteArray &data, const QString &path)
{
    if (!data.isEmpty() && !data.endsWith('\n'))
        throw cannotOpen(path);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    PronunciationTable table;
    table.m_text = utf8.decode(data);
    if (utf8.hasError())
        throw cannotOpen(path);

    const QStringView text(table.m_text);
    table.m_entries.reserve(text.count(u'\n'));
    for (const QStringView line : text.tokenize(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        const std::optional<std::array<QStringView, 4>> read = TabFields<4>(line);
        if (!read)
            throw cannotOpen(path);
        const std::array<QStringView, 4> &fields = *read;
        const QStringView ipa = fields[1];
        if (fields[0].isEmpty() || ipa.size() < 3 || !ipa.startsWith(u'/') || !ipa.endsWith(u'/') || fields[3].isEmpty()
            || !IsArpabetWord(fields[2]) || table.m_entries.contains(fields[0]))
            throw cannotOpen(path);
        table.m_entries.insert(fields[0], Entry { ipa, fields[2], fields[3] });
    }
    // 16 bits a name, two of them set by each: a name that is not there gets past about once in seventy.
    if (!table.m_entries.isEmpty()) {
        table.m_bloom.assign(size_t(table.m_entries.size()) / 4 + 1, 0);
        const quint64 bits = quint64(table.m_bloom.size()) * 64;
        for (auto entry = table.m_entries.keyBegin(); entry != table.m_entries.keyEnd(); ++entry) {
            const quint64 hash = fingerprint(*entry);
            for (const quint64 bit : { (hash & 0xffffffffU) % bits, (hash >> 32) % bits })
                table.m_bloom[size_t(bit / 64)] |= quint64(1) << (bit % 64);
        }
    }
    return table;
}

std::optional<NamePronunciation> PronunciationTable::find(QStringView name) const
{
    const auto found = m_entries.constFind(name);
    if (found == m_entries.constEnd())
        return std::nullopt;
    return NamePronunciation { found->Ipa.toString(), ParsePhones(found->Arpabet), found->Source.toString() };
}

quint64 PronunciationTable::fingerprint(QStringView name)
{
    // FNV-1a over the UTF-16 code units.
    quint64 hash = 14695981039346656037ULL;
    for (const QChar c : name) {
        hash ^= c.unicode();
        hash *= 1099511628211ULL;
    }
    return hash;
}

bool PronunciationTable::mayHold(QStringView name) const
{
    if (m_bloom.empty())
        return false;
    // Two bits per name, from the two halves of the fingerprint.
    const quint64 hash = fingerprint(name);
    const quint64 bits = quint64(m_bloom.size()) * 64;
    for (const quint64 bit : { (hash & 0xffffffffU) % bits, (hash >> 32) % bits }) {
        if (!(m_bloom[size_t(bit / 64)] & (quint64(1) << (bit % 64))))
            return false;
    }
    return true;
}

QStringView PronunciationTable::arpabet(QStringView name) const
{
    if (!mayHold(name))
        return {};
    const auto found = m_entries.constFind(name);
    return found == m_entries.constEnd() ? QStringView() : found->Arpabet;
}

} // namespace namorel
