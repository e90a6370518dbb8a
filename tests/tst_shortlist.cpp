#include "readonlydisk.h"
#include "shortlist.h"
#include "shortlistview.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/sysmacros.h>
#endif

using namespace namorel;
using namespace namorel::testing;
using namespace Qt::StringLiterals;

namespace {

QString times(qsizetype count, const char16_t *text)
{
    return QString::fromUtf16(text).repeated(count);
}

Rating rating(const QString &name, qint32 gender, qint32 stars, bool veto = false, const QString &note = {},
    const QDateTime &updated = {})
{
    return { name, gender, stars, veto, note, updated };
}

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
}

QString describe(const Rating &r)
{
    return QStringLiteral("%1/%2 %3%4 \"%5\" %6")
        .arg(r.Name)
        .arg(r.GenderIndex)
        .arg(r.Stars)
        .arg(r.Veto ? QStringLiteral(" veto") : QString(), r.Note, r.Updated.toString(Qt::ISODateWithMs));
}

QStringList describe(const QList<Rating> &ratings)
{
    QStringList lines;
    for (const Rating &r : ratings)
        lines.append(describe(r));
    return lines;
}

QStringList names(const QList<Rating> &ratings)
{
    QStringList list;
    for (const Rating &r : ratings)
        list.append(r.Name);
    return list;
}

// An exchange file written as another copy of the program (or a person) would: the test's own JSON.
QJsonObject exchangeJson(
    const QString &partner, const QList<Rating> &ratings, const char *exported = "2024-05-01T10:00:00Z")
{
    QJsonArray list;
    for (const Rating &r : ratings) {
        list.append(QJsonObject { { QStringLiteral("name"), r.Name }, { QStringLiteral("gender"), r.GenderIndex },
            { QStringLiteral("stars"), r.Stars }, { QStringLiteral("veto"), r.Veto },
            { QStringLiteral("note"), r.Note },
            { QStringLiteral("updated"), r.Updated.toUTC().toString(Qt::ISODateWithMs) } });
    }
    return { { QStringLiteral("format"), QStringLiteral("namorel-ratings") }, { QStringLiteral("version"), 1 },
        { QStringLiteral("partner"), partner }, { QStringLiteral("exported"), QString::fromLatin1(exported) },
        { QStringLiteral("ratings"), list } };
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

// A scratch folder with a shortlist database in it.
class Scratch
{
public:
    Scratch() { QVERIFY(m_dir.isValid()); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString dbPath() const { return path(QStringLiteral("shortlist.sqlite")); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        if (!writeFile(path(name), bytes))
            qFatal("cannot write %s", qPrintable(path(name)));
        return path(name);
    }

private:
    QTemporaryDir m_dir;
};

// The database checked below the program's interface, as SQLite itself sees it.
QString integrityOf(const QString &dbPath)
{
    const QString connection = QStringLiteral("integrity");
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(dbPath);
        if (db.open()) {
            QSqlQuery query(db);
            result = query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next() ? query.value(0).toString()
                                                                                          : query.lastError().text();
        } else {
            result = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

// A connection of the test's own to a database, below the program's interface.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &path)
        : m_name(QStringLiteral("raw-%1").arg(++s_connections))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
    }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;
    ~RawDatabase()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    // Runs one statement. Returns its rows, or nothing when it fails.
    std::optional<QList<QVariantList>> run(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.prepare(sql))
            return std::nullopt;
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            return std::nullopt;
        QList<QVariantList> rows;
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row.append(query.value(i));
            rows.append(row);
        }
        if (query.lastError().isValid())
            return std::nullopt;
        return rows;
    }

private:
    static inline int s_connections = 0;
    QString m_name;
};

// Every file in the folder, with its bytes.
QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readFile(QDir(folder).filePath(name)));
    return files;
}

// Marks the file immutable (chattr +i) or takes the mark away. False when the file system or the test's rights
// do not allow it.
bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// How a shortlist is made read-only: on a read-only disk, or as a file of its own.
enum class Sealed { Disk, File };

// ---- Copies of the program that rate, run as child processes ----

// Rating number i of a copy: its stars and note follow from the number, so a row written in part would show.
Rating numbered(const QString &tag, int i)
{
    return rating(
        tag + u'-' + QString::number(i), i % 2, i % 6, i % 7 == 0, QStringLiteral("note %1 %2").arg(tag).arg(i));
}

// "loop" rates until killed; "burst" waits for a line on its input, then rates its count and rates the name
// "Shared" after each. Each rating is reported by a line once stored.
int runChild(const ChildTask &task)
{
    try {
        Shortlist shortlist(task.Path);
        std::printf("ready\n");
        std::fflush(stdout);
        const auto rate = [&](int i) { reportStep("rated", i, [&] { shortlist.rate(numbered(task.Tag, i)); }); };
        if (task.Role == "loop") {
            for (int i = 0;; ++i)
                rate(i);
        } else if (task.Role == "burst") {
            char line[16];
            if (!std::fgets(line, sizeof line, stdin))
                return 2;
            for (int i = 0; i < task.Count; ++i) {
                rate(i);
                shortlist.rate(rating(QStringLiteral("Shared"), 0, i % 6, false, task.Tag));
            }
        } else {
            return 2;
        }
    } catch (const ShortlistError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

// Where an export is written.
enum class ExportPlace { Pipe, Device, Socket, Folder, LinkToPipe, LinkToFile, FullDisk, FileSizeLimit };

} // namespace

Q_DECLARE_METATYPE(namorel::Rating)
Q_DECLARE_METATYPE(ExportPlace)
Q_DECLARE_METATYPE(Sealed)

class TestShortlist : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rateKeepsOneRatingPerNameAndGender();
    void badRating_data();
    void badRating();
    void orderedByName();

    void roundTripKeepsEveryByte();
    void importKeepsNewerRatings();
    void laterPartnerTakesOver();
    void timesAheadOfTheClock_data();
    void timesAheadOfTheClock();
    void badImportFile_data();
    void badImportFile();
    void exportOnlyToAFile_data();
    void exportOnlyToAFile();

    void bothLikeRule_data();
    void bothLikeRule();
    void bothLikeOrder();
    void csvQuoting_data();
    void csvQuoting();

    void damagedDatabase_data();
    void damagedDatabase();
    void newerSchemaIsLeftAlone_data();
    void newerSchemaIsLeftAlone();
    void readOnlyShortlist_data();
    void readOnlyShortlist();

    void twoCopiesRateAtOnce();
    void killedWhileRating();
};

void TestShortlist::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // Names are ordered as the user's language orders them; these tests are written for English.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(
        Shortlist::userDatabasePath().startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
}

// ---- My ratings ----

void TestShortlist::rateKeepsOneRatingPerNameAndGender()
{
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
    shortlist.rate(rating(u"Alex"_s, 0, 2, false, u"first"_s));
    shortlist.rate(rating(u"Alex"_s, 1, 5));
    shortlist.rate(rating(u"Alex"_s, 0, 4, true, u"second"_s, at("2024-01-02T03:04:05.678+02:00")));

    const QList<Rating> mine = shortlist.mine();
    QCOMPARE(describe(mine),
        QStringList({ u"Alex/0 4 veto \"second\" 2024-01-02T01:04:05.678Z"_s,
            QStringLiteral("Alex/1 5 \"\" ") + mine.at(1).Updated.toString(Qt::ISODateWithMs) }));
    // A rating without a time is stamped with the moment it was stored, in UTC.
    QCOMPARE(mine.at(1).Updated.timeSpec(), Qt::UTC);
    QVERIFY(mine.at(1).Updated >= before && mine.at(1).Updated <= QDateTime::currentDateTimeUtc());

    shortlist.remove(u"Alex"_s, 0);
    shortlist.remove(u"Nobody"_s, 1);
    QCOMPARE(names(shortlist.mine()), QStringList { u"Alex"_s });
    QCOMPARE(shortlist.mine().at(0).GenderIndex, 1);
}

