#include "typedconf_p.h"

#include <QFileDevice>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace namorel {

namespace {

// A settings file holds a few hundred bytes; a larger one is not ours, and reading it whole could exhaust memory.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

constexpr QByteArrayView kIntegerPrefix = "dword:";
constexpr QByteArrayView kUntypedPrefix = "hex:";
constexpr qsizetype kIntegerDigits = 8;
constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char hexDigit(unsigned value)
{
    return "0123456789abcdef"[value & 0xF];
}

std::optional<qint32> parseInteger(QByteArrayView digits)
{
    if (digits.size() != kIntegerDigits)
        return std::nullopt;
    quint32 value = 0;
    for (const char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | quint32(digit);
    }
    // The digits are the two's complement bit pattern: ffffffff is -1.
    return static_cast<qint32>(value);
}

// The text of a quoted string; nothing when the quotes are not closed at the very end, an escape is unknown or
// the bytes are not UTF-8.
std::optional<QString> parseString(QByteArrayView quoted)
{
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        return std::nullopt;
    const QByteArrayView body = quoted.sliced(1, quoted.size() - 2);
    QByteArray bytes;
    bytes.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"')
            return std::nullopt; // a quote inside must be escaped
        if (c != '\\') {
            bytes.append(c);
            continue;
        }
        if (++i == body.size())
            return std::nullopt;
        const char escaped = body[i];
        if (escaped == '"' || escaped == '\\') {
            bytes.append(escaped);
        } else if (escaped == 'x' && i + 2 < body.size() && hexDigitValue(body[i + 1]) >= 0
            && hexDigitValue(body[i + 2]) >= 0) {
            bytes.append(static_cast<char>(hexDigitValue(body[i + 1]) << 4 | hexDigitValue(body[i + 2])));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    // A leading byte-order mark is part of the stored text, not an encoding marker; a sequence cut short at the
    // end is an error, not something to be continued.
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QVariant parseValue(QByteArrayView text)
{
    if (text.startsWith('"')) {
        if (std::optional<QString> string = parseString(text))
            return *std::move(string);
    } else if (text.startsWith(kIntegerPrefix)) {
        if (const std::optional<qint32> integer = parseInteger(text.sliced(kIntegerPrefix.size())))
            return *integer;
    } else if (text == kUntypedPrefix) {
        return QByteArray();
    }
    return QVariant::fromValue(MalformedValue { text.toByteArray() });
}

QByteArray quotedString(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray quoted;
    quoted.reserve(utf8.size() + 2);
    quoted.append('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted.append('\\').append(c);
        } else if (byte < 0x20 || byte == 0x7F) {
            // Control characters are escaped so that a value never breaks its line.
            quoted.append("\\x").append(hexDigit(byte >> 4)).append(hexDigit(byte));
        } else {
            quoted.append(c);
        }
    }
    quoted.append('"');
    return quoted;
}

QByteArray integerText(qint32 value)
{
    return kIntegerPrefix.toByteArray()
        + QByteArray::number(static_cast<quint32>(value), 16).rightJustified(kIntegerDigits, '0');
}

std::optional<QByteArray> valueText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return quotedString(value.toString());
    case QMetaType::Int:
        return integerText(value.toInt());
    case QMetaType::QByteArray:
        if (value.toByteArray().isEmpty())
            return kUntypedPrefix.toByteArray();
        return std::nullopt;
    default:
        // A value of neither type is kept as it was found, so that it reads back the same.
        if (value.metaType() == QMetaType::fromType<MalformedValue>())
            return value.value<MalformedValue>().text;
        return std::nullopt;
    }
}

// The blanks that the reader trims from the ends of names and sections.
bool isAsciiBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool hasOuterBlanks(QStringView text)
{
    return !text.isEmpty() && (isAsciiBlank(text.front()) || isAsciiBlank(text.back()));
}

// A section and a name that read back as themselves: the reader splits lines at LF, trims blanks, splits at the
// first '=' and takes '[', ';' and '#' at the start of a line for a section or a comment.
bool isWritableKey(QStringView section, QStringView name)
{
    return !section.contains(u'\n') && !hasOuterBlanks(section) && !name.isEmpty() && !name.contains(u'\n')
        && !hasOuterBlanks(name) && !name.contains(u'=') && !name.startsWith(u'[') && !name.startsWith(u';')
        && !name.startsWith(u'#');
}

