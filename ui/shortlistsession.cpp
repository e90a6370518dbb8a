#include "shortlistsession.h"

namespace namorel {

// The rest of the session is in shortlistsessioncontents.cpp, with the shortlist's code.

ShortlistSession::ShortlistSession(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_path(databasePath)
{ }

ShortlistSession::~ShortlistSession()
{
    close();
}

void ShortlistSession::close()
{
    m_closing = true;
    emit closing();
    m_shortlist.reset();
    m_closing = false;
}

} // namespace namorel