void TestShortlist::badRating_data()
{
    QTest::addColumn<Rating>("bad");
    QTest::addColumn<QString>("message");
    QTest::newRow("a blank name") << rating(u" \t"_s, 0, 3) << u"Cannot rate the name: it is empty."_s;
    QTest::newRow("a name with a line break")
        << rating(u"Ann\nMarie"_s, 0, 3) << u"Cannot rate the name: it holds a control character."_s;
    QTest::newRow("a name of half a surrogate pair")
        << rating(QString(QChar(0xD83D)), 0, 3) << u"Cannot rate the name: it is not valid text."_s;
    QTest::newRow("a name that turns the text right to left") << rating(
        u"Ann\u202E"_s, 0, 3) << u"Cannot rate the name: it holds an invisible formatting character (U+202E)."_s;
    QTest::newRow("a name of 101 characters")
        << rating(times(101, u"e\u0301"), 0, 3) << u"Cannot rate the name: it is longer than 100 characters."_s;
    QTest::newRow("a name of one letter under 1,601 bytes of accents")
        << rating(u"a"_s + times(800, u"\u0301"), 0, 3) << u"Cannot rate the name: it takes more than 1,600 bytes."_s;
    QTest::newRow("gender 2") << rating(u"Ann"_s, 2, 3)
                              << u"Cannot rate \"Ann\": the gender must be 0 (girls) or 1 (boys)."_s;
    QTest::newRow("gender -1") << rating(u"Ann"_s, -1, 3)
                               << u"Cannot rate \"Ann\": the gender must be 0 (girls) or 1 (boys)."_s;
    QTest::newRow("six stars") << rating(u"Ann"_s, 0, 6) << u"Cannot rate \"Ann\": the stars must be from 0 to 5."_s;
    QTest::newRow("minus one star") << rating(u"Ann"_s, 0, -1)
                                    << u"Cannot rate \"Ann\": the stars must be from 0 to 5."_s;
    QTest::newRow("a note of 501 characters") << rating(u"Ann"_s, 0, 3, false,
        QString(501, u'x')) << u"Cannot rate \"Ann\": the note must be text of at most 500 characters."_s;
}

void TestShortlist::badRating()
{
    QFETCH(Rating, bad);
    QFETCH(QString, message);
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    QCOMPARE(errorOf<ShortlistError>([&] { shortlist.rate(bad); }), message);
    QVERIFY(shortlist.mine().isEmpty());
}

void TestShortlist::orderedByName()
{
    // The user's alphabetical order, letter case and accents aside: not the order of the bytes, which would put
    // lower case and accented names after Z.
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    for (const QString &name : { u"Zoë"_s, u"émile"_s, u"Bea"_s, u"anna"_s, u"Emma"_s, u"Åsa"_s })
        shortlist.rate(rating(name, 0, 3));
    shortlist.rate(rating(u"Bea"_s, 1, 3));
    const QList<Rating> mine = shortlist.mine();
    QCOMPARE(
        names(mine), QStringList({ u"anna"_s, u"Åsa"_s, u"Bea"_s, u"Bea"_s, u"émile"_s, u"Emma"_s, u"Zoë"_s }));
    QCOMPARE(mine.at(2).GenderIndex, 0);
    QCOMPARE(mine.at(3).GenderIndex, 1);
}

// ---- The exchange file ----

void TestShortlist::roundTripKeepsEveryByte()
{
    // Names in many scripts, precomposed and decomposed accents, and notes with JSON's special characters, through
    // one copy's export and another's import, come back unchanged to the byte.
    const QStringList testNames { u"Zoë"_s, u"Zoe\u0308"_s, u"Renée"_s, u"Łukasz"_s, u"Nguyễn Thị Ngọc"_s,
        u"Ἀθηνᾶ"_s, u"Дмитрий"_s, u"محمد"_s, u"יעל"_s, u"さくら"_s, u"서연"_s, u"अनन्या"_s, u"Siobhán"_s,
        u"O'Brien-Núñez"_s, u"𝔄𝔩𝔦𝔠𝔢 🌸"_s };
    Scratch scratch;
    Shortlist mine(scratch.dbPath());
    for (int i = 0; i < testNames.size(); ++i)
        mine.rate(rating(testNames.at(i), i % 2, i % 6, i % 3 == 0,
            i % 2 ? u"\"quoted\", back\\slash\r\nnew line\ttab \u2028 é"_s : QString(),
            at("2024-03-04T05:06:07.089Z").addSecs(i)));
    // As long as a name and a note may be, in characters of several UTF-16 units (the last a family of three).
    mine.rate(rating(times(100, u"🌸"), 1, 5, false,
        times(499, u"e\u0301") + u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s, at("2024-03-04T05:06:07.089Z")));
    const QString file = scratch.path(u"Renée.namorel"_s);
    mine.exportRatings(file, u"Renée 🌼"_s);

    // The file carries each name as its own UTF-8 bytes, not as escapes.
    const QByteArray bytes = readFile(file);
    for (const QString &name : testNames)
        QVERIFY2(bytes.contains(name.toUtf8()), qPrintable(name));
    QVERIFY(
        bytes.startsWith("{\n  \"format\": \"namorel-ratings\",\n  \"version\": 1,\n  \"partner\": \"Renée 🌼\",\n"));

    Scratch other;
    Shortlist partner(other.dbPath());
    QCOMPARE(partner.importRatings(file), qint32(testNames.size() + 1));
    QCOMPARE(partner.partnerName().toUtf8(), QString(u"Renée 🌼"_s).toUtf8());
    const QList<Rating> sent = mine.mine();
    const QList<Rating> received = partner.partners();
    QCOMPARE(describe(received), describe(sent));
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(received.at(i).Name.toUtf8(), sent.at(i).Name.toUtf8());
        QCOMPARE(received.at(i).Note.toUtf8(), sent.at(i).Note.toUtf8());
        QCOMPARE(received.at(i).Updated, sent.at(i).Updated);
    }
    QVERIFY(partner.mine().isEmpty());

    // A shortlist with nothing rated exports a file the other side imports as nothing.
    Shortlist empty(other.path(u"empty.sqlite"_s));
    empty.exportRatings(other.path(u"empty.namorel"_s), u"Sam"_s);
    QCOMPARE(partner.importRatings(other.path(u"empty.namorel"_s)), 0);
}

void TestShortlist::importKeepsNewerRatings()
{
    // The partner's ratings are replaced name by name, and only by newer ones; names the file lacks stay. My own
    // rating of a name is never touched, not even by a newer one under my own name.
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    shortlist.setOwnerName(u"Sam"_s);
    shortlist.rate(rating(u"Anna"_s, 0, 1, true, u"mine"_s, at("2024-01-01T00:00:00Z")));
    const QDateTime t1 = at("2024-05-01T10:00:00Z");
    const QDateTime t2 = t1.addMSecs(1);
    shortlist.importRatings(scratch.write(u"first.namorel"_s,
        json(exchangeJson(u"Sam"_s,
            { rating(u"Anna"_s, 0, 4, false, u"old"_s, t1), rating(u"Ben"_s, 1, 2, false, u"old"_s, t2),
                rating(u"Cleo"_s, 0, 1, false, u"old"_s, t2) }))));

    const qint32 stored = shortlist.importRatings(scratch.write(u"second.namorel"_s,
        json(exchangeJson(u"Sam"_s,
            { rating(u"Anna"_s, 0, 5, false, u"newer by a millisecond"_s, t2),
                rating(u"Ben"_s, 1, 5, true, u"older"_s, t1), rating(u"Ben"_s, 0, 3, false, u"new"_s, t1),
                rating(u"Cleo"_s, 0, 5, false, u"just as old"_s, t2) },
            "2024-05-02T00:00:00Z"))));
    QCOMPARE(stored, 2);
    QCOMPARE(describe(shortlist.partners()),
        QStringList({ u"Anna/0 5 \"newer by a millisecond\" 2024-05-01T10:00:00.001Z"_s,
            u"Ben/0 3 \"new\" 2024-05-01T10:00:00.000Z"_s, u"Ben/1 2 \"old\" 2024-05-01T10:00:00.001Z"_s,
            u"Cleo/0 1 \"old\" 2024-05-01T10:00:00.001Z"_s }));
    // The same file again stores nothing.
    QCOMPARE(shortlist.importRatings(scratch.path(u"second.namorel"_s)), 0);
    QCOMPARE(describe(shortlist.mine()), QStringList { u"Anna/0 1 veto \"mine\" 2024-01-01T00:00:00.000Z"_s });
}

