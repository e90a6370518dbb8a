#include "shortlist.h"

#include <QStandardPaths>

namespace namorel {

// Apart from the rest of the shortlist: the main window names the database at start-up, without the SQL
// module, which is loaded with the name card and the shortlist tab when they are first needed.
QString Shortlist::userDatabasePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/shortlist.sqlite");
}

} // namespace namorel
