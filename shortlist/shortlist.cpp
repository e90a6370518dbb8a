#include "shortlist.h"
#include "shortlist_p.h"

#include <QAtomicInteger>
#include <QCollator>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <memory>

#include <unistd.h>

namespace namorel {

namespace {

// How long one statement waits for another copy of the program to finish its change, and how long an
// operation keeps trying when SQLite reports the database busy without waiting (as it may while another
// copy recovers the journal).
constexpr int kBusyTimeoutMs = 10'000;
constexpr int kRetryForMs = 30'000;

// Each step brings the schema from its position in the list to the next version; PRAGMA user_version holds
// the number of steps taken. A step is only ever appended, never changed.
const QList<QList<const char *>> &migrations()
{
    static const QList<QList<const char *>> steps {
        {
            "CREATE TABLE my_ratings ("
            " name TEXT NOT NULL,"
            " gender INTEGER NOT NULL CHECK (gender IN (0, 1)),"
            " stars INTEGER NOT NULL CHECK (stars BETWEEN 0 AND 5),"
            " veto INTEGER NOT NULL CHECK (veto IN (0, 1)),"
            " note TEXT NOT NULL,"
            " updated TEXT NOT NULL,"
            " PRIMARY KEY (name, gender)) WITHOUT ROWID",
            "CREATE TABLE partners ("
            " id INTEGER PRIMARY KEY,"
            " name TEXT NOT NULL UNIQUE,"
            " imported TEXT NOT NULL,"
            " exported TEXT NOT NULL)",
            "CREATE TABLE partner_ratings ("
            " partner INTEGER NOT NULL REFERENCES partners (id) ON DELETE CASCADE,"
            " name TEXT NOT NULL,"
            " gender INTEGER NOT NULL CHECK (gender IN (0, 1)),"
            " stars INTEGER NOT NULL CHECK (stars BETWEEN 0 AND 5),"
            " veto INTEGER NOT NULL CHECK (veto IN (0, 1)),"
            " note TEXT NOT NULL,"
            " updated TEXT NOT NULL,"
            " PRIMARY KEY (partner, name, gender)) WITHOUT ROWID",
            "CREATE TABLE settings (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID",
        },
    };
    return steps;
}

// The partner imported last.
constexpr auto kCurrentPartner = "(SELECT id FROM partners ORDER BY imported DESC, id DESC LIMIT 1)";

// SQLite's primary result codes, as QSqlError::nativeErrorCode() gives them (possibly extended).
enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, Corrupt = 11, Constraint = 19, NotADatabase = 26 };

// The property of a connection's driver that holds the path of the shortlist it reads, for messages about it.
constexpr char kShortlistPathProperty[] = "namorelShortlistPath";

int primaryCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

// A failed statement, on its way to the operation that ran it.
struct DatabaseFailure
{
    QSqlError error;
};

// The database file is damaged beyond use.
struct Damaged
{
};

// A change refused because the shortlist at the path may only be read.
struct ReadOnlyFailure
{
    QString path;
};

// A text as a bound value: an empty QString may be null, which SQL would take for no value at all.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QSqlQuery run(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DatabaseFailure { query.lastError() };
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DatabaseFailure { query.lastError() };
    return query;
}

QSqlQuery run(const QSqlDatabase &db, const char *sql, const QVariantList &values = {})
{
    return run(db, QString::fromUtf8(sql), values);
}