void TestShortlist::laterPartnerTakesOver()
{
    // A file from someone else makes them the partner shown; the first partner's ratings come back with their
    // next file.
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    QCOMPARE(shortlist.partnerName(), QString());
    const QDateTime t = at("2024-05-01T10:00:00Z");
    const QString sam
        = scratch.write(u"sam.namorel"_s, json(exchangeJson(u"Sam"_s, { rating(u"Anna"_s, 0, 4, false, {}, t) })));
    const QString jo
        = scratch.write(u"jo.namorel"_s, json(exchangeJson(u"Jo"_s, { rating(u"Ben"_s, 1, 4, false, {}, t) })));
    shortlist.importRatings(sam);
    shortlist.importRatings(jo);
    QCOMPARE(shortlist.partnerName(), u"Jo"_s);
    QCOMPARE(names(shortlist.partners()), QStringList { u"Ben"_s });
    QVERIFY(!shortlist.partnersRating(u"Anna"_s, 0));
    QCOMPARE(shortlist.importRatings(sam), 0);
    QCOMPARE(shortlist.partnerName(), u"Sam"_s);
    QCOMPARE(names(shortlist.partners()), QStringList { u"Anna"_s });
    QCOMPARE(shortlist.partnersRating(u"Anna"_s, 0).value_or(Rating {}).Stars, 4);
    QVERIFY(!shortlist.partnersRating(u"Anna"_s, 1));
    QVERIFY(!shortlist.myRating(u"Anna"_s, 0));

    // An import takes over also when the one before it seems later: it came within the same millisecond, or
    // the clock has since been set back.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("clock"));
        db.setDatabaseName(scratch.dbPath());
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(
            QStringLiteral("UPDATE partners SET imported = '2999-01-01T00:00:00.000Z' WHERE name = 'Sam'")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("clock"));
    shortlist.importRatings(jo);
    QCOMPARE(shortlist.partnerName(), u"Jo"_s);
    shortlist.importRatings(sam);
    QCOMPARE(shortlist.partnerName(), u"Sam"_s);
}

void TestShortlist::timesAheadOfTheClock_data()
{
    QTest::addColumn<qint64>("aheadSeconds");
    QTest::addColumn<bool>("storedBefore"); // by a version that kept such times
    QTest::addColumn<bool>("takenAsNow");
    QTest::newRow("a year ahead") << qint64(365 * 86400) << false << true;
    QTest::newRow("a day and a minute ahead") << qint64(86400 + 60) << false << true;
    QTest::newRow("half a day ahead, a clock a little fast") << qint64(43200) << false << false;
    QTest::newRow("a year ahead, stored before") << qint64(365 * 86400) << true << true;
}

void TestShortlist::timesAheadOfTheClock()
{
    // A partner's rating stamped far ahead of this computer's clock would outrank every later one: it is taken
    // as stamped when imported. A clock only a little fast is believed.
    QFETCH(qint64, aheadSeconds);
    QFETCH(bool, storedBefore);
    QFETCH(bool, takenAsNow);
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    const QDateTime ahead = QDateTime::currentDateTimeUtc().addSecs(aheadSeconds);
    const QString file = scratch.write(
        u"ahead.namorel"_s, json(exchangeJson(u"Sam"_s, { rating(u"Anna"_s, 0, 4, false, {}, ahead) })));
    if (storedBefore) {
        shortlist.importRatings(scratch.write(u"old.namorel"_s,
            json(exchangeJson(u"Sam"_s, { rating(u"Anna"_s, 0, 4, false, {}, at("2024-01-01T00:00:00Z")) }))));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ahead"));
            db.setDatabaseName(scratch.dbPath());
            QVERIFY(db.open());
            QSqlQuery update(db);
            QVERIFY(update.prepare(QStringLiteral("UPDATE partner_ratings SET updated = ?")));
            update.addBindValue(ahead.toString(Qt::ISODateWithMs));
            QVERIFY(update.exec());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ahead"));
    }

    // The file stores its rating; one stored before from as far ahead gives way to it.
    const QDateTime before = QDateTime::currentDateTimeUtc();
    QCOMPARE(shortlist.importRatings(file), 1);
    const QDateTime after = QDateTime::currentDateTimeUtc();
    const QDateTime stored = shortlist.partnersRating(u"Anna"_s, 0).value_or(Rating {}).Updated;
    if (takenAsNow)
        QVERIFY2(stored >= before && stored <= after, qPrintable(stored.toString(Qt::ISODateWithMs)));
    else
        QCOMPARE(stored, ahead);
    // The same file again is nothing new; the partner's next rating, stamped by a clock that is right, is.
    QCOMPARE(shortlist.importRatings(file), 0);
    const QDateTime next = QDateTime::currentDateTimeUtc().addSecs(1);
    QCOMPARE(shortlist.importRatings(scratch.write(
                 u"next.namorel"_s, json(exchangeJson(u"Sam"_s, { rating(u"Anna"_s, 0, 2, false, {}, next) })))),
        takenAsNow ? 1 : 0);
    QCOMPARE(shortlist.partnersRating(u"Anna"_s, 0).value_or(Rating {}).Stars, takenAsNow ? 2 : 4);
}

