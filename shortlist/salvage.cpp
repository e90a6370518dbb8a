#include "shortlist_p.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>
#include <optional>

namespace namorel {

namespace {

// A stretch of damaged pages is probed to this depth, halving the keys between the rows read on either side each
// time: deep enough to find readable pages between damaged ones, and at most 2^12 probes, of a few microseconds
// each, for a stretch where nothing is left.
constexpr int kMaxProbeDepth = 10;
// Probes that find nothing at all narrow a stretch without going deeper; this many probes in all end a table.
constexpr int kMaxProbes = 1 << 14;

std::optional<qint64> integerOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong();
    default:
        return std::nullopt;
    }
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString && !value.isNull();
}

// A key as SQLite orders it: a number, or the bytes of a text.
QVariant orderedKey(const QVariant &value, bool text)
{
    if (!text)
        return QVariant(value.toLongLong());
    return QVariant(isText(value) ? value.toString().toUtf8() : value.toByteArray());
}

// A key strictly between \a low and \a high, as SQLite orders them; a null bound stands for the lowest or highest
// key of all. Nothing when there is no such key.
std::optional<QVariant> between(const QVariant &low, const QVariant &high, bool text)
{
    if (!text) {
        const qint64 a = low.isNull() ? std::numeric_limits<qint64>::min() : low.toLongLong();
        const qint64 b = high.isNull() ? std::numeric_limits<qint64>::max() : high.toLongLong();
        if (a >= b || quint64(b) - quint64(a) < 2)
            return std::nullopt;
        return QVariant(qint64(quint64(a) + (quint64(b) - quint64(a)) / 2));
    }
    const QByteArray a = low.toByteArray();
    // Above every text in UTF-8, which never holds the byte 0xFF.
    const QByteArray b = high.isNull() ? QByteArray(a.size() + 1, '\xff') : high.toByteArray();
    // The mean of the two read as fractions in base 256, with one digit more than the longer of them.
    const qsizetype digits = std::max(a.size(), b.size()) + 1;
    const auto digit
        = [](const QByteArray &bytes, qsizetype i) { return i < bytes.size() ? int(quint8(bytes[i])) : 0; };
    QList<int> sum(digits, 0);
    int carry = 0;
    for (qsizetype i = digits - 1; i >= 0; --i) {
        const int total = digit(a, i) + digit(b, i) + carry;
        sum[i] = total % 256;
        carry = total / 256;
    }
    QByteArray mean(digits, '\0');
    int remainder = carry;
    for (qsizetype i = 0; i < digits; ++i) {
        const int value = remainder * 256 + sum[i];
        mean[i] = char(value / 2);
        remainder = value % 2;
    }
    while (mean.endsWith('\0') && a < mean.chopped(1))
        mean.chop(1);
    if (!(a < mean && mean < b))
        return std::nullopt;
    return QVariant(mean);
}

// One table of a damaged database read row by row in the order of its key, past the errors of its damaged pages:
// from the first row on until the first error, from the last row back until the first error, then from keys
// probed between the rows read on either side of each unread stretch. The rows are kept by their primary key
// (its columns come first), so a row read twice is kept once.
class TableReader
{
public:
    TableReader(const QSqlDatabase &db, QHash<QByteArray, QVariantList> &rows, const char *table,
        const QStringList &columns, qsizetype primaryKeyColumns, qsizetype keyColumn, bool textKey,
        const QString &condition = {}, const QVariantList &conditionValues = {})
        : m_db(db)
        , m_rows(rows)
        , m_columns(columns.size())
        , m_primaryKeyColumns(primaryKeyColumns)
        , m_keyColumn(keyColumn)
        , m_textKey(textKey)
        , m_key(columns.at(keyColumn))
        , m_conditionValues(conditionValues)
    {
        m_select = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                       .arg(columns.join(u", "), QLatin1StringView(table),
                           condition.isEmpty() ? QStringLiteral("1") : condition);
        // The key, then the rest of the primary key after it: the primary key's own order.
        QStringList order { m_key };
        for (qsizetype i = keyColumn + 1; i < primaryKeyColumns; ++i)
            order.append(columns.at(i));
        m_ascending = order.join(QStringLiteral(" ASC, ")) + QStringLiteral(" ASC");
        m_descending = order.join(QStringLiteral(" DESC, ")) + QStringLiteral(" DESC");
    }

