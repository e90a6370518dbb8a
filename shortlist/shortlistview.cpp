#include "shortlistview.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

namespace namorel {

namespace {

using Key = std::pair<QString, qint32>;

Key keyOf(const Rating &rating)
{
    return { rating.Name, rating.GenderIndex };
}

int starSum(const ShortlistRow &row)
{
    return (row.Mine ? row.Mine->Stars : 0) + (row.Partner ? row.Partner->Stars : 0);
}

QString quoted(const QString &field)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(field.cbegin(), field.cend(), [](QChar c) { return special.contains(c); }))
        return field;
    return u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QList<ShortlistRow> ShortlistRows(const Shortlist &shortlist, ShortlistView view)
{
    const QList<Rating> mine = shortlist.mine();
    const QList<Rating> partners = shortlist.partners();
    QSet<Key> liked;
    for (const qint32 gender : { 0, 1 }) {
        for (const QString &name : shortlist.bothLike(gender))
            liked.insert({ name, gender });
    }
    QHash<Key, Rating> mineByKey;
    for (const Rating &rating : mine)
        mineByKey.insert(keyOf(rating), rating);
    QHash<Key, Rating> partnersByKey;
    for (const Rating &rating : partners)
        partnersByKey.insert(keyOf(rating), rating);

    const QList<Rating> &listed = view == ShortlistView::Partners ? partners : mine;
    QList<ShortlistRow> rows;
    for (const Rating &rating : listed) {
        const Key key = keyOf(rating);
        ShortlistRow row { rating.Name, rating.GenderIndex, std::nullopt, std::nullopt, liked.contains(key) };
        if (view == ShortlistView::BothLike && !row.BothLike)
            continue;
        if (const auto found = mineByKey.constFind(key); found != mineByKey.cend())
            row.Mine = *found;
        if (const auto found = partnersByKey.constFind(key); found != partnersByKey.cend())
            row.Partner = *found;
        rows.append(row);
    }

    if (view == ShortlistView::BothLike) {
        // Mine are in name order already; the stable sort keeps it among equal sums.
        std::stable_sort(rows.begin(), rows.end(),
            [](const ShortlistRow &a, const ShortlistRow &b) { return starSum(a) > starSum(b); });
    }
    return rows;
}

QByteArray CsvText(const QList<QStringList> &records)
{
    QString text;
    for (const QStringList &record : records) {
        QStringList fields;
        fields.reserve(record.size());
        for (const QString &field : record)
            fields.append(quoted(field));
        text += fields.join(u',') + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray ShortlistCsv(const QList<ShortlistRow> &rows)
{
    QList<QStringList> records;
    records.reserve(rows.size() + 1);
    records.append({ QStringLiteral("Name"), QStringLiteral("Gender"), QStringLiteral("My stars"),
        QStringLiteral("My veto"), QStringLiteral("My note"), QStringLiteral("Partner's stars"),
        QStringLiteral("Partner's veto"), QStringLiteral("Partner's note"), QStringLiteral("Both like") });
    const auto yesNo = [](bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); };
    for (const ShortlistRow &row : rows) {
        QStringList record { row.Name, row.GenderIndex == 0 ? QStringLiteral("girl") : QStringLiteral("boy") };
        for (const std::optional<Rating> &rating : { row.Mine, row.Partner }) {
            if (rating)
                record << QString::number(rating->Stars) << yesNo(rating->Veto) << rating->Note;
            else
                record << QString() << QString() << QString();
        }
        record << yesNo(row.BothLike);
        records.append(record);
    }
    return CsvText(records);
}

} // namespace namorel