void TestShortlist::badImportFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    const QDateTime t = at("2024-05-01T10:00:00Z");
    const QJsonObject valid = exchangeJson(u"Sam"_s,
        { rating(u"Anna"_s, 0, 4, false, {}, t), rating(u"Zoë %1"_s, 0, 2, false, {}, t),
            rating(u"Zoë %1"_s, 1, 3, false, {}, t) });
    const auto with = [&](const QString &key, const QJsonValue &value) {
        QJsonObject root = valid;
        if (value.isUndefined())
            root.remove(key);
        else
            root.insert(key, value);
        return json(root);
    };
    // The second rating with one field changed (or removed). Its name looks like a place holder of a message.
    const auto withRating = [&](const QString &key, const QJsonValue &value) {
        QJsonArray ratings = valid.value(u"ratings"_s).toArray();
        QJsonObject second = ratings.at(1).toObject();
        if (value.isUndefined())
            second.remove(key);
        else
            second.insert(key, value);
        ratings.replace(1, second);
        return with(u"ratings"_s, ratings);
    };
    const QJsonValue missing(QJsonValue::Undefined);

    QTest::newRow("not JSON") << QByteArray(
        "{\n  \"format\": \"namorel-ratings\",\n  \"version\": 1,\n  \"partner\": Sam\n}")
                              << u"it is not valid JSON (illegal number at line 4, column 14)."_s;
    QTest::newRow("cut short") << json(valid).left(60)
                               << u"it is not valid JSON (unterminated string at line 3, column 19)."_s;
    QTest::newRow("not UTF-8") << QByteArray("{\"partner\": \"Ren\xe9\"}")
                               << u"it is not valid JSON (invalid UTF8 string at line 1, column 17)."_s;
    QTest::newRow("a list, not an object")
        << QByteArray("[1, 2]") << u"it is not a Namorel ratings file (it holds no JSON object)."_s;
    QTest::newRow("no format") << with(u"format"_s, missing)
                               << u"it is not a Namorel ratings file (\"format\" is missing)."_s;
    QTest::newRow("another format")
        << with(u"format"_s, u"namorel-settings"_s)
        << u"it is not a Namorel ratings file (\"format\" is \"namorel-settings\", not \"namorel-ratings\")."_s;
    QTest::newRow("another format, turned right to left")
        << with(u"format"_s, u"namorel\u202E-ratings"_s)
        << u"it is not a Namorel ratings file (\"format\" is \"namorel\\u202E-ratings\", not \"namorel-ratings\")."_s;
    QTest::newRow("another format of 41 emoji") << with(u"format"_s, times(41, u"🌸"))
                                                << u"it is not a Namorel ratings file (\"format\" is \""_s
            + times(40, u"🌸") + u"...\", not \"namorel-ratings\")."_s;
    QTest::newRow("version 2") << with(u"version"_s, 2)
                               << u"it is a version 2 ratings file; this copy of Namorel reads version 1."_s;
    QTest::newRow("version as text") << with(u"version"_s, u"1"_s)
                                     << u"\"version\" is \"1\"; it must be a whole number."_s;
    QTest::newRow("no partner") << with(u"partner"_s, missing) << u"\"partner\" is missing."_s;
    QTest::newRow("blank partner") << with(u"partner"_s, u"  "_s) << u"\"partner\" is empty."_s;
    QTest::newRow("a partner with an override of the text's direction") << with(
        u"partner"_s, u"Sam\u202Emid"_s) << u"\"partner\" holds an invisible formatting character (U+202E)."_s;
    QTest::newRow("a partner with a left-to-right mark")
        << with(u"partner"_s, u"\u200ESam"_s) << u"\"partner\" holds an invisible formatting character (U+200E)."_s;
    QTest::newRow("exported without an offset from UTC")
        << with(u"exported"_s, u"2024-05-01T10:00:00"_s)
        << u"\"exported\" is \"2024-05-01T10:00:00\"; it must be an ISO 8601 time in UTC, such as "
             u"\"2024-05-31T18:04:00Z\"."_s;
    QTest::newRow("no ratings") << with(u"ratings"_s, missing) << u"\"ratings\" is missing."_s;
    QTest::newRow("ratings not a list") << with(u"ratings"_s, QJsonObject())
                                        << u"\"ratings\" is an object; it must be a list."_s;
    QTest::newRow("a rating that is a number")
        << with(u"ratings"_s, QJsonArray { 7 }) << u"rating 1 is 7; it must be an object."_s;
    QTest::newRow("a rating without a name") << withRating(u"name"_s, missing) << u"rating 2: \"name\" is missing."_s;
    QTest::newRow("a name with a control character")
        << withRating(u"name"_s, u"Zo\u0007"_s) << u"the name of rating 2 holds a control character."_s;
    QTest::newRow("a name with a directional isolate") << withRating(u"name"_s,
        u"Zo\u2066ë\u2069"_s) << u"the name of rating 2 holds an invisible formatting character (U+2066)."_s;
    QTest::newRow("a name with a tag character beyond the basic plane") << withRating(u"name"_s,
        u"Zoë\U000E0041"_s) << u"the name of rating 2 holds an invisible formatting character (U+E0041)."_s;
    QTest::newRow("gender 2") << withRating(u"gender"_s, 2)
                              << u"rating 2 (\"Zoë %1\"): \"gender\" is 2; it must be 0 (girls) or 1 (boys)."_s;
    QTest::newRow("gender as text") << withRating(
        u"gender"_s, u"0"_s) << u"rating 2 (\"Zoë %1\"): \"gender\" is \"0\"; it must be 0 (girls) or 1 (boys)."_s;
    QTest::newRow("six stars") << withRating(u"stars"_s, 6)
                               << u"rating 2 (\"Zoë %1\"): \"stars\" is 6; it must be a whole number from 0 to 5."_s;
    QTest::newRow("half a star") << withRating(
        u"stars"_s, 2.5) << u"rating 2 (\"Zoë %1\"): \"stars\" is 2.5; it must be a whole number from 0 to 5."_s;
    QTest::newRow("no stars") << withRating(u"stars"_s, missing) << u"rating 2 (\"Zoë %1\"): \"stars\" is missing."_s;
    QTest::newRow("veto as text") << withRating(u"veto"_s, u"yes"_s)
                                  << u"rating 2 (\"Zoë %1\"): \"veto\" is \"yes\"; it must be true or false."_s;
    QTest::newRow("note as null") << withRating(u"note"_s, QJsonValue())
                                  << u"rating 2 (\"Zoë %1\"): \"note\" is null; it must be a text."_s;
    QTest::newRow("an overlong note") << withRating(u"note"_s, QString(501, u'n'))
                                      << u"rating 2 (\"Zoë %1\"): \"note\" is longer than 500 characters."_s;
    QTest::newRow("a note of one letter under 8,001 bytes of accents") << withRating(u"note"_s,
        u"n"_s + times(4000, u"\u0301")) << u"rating 2 (\"Zoë %1\"): \"note\" takes more than 8,000 bytes."_s;
    QTest::newRow("updated as a date alone")
        << withRating(u"updated"_s, u"2024-05-01"_s)
        << u"rating 2 (\"Zoë %1\"): \"updated\" is \"2024-05-01\"; it must be an ISO 8601 time in UTC, such as "
             u"\"2024-05-31T18:04:00Z\"."_s;
    QTest::newRow("one name and gender twice")
        << withRating(u"name"_s, u"Anna"_s) << u"rating 2 (\"Anna\", girls) repeats rating 1."_s;

    // Valid in every other way: 100,001 ratings in less than 10 MB, and a file that is too large only by
    // the spaces that pad it.
    const QByteArray one
        = R"({"name":"A","gender":0,"stars":1,"veto":false,"note":"","updated":"2024-01-01T00:00:00Z"})";
    QByteArray many
        = R"({"format":"namorel-ratings","version":1,"partner":"Sam","exported":"2024-01-01T00:00:00Z","ratings":[)";
    for (int i = 0; i < 100'001; ++i)
        many += (i ? "," : "") + one;
    many += "]}";
    QTest::newRow("100,001 ratings") << many << u"it holds 100,001 ratings; at most 100,000 are accepted."_s;
    QByteArray padded = json(exchangeJson(u"Sam"_s, {}));
    padded.insert(1, QByteArray(10 * 1024 * 1024 + 1 - padded.size(), ' '));
    QTest::newRow("10 MB and a byte") << padded << u"the file is larger than 10 MB."_s;
}

void TestShortlist::badImportFile()
{
    // Any error stops the import before anything is stored: a partner imported before stays as they were.
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    shortlist.importRatings(scratch.write(u"before.namorel"_s,
        json(exchangeJson(u"Jo"_s, { rating(u"Ben"_s, 1, 4, false, {}, at("2024-01-01T00:00:00Z")) }))));

    const QString file = scratch.write(u"partner.namorel"_s, content);
    QCOMPARE(errorOf<ShortlistError>([&] { shortlist.importRatings(file); }),
        u"Cannot import \"partner.namorel\": "_s + message);
    QCOMPARE(shortlist.partnerName(), u"Jo"_s);
    QCOMPARE(names(shortlist.partners()), QStringList { u"Ben"_s });

    // One byte less is taken.
    if (content.size() > 10 * 1024 * 1024) {
        QVERIFY(writeFile(file, content.remove(1, 1)));
        QCOMPARE(shortlist.importRatings(file), 0);
        QCOMPARE(shortlist.partnerName(), u"Sam"_s);
    }
}