    // Reads every row that can be read. Returns whether every row of the table was.
    bool read()
    {
        QVariant first;
        QVariant last;
        if (readRange({}, {}, false, first, last))
            return true;
        QVariant lastFromEnd;
        readRange({}, {}, true, first, lastFromEnd);
        probe(last, lastFromEnd, 0);
        return false;
    }

private:
    // Reads the rows with keys from \a from to \a to (either null for no bound), in order or backwards, until the
    // first error. Returns whether there was none; \a first and \a last are the keys of the first and last rows
    // read, null when none was.
    bool readRange(const QVariant &from, const QVariant &to, bool backwards, QVariant &first, QVariant &last)
    {
        first = QVariant();
        last = QVariant();
        const QString bound = m_textKey ? QStringLiteral("CAST(? AS TEXT)") : QStringLiteral("?");
        QString sql = m_select;
        QVariantList values = m_conditionValues;
        if (!from.isNull()) {
            sql += QStringLiteral(" AND %1 >= %2").arg(m_key, bound);
            values.append(from);
        }
        if (!to.isNull()) {
            sql += QStringLiteral(" AND %1 <= %2").arg(m_key, bound);
            values.append(to);
        }
        sql += QStringLiteral(" ORDER BY ") + (backwards ? m_descending : m_ascending);
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            // No statement reads the table at all (its definition is lost): probing cannot help.
            m_readable = false;
            return false;
        }
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            return false;
        while (query.next()) {
            QVariantList row;
            row.reserve(m_columns);
            for (int i = 0; i < m_columns; ++i)
                row.append(query.value(i));
            last = orderedKey(row.at(m_keyColumn), m_textKey);
            if (first.isNull())
                first = last;
            keep(row);
        }
        return !query.lastError().isValid();
    }

    // Reads what can be read between the keys \a low and \a high, which bound a stretch that could not be read.
    void probe(QVariant low, QVariant high, int depth)
    {
        while (depth < kMaxProbeDepth && m_probes < kMaxProbes && m_readable) {
            const std::optional<QVariant> middle = between(low, high, m_textKey);
            if (!middle)
                return;
            ++m_probes;
            QVariant first;
            QVariant last;
            const bool toTheEnd = readRange(*middle, high, false, first, last);
            if (toTheEnd && last.isNull()) {
                // Nothing at all from the middle up: the stretch ends below it. Keys are seldom spread evenly
                // over all the bytes; this narrows the stretch to where they are without going a level deeper.
                high = *middle;
                continue;
            }
            ++depth;
            // Rows before the middle may lie on readable pages too. Those just before the rows read are read
            // backwards, up to the damage: among them is the key that parts two pages, which a search forward
            // from a probed key never comes upon.
            QVariant unread = *middle;
            if (!first.isNull()) {
                QVariant lastBack;
                QVariant lowestBack;
                unread = readRange(low, first, true, lastBack, lowestBack) ? QVariant()
                    : lowestBack.isNull()                                  ? first
                                                                           : lowestBack;
            }
            if (!unread.isNull())
                probe(low, unread, depth);
            // So may rows after those read, up to an error.
            if (toTheEnd)
                return;
            low = last.isNull() ? *middle : last;
        }
    }

    void keep(const QVariantList &row)
    {
        QByteArray key;
        for (qsizetype i = 0; i < m_primaryKeyColumns; ++i)
            key += orderedKey(row.at(i), !integerOf(row.at(i)).has_value()).toByteArray() + '\0';
        m_rows.insert(key, row);
    }

    const QSqlDatabase &m_db;
    QHash<QByteArray, QVariantList> &m_rows;
    int m_columns;
    qsizetype m_primaryKeyColumns;
    qsizetype m_keyColumn;
    bool m_textKey;
    QString m_key;
    QVariantList m_conditionValues;
    QString m_select;
    QString m_ascending;
    QString m_descending;
    bool m_readable = true;
    int m_probes = 0;
};

// About how many rows the unreadable pages of \a table held: as many, page for page, as its readable leaves hold
// on average. Nothing when SQLite cannot tell its pages (a build without its page statistics), or finds none
// damaged.
std::optional<qint64> unreadableRows(const QSqlDatabase &db, const char *table)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT pagetype, ncell FROM dbstat WHERE name = ?")))
        return std::nullopt;
    query.addBindValue(QString::fromLatin1(table));
    if (!query.exec())
        return std::nullopt;
    qint64 damagedPages = 0;
    qint64 leaves = 0;
    qint64 cells = 0;
    while (query.next()) {
        const QString type = query.value(0).toString();
        if (type == QLatin1StringView("corrupted")) {
            ++damagedPages;
        } else if (type == QLatin1StringView("leaf")) {
            ++leaves;
            cells += query.value(1).toLongLong();
        }
    }
    if (query.lastError().isValid() || damagedPages == 0 || leaves == 0)
        return std::nullopt;
    return (damagedPages * cells + leaves / 2) / leaves;
}

