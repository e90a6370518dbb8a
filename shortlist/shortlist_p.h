#pragma once

#include "shortlist.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

class QSqlDatabase;

namespace namorel {

// Limits of what is stored and exchanged. A file over these limits is refused whole, so an export never
// writes one.
constexpr qint64 kMaxExchangeFileBytes = 10 * 1024 * 1024;
constexpr qsizetype kMaxExchangeRatings = 100'000;
// Lengths count characters as a reader sees them (grapheme clusters): an emoji or an accented letter is one.
constexpr qsizetype kMaxNameLength = 100;
constexpr qsizetype kMaxNoteLength = 500;
// The bytes of UTF-8 one text may take besides, generously: a handful of characters, each with endless combining
// marks, would otherwise make one text as large as the whole file.
constexpr qsizetype kMaxNameBytes = 16 * kMaxNameLength;
constexpr qsizetype kMaxNoteBytes = 16 * kMaxNoteLength;

// What is wrong with a name (of a rating or a partner), or an empty text when nothing is.
QString NameProblem(const QString &name);

// What is wrong with a note, or an empty text when nothing is.
QString NoteProblem(const QString &note);

// The canonical text of a moment: ISO 8601 in UTC with milliseconds. Texts of this form sort as their moments.
QString TimestampText(const QDateTime &moment);

// A moment from ISO 8601 text that names its offset from UTC ("Z" or "+hh:mm"), in UTC; invalid otherwise.
QDateTime ParseTimestamp(const QString &text);

// The content of an exchange file.
struct ExchangeFile
{
    QString Partner;
    QDateTime Exported;
    QList<Rating> Ratings;
};

// The bytes of an exchange file: UTF-8 JSON, one rating per line.
QByteArray ExchangeFileBytes(const ExchangeFile &file);

// Reads and checks a whole exchange file. Throws ShortlistError saying what is wrong and where.
ExchangeFile ReadExchangeFile(const QString &filePath);

// What could be read of a damaged shortlist: the rows of its tables, each with the table's columns in the order
// of its definition, that hold values the schema allows.
struct Salvage
{
    QList<QVariantList> MyRatings;
    QList<QVariantList> Partners;
    QList<QVariantList> PartnerRatings;
    QList<QVariantList> Settings;
    // The ratings lost: those read but not kept, and, for pages that could not be read, an estimate.
    qint64 LostRatings = 0;
    // Some ratings could not be read, and there is no telling how many.
    bool LostUnknown = false;
};

// Reads every row that can still be read of the shortlist's tables in a damaged database: row by row, in the
// order of each table's key, skipping what fails to read. Never writes.
Salvage ReadDamagedShortlist(const QSqlDatabase &db);

} // namespace namorel
