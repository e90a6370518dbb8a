#include "cardmodule.h"

#include <QCoreApplication>
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
        QPluginLoader loader(QCoreApplication::applicationDirPath() + QStringLiteral("/namorel-cards"));
        if (auto *found = qobject_cast<CardModule *>(loader.instance()))
            return found;
        throw std::runtime_error(
            QStringLiteral("Cannot load the name card: %1").arg(loader.errorString()).toStdString());
    }();
    return *module;
}

} // namespace namorel