// Runs \a work in one write transaction, taken at once so that two copies never both read and then both
// try to write.
template<typename Work> void inTransaction(const QSqlDatabase &db, Work &&work)
{
    try {
        run(db, "BEGIN IMMEDIATE");
        try {
            work();
            run(db, "COMMIT");
        } catch (...) {
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } catch (const DatabaseFailure &failed) {
        // A read-only database takes the transaction, and refuses its first write.
        if (primaryCode(failed.error) == ReadOnly)
            throw ReadOnlyFailure { db.driver()->property(kShortlistPathProperty).toString() };
        throw;
    }
}

// Runs \a operation, trying again while another copy of the program holds the database, so that the user
// never sees it locked. Other failures become the message for the user, which starts with \a failure.
template<typename Operation> auto retrying(const QString &failure, Operation &&operation)
{
    const QDeadlineTimer deadline(kRetryForMs);
    for (int attempt = 0;; ++attempt) {
        try {
            return operation();
        } catch (const ReadOnlyFailure &refused) {
            throw ShortlistError(failure
                + QStringLiteral(": the shortlist \"%1\" is read-only.").arg(QDir::toNativeSeparators(refused.path)));
        } catch (const DatabaseFailure &failed) {
            const int code = primaryCode(failed.error);
            if ((code == Busy || code == Locked) && !deadline.hasExpired()) {
                QThread::msleep(QRandomGenerator::global()->bounded(5, 20 + 10 * std::min(attempt, 10)));
                continue;
            }
            if (code == Busy || code == Locked)
                throw ShortlistError(failure + QStringLiteral(": another copy of Namorel keeps the shortlist busy."));
            throw ShortlistError(failure + QStringLiteral(": ") + failed.error.text() + u'.');
        }
    }
}

QCollator nameCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

void sortByName(QList<Rating> &ratings)
{
    const QCollator collator = nameCollator();
    std::stable_sort(ratings.begin(), ratings.end(), [&collator](const Rating &a, const Rating &b) {
        if (const int order = collator.compare(a.Name, b.Name); order != 0)
            return order < 0;
        if (a.Name != b.Name)
            return a.Name < b.Name;
        return a.GenderIndex < b.GenderIndex;
    });
}

QList<Rating> readRatings(QSqlQuery &&query)
{
    QList<Rating> ratings;
    while (query.next()) {
        ratings.append({ query.value(0).toString(), query.value(1).toInt(), query.value(2).toInt(),
            query.value(3).toBool(), query.value(4).toString(), ParseTimestamp(query.value(5).toString()) });
    }
    return ratings;
}

// Where a damaged database is moved: beside it, named with today's date, numbered when that name is taken.
QString damagedFilePath(const QString &path)
{
    const QFileInfo info(path);
    const QString stem
        = info.completeBaseName() + QStringLiteral("-damaged-") + QDate::currentDate().toString(Qt::ISODate);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString candidate = info.dir().filePath(stem + suffix);
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo::exists(candidate + QStringLiteral("-wal"));
         ++number)
        candidate = info.dir().filePath(stem + u'-' + QString::number(number) + suffix);
    return candidate;
}

// Whether this process may change the database at \a path and add its journal beside it. Asked of the system,
// which also answers for root, to whom only read-only disks and files marked immutable are closed.
bool mayWrite(const QString &path)
{
    const QFileInfo info(path);
    if (::access(QFile::encodeName(info.absolutePath()).constData(), W_OK | X_OK) != 0)
        return false;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 || errno == ENOENT;
}

// How a connection opens a database.
struct Opening
{
    QString databaseName;
    QString options;
};

// How to open the database at \a path as it stands, changing neither it nor the files beside it. SQLite reads a
// database in WAL mode through its journal and a shared-memory index, making both where they are missing, even
// on a read-only connection, and updating the index; an "immutable" database it reads alone. That is all of it
// unless its journal holds changes not yet written into it: then the database and its journal are copied into
// \a copy, and the copy is read. Nothing when the copy cannot be made.
std::optional<Opening> asItStands(const QString &path, std::unique_ptr<QTemporaryDir> &copy)
{
    const QString journal = path + QStringLiteral("-wal");
    if (QFileInfo(journal).size() == 0) {
        return Opening { QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
                + QStringLiteral("?immutable=1"),
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI") };
    }
    copy = std::make_unique<QTemporaryDir>();
    const QString copied = copy->filePath(QStringLiteral("shortlist.sqlite"));
    const QFileDevice::Permissions readWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!copy->isValid() || !QFile::copy(path, copied) || !QFile::copy(journal, copied + QStringLiteral("-wal"))
        || !QFile::setPermissions(copied, readWrite)
        || !QFile::setPermissions(copied + QStringLiteral("-wal"), readWrite)) {
        copy.reset();
        return std::nullopt;
    }
    return Opening { copied, QString() };
}

