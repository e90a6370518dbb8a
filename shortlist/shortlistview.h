#pragma once

#include "shortlist.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

namespace namorel {

/// The three ways the shortlist can be looked at.
enum class ShortlistView {
    Mine, ///< the names I rated, by name
    Partners, ///< the names my partner rated, by name
    BothLike, ///< the names both of us like, best first
};

/// One name and gender of a view, with both parents' ratings of it.
struct ShortlistRow
{
    QString Name;
    qint32 GenderIndex = 0;
    std::optional<Rating> Mine;
    std::optional<Rating> Partner;
    bool BothLike = false; ///< both gave at least 3 stars and neither vetoed
};

/// The rows of \a view. "Both like" holds both genders, by the sum of both parents' stars (highest first), then
/// by name, girls before boys; within one gender that is the order of Shortlist::bothLike(). Throws
/// ShortlistError when the shortlist cannot be read.
QList<ShortlistRow> ShortlistRows(const Shortlist &shortlist, ShortlistView view);

/// RFC 4180 text of \a records in UTF-8: fields separated by commas, each record ended by CR LF, a field in
/// double quotes (its own double quotes doubled) when it holds a comma, a double quote, CR or LF.
QByteArray CsvText(const QList<QStringList> &records);

/// \a rows as CSV, after a header record: name, gender, my stars, veto and note, my partner's, and whether
/// both like the name. A parent who has not rated the name has empty fields.
QByteArray ShortlistCsv(const QList<ShortlistRow> &rows);

} // namespace namorel
