#include "cardmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

#include <stdexcept>

namespace namorel {

CardModule &CardModule::instance()
{
    // A failure is not remembered: the next request tries again.
    static CardModule *const module = [] {
        for (QObject *linked : QPluginLoader::staticInstances()) {
            if (auto *found = qobject_cast<CardModule *>(linked))
                return found;
        }
        const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/namorel-cards");
        QPluginLoader loader(path);
        if (auto *found = qobject_cast<CardModule *>(loader.instance()))
            return found;
        // A broken installation: the name card and the shortlist tab are missing, the rest of the program works.
        throw std::runtime_error(QStringLiteral("Cannot load the name card and the shortlist (\"%1\"): %2")
                                     .arg(QDir::toNativeSeparators(path), loader.errorString())
                                     .toStdString());
    }();
    return *module;
}

} // namespace namorel
