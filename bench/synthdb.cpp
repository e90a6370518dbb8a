#include "synthdb.h"

#include "namesearch.h"

#include <QDir>
#include <QFile>

#include <array>
#include <random>
#include <stdexcept>

namespace namorel::bench {

namespace {

constexpr std::array kOnsets = { "", "b", "br", "c", "ch", "d", "dr", "f", "g", "gr", "h", "j", "k", "l", "m", "n", "p",
    "r", "s", "sh", "st", "t", "th", "v", "w", "z" };
constexpr std::array kVowels = { "a", "e", "i", "o", "u", "a", "e", "ia", "ie", "y", "ea", "o", "a", "i" };
constexpr std::array kCodas = { "", "", "", "n", "l", "r", "s", "th", "nn", "ll", "m", "x", "d" };
// Accented letters as UTF-8, for the share of names that carry one.
constexpr std::array kAccented = { "\xC3\xA9", "\xC3\xA8", "\xC3\xAB", "\xC3\xA1", "\xC3\xAD", "\xC3\xB3", "\xC3\xBA",
    "\xC3\xB8", "\xC3\xA5", "\xC3\xA4", "\xC3\xB6", "\xC3\xBC", "\xC3\xB1", "\xC3\xA7" };

template<typename Array> const char *pick(const Array &items, std::mt19937 &random)
{
    return items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(random)];
}

QByteArray makeName(std::mt19937 &random)
{
    // One to four syllables, most often two: lengths from 2 to about 14 letters, most between 4 and 7.
    static std::discrete_distribution<int> syllables { 14, 58, 24, 4 };
    const int count = syllables(random) + 1;
    QByteArray name;
    for (int i = 0; i < count; ++i) {
        name += pick(kOnsets, random);
        name += pick(kVowels, random);
        if (i == count - 1 || random() % 4 == 0)
            name += pick(kCodas, random);
    }
    if (random() % 100 < 7) {
        // Replace one vowel with an accented letter.
        const qsizetype at = name.indexOf(pick(kVowels, random)[0]);
        if (at >= 0)
            name.replace(at, 1, pick(kAccented, random));
    }
    QString capitalised = QString::fromUtf8(name);
    capitalised[0] = capitalised[0].toUpper();
    return capitalised.toUtf8();
}

} // namespace

void WriteSyntheticDatabase(const QString &programFolder, qint64 totalLines)
{
    if (!QDir().mkpath(programFolder + QStringLiteral("database")))
        throw std::runtime_error("cannot create the database folder");
    std::mt19937 random(20261207);
    const QStringList &origins = OriginTable();
    const qint64 files = origins.size() * 2;
    qint64 written = 0;
    qint64 fileIndex = 0;
    for (const qint32 gender : { 0, 1 }) {
        for (const QString &origin : origins) {
            // Spread the lines evenly; the last file takes what the division leaves.
            const qint64 lines = (totalLines * (fileIndex + 1)) / files - written;
            QByteArray text;
            text.reserve(lines * 8);
            for (qint64 i = 0; i < lines; ++i)
                text += makeName(random) + '\n';
            QFile file(NameFilePath(programFolder, origin, gender));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
                throw std::runtime_error("cannot write a name file");
            written += lines;
            ++fileIndex;
        }
    }
}

} // namespace namorel::bench