// Where a key is written so that it reads back as the same key: in the section before its first '/' as a rule,
// before a later '/' when the first does not give a section and a name that read back as themselves (a section
// read as "Other /x" holds the key "Other /x/y"), and outside any section with the whole key as its name when no
// '/' does (such as "/k", which would otherwise be read as "k"). Nothing when the key cannot be written at all.
std::optional<std::pair<QStringView, QStringView>> placeOf(QStringView key)
{
    for (qsizetype slash = key.indexOf(u'/'); slash >= 0; slash = key.indexOf(u'/', slash + 1)) {
        const QStringView section = key.first(slash);
        const QStringView name = key.sliced(slash + 1);
        if (!section.isEmpty() && isWritableKey(section, name))
            return std::pair { section, name };
    }
    if (isWritableKey(QStringView(), key))
        return std::pair { QStringView(), key };
    return std::nullopt;
}

// A name or a section as the file spells it. A byte-order mark in it is text: only the one that starts the file
// marks the encoding.
QString textOf(QByteArrayView bytes)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

struct Line
{
    qsizetype rank; // place in the key order, or past its end
    QString name;
    QByteArray value;
};

struct Section
{
    qsizetype rank = 0; // the best rank of its keys
    std::vector<Line> lines;
};

} // namespace

QSettings::SettingsMap ParseTypedConf(QByteArrayView text)
{
    QSettings::SettingsMap values;
    if (text.startsWith(kByteOrderMark))
        text = text.sliced(kByteOrderMark.size());
    QString section;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        line = line.trimmed();
        if (line.isEmpty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            section = textOf(line.sliced(1, line.size() - 2).trimmed());
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue; // not a value, such as a line cut short
        const QString name = textOf(line.first(equals).trimmed());
        if (name.isEmpty() || name.startsWith(u'['))
            continue;
        values.insert(section.isEmpty() ? name : section + u'/' + name, parseValue(line.sliced(equals + 1).trimmed()));
    }
    return values;
}

bool FormatTypedConf(const QSettings::SettingsMap &values, const QStringList &keyOrder, QByteArray &text)
{
    std::map<QString, Section> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString &key = it.key();
        const auto place = placeOf(key);
        // No file holds such a key (one with a line break, say); it can only have been set by a program.
        if (!place)
            continue;
        const QString sectionName = place->first.toString();
        const QString name = place->second.toString();
        std::optional<QByteArray> value = valueText(it.value());
        if (!value)
            return false;
        const qsizetype listed = keyOrder.indexOf(key);
        const qsizetype rank = listed < 0 ? keyOrder.size() : listed;
        auto [entry, added] = sections.try_emplace(sectionName);
        if (added || rank < entry->second.rank)
            entry->second.rank = rank;
        entry->second.lines.push_back(Line { rank, name, *std::move(value) });
    }

    std::vector<std::pair<const QString, Section> *> order;
    for (auto &entry : sections)
        order.push_back(&entry);
    // Keys outside any section must come first: below a section header they would belong to it.
    std::stable_sort(order.begin(), order.end(), [](const auto *a, const auto *b) {
        if (a->first.isEmpty() != b->first.isEmpty())
            return a->first.isEmpty();
        return a->second.rank < b->second.rank;
    });

    text.clear();
    for (auto *entry : order) {
        if (!entry->first.isEmpty()) {
            if (!text.isEmpty())
                text.append('\n');
            text.append('[').append(entry->first.toUtf8()).append("]\n");
        }
        std::vector<Line> &lines = entry->second.lines;
        std::stable_sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) { return a.rank < b.rank; });
        for (const Line &line : lines)
            text.append(line.name.toUtf8()).append('=').append(line.value).append('\n');
    }
    // A byte-order mark that starts the file is read as the encoding's marker, not as part of the first name.
    if (text.startsWith(kByteOrderMark))
        text.prepend('\n');
    return true;
}

bool ReadTypedConf(QIODevice &device, QSettings::SettingsMap &values)
{
    values = ParseTypedConf(device.read(kMaxFileBytes));
    // A damaged file yields what it holds; the load rules decide what to make of it.
    return true;
}

bool WriteWholly(QIODevice &device, QByteArrayView text)
{
    if (device.write(text.data(), text.size()) != text.size())
        return false;
    auto *file = qobject_cast<QFileDevice *>(&device);
    if (!file)
        return true;
    // A file keeps what it is given in a buffer, and the disk may still refuse it when the buffer is written out
    // (a full disk, a file size limit) or when the system writes its own cache out. Both are forced here, where a
    // failure can still keep the old file.
    if (!file->flush() || file->error() != QFileDevice::NoError)
        return false;
#if defined(Q_OS_UNIX)
    return ::fsync(file->handle()) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(file->handle()) == 0;
#else
    return true;
#endif
}

} // namespace namorel