void TestShortlist::exportOnlyToAFile_data()
{
#ifdef Q_OS_UNIX
    QTest::addColumn<ExportPlace>("place");
    QTest::addColumn<QString>("reason"); // empty where the export is written
    QTest::newRow("a pipe") << ExportPlace::Pipe << u"it is a pipe, not a file."_s;
    QTest::newRow("a device") << ExportPlace::Device << u"it is a device, not a file."_s;
    QTest::newRow("a socket") << ExportPlace::Socket << u"it is a socket, not a file."_s;
    QTest::newRow("a folder") << ExportPlace::Folder << u"it is a folder, not a file."_s;
    QTest::newRow("a link to a pipe") << ExportPlace::LinkToPipe << u"it is a pipe, not a file."_s;
    QTest::newRow("a link to a file, which is written") << ExportPlace::LinkToFile << QString();
    QTest::newRow("a full disk") << ExportPlace::FullDisk << u"the disk is full."_s;
    QTest::newRow("a file size limit") << ExportPlace::FileSizeLimit
                                       << u"the file would be larger than the system allows."_s;
#endif
}

void TestShortlist::exportOnlyToAFile()
{
    // An export replaces a regular file or makes a new one, following a link to what it names. Anything else is
    // refused, and a failed export leaves everything as it was: the node in its place, an earlier export whole,
    // nothing of its own beside them.
#ifndef Q_OS_UNIX
    QSKIP("pipes, devices and sockets are made the POSIX way here");
#else
    QFETCH(ExportPlace, place);
    QFETCH(QString, reason);
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    shortlist.rate(rating(u"Anna"_s, 0, 5, false, u"a note long enough to need more than a few bytes"_s));
    const QString folder = scratch.path(u"place"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + u"/ratings.namorel"_s;
    const QByteArray nativePath = QFile::encodeName(path);
    const QByteArray earlier("an earlier export\n");
    std::optional<QScopeGuard<std::function<void()>>> undo;
    switch (place) {
    case ExportPlace::Pipe:
        QCOMPARE(::mkfifo(nativePath.constData(), 0600), 0);
        break;
    case ExportPlace::Device:
        // What /dev/null is, where removing it harms nothing.
        if (::mknod(nativePath.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("a device cannot be made here (only an administrator may)");
        break;
    case ExportPlace::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(nativePath.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, nativePath.constData(), size_t(nativePath.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
        break;
    }
    case ExportPlace::Folder:
        QVERIFY(QDir().mkdir(path));
        break;
    case ExportPlace::LinkToPipe:
        QCOMPARE(::mkfifo(QFile::encodeName(folder + u"/pipe"_s).constData(), 0600), 0);
        QVERIFY(QFile::link(u"pipe"_s, path));
        break;
    case ExportPlace::LinkToFile:
        QVERIFY(writeFile(folder + u"/file"_s, earlier));
        QVERIFY(QFile::link(u"file"_s, path));
        break;
    case ExportPlace::FullDisk: {
#ifdef Q_OS_LINUX
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
            QSKIP("a small disk cannot be mounted here (only an administrator may, and not in every container)");
        undo.emplace([folder] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); });
        QVERIFY(writeFile(path, earlier));
        QFile filler(folder + u"/filler"_s);
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) { }
#else
        QSKIP("a small disk is mounted the Linux way here");
#endif
        break;
    }
    case ExportPlace::FileSizeLimit: {
        QVERIFY(writeFile(path, earlier));
        // Writes past the limit then fail, rather than stop the test with a signal.
        rlimit limit = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        undo.emplace([limit, oldHandler] {
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, oldHandler);
        });
        const rlimit small { 64, limit.rlim_max };
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        break;
    }
    }
    // The path itself, and what it names.
    const auto nodes = [&nativePath] {
        struct stat link = {}, named = {};
        ::lstat(nativePath.constData(), &link);
        ::stat(nativePath.constData(), &named);
        return QList<quint64> { link.st_mode, link.st_ino, named.st_mode, named.st_ino };
    };
    const QList<quint64> before = nodes();
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden, QDir::Name);

    const QString failure = u"Cannot export your ratings to \""_s + QDir::toNativeSeparators(path) + u"\": "_s;
    const QString error = errorOf<ShortlistError>([&] { shortlist.exportRatings(path, u"Sam"_s); });
    if (reason.isEmpty()) {
        QCOMPARE(error, QString());
        QVERIFY(QFileInfo(path).isSymLink());
        QVERIFY(readFile(folder + u"/file"_s).contains("\"partner\": \"Sam\""));
        return;
    }
    QCOMPARE(error, failure + reason);
    QCOMPARE(nodes(), before);
    if (QFileInfo(path).isFile())
        QCOMPARE(readFile(path), earlier);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden, QDir::Name), entries);
#endif
}

// ---- Where both like a name ----

void TestShortlist::bothLikeRule_data()
{
    QTest::addColumn<int>("myStars");
    QTest::addColumn<bool>("myVeto");
    QTest::addColumn<int>("partnerStars");
    QTest::addColumn<bool>("partnerVeto");
    QTest::addColumn<bool>("liked");
    QTest::newRow("three stars each") << 3 << false << 3 << false << true;
    QTest::newRow("five and four") << 5 << false << 4 << false << true;
    QTest::newRow("my two stars") << 2 << false << 5 << false << false;
    QTest::newRow("the partner's two stars") << 5 << false << 2 << false << false;
    QTest::newRow("my veto on five stars") << 5 << true << 5 << false << false;
    QTest::newRow("the partner's veto on five stars") << 5 << false << 5 << true << false;
    QTest::newRow("rated by me alone") << 5 << false << -1 << false << false;
    QTest::newRow("rated by the partner alone") << -1 << false << 5 << false << false;
}

void TestShortlist::bothLikeRule()
{
    QFETCH(int, myStars);
    QFETCH(bool, myVeto);
    QFETCH(int, partnerStars);
    QFETCH(bool, partnerVeto);
    QFETCH(bool, liked);
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    if (myStars >= 0)
        shortlist.rate(rating(u"Noa"_s, 0, myStars, myVeto));
    // The same name for the other gender is liked by both; it never counts for this one.
    shortlist.rate(rating(u"Noa"_s, 1, 5));
    QList<Rating> theirs { rating(u"Noa"_s, 1, 5, false, {}, at("2024-01-01T00:00:00Z")) };
    if (partnerStars >= 0)
        theirs.append(rating(u"Noa"_s, 0, partnerStars, partnerVeto, {}, at("2024-01-01T00:00:00Z")));
    shortlist.importRatings(scratch.write(u"p.namorel"_s, json(exchangeJson(u"Sam"_s, theirs))));

    QCOMPARE(shortlist.bothLike(0), liked ? QStringList { u"Noa"_s } : QStringList());
    QCOMPARE(shortlist.bothLike(1), QStringList { u"Noa"_s });
    QCOMPARE(shortlist.bothLike(2), QStringList());
}

void TestShortlist::bothLikeOrder()
{
    // By the sum of both parents' stars, highest first, then alphabetically; and only with the partner shown.
    Scratch scratch;
    Shortlist shortlist(scratch.dbPath());
    const QDateTime t = at("2024-01-01T00:00:00Z");
    QList<Rating> theirs;
    const struct
    {
        const char16_t *name;
        int mine, partner;
    } table[]
        = { { u"Bo", 3, 5 }, { u"ada", 5, 3 }, { u"Cy", 5, 5 }, { u"Éva", 4, 4 }, { u"Dan", 3, 3 }, { u"Eli", 5, 3 } };
    for (const auto &row : table) {
        shortlist.rate(rating(QString::fromUtf16(row.name), 1, row.mine));
        theirs.append(rating(QString::fromUtf16(row.name), 1, row.partner, false, {}, t));
    }
    shortlist.importRatings(scratch.write(u"sam.namorel"_s, json(exchangeJson(u"Sam"_s, theirs))));
    QCOMPARE(shortlist.bothLike(1), QStringList({ u"Cy"_s, u"ada"_s, u"Bo"_s, u"Eli"_s, u"Éva"_s, u"Dan"_s }));

    shortlist.importRatings(
        scratch.write(u"jo.namorel"_s, json(exchangeJson(u"Jo"_s, { rating(u"Dan"_s, 1, 4, false, {}, t) }))));
    QCOMPARE(shortlist.bothLike(1), QStringList { u"Dan"_s });
}

