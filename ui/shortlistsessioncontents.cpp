#include "errorreport.h"
#include "shortlistsession.h"

#include <QApplication>

namespace namorel {

Shortlist &ShortlistSession::shortlist()
{
    if (!m_shortlist) {
        m_shortlist = { new Shortlist(m_path), [](Shortlist *shortlist) { delete shortlist; } };
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

} // namespace namorel
