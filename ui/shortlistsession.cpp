#include "shortlistsession.h"
#include "errorreport.h"

#include <QApplication>

namespace namorel {

ShortlistSession::ShortlistSession(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_path(databasePath)
{ }

ShortlistSession::~ShortlistSession()
{
    close();
}

Shortlist &ShortlistSession::shortlist()
{
    if (!m_shortlist) {
        m_shortlist = std::make_unique<Shortlist>(m_path);
        if (!m_shortlist->notice().isEmpty() && !m_closing) {
            MessageWindow box(QMessageBox::Warning, m_shortlist->notice(), QApplication::activeWindow());
            box.exec();
        }
    }
    return *m_shortlist;
}

void ShortlistSession::rate(const Rating &rating)
{
    shortlist().rate(rating);
    if (!m_closing)
        emit changed();
}

void ShortlistSession::remove(const QString &name, qint32 genderIndex)
{
    shortlist().remove(name, genderIndex);
    emit changed();
}

qint32 ShortlistSession::importRatings(const QString &filePath)
{
    const qint32 stored = shortlist().importRatings(filePath);
    emit changed();
    return stored;
}

void ShortlistSession::close()
{
    m_closing = true;
    emit closing();
    m_shortlist.reset();
    m_closing = false;
}

} // namespace namorel
