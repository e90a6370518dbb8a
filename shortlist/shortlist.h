#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <stdexcept>

class QTemporaryDir;

namespace namorel {

/// One parent's rating of a name for one gender.
struct Rating
{
    QString Name;
    qint32 GenderIndex = 0; // 0 girls, 1 boys
    qint32 Stars = 0; // 0..5
    bool Veto = false;
    QString Note;
    QDateTime Updated; // UTC; set by rate() when invalid
};

/// A shortlist operation that failed. what() is the message for the user, in UTF-8.
class ShortlistError : public std::runtime_error
{
public:
    explicit ShortlistError(const QString &message);

    /// The message as the user sees it.
    QString message() const { return QString::fromUtf8(what()); }
};

/// Replaces the file at \a filePath with \a bytes, as a whole or not at all: a regular file or a new one, where a
/// symbolic link is followed to the file it names. Throws ShortlistError, whose message is \a failure followed by
/// the reason (the path names a device, a pipe, a socket or a folder; the disk is full; ...), and then leaves
/// everything as it was.
void ReplaceFile(const QString &filePath, const QByteArray &bytes, const QString &failure);

/// The user's shortlist: my ratings and those imported from my partner, kept in an SQLite database.
///
/// Every change is one transaction, so a crash or a kill loses at most the change in flight. Several copies
/// of the program may use one database at once; each waits for the others' changes instead of failing.
/// A database file that turns out to be damaged when it is opened is moved aside, and a fresh one is
/// started with every rating that could still be read from it; notice() then says how many were saved and
/// lost, and where the old file is. A database that may not be written (a read-only file, folder or disk)
/// is opened for reading only: everything that reads works, every change throws ShortlistError.
class Shortlist
{
public:
    /// Opens or creates the database at \a databasePath, creating its folder when needed. Throws
    /// ShortlistError when it can neither be opened nor started afresh, or when it was written by a newer
    /// version of the program; such a database and the files beside it are left exactly as they were.
    explicit Shortlist(const QString &databasePath);
    ~Shortlist();

    Shortlist(const Shortlist &) = delete;
    Shortlist &operator=(const Shortlist &) = delete;

    /// The current user's database file, in the application-data folder; empty when there is no such folder.
    static QString userDatabasePath();

    /// The path the database was opened at.
    QString databasePath() const { return m_path; }

    /// What the user should be told about the opening: that the shortlist can only be read, or that a
    /// damaged database was moved aside, where to and how many of its ratings were saved. Empty when there
    /// was nothing to tell.
    QString notice() const { return m_notice; }

    /// Whether the shortlist was opened for reading only, as its file, folder or disk may not be written.
    bool readOnly() const { return m_readOnly; }

    /// Stores my rating of the name and gender, replacing any earlier one. An invalid Updated is taken as
    /// now. Throws ShortlistError for a blank name, a gender other than 0 or 1, stars outside 0..5 or an
    /// overlong name or note, and when the database cannot be written.
    void rate(const Rating &rating);

    /// Removes my rating of the name and gender, if any; the partner's ratings stay.
    void remove(const QString &name, qint32 genderIndex);

    /// My ratings, ordered by name (the user's alphabetical order), girls before boys for one name.
    QList<Rating> mine() const;

    /// The ratings of the partner imported last, ordered as mine().
    QList<Rating> partners() const;

    /// My rating of the name for the gender, and the partner's (the partner imported last), if any.
    std::optional<Rating> myRating(const QString &name, qint32 genderIndex) const;
    std::optional<Rating> partnersRating(const QString &name, qint32 genderIndex) const;

    /// The display name of the partner imported last; empty before any import.
    QString partnerName() const;

    /// The names of the gender that both I and my partner gave at least 3 stars and neither vetoed, by the
    /// sum of both stars (highest first), then alphabetically. Empty for a gender other than 0 or 1.
    QStringList bothLike(qint32 genderIndex) const;

    /// Writes my ratings to the exchange file at \a filePath, in my name \a myName; the file is replaced
    /// as a whole or not at all. Throws ShortlistError when it cannot be written, or when it would be more
    /// than another copy of the program accepts.
    void exportRatings(const QString &filePath, const QString &myName) const;

    /// Reads a partner's exchange file and stores its ratings as that partner's, each one replacing the
    /// partner's stored rating of the name and gender only when the file's is newer. My ratings are never
    /// touched. Returns the number of ratings stored. The whole file is checked first: on any error
    /// nothing is stored and ShortlistError says what is wrong and where.
    qint32 importRatings(const QString &filePath);

    /// The name I export under, as last set; empty at first.
    QString ownerName() const;
    void setOwnerName(const QString &name);

private:
    void open();
    void openWritable(const QString &failure);
    void openReadOnly(const QString &failure);
    void startAfresh();
    void refuseNewerVersion(const QString &failure) const;
    std::optional<Rating> findRating(const char *table, const QString &name, qint32 genderIndex) const;

    QString m_path;
    QString m_connection;
    QString m_notice;
    bool m_readOnly = false;
    // The copy a read-only database is read through, when its journal holds changes not yet in it.
    std::unique_ptr<QTemporaryDir> m_copy;
};

} // namespace namorel
