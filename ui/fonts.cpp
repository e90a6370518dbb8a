#include "fonts.h"
#include "ovalbtn.h"

#include <QEvent>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

namespace namorel {

namespace {

const QString kDesignedSansSerif = QStringLiteral("MS Sans Serif");

} // namespace

void InstallFontSubstitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(kDesignedSansSerif, { QStringLiteral("Liberation Sans"), QStringLiteral("Arial") });
        QFont::insertSubstitutions(QStringLiteral("Arial"), { QStringLiteral("Liberation Sans") });
        QFont::insertSubstitutions(QStringLiteral("Times New Roman"), { QStringLiteral("Liberation Serif") });
        return true;
    }();
    Q_UNUSED(installed);
}

QFont StandInFont(const QFont &designed)
{
    static const bool designedFaceMissing = !QFontDatabase::hasFamily(kDesignedSansSerif);
    if (designed.family() != kDesignedSansSerif || !designedFaceMissing)
        return designed;
    QFont font = designed;
    font.setFamilies({ QStringLiteral("Liberation Sans"), QStringLiteral("Arial") });
    if (designed.pointSizeF() > 0)
        font.setPointSizeF(designed.pointSizeF() * 15 / 16);
    else if (designed.pixelSize() > 0)
        font.setPixelSize(qMax(1, designed.pixelSize() * 15 / 16));
    return font;
}

void UseStandInFonts(QWidget *window)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        // Controls that take their parent's font follow it.
        if (widget == window || widget->testAttribute(Qt::WA_SetFont)) {
            const QFont standIn = StandInFont(widget->font());
            if (standIn != widget->font())
                widget->setFont(standIn);
        }
        if (auto *button = qobject_cast<TOvalButton *>(widget))
            button->setCaptionFont(StandInFont(button->captionFont()));
    }
}

StandInFontWhileBuilding::StandInFontWhileBuilding(QWidget *window)
    : m_window(window)
{
    m_window->installEventFilter(this);
}

StandInFontWhileBuilding::~StandInFontWhileBuilding()
{
    m_window->removeEventFilter(this);
}

bool StandInFontWhileBuilding::eventFilter(QObject *watched, QEvent *event)
{
    // The stand-in of a stand-in is itself, so setting it here ends the exchange.
    if (watched == m_window && event->type() == QEvent::FontChange) {
        const QFont standIn = StandInFont(m_window->font());
        if (standIn != m_window->font())
            m_window->setFont(standIn);
    }
    return false;
}

} // namespace namorel