void TestShortlist::csvQuoting_data()
{
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("plain fields stay bare")
        << QStringList { u"Anna"_s, u"4"_s, QString() } << QByteArray("Anna,4,\r\n");
    QTest::newRow("a comma is quoted") << QStringList { u"Smith, Anna"_s } << QByteArray("\"Smith, Anna\"\r\n");
    QTest::newRow("a quote is doubled") << QStringList { u"say \"hi\""_s, u"x"_s }
                                        << QByteArray("\"say \"\"hi\"\"\",x\r\n");
    QTest::newRow("line breaks are quoted")
        << QStringList { u"a\nb"_s, u"c\r\nd"_s, u"e\rf"_s } << QByteArray("\"a\nb\",\"c\r\nd\",\"e\rf\"\r\n");
    QTest::newRow("spaces and semicolons stay bare") << QStringList { u" a; b "_s } << QByteArray(" a; b \r\n");
    QTest::newRow("accents are UTF-8") << QStringList { u"Zoë"_s, u"さくら"_s }
                                       << QString(u"Zoë,さくら\r\n"_s).toUtf8();
}

void TestShortlist::csvQuoting()
{
    QFETCH(QStringList, record);
    QFETCH(QByteArray, csv);
    QCOMPARE(CsvText({ record }), csv);
}

// ---- The database file ----

void TestShortlist::damagedDatabase_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("table"); // whose leaf pages are overwritten
    QTest::addColumn<QList<int>>("at"); // which of them, in per cent of the way through its keys
    QTest::newRow("a text file") << u"text"_s << QString() << QList<int>();
    QTest::newRow("pages overwritten") << u"pages"_s << QString() << QList<int>();
    QTest::newRow("cut in half") << u"cut"_s << QString() << QList<int>();
    QTest::newRow("one page of my ratings overwritten") << u"leaves"_s << u"my_ratings"_s << QList<int> { 50 };
    QTest::newRow("two pages of my ratings overwritten, far apart")
        << u"leaves"_s << u"my_ratings"_s << QList<int> { 25, 75 };
    QTest::newRow("one page of the partner's ratings overwritten")
        << u"leaves"_s << u"partner_ratings"_s << QList<int> { 50 };
}