// Opens a connection of the name to a database, telling its driver the path of the shortlist it reads.
QSqlDatabase openConnection(const QString &name, const Opening &opening, const QString &shortlistPath)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(opening.databaseName);
    db.setConnectOptions(opening.options);
    db.driver()->setProperty(kShortlistPathProperty, shortlistPath);
    db.open();
    return db;
}

void closeConnection(const QString &name)
{
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

// The schema version of the database; nothing when it cannot be read.
std::optional<int> schemaVersion(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

ShortlistError newerVersion(const QString &failure, int version)
{
    return ShortlistError(failure
        + QStringLiteral(": it was written by a newer version of Namorel (schema %1; this version reads up to %2).")
              .arg(QString::number(version), QString::number(migrations().size())));
}

// Whether the database's pages are whole, as far as a quick check tells. A file that is not a database, or whose
// pages are damaged, shows here before anything is written. Throws DatabaseFailure for failures of another kind.
bool isWhole(const QSqlDatabase &db)
{
    try {
        QSqlQuery check = run(db, "PRAGMA quick_check");
        return check.next() && check.value(0).toString() == QLatin1StringView("ok");
    } catch (const DatabaseFailure &failed) {
        const int code = primaryCode(failed.error);
        if (code == Corrupt || code == NotADatabase)
            return false;
        throw;
    }
}

// Brings the schema from \a current to the latest version.
void migrate(const QSqlDatabase &db, int current)
{
    const int latest = int(migrations().size());
    for (int step = current; step < latest; ++step) {
        for (const char *statement : migrations().at(step))
            run(db, statement);
    }
    if (current != latest)
        run(db, QStringLiteral("PRAGMA user_version = %1").arg(latest));
}

// Stores what was read of a damaged shortlist in a fresh one, in one transaction. Returns the number of ratings
// stored; those the schema refuses are counted with the lost.
qint64 storeSalvage(const QSqlDatabase &db, Salvage &salvage, const QString &failure)
{
    qint64 stored = 0;
    qint64 refused = 0;
    retrying(failure, [&] {
        stored = 0;
        refused = 0;
        inTransaction(db, [&] {
            const auto insert = [&](const char *sql, const QList<QVariantList> &rows, bool ratings) {
                for (QVariantList row : rows) {
                    for (QVariant &value : row) {
                        if (value.typeId() == QMetaType::QString)
                            value = textValue(value.toString());
                    }
                    try {
                        run(db, sql, row);
                        stored += ratings;
                    } catch (const DatabaseFailure &failed) {
                        if (primaryCode(failed.error) != Constraint)
                            throw;
                        refused += ratings;
                    }
                }
            };
            insert("INSERT INTO partners (id, name, imported, exported) VALUES (?, ?, ?, ?)", salvage.Partners, false);
            insert("INSERT INTO settings (key, value) VALUES (?, ?)", salvage.Settings, false);
            insert("INSERT INTO my_ratings (name, gender, stars, veto, note, updated) VALUES (?, ?, ?, ?, ?, ?)",
                salvage.MyRatings, true);
            insert("INSERT INTO partner_ratings (partner, name, gender, stars, veto, note, updated)"
                   " VALUES (?, ?, ?, ?, ?, ?, ?)",
                salvage.PartnerRatings, true);
        });
    });
    salvage.LostRatings += refused;
    return stored;
}

// How many ratings of a damaged shortlist could be read, and how many not.
QString salvageCount(qint64 stored, const Salvage &salvage)
{
    const QString read = stored == 1 ? QStringLiteral("1 rating") : QStringLiteral("%1 ratings").arg(stored);
    if (salvage.LostUnknown)
        return QStringLiteral("%1 could be read, and others could not").arg(read);
    if (salvage.LostRatings > 0)
        return QStringLiteral("%1 could be read, and about %2 could not")
            .arg(read, QString::number(salvage.LostRatings));
    return stored == 1 ? QStringLiteral("its only rating could be read")
                       : QStringLiteral("all %1 could be read").arg(read);
}

QAtomicInteger<quint64> g_connectionCount;

} // namespace

ShortlistError::ShortlistError(const QString &message)
    : std::runtime_error(message.toStdString())
{ }

QString Shortlist::userDatabasePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/shortlist.sqlite");
}

