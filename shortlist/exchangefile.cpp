#include "datafile.h"
#include "shortlist_p.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <utility>

namespace namorel {

namespace {

constexpr auto kFormat = "namorel-ratings";
constexpr int kVersion = 1;

QString genderText(qint32 genderIndex)
{
    return genderIndex == 0 ? QStringLiteral("girls") : QStringLiteral("boys");
}

// A JSON string literal, quotes included.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QString englishNumber(qsizetype number)
{
    return QLocale(QLocale::English).toString(number);
}

// The number of characters in \a text as a reader counts them.
qsizetype characterCount(QStringView text)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype count = 0;
    while (characters.toNextBoundary() >= 0)
        ++count;
    return count;
}

// What is wrong with the length of a text, or an empty text when nothing is.
QString lengthProblem(const QString &text, qsizetype maxCharacters, qsizetype maxBytes)
{
    // Characters are counted in no more of the text than the bytes allowed could hold.
    if (characterCount(QStringView(text).first(std::min(text.size(), maxBytes + 1))) > maxCharacters)
        return QStringLiteral("is longer than %1 characters").arg(maxCharacters);
    if (text.size() > maxBytes || text.toUtf8().size() > maxBytes)
        return QStringLiteral("takes more than %1 bytes").arg(englishNumber(maxBytes));
    return QString();
}

// Upper-case hexadecimal digits, at least four.
QString hexDigits(char32_t value)
{
    return QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

// A text from the file as a message shows it: its first characters, with those that are invisible or would turn
// the direction of the message around them (and halves of surrogate pairs) written as JSON escapes.
QString shownText(const QString &text)
{
    constexpr qsizetype kShownCharacters = 40;
    const QStringView head = QStringView(text).first(std::min(text.size(), kShownCharacters * 16));
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, head.data(), head.size());
    qsizetype end = 0;
    for (qsizetype count = 0; count < kShownCharacters && end < head.size(); ++count)
        end = characters.toNextBoundary();
    end = end < 0 ? head.size() : end;

    QString shown;
    for (qsizetype i = 0; i < end;) {
        const bool pair = head.at(i).isHighSurrogate() && i + 1 < end && head.at(i + 1).isLowSurrogate();
        const QStringView point = head.sliced(i, pair ? 2 : 1);
        switch (QChar::category(pair ? QChar::surrogateToUcs4(point[0], point[1]) : point[0].unicode())) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
            for (const QChar unit : point)
                shown += QStringLiteral("\\u") + hexDigits(unit.unicode());
            break;
        default:
            shown += point;
            break;
        }
        i += point.size();
    }
    return end < text.size() ? shown + QStringLiteral("...") : shown;
}

