#include "shortlistsession.h"

namespace namorel {

// The rest of the session is in shortlistsessioncontents.cpp, with the shortlist's code.

ShortlistSession::ShortlistSession(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_path(databasePath)
{ }

ShortlistSession::~ShortlistSession() = default;

} // namespace namorel