void TestShortlist::damagedDatabase()
{
    // A damaged database is moved aside as it is, and a fresh one takes its place with every rating that can
    // still be read from it, and nothing else; the notice says how many were saved, about how many lost, and
    // where the old file went.
    QFETCH(QString, damage);
    QFETCH(QString, table);
    QFETCH(QList<int>, at);
    constexpr int kMine = 2000;
    constexpr int kTheirs = 300;
    const QDateTime updated = ::at("2024-05-01T10:00:00.000Z");
    Scratch scratch;
    QStringList originals;
    qint64 overwritten = 0; // the ratings on the pages overwritten
    if (damage == u"text"_s) {
        scratch.write(u"shortlist.sqlite"_s, "These are not the names you are looking for.\n");
    } else {
        QList<Rating> theirs;
        for (int i = 0; i < kTheirs; ++i) {
            Rating theirRating = numbered(u"P"_s, i);
            theirRating.Updated = updated;
            theirs.append(theirRating);
            originals.append(describe(theirRating));
        }
        {
            Shortlist shortlist(scratch.dbPath());
            shortlist.setOwnerName(u"Alex"_s);
            shortlist.importRatings(scratch.write(u"sam.namorel"_s, json(exchangeJson(u"Sam"_s, theirs))));
        }
        int pageSize = 0;
        std::optional<QList<QVariantList>> leaves;
        {
            RawDatabase db(scratch.dbPath());
            // Mine in one transaction: two thousand of their own would take a while.
            QVERIFY(db.run(QStringLiteral("BEGIN")));
            for (int i = 0; i < kMine; ++i) {
                Rating mine = numbered(u"D"_s, i);
                mine.Updated = updated;
                QVERIFY(db.run(QStringLiteral("INSERT INTO my_ratings VALUES (?, ?, ?, ?, ?, ?)"),
                    { mine.Name, mine.GenderIndex, mine.Stars, mine.Veto ? 1 : 0, mine.Note,
                        QStringLiteral("2024-05-01T10:00:00.000Z") }));
                originals.append(describe(mine));
            }
            QVERIFY(db.run(QStringLiteral("COMMIT")));
            pageSize = db.run(QStringLiteral("PRAGMA page_size"))->at(0).at(0).toInt();
            // The table's leaves in the order of its keys.
            leaves = db.run(
                QStringLiteral("SELECT pageno, ncell FROM dbstat WHERE name = ? AND pagetype = 'leaf' ORDER BY path"),
                { table });
            if (!leaves && damage == u"leaves"_s)
                QSKIP("this SQLite cannot tell the pages of a table (it is built without its page statistics)");
        }

        QFile file(scratch.dbPath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(QFileInfo::exists(scratch.dbPath() + u"-wal"_s), false);
        const qint64 size = file.size();
        QVERIFY(size > 8 * 4096);
        if (damage == u"pages"_s) {
            file.seek(size / 2);
            file.write(QByteArray(3 * 4096, '\xAA'));
        } else if (damage == u"cut"_s) {
            file.resize(size / 2);
        } else {
            QVERIFY(leaves->size() >= 4);
            for (const int percent : at) {
                const QVariantList &leaf = leaves->at(leaves->size() * percent / 100);
                QRandomGenerator garbage(leaf.at(0).toUInt());
                QByteArray bytes(pageSize, '\0');
                for (char &byte : bytes)
                    byte = char(garbage.bounded(256));
                file.seek((leaf.at(0).toLongLong() - 1) * pageSize);
                file.write(bytes);
                overwritten += leaf.at(1).toLongLong();
            }
        }
    }
    const QByteArray damaged = readFile(scratch.dbPath());
    const QString aside
        = scratch.path(u"shortlist-damaged-"_s + QDate::currentDate().toString(Qt::ISODate) + u".sqlite"_s);
    {
        Shortlist shortlist(scratch.dbPath());
        const QString notice = shortlist.notice();
        QCOMPARE(readFile(aside), damaged);
        const QStringList saved = describe(shortlist.mine()) + describe(shortlist.partners());
        for (const QString &rating : saved)
            QVERIFY2(originals.contains(rating), qPrintable(u"invented: "_s + rating));
        QCOMPARE(QSet<QString>(saved.begin(), saved.end()).size(), saved.size());
        static const QRegularExpression told(QStringLiteral(
            "^The shortlist was damaged: (\\d+) ratings could be read, and (about (\\d+)|others) could not\\. "
            "The ratings read were saved in a new shortlist, and the damaged file was moved to \"(.*)\"\\.$"));
        const QRegularExpressionMatch match = told.match(notice);
        if (damage == u"text"_s) {
            QCOMPARE(notice,
                u"The shortlist was damaged and could not be read. It was moved to \""_s
                    + QDir::toNativeSeparators(aside) + u"\", and a new, empty shortlist was started."_s);
        } else {
            QVERIFY2(match.hasMatch(), qPrintable(notice));
            QCOMPARE(match.captured(1).toInt(), saved.size());
            QCOMPARE(match.captured(4), QDir::toNativeSeparators(aside));
        }
        if (damage == u"leaves"_s) {
            // Every rating but those on the pages overwritten, and the rest of the shortlist with them. The lost
            // are counted from the readable pages: about as many as the pages overwritten held.
            QCOMPARE(saved.size(), originals.size() - overwritten);
            QCOMPARE(shortlist.ownerName(), u"Alex"_s);
            QCOMPARE(shortlist.partnerName(), u"Sam"_s);
            const qint64 estimate = match.captured(3).toLongLong();
            QVERIFY2(estimate >= overwritten / 2 && estimate <= overwritten * 2,
                qPrintable(QStringLiteral("%1 overwritten: %2").arg(QString::number(overwritten), notice)));
        }
        shortlist.rate(rating(u"Anna"_s, 0, 5));
        QVERIFY(names(shortlist.mine()).contains(u"Anna"_s));
    }
    QCOMPARE(Shortlist(scratch.dbPath()).notice(), QString());

    // A second damaged file on the same day does not take the first one's place.
    QVERIFY(writeFile(scratch.dbPath(), "garbage again"));
    Shortlist second(scratch.dbPath());
    QVERIFY(second.notice().contains(
        u"shortlist-damaged-"_s + QDate::currentDate().toString(Qt::ISODate) + u"-2.sqlite"_s));
    QCOMPARE(readFile(aside), damaged);
}

void TestShortlist::newerSchemaIsLeftAlone_data()
{
    QTest::addColumn<bool>("journal");
    QTest::newRow("a database on its own") << false;
    QTest::newRow("a database with the journal and index a killed copy left") << true;
}

void TestShortlist::newerSchemaIsLeftAlone()
{
    // A database of a later version is not damaged: neither it nor the files beside it are changed or moved.
    QFETCH(bool, journal);
    Scratch scratch;
    Scratch elsewhere;
    {
        // Written as a later version might: in a journal mode of its own, or in WAL mode with its changes still
        // in the journal.
        RawDatabase later(journal ? elsewhere.dbPath() : scratch.dbPath());
        if (journal)
            QVERIFY(later.run(QStringLiteral("PRAGMA journal_mode = WAL")));
        QVERIFY(later.run(QStringLiteral("CREATE TABLE my_ratings (name TEXT, stars INTEGER)")));
        QVERIFY(later.run(QStringLiteral("INSERT INTO my_ratings VALUES ('Anna', 5)")));
        QVERIFY(later.run(QStringLiteral("PRAGMA user_version = 99")));
        if (journal) {
            for (const QString &suffix : { QString(), u"-wal"_s, u"-shm"_s })
                QVERIFY(QFile::copy(elsewhere.dbPath() + suffix, scratch.dbPath() + suffix));
        }
    }
    const QMap<QString, QByteArray> before = filesIn(scratch.path(u"."_s));
    QCOMPARE(before.size(), journal ? 3 : 1);

    const QString error = errorOf<ShortlistError>([&] { Shortlist shortlist(scratch.dbPath()); });
    QCOMPARE(error,
        u"Cannot open the shortlist \""_s + QDir::toNativeSeparators(scratch.dbPath())
            + u"\": it was written by a newer version of Namorel (schema 99; this version reads up to 1)."_s);
    const QMap<QString, QByteArray> after = filesIn(scratch.path(u"."_s));
    QCOMPARE(after.keys(), before.keys());
    for (const QString &name : before.keys())
        QVERIFY2(after.value(name) == before.value(name), qPrintable(name + u" was changed"_s));
}

void TestShortlist::readOnlyShortlist_data()
{
    QTest::addColumn<Sealed>("sealed");
    QTest::addColumn<QStringList>("beside"); // files a killed copy left beside the database, with its last changes
    QTest::addColumn<bool>("damaged"); // the page of my ratings overwritten
    QTest::newRow("on a read-only disk") << Sealed::Disk << QStringList() << false;
    QTest::newRow("on a read-only disk, with the journal and index of a killed copy")
        << Sealed::Disk << QStringList { u"-wal"_s, u"-shm"_s } << false;
    QTest::newRow("on a read-only disk, with a journal but no index")
        << Sealed::Disk << QStringList { u"-wal"_s } << false;
    QTest::newRow("a read-only file in a folder that may be written") << Sealed::File << QStringList() << false;
    // What can be read of it is shown, though it cannot be mended.
    QTest::newRow("damaged, on a read-only disk") << Sealed::Disk << QStringList() << true;
}

void TestShortlist::readOnlyShortlist()
{
    // A shortlist that may not be written opens for reading: it shows every rating, also those still in a killed
    // copy's journal, and exports them; each change fails saying why, and nothing is written beside it.
    QFETCH(Sealed, sealed);
    QFETCH(QStringList, beside);
    QFETCH(bool, damaged);
    Scratch scratch;
    // A name that must be escaped where SQLite is given the file as an address.
    const QString folder = scratch.path(u"disk #1, 100% read-only?"_s);
    QVERIFY(QDir().mkpath(folder));
    ReadOnlyDisk disk;
    if (sealed == Sealed::Disk && !disk.mount(folder))
        QSKIP("no disk can be mounted here to make read-only (only root may, and not in every container)");
    const QString dbPath = folder + u"/shortlist.sqlite"_s;
    const QString made = scratch.path(u"made/shortlist.sqlite"_s);
    const QList<Rating> mine { rating(u"Anna"_s, 0, 5, false, u"first"_s, at("2024-05-01T10:00:00.000Z")),
        rating(u"Bo"_s, 1, 4, false, {}, at("2024-05-02T10:00:00.000Z")),
        rating(u"Cy"_s, 0, 1, true, u"no"_s, at("2024-05-03T10:00:00.000Z")) };
    const QList<Rating> theirs { rating(u"Anna"_s, 0, 4, false, u"yes"_s, at("2024-05-04T10:00:00.000Z")),
        rating(u"Bo"_s, 1, 3, false, {}, at("2024-05-05T10:00:00.000Z")) };
    const QString partnersFile = scratch.write(u"sam.namorel"_s, json(exchangeJson(u"Sam"_s, theirs)));
    {
        // While another connection is open, the journal and its index stay, with the changes in them.
        std::optional<RawDatabase> holder;
        {
            Shortlist shortlist(made);
            if (!beside.isEmpty()) {
                holder.emplace(made);
                QVERIFY(holder->run(QStringLiteral("SELECT count(*) FROM my_ratings")));
            }
            for (const Rating &r : mine)
                shortlist.rate(r);
            QCOMPARE(shortlist.importRatings(partnersFile), 2);
            shortlist.setOwnerName(u"Alex"_s);
        }
        for (const QString &suffix : QStringList { QString() } + beside)
            QVERIFY(QFile::copy(made + suffix, dbPath + suffix));
    }
    if (damaged) {
        qint64 page = 0;
        {
            RawDatabase db(made);
            page = db.run(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = 'my_ratings'"))
                       ->at(0)
                       .at(0)
                       .toLongLong();
        }
        QFile file(dbPath);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek((page - 1) * 4096));
        QCOMPARE(file.write(QByteArray(4096, '\xA5')), 4096);
    }
    if (sealed == Sealed::Disk) {
        QVERIFY(disk.seal());
    } else if (::geteuid() != 0) {
        QVERIFY(QFile::setPermissions(dbPath, QFile::ReadOwner));
    } else if (!setImmutable(dbPath, true)) {
        QSKIP("the file cannot be marked immutable here, and root may write it whatever its permissions");
    }
    const auto unseal = qScopeGuard([&] {
        if (sealed == Sealed::File && ::geteuid() == 0)
            setImmutable(dbPath, false);
    });
    const QMap<QString, QByteArray> before = filesIn(folder);

    {
        Shortlist shortlist(dbPath);
        QVERIFY(shortlist.readOnly());
        QCOMPARE(shortlist.notice(),
            u"The shortlist \""_s + QDir::toNativeSeparators(dbPath)
                + (damaged ? u"\" is damaged and read-only: 2 ratings could be read, and others could not. The "
                               u"ratings read are shown, but nothing can be changed."_s
                           : u"\" is read-only: its ratings are shown and can be exported, but not changed."_s));
        const QList<Rating> shown = damaged ? QList<Rating>() : mine;
        QCOMPARE(describe(shortlist.mine()), describe(shown));
        QCOMPARE(describe(shortlist.partners()), describe(theirs));
        QCOMPARE(shortlist.partnerName(), u"Sam"_s);
        QCOMPARE(shortlist.ownerName(), u"Alex"_s);
        QCOMPARE(shortlist.bothLike(0), damaged ? QStringList() : QStringList { u"Anna"_s });
        QCOMPARE(shortlist.bothLike(1), damaged ? QStringList() : QStringList { u"Bo"_s });

        const QString exported = scratch.path(u"Alex.namorel"_s);
        shortlist.exportRatings(exported, u"Alex"_s);
        Shortlist partner(scratch.path(u"partner.sqlite"_s));
        QCOMPARE(partner.importRatings(exported), shown.size());
        QCOMPARE(describe(partner.partners()), describe(shown));

        const QString readOnly = u": the shortlist \""_s + QDir::toNativeSeparators(dbPath) + u"\" is read-only."_s;
        QCOMPARE(errorOf<ShortlistError>([&] { shortlist.rate(rating(u"Dee"_s, 0, 3)); }),
            u"Cannot rate \"Dee\""_s + readOnly);
        QCOMPARE(errorOf<ShortlistError>([&] { shortlist.remove(u"Anna"_s, 0); }),
            u"Cannot delete the rating of \"Anna\""_s + readOnly);
        QCOMPARE(errorOf<ShortlistError>([&] { shortlist.importRatings(partnersFile); }),
            u"Cannot import \"sam.namorel\""_s + readOnly);
        QCOMPARE(errorOf<ShortlistError>([&] { shortlist.setOwnerName(u"Kim"_s); }),
            u"Cannot save your name"_s + readOnly);
        QCOMPARE(describe(shortlist.mine()), describe(shown));
        QCOMPARE(shortlist.ownerName(), u"Alex"_s);
    }
    const QMap<QString, QByteArray> after = filesIn(folder);
    QCOMPARE(after.keys(), before.keys());
    for (const QString &name : before.keys())
        QVERIFY2(after.value(name) == before.value(name), qPrintable(name + u" was changed"_s));
}

void TestShortlist::twoCopiesRateAtOnce()
{
    // Two copies, started on one signal, rate their own names and one shared name over and over while this one
    // reads: every rating is stored and neither copy ever fails with a locked database. Should the two never
    // have been rating at the same time, the round proved nothing and is run again.
    constexpr int kRatings = 150;
    constexpr int kMaxRounds = 5;
    const QString tags[2] = { u"A"_s, u"B"_s };
    int overlapping = 0;
    for (int round = 0; round < kMaxRounds && overlapping == 0; ++round) {
        Scratch scratch;
        QProcess copies[2];
        for (int i = 0; i < 2; ++i)
            QVERIFY(startChild(copies[i], "burst", scratch.dbPath(), tags[i], kRatings));
        QByteArray output[2];
        const auto read = [&] {
            for (int i = 0; i < 2; ++i)
                output[i] += copies[i].readAllStandardOutput();
            return output[0].startsWith("ready\n") && output[1].startsWith("ready\n");
        };
        QTRY_VERIFY(read());
        for (QProcess &copy : copies) {
            copy.write("go\n");
            copy.waitForBytesWritten();
        }
        Shortlist reader(scratch.dbPath());
        for (bool running = true; running;) {
            QVERIFY(reader.mine().size() <= 2 * kRatings + 1);
            running = false;
            for (QProcess &copy : copies)
                running |= copy.state() != QProcess::NotRunning && !copy.waitForFinished(5);
        }
        read();
        for (QProcess &copy : copies) {
            QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
            const QByteArray errors = copy.readAllStandardError();
            QVERIFY2(copy.exitCode() == 0 && errors.isEmpty(), errors.constData());
        }
        const QStringList stored = names(reader.mine());
        QCOMPARE(stored.size(), 2 * kRatings + 1);
        for (const QString &tag : tags) {
            for (int i = 0; i < kRatings; ++i)
                QVERIFY(stored.contains(numbered(tag, i).Name));
        }

        // When each rating of each copy began and was stored. A rating of one copy that began before the other
        // stored its last and was stored after the other began its first was made while the other was rating:
        // stored between two of the other's, or kept waiting by them.
        const QList<std::pair<long long, long long>> spans[2]
            = { reportedTimes(output[0], "rated"), reportedTimes(output[1], "rated") };
        for (int i = 0; i < 2; ++i)
            QCOMPARE(spans[i].size(), kRatings);
        for (const auto &[start, end] : spans[1])
            overlapping += start < spans[0].last().second && end > spans[0].first().first;
    }
    QVERIFY2(overlapping > 0, "the two copies never rated at the same time");
    qInfo("%d of %d ratings of one copy were made while the other was rating", overlapping, kRatings);
}

void TestShortlist::killedWhileRating()
{
    // A copy rating in a loop is killed at a random moment, again and again, sometimes while it opens the
    // database: the database is never damaged, and holds every rating the copy reported stored, each whole.
    const int rounds
        = qEnvironmentVariableIsSet("NAMOREL_TEST_KILLS") ? qEnvironmentVariableIntValue("NAMOREL_TEST_KILLS") : 25;
    Scratch scratch;
    int damaged = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString tag = QStringLiteral("K%1").arg(round);
        QProcess child;
        QVERIFY(startChild(child, "loop", scratch.dbPath(), tag));
        const int wanted = QRandomGenerator::global()->bounded(-2, 12);
        QByteArray output;
        if (wanted >= 0) {
            QTRY_VERIFY(
                (output += child.readAllStandardOutput()).count("rated") >= wanted && output.startsWith("ready"));
        }
        child.kill();
        QVERIFY(child.waitForFinished());
        output += child.readAllStandardOutput();
        const int reported = int(output.count("rated"));

        const QString integrity = integrityOf(scratch.dbPath());
        Shortlist shortlist(scratch.dbPath());
        if (integrity != u"ok"_s || !shortlist.notice().isEmpty()) {
            ++damaged;
            qWarning("round %d: %s %s", round, qPrintable(integrity), qPrintable(shortlist.notice()));
            continue;
        }
        const QList<Rating> stored = shortlist.mine();
        for (const Rating &r : stored) {
            const int number = r.Name.section(u'-', 1).toInt();
            const Rating expected = numbered(r.Name.section(u'-', 0, 0), number);
            QCOMPARE(describe(r).section(u' ', 0, -2), describe(expected).section(u' ', 0, -2));
        }
        int found = 0;
        for (const Rating &r : stored)
            found += r.Name.startsWith(tag + u'-');
        QVERIFY2(found >= reported && found <= reported + 1,
            qPrintable(QStringLiteral("round %1: %2 reported, %3 stored").arg(round).arg(reported).arg(found)));
    }
    QCOMPARE(damaged, 0);
    qInfo("%d kills, %d damaged databases", rounds, damaged);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The concurrency and crash tests start this program again as the copy that rates.
    if (const ChildTask task = childTask(); !task.Role.isEmpty())
        return runChild(task);
    TestShortlist test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shortlist.moc"