// A value as the message about it shows it: short, and in the JSON's own terms.
QString shownValue(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return u'"' + shownText(value.toString()) + u'"';
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

bool isWholeNumber(const QJsonValue &value)
{
    const double number = value.toDouble();
    return value.isDouble() && std::isfinite(number) && std::floor(number) == number;
}

// Line and column (both from 1, the column in characters) of a byte offset into UTF-8 text.
std::pair<qsizetype, qsizetype> lineAndColumn(const QByteArray &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    const QByteArrayView before(text.constData(), offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return { before.count('\n') + 1, QString::fromUtf8(before.sliced(lineStart)).size() + 1 };
}

class Reader
{
public:
    explicit Reader(const QString &filePath)
        : m_shownName(QFileInfo(filePath).fileName())
    { }

    [[noreturn]] void fail(const QString &what) const
    {
        throw ShortlistError(QStringLiteral("Cannot import \"%1\": %2").arg(m_shownName, what));
    }

    QByteArray readBytes(const QString &filePath) const
    {
        const QFileInfo info(filePath);
        if (!info.exists())
            fail(QStringLiteral("there is no such file."));
        // Pipes and devices could block the program or never end; only a regular file is read.
        if (!info.isFile())
            fail(QStringLiteral("it is not a file."));
        if (info.size() > kMaxExchangeFileBytes)
            fail(QStringLiteral("the file is larger than 10 MB."));
        // The file may have grown since it was looked at: the reader holds no more than the limit.
        try {
            return ReadDataFile(filePath, kMaxExchangeFileBytes);
        } catch (const DataFileError &error) {
            fail(error.kind() == DataFileError::Kind::TooLarge ? QStringLiteral("the file is larger than 10 MB.")
                                                               : QStringLiteral("it cannot be read."));
        }
    }

    QJsonObject parse(const QByteArray &bytes) const
    {
        // A byte-order mark marks the encoding; it is not part of the JSON.
        const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(bytes.mid(start), &error);
        if (error.error != QJsonParseError::NoError) {
            const auto [line, column] = lineAndColumn(bytes, start + error.offset);
            fail(QStringLiteral("it is not valid JSON (%1 at line %2, column %3).")
                     .arg(error.errorString())
                     .arg(line)
                     .arg(column));
        }
        if (!document.isObject())
            fail(QStringLiteral("it is not a Namorel ratings file (it holds no JSON object)."));
        return document.object();
    }

    ExchangeFile read(const QJsonObject &root) const
    {
        const QJsonValue format = root.value(QLatin1StringView("format"));
        if (format.isUndefined())
            fail(QStringLiteral("it is not a Namorel ratings file (\"format\" is missing)."));
        if (format.toString() != QLatin1StringView(kFormat))
            fail(QStringLiteral("it is not a Namorel ratings file (\"format\" is %1, not \"%2\").")
                     .arg(shownValue(format), QLatin1StringView(kFormat)));

        const QJsonValue version = root.value(QLatin1StringView("version"));
        if (version.isUndefined())
            fail(QStringLiteral("\"version\" is missing."));
        if (!isWholeNumber(version))
            fail(QStringLiteral("\"version\" is %1; it must be a whole number.").arg(shownValue(version)));
        if (version.toDouble() != kVersion)
            fail(QStringLiteral("it is a version %1 ratings file; this copy of Namorel reads version %2.")
                     .arg(shownValue(version))
                     .arg(kVersion));

        ExchangeFile file;
        file.Partner = text(root, QStringLiteral("partner"), QString());
        if (const QString problem = NameProblem(file.Partner); !problem.isEmpty())
            fail(QStringLiteral("\"partner\" %1.").arg(problem));
        file.Exported = timestamp(root, QStringLiteral("exported"), QString());

        const QJsonValue ratings = root.value(QLatin1StringView("ratings"));
        if (ratings.isUndefined())
            fail(QStringLiteral("\"ratings\" is missing."));
        if (!ratings.isArray())
            fail(QStringLiteral("\"ratings\" is %1; it must be a list.").arg(shownValue(ratings)));
        const QJsonArray list = ratings.toArray();
        if (list.size() > kMaxExchangeRatings)
            fail(QStringLiteral("it holds %1 ratings; at most %2 are accepted.")
                     .arg(englishNumber(list.size()), englishNumber(kMaxExchangeRatings)));

        // The first rating of each name and gender, by number, to report repeats.
        QHash<std::pair<QString, qint32>, qsizetype> seen;
        file.Ratings.reserve(list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            const Rating rating = readRating(list.at(i), i + 1);
            const std::pair key { rating.Name, rating.GenderIndex };
            if (const auto first = seen.constFind(key); first != seen.cend())
                fail(QStringLiteral("rating %1 (\"%2\", %3) repeats rating %4.")
                         .arg(QString::number(i + 1), rating.Name, genderText(rating.GenderIndex),
                             QString::number(first.value())));
            seen.insert(key, i + 1);
            file.Ratings.append(rating);
        }
        return file;
    }

private:
    Rating readRating(const QJsonValue &value, qsizetype number) const
    {
        QString where = QStringLiteral("rating %1").arg(number);
        if (!value.isObject())
            fail(QStringLiteral("%1 is %2; it must be an object.").arg(where, shownValue(value)));
        const QJsonObject object = value.toObject();

        Rating rating;
        rating.Name = text(object, QStringLiteral("name"), where);
        if (const QString problem = NameProblem(rating.Name); !problem.isEmpty())
            fail(QStringLiteral("the name of %1 %2.").arg(where, problem));
        where += QStringLiteral(" (\"%1\")").arg(rating.Name);

        const QJsonValue gender = field(object, QStringLiteral("gender"), where);
        if (!isWholeNumber(gender) || (gender.toDouble() != 0 && gender.toDouble() != 1))
            fail(QStringLiteral("%1: \"gender\" is %2; it must be 0 (girls) or 1 (boys).")
                     .arg(where, shownValue(gender)));
        rating.GenderIndex = gender.toInt();

        const QJsonValue stars = field(object, QStringLiteral("stars"), where);
        if (!isWholeNumber(stars) || stars.toDouble() < 0 || stars.toDouble() > 5)
            fail(QStringLiteral("%1: \"stars\" is %2; it must be a whole number from 0 to 5.")
                     .arg(where, shownValue(stars)));
        rating.Stars = stars.toInt();

        const QJsonValue veto = field(object, QStringLiteral("veto"), where);
        if (!veto.isBool())
            fail(QStringLiteral("%1: \"veto\" is %2; it must be true or false.").arg(where, shownValue(veto)));
        rating.Veto = veto.toBool();

        rating.Note = text(object, QStringLiteral("note"), where);
        if (const QString problem = NoteProblem(rating.Note); !problem.isEmpty())
            fail(QStringLiteral("%1: \"note\" %2.").arg(where, problem));

        rating.Updated = timestamp(object, QStringLiteral("updated"), where);
        return rating;
    }

    // \a where is empty for the file's own fields.
    QJsonValue field(const QJsonObject &object, const QString &key, const QString &where) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            fail(where.isEmpty() ? QStringLiteral("\"%1\" is missing.").arg(key)
                                 : QStringLiteral("%1: \"%2\" is missing.").arg(where, key));
        return value;
    }

    QString prefix(const QString &where) const { return where.isEmpty() ? QString() : where + QStringLiteral(": "); }

    QString text(const QJsonObject &object, const QString &key, const QString &where) const
    {
        const QJsonValue value = field(object, key, where);
        if (!value.isString())
            fail(QStringLiteral("%1\"%2\" is %3; it must be a text.").arg(prefix(where), key, shownValue(value)));
        return value.toString();
    }

    QDateTime timestamp(const QJsonObject &object, const QString &key, const QString &where) const
    {
        const QJsonValue value = field(object, key, where);
        const QDateTime moment = ParseTimestamp(value.toString());
        if (!moment.isValid())
            fail(QStringLiteral("%1\"%2\" is %3; it must be an ISO 8601 time in UTC, such as "
                                "\"2024-05-31T18:04:00Z\".")
                     .arg(prefix(where), key, shownValue(value)));
        return moment;
    }

    QString m_shownName;
};

} // namespace