Shortlist::Shortlist(const QString &databasePath)
    : m_path(databasePath)
    , m_connection(QStringLiteral("namorel-shortlist-%1").arg(g_connectionCount.fetchAndAddRelaxed(1)))
{
    if (m_path.isEmpty())
        throw ShortlistError(QStringLiteral("Cannot open the shortlist: there is no folder for the program's data."));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        throw ShortlistError(QStringLiteral("Cannot open the shortlist: the SQLite driver of Qt is not installed "
                                            "(on Debian, package libqt6sql6-sqlite)."));
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        throw ShortlistError(QStringLiteral("Cannot open the shortlist: the folder \"%1\" cannot be created.")
                                 .arg(QDir::toNativeSeparators(folder)));
    try {
        try {
            open();
        } catch (const Damaged &) {
            startAfresh();
        }
    } catch (const ShortlistError &) {
        closeConnection(m_connection);
        throw;
    }
}

Shortlist::~Shortlist()
{
    closeConnection(m_connection);
}

void Shortlist::open()
{
    const QString failure = QStringLiteral("Cannot open the shortlist \"%1\"").arg(QDir::toNativeSeparators(m_path));
    m_readOnly = !mayWrite(m_path);
    if (m_readOnly) {
        openReadOnly(failure);
        return;
    }
    if (const QFileInfo file(m_path); file.isFile() && file.size() > 0)
        refuseNewerVersion(failure);
    openWritable(failure);
}

// Opening a database writes to it (its journal mode, and the journal's files beside it) before its version can
// be read there; a first look, which writes nothing, refuses a newer version's database untouched.
void Shortlist::refuseNewerVersion(const QString &failure) const
{
    std::unique_ptr<QTemporaryDir> copy;
    const std::optional<Opening> opening = asItStands(m_path, copy);
    if (!opening)
        return; // The version is read again before anything is written.
    const QString look = m_connection + QStringLiteral("-look");
    std::optional<int> version;
    {
        const QSqlDatabase db = openConnection(look, *opening, m_path);
        if (db.isOpen())
            version = schemaVersion(db);
    }
    closeConnection(look);
    if (version && *version > migrations().size())
        throw newerVersion(failure, *version);
}

void Shortlist::openWritable(const QString &failure)
{
    QSqlDatabase db = openConnection(
        m_connection, { m_path, QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs) }, m_path);
    if (!db.isOpen()) {
        const int code = primaryCode(db.lastError());
        if (code == Corrupt || code == NotADatabase)
            throw Damaged {};
        throw ShortlistError(failure + QStringLiteral(": ") + db.lastError().text() + u'.');
    }

    retrying(failure, [&] {
        if (!isWhole(db))
            throw Damaged {};
        // Readers never wait for a writer, and a writer waits for another instead of failing.
        run(db, "PRAGMA journal_mode = WAL");
        run(db, "PRAGMA foreign_keys = ON");

        inTransaction(db, [&] {
            QSqlQuery version = run(db, "PRAGMA user_version");
            const int current = version.next() ? version.value(0).toInt() : 0;
            version.finish();
            // Another copy may have brought the database to a newer version since the first look.
            if (current > migrations().size())
                throw newerVersion(failure, current);
            migrate(db, current);
        });
    });
}

