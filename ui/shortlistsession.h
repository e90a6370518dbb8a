#pragma once

#include "shortlist.h"

#include <QObject>
#include <QString>

#include <memory>

namespace namorel {

/// The program's open shortlist, shared by the shortlist tab and the rating panels of the name cards. The
/// database is opened the first time it is needed; every change made through the session is announced with
/// changed(), so that each view of the ratings shows it.
class ShortlistSession : public QObject
{
    Q_OBJECT

public:
    /// A session on the database at \a databasePath, not yet opened.
    explicit ShortlistSession(const QString &databasePath, QObject *parent = nullptr);
    ~ShortlistSession() override;

    QString databasePath() const { return m_path; }

    /// The shortlist, opened on first use. When a damaged database had to be moved aside, or the shortlist
    /// can only be read, the user is told so, once. Throws ShortlistError when the database cannot be opened;
    /// the next call tries again.
    Shortlist &shortlist();

    /// Stores my rating and announces the change. Throws ShortlistError.
    void rate(const Rating &rating);
    /// Removes my rating of the name and gender and announces the change. Throws ShortlistError.
    void remove(const QString &name, qint32 genderIndex);
    /// Imports a partner's file and announces the change. Returns the ratings stored. Throws ShortlistError.
    qint32 importRatings(const QString &filePath);

    /// Has every view store what is still being typed into it, without asking anything of the user, and closes
    /// the database; the next use opens it again. For the end of the program, whichever way it ends: the
    /// destructor closes the session too.
    void close();

signals:
    /// Ratings were changed through this session.
    void changed();
    /// The session is about to close: what a view holds unstored is stored now, and no error is shown.
    void closing();

private:
    QString m_path;
    // While closing, changes are stored but not announced: the views are being taken down.
    bool m_closing = false;
    std::unique_ptr<Shortlist> m_shortlist;
};

} // namespace namorel
