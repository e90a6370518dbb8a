#include "fonts.h"

#include <QFont>
#include <QStringList>

namespace namorel {

void InstallFontSubstitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(
            QStringLiteral("MS Sans Serif"), { QStringLiteral("Liberation Sans"), QStringLiteral("Arial") });
        QFont::insertSubstitutions(QStringLiteral("Arial"), { QStringLiteral("Liberation Sans") });
        QFont::insertSubstitutions(QStringLiteral("Times New Roman"), { QStringLiteral("Liberation Serif") });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace namorel