QString NameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("is empty");
    if (const QString problem = lengthProblem(name, kMaxNameLength, kMaxNameBytes); !problem.isEmpty())
        return problem;
    if (!name.isValidUtf16())
        return QStringLiteral("is not valid text");
    for (const char32_t c : name.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control)
            return QStringLiteral("holds a control character");
        // Invisible characters that format text: those that turn its direction (U+202E) reorder what is shown
        // around a name, and the others (joiners, U+200D) make one name look like another.
        if (category == QChar::Other_Format)
            return QStringLiteral("holds an invisible formatting character (U+%1)").arg(hexDigits(c));
    }
    return QString();
}

QString NoteProblem(const QString &note)
{
    // A note is free text: line breaks, tabs, and the joiners of emoji sequences are all its own.
    if (const QString problem = lengthProblem(note, kMaxNoteLength, kMaxNoteBytes); !problem.isEmpty())
        return problem;
    if (!note.isValidUtf16())
        return QStringLiteral("is not valid text");
    return QString();
}

QString TimestampText(const QDateTime &moment)
{
    return moment.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime ParseTimestamp(const QString &text)
{
    const QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    // A time without its offset from UTC could be any of 24 hours; only years the canonical text can write
    // are taken.
    if (!moment.isValid() || moment.timeSpec() == Qt::LocalTime || !text.contains(u'T'))
        return QDateTime();
    const QDateTime utc = moment.toUTC();
    if (utc.date().year() < 1 || utc.date().year() > 9999)
        return QDateTime();
    return utc;
}

QByteArray ExchangeFileBytes(const ExchangeFile &file)
{
    // Written by hand rather than through QJsonDocument, to keep the fields in their documented order and one
    // rating to a line.
    QByteArray bytes;
    bytes += "{\n";
    bytes += "  \"format\": " + jsonString(QLatin1StringView(kFormat)) + ",\n";
    bytes += "  \"version\": " + QByteArray::number(kVersion) + ",\n";
    bytes += "  \"partner\": " + jsonString(file.Partner) + ",\n";
    bytes += "  \"exported\": " + jsonString(TimestampText(file.Exported)) + ",\n";
    bytes += "  \"ratings\": [";
    for (qsizetype i = 0; i < file.Ratings.size(); ++i) {
        const Rating &rating = file.Ratings.at(i);
        bytes += i == 0 ? "\n" : ",\n";
        bytes += "    {\"name\": " + jsonString(rating.Name);
        bytes += ", \"gender\": " + QByteArray::number(rating.GenderIndex);
        bytes += ", \"stars\": " + QByteArray::number(rating.Stars);
        bytes += rating.Veto ? ", \"veto\": true" : ", \"veto\": false";
        bytes += ", \"note\": " + jsonString(rating.Note);
        bytes += ", \"updated\": " + jsonString(TimestampText(rating.Updated)) + '}';
    }
    bytes += file.Ratings.isEmpty() ? "]\n" : "\n  ]\n";
    bytes += "}\n";
    return bytes;
}

ExchangeFile ReadExchangeFile(const QString &filePath)
{
    const Reader reader(filePath);
    return reader.read(reader.parse(reader.readBytes(filePath)));
}

} // namespace namorel