// A database that may not be written is read as it stands, through a copy when its journal holds changes.
void Shortlist::openReadOnly(const QString &failure)
{
    if (!QFileInfo::exists(m_path))
        throw ShortlistError(failure + QStringLiteral(": there is none yet, and its folder is read-only."));
    const QString where = QDir::toNativeSeparators(m_path);
    const std::optional<Opening> opening = asItStands(m_path, m_copy);
    if (!opening)
        throw ShortlistError(
            failure + QStringLiteral(": it is read-only, and no copy can be made to read it through."));

    Salvage salvage;
    {
        const QSqlDatabase db = openConnection(m_connection, *opening, m_path);
        if (!db.isOpen())
            throw ShortlistError(failure + QStringLiteral(": ") + db.lastError().text() + u'.');
        const bool whole = retrying(failure, [&] {
            const std::optional<int> version = schemaVersion(db);
            if (version && *version > migrations().size())
                throw newerVersion(failure, *version);
            if (!version || !isWhole(db))
                return false;
            if (*version < migrations().size())
                throw ShortlistError(failure
                    + QStringLiteral(": it is read-only, and this version of Namorel would have to update it first."));
            run(db, "PRAGMA query_only = ON");
            return true;
        });
        if (whole) {
            m_notice = QStringLiteral("The shortlist \"%1\" is read-only: its ratings are shown and can be exported, "
                                      "but not changed.")
                           .arg(where);
            return;
        }
        salvage = ReadDamagedShortlist(db);
    }

    // Damaged, and it may not be mended: what can be read of it is shown from memory, where nothing can be
    // changed either.
    closeConnection(m_connection);
    m_copy.reset();
    const QSqlDatabase memory = openConnection(m_connection, { QStringLiteral(":memory:"), QString() }, m_path);
    retrying(failure, [&] {
        run(memory, "PRAGMA foreign_keys = ON");
        migrate(memory, 0);
    });
    const qint64 stored = storeSalvage(memory, salvage, failure);
    retrying(failure, [&] { run(memory, "PRAGMA query_only = ON"); });
    m_notice = stored == 0
        ? QStringLiteral("The shortlist \"%1\" is damaged and read-only, and none of its ratings could be read.")
              .arg(where)
        : QStringLiteral("The shortlist \"%1\" is damaged and read-only: %2. The ratings read are shown, but "
                         "nothing can be changed.")
              .arg(where, salvageCount(stored, salvage));
}

// The damaged file goes aside, with its journal, and a fresh database takes its place with every rating that
// can still be read from it.
void Shortlist::startAfresh()
{
    const QString failure = QStringLiteral("Cannot open the shortlist \"%1\"").arg(QDir::toNativeSeparators(m_path));
    closeConnection(m_connection);
    const QString aside = damagedFilePath(m_path);
    if (!QFile::rename(m_path, aside))
        throw ShortlistError(failure + QStringLiteral(": it is damaged and cannot be moved aside."));
    const QString wal = m_path + QStringLiteral("-wal");
    if (QFileInfo::exists(wal))
        QFile::rename(wal, aside + QStringLiteral("-wal"));
    // The shared-memory index is rebuilt from the two.
    QFile::remove(m_path + QStringLiteral("-shm"));
    try {
        openWritable(failure);
    } catch (const Damaged &) {
        throw ShortlistError(QStringLiteral("Cannot open the shortlist \"%1\": a new one cannot be started.")
                                 .arg(QDir::toNativeSeparators(m_path)));
    }

    Salvage salvage;
    {
        std::unique_ptr<QTemporaryDir> copy;
        const QString look = m_connection + QStringLiteral("-damaged");
        if (const std::optional<Opening> opening = asItStands(aside, copy)) {
            {
                const QSqlDatabase db = openConnection(look, *opening, m_path);
                if (db.isOpen())
                    salvage = ReadDamagedShortlist(db);
                else
                    salvage.LostUnknown = true;
            }
            closeConnection(look);
        } else {
            salvage.LostUnknown = true;
        }
    }
    const qint64 stored = storeSalvage(QSqlDatabase::database(m_connection, false), salvage, failure);
    const QString shownAside = QDir::toNativeSeparators(aside);
    m_notice = stored == 0
        ? QStringLiteral("The shortlist was damaged and could not be read. It was moved to \"%1\", and a new, empty "
                         "shortlist was started.")
              .arg(shownAside)
        : QStringLiteral("The shortlist was damaged: %1. The ratings read were saved in a new shortlist, and the "
                         "damaged file was moved to \"%2\".")
              .arg(salvageCount(stored, salvage), shownAside);
}

