// The partner's exchange file: bytes imported into a scratch shortlist. An import stores every rating of the file,
// each within the rules, or refuses the whole file with a message and stores nothing; the same file imported again
// is nothing new.

#include "fuzzcheck.h"
#include "shortlist.h"
#include "shortlist_p.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdint>
#include <utility>

using namespace namorel;

namespace {

const QString kFileName = QStringLiteral("partner.namorel");

// One shortlist for the whole run, emptied before each input: opening a new one would cost more than the import.
Shortlist &scratchShortlist()
{
    // Never destroyed: at the end of the run, Qt's register of database connections may be gone before it.
    static Shortlist *const shortlist = new Shortlist(FuzzScratchFolder().filePath(QStringLiteral("shortlist.sqlite")));
    return *shortlist;
}

void forgetPartners(const Shortlist &shortlist)
{
    const QString connection = QStringLiteral("fuzz-exchange-clear");
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isValid()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(shortlist.databasePath());
    }
    NAMOREL_FUZZ_CHECK(db.isOpen() || db.open());
    QSqlQuery query(db);
    NAMOREL_FUZZ_CHECK(query.exec(QStringLiteral("DELETE FROM partner_ratings")));
    NAMOREL_FUZZ_CHECK(query.exec(QStringLiteral("DELETE FROM partners")));
}

// No character that is invisible or turns the direction of the text around it, and no half of a surrogate pair.
bool isPlainShownText(const QString &text)
{
    if (!text.isValidUtf16())
        return false;
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            return false;
    }
    return true;
}

bool isStorableName(const QString &name)
{
    return !name.trimmed().isEmpty() && isPlainShownText(name) && name.toUtf8().size() <= kMaxNameBytes;
}

// The ratings of the file as JSON itself reads them, by name and gender.
QHash<std::pair<QString, qint32>, QJsonObject> ratingsOf(const QByteArray &bytes, QString &partner)
{
    const QJsonObject root
        = QJsonDocument::fromJson(bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes).object();
    partner = root.value(QLatin1StringView("partner")).toString();
    QHash<std::pair<QString, qint32>, QJsonObject> ratings;
    for (const QJsonValue &value : root.value(QLatin1StringView("ratings")).toArray()) {
        const QJsonObject rating = value.toObject();
        ratings.insert(
            { rating.value(QLatin1StringView("name")).toString(), rating.value(QLatin1StringView("gender")).toInt(-1) },
            rating);
    }
    return ratings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!FuzzScratchFolder().isValid())
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = FuzzScratchFolder().filePath(kFileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();

    Shortlist &shortlist = scratchShortlist();
    forgetPartners(shortlist);
    qint32 stored = -1;
    try {
        stored = shortlist.importRatings(path);
    } catch (const ShortlistError &error) {
        // Refused whole, with a message that says why, shown as plain text.
        const QString prefix = QStringLiteral("Cannot import \"%1\": ").arg(kFileName);
        NAMOREL_FUZZ_CHECK(error.message().startsWith(prefix) && error.message().size() > prefix.size());
        NAMOREL_FUZZ_CHECK(isPlainShownText(error.message()));
        NAMOREL_FUZZ_CHECK(shortlist.partnerName().isEmpty());
        NAMOREL_FUZZ_CHECK(shortlist.partners().isEmpty());
        return 0;
    }

    // Stored whole: every rating of the file, as the file has it, and nothing else.
    const QDateTime latestBelievable = QDateTime::currentDateTimeUtc().addDays(1);
    QString partner;
    const QHash<std::pair<QString, qint32>, QJsonObject> expected = ratingsOf(bytes, partner);
    const QList<Rating> ratings = shortlist.partners();
    NAMOREL_FUZZ_CHECK(isStorableName(partner) && shortlist.partnerName() == partner);
    NAMOREL_FUZZ_CHECK(stored == ratings.size() && ratings.size() == expected.size());
    NAMOREL_FUZZ_CHECK(shortlist.mine().isEmpty());
    for (const Rating &rating : ratings) {
        NAMOREL_FUZZ_CHECK(isStorableName(rating.Name));
        NAMOREL_FUZZ_CHECK(rating.Note.isValidUtf16() && rating.Note.toUtf8().size() <= kMaxNoteBytes);
        NAMOREL_FUZZ_CHECK(rating.GenderIndex == 0 || rating.GenderIndex == 1);
        NAMOREL_FUZZ_CHECK(rating.Stars >= 0 && rating.Stars <= 5);
        NAMOREL_FUZZ_CHECK(rating.Updated.isValid() && rating.Updated <= latestBelievable);
        const auto found = expected.constFind({ rating.Name, rating.GenderIndex });
        NAMOREL_FUZZ_CHECK(found != expected.cend());
        NAMOREL_FUZZ_CHECK(found->value(QLatin1StringView("stars")).toInt(-1) == rating.Stars);
        NAMOREL_FUZZ_CHECK(found->value(QLatin1StringView("veto")).toBool(!rating.Veto) == rating.Veto);
        NAMOREL_FUZZ_CHECK(found->value(QLatin1StringView("note")).toString() == rating.Note);
    }

    // The same file again is nothing new, and changes nothing.
    NAMOREL_FUZZ_CHECK(shortlist.importRatings(path) == 0);
    const QList<Rating> again = shortlist.partners();
    NAMOREL_FUZZ_CHECK(again.size() == ratings.size());
    for (qsizetype i = 0; i < again.size(); ++i) {
        const Rating &before = ratings.at(i);
        const Rating &after = again.at(i);
        NAMOREL_FUZZ_CHECK(after.Name == before.Name && after.GenderIndex == before.GenderIndex
            && after.Stars == before.Stars && after.Veto == before.Veto && after.Note == before.Note
            && after.Updated == before.Updated);
    }
    return 0;
}