// Whether a row holds a rating as the schema and the exchange file allow it, from column \a at on: name, gender,
// stars, veto, note, time of the change. A damaged page can pass for a row; what it holds then seldom does.
bool isRating(const QVariantList &row, qsizetype at)
{
    const QVariant &name = row.at(at);
    const std::optional<qint64> gender = integerOf(row.at(at + 1));
    const std::optional<qint64> stars = integerOf(row.at(at + 2));
    const std::optional<qint64> veto = integerOf(row.at(at + 3));
    const QVariant &note = row.at(at + 4);
    const QVariant &updated = row.at(at + 5);
    return isText(name) && NameProblem(name.toString()).isEmpty() && gender && (*gender == 0 || *gender == 1) && stars
        && *stars >= 0 && *stars <= 5 && veto && (*veto == 0 || *veto == 1) && isText(note)
        && note.toString().size() <= kMaxNoteLength && note.toString().isValidUtf16() && isText(updated)
        && ParseTimestamp(updated.toString()).isValid();
}

} // namespace

Salvage ReadDamagedShortlist(const QSqlDatabase &db)
{
    // A file cut short still names the pages it had; SQLite reads what is left of it only when told it may
    // find the schema at odds with the file. Nothing is written through this connection.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA writable_schema = ON"));
    Salvage salvage;
    const auto estimateLost = [&](const char *table) {
        if (const std::optional<qint64> lost = unreadableRows(db, table))
            salvage.LostRatings += *lost;
        else
            salvage.LostUnknown = true;
    };

    QHash<QByteArray, QVariantList> partners;
    TableReader(db, partners, "partners",
        { QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("imported"), QStringLiteral("exported") }, 1, 0,
        false)
        .read();
    QSet<qint64> partnerIds;
    for (const QVariantList &row : std::as_const(partners)) {
        const std::optional<qint64> id = integerOf(row.at(0));
        if (id && isText(row.at(1)) && NameProblem(row.at(1).toString()).isEmpty() && isText(row.at(2))
            && ParseTimestamp(row.at(2).toString()).isValid() && isText(row.at(3))
            && ParseTimestamp(row.at(3).toString()).isValid()) {
            salvage.Partners.append(row);
            partnerIds.insert(*id);
        }
    }

    QHash<QByteArray, QVariantList> settings;
    TableReader(db, settings, "settings", { QStringLiteral("key"), QStringLiteral("value") }, 1, 0, true).read();
    for (const QVariantList &row : std::as_const(settings)) {
        if (isText(row.at(0)) && isText(row.at(1)))
            salvage.Settings.append(row);
    }

    QHash<QByteArray, QVariantList> mine;
    if (!TableReader(db, mine, "my_ratings",
            { QStringLiteral("name"), QStringLiteral("gender"), QStringLiteral("stars"), QStringLiteral("veto"),
                QStringLiteral("note"), QStringLiteral("updated") },
            2, 0, true)
             .read())
        estimateLost("my_ratings");
    for (const QVariantList &row : std::as_const(mine)) {
        if (isRating(row, 0))
            salvage.MyRatings.append(row);
        else
            ++salvage.LostRatings;
    }

    // The partners' ratings are ordered by partner first: read in that order, a damaged page hides every partner
    // after it, so each partner's are read again on their own, ordered by name.
    const QStringList partnerColumns { QStringLiteral("partner"), QStringLiteral("name"), QStringLiteral("gender"),
        QStringLiteral("stars"), QStringLiteral("veto"), QStringLiteral("note"), QStringLiteral("updated") };
    QHash<QByteArray, QVariantList> theirs;
    const bool complete = TableReader(db, theirs, "partner_ratings", partnerColumns, 3, 0, false).read();
    QSet<qint64> ratedBy = partnerIds;
    for (const QVariantList &row : std::as_const(theirs)) {
        if (const std::optional<qint64> id = integerOf(row.at(0)))
            ratedBy.insert(*id);
    }
    if (!complete) {
        for (const qint64 id : std::as_const(ratedBy)) {
            TableReader(
                db, theirs, "partner_ratings", partnerColumns, 3, 1, true, QStringLiteral("partner = ?"), { id })
                .read();
        }
        estimateLost("partner_ratings");
    }
    for (const QVariantList &row : std::as_const(theirs)) {
        const std::optional<qint64> id = integerOf(row.at(0));
        // The ratings of a partner whose own row is lost are lost with it.
        if (id && partnerIds.contains(*id) && isRating(row, 1))
            salvage.PartnerRatings.append(row);
        else
            ++salvage.LostRatings;
    }
    return salvage;
}

} // namespace namorel