void Shortlist::rate(const Rating &rating)
{
    const QString failure = QStringLiteral("Cannot rate \"%1\"").arg(rating.Name);
    if (const QString problem = NameProblem(rating.Name); !problem.isEmpty())
        throw ShortlistError(QStringLiteral("Cannot rate the name: it %1.").arg(problem));
    if (rating.GenderIndex != 0 && rating.GenderIndex != 1)
        throw ShortlistError(failure + QStringLiteral(": the gender must be 0 (girls) or 1 (boys)."));
    if (rating.Stars < 0 || rating.Stars > 5)
        throw ShortlistError(failure + QStringLiteral(": the stars must be from 0 to 5."));
    if (!NoteProblem(rating.Note).isEmpty())
        throw ShortlistError(
            failure + QStringLiteral(": the note must be text of at most %1 characters.").arg(kMaxNoteLength));
    const QDateTime updated = rating.Updated.isValid() ? rating.Updated : QDateTime::currentDateTimeUtc();
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    retrying(failure, [&] {
        inTransaction(db, [&] {
            run(db,
                "INSERT OR REPLACE INTO my_ratings (name, gender, stars, veto, note, updated)"
                " VALUES (?, ?, ?, ?, ?, ?)",
                { rating.Name, rating.GenderIndex, rating.Stars, rating.Veto ? 1 : 0, textValue(rating.Note),
                    TimestampText(updated) });
        });
    });
}

void Shortlist::remove(const QString &name, qint32 genderIndex)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    retrying(QStringLiteral("Cannot delete the rating of \"%1\"").arg(name), [&] {
        inTransaction(db, [&] {
            run(db, "DELETE FROM my_ratings WHERE name = ? AND gender = ?", { name, genderIndex });
        });
    });
}

QList<Rating> Shortlist::mine() const
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QList<Rating> ratings = retrying(QStringLiteral("Cannot read the shortlist"),
        [&] { return readRatings(run(db, "SELECT name, gender, stars, veto, note, updated FROM my_ratings")); });
    sortByName(ratings);
    return ratings;
}

QList<Rating> Shortlist::partners() const
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QList<Rating> ratings = retrying(QStringLiteral("Cannot read the partner's ratings"), [&] {
        return readRatings(run(db,
            QStringLiteral("SELECT name, gender, stars, veto, note, updated FROM partner_ratings WHERE partner = %1")
                .arg(QLatin1StringView(kCurrentPartner))));
    });
    sortByName(ratings);
    return ratings;
}

std::optional<Rating> Shortlist::findRating(const char *table, const QString &name, qint32 genderIndex) const
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString partnerClause = qstrcmp(table, "partner_ratings") == 0
        ? QStringLiteral(" AND partner = %1").arg(QLatin1StringView(kCurrentPartner))
        : QString();
    QList<Rating> found = retrying(QStringLiteral("Cannot read the shortlist"), [&] {
        return readRatings(run(db,
            QStringLiteral("SELECT name, gender, stars, veto, note, updated FROM %1 WHERE name = ? AND gender = ?%2")
                .arg(QLatin1StringView(table), partnerClause),
            { name, genderIndex }));
    });
    return found.isEmpty() ? std::nullopt : std::optional<Rating>(found.first());
}

std::optional<Rating> Shortlist::myRating(const QString &name, qint32 genderIndex) const
{
    return findRating("my_ratings", name, genderIndex);
}

std::optional<Rating> Shortlist::partnersRating(const QString &name, qint32 genderIndex) const
{
    return findRating("partner_ratings", name, genderIndex);
}

QString Shortlist::partnerName() const
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    return retrying(QStringLiteral("Cannot read the partner's ratings"), [&] {
        QSqlQuery query = run(
            db, QStringLiteral("SELECT name FROM partners WHERE id = %1").arg(QLatin1StringView(kCurrentPartner)));
        return query.next() ? query.value(0).toString() : QString();
    });
}

QStringList Shortlist::bothLike(qint32 genderIndex) const
{
    if (genderIndex != 0 && genderIndex != 1)
        return {};
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    struct Liked
    {
        QString name;
        int stars;
    };
    QList<Liked> liked = retrying(QStringLiteral("Cannot read the shortlist"), [&] {
        QSqlQuery query = run(db,
            QStringLiteral("SELECT m.name, m.stars + p.stars FROM my_ratings m"
                           " JOIN partner_ratings p ON p.name = m.name AND p.gender = m.gender"
                           " WHERE p.partner = %1 AND m.gender = ?"
                           " AND m.stars >= 3 AND p.stars >= 3 AND m.veto = 0 AND p.veto = 0")
                .arg(QLatin1StringView(kCurrentPartner)),
            { genderIndex });
        QList<Liked> rows;
        while (query.next())
            rows.append({ query.value(0).toString(), query.value(1).toInt() });
        return rows;
    });
    const QCollator collator = nameCollator();
    std::stable_sort(liked.begin(), liked.end(), [&collator](const Liked &a, const Liked &b) {
        if (a.stars != b.stars)
            return a.stars > b.stars;
        if (const int order = collator.compare(a.name, b.name); order != 0)
            return order < 0;
        return a.name < b.name;
    });
    QStringList names;
    names.reserve(liked.size());
    for (const Liked &row : liked)
        names.append(row.name);
    return names;
}

void Shortlist::exportRatings(const QString &filePath, const QString &myName) const
{
    const QString failure
        = QStringLiteral("Cannot export your ratings to \"%1\"").arg(QDir::toNativeSeparators(filePath));
    if (const QString problem = NameProblem(myName); !problem.isEmpty())
        throw ShortlistError(failure + QStringLiteral(": your name %1.").arg(problem));
    const ExchangeFile file { myName, QDateTime::currentDateTimeUtc(), mine() };
    const QByteArray bytes = ExchangeFileBytes(file);
    // What a partner's copy would refuse is not written.
    if (file.Ratings.size() > kMaxExchangeRatings)
        throw ShortlistError(failure
            + QStringLiteral(": %1 ratings are more than a partner's copy of Namorel accepts (%2).")
                  .arg(file.Ratings.size())
                  .arg(kMaxExchangeRatings));
    if (bytes.size() > kMaxExchangeFileBytes)
        throw ShortlistError(
            failure + QStringLiteral(": the file would be larger than the 10 MB a partner's copy of Namorel accepts."));

    ReplaceFile(filePath, bytes, failure);
}

qint32 Shortlist::importRatings(const QString &filePath)
{
    const ExchangeFile file = ReadExchangeFile(filePath);
    // A time more than a day ahead of this computer's clock comes from a clock set wrong or from a made-up file.
    // It is taken as now: kept as it is, it would outrank every later rating for good.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime latestBelievable = now.addDays(1);
    const auto believed = [&](const QDateTime &moment) { return moment > latestBelievable ? now : moment; };
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    return retrying(QStringLiteral("Cannot import \"%1\"").arg(QFileInfo(filePath).fileName()), [&] {
        qint32 stored = 0;
        inTransaction(db, [&] {
            // The partner imported last is the one shown: each import is later than every one before it, also
            // when two come within the same millisecond or the clock has been set back.
            QDateTime importedAt = QDateTime::currentDateTimeUtc();
            QSqlQuery latest = run(db, "SELECT max(imported) FROM partners");
            if (latest.next() && !latest.value(0).isNull()) {
                const QDateTime before = ParseTimestamp(latest.value(0).toString());
                if (before.isValid() && importedAt <= before)
                    importedAt = before.addMSecs(1);
            }
            latest.finish();
            run(db,
                "INSERT INTO partners (name, imported, exported) VALUES (?, ?, ?)"
                " ON CONFLICT (name) DO UPDATE SET imported = excluded.imported,"
                " exported = max(exported, excluded.exported)",
                { file.Partner, TimestampText(importedAt), TimestampText(believed(file.Exported)) });
            QSqlQuery partner = run(db, "SELECT id FROM partners WHERE name = ?", { file.Partner });
            if (!partner.next())
                throw DatabaseFailure { partner.lastError() };
            const qint64 id = partner.value(0).toLongLong();
            partner.finish();

            // A stored rating gives way only to a newer one; timestamps in their canonical text compare as
            // moments. One stored from beyond the believable (by an earlier version) gives way to any. A rating
            // whose time was taken as now is newer only where it says something new: the same file imported
            // again stores nothing.
            QSqlQuery upsert(db);
            if (!upsert.prepare(
                    QStringLiteral("INSERT INTO partner_ratings (partner, name, gender, stars, veto, note, updated)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?)"
                                   " ON CONFLICT (partner, name, gender) DO UPDATE SET stars = excluded.stars,"
                                   " veto = excluded.veto, note = excluded.note, updated = excluded.updated"
                                   " WHERE partner_ratings.updated > ? OR (excluded.updated > partner_ratings.updated"
                                   " AND (? = 0 OR (excluded.stars, excluded.veto, excluded.note)"
                                   " <> (partner_ratings.stars, partner_ratings.veto, partner_ratings.note)))")))
                throw DatabaseFailure { upsert.lastError() };
            const QString latestBelievableText = TimestampText(latestBelievable);
            for (const Rating &rating : file.Ratings) {
                const QDateTime updated = believed(rating.Updated);
                upsert.addBindValue(id);
                upsert.addBindValue(rating.Name);
                upsert.addBindValue(rating.GenderIndex);
                upsert.addBindValue(rating.Stars);
                upsert.addBindValue(rating.Veto ? 1 : 0);
                upsert.addBindValue(textValue(rating.Note));
                upsert.addBindValue(TimestampText(updated));
                upsert.addBindValue(latestBelievableText);
                upsert.addBindValue(updated != rating.Updated ? 1 : 0);
                if (!upsert.exec())
                    throw DatabaseFailure { upsert.lastError() };
                stored += upsert.numRowsAffected();
            }
        });
        return stored;
    });
}

QString Shortlist::ownerName() const
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    return retrying(QStringLiteral("Cannot read the shortlist"), [&] {
        QSqlQuery query = run(db, "SELECT value FROM settings WHERE key = 'owner'");
        return query.next() ? query.value(0).toString() : QString();
    });
}

void Shortlist::setOwnerName(const QString &name)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    retrying(QStringLiteral("Cannot save your name"), [&] {
        inTransaction(db,
            [&] { run(db, "INSERT OR REPLACE INTO settings (key, value) VALUES ('owner', ?)", { textValue(name) }); });
    });
}

} // namespace namorel
