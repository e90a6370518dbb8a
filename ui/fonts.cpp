#include "fonts.h"
#include "ovalbtn.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QRawFont>
#include <QStringList>
#include <QWidget>

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <system_error>

namespace namorel {

namespace {

const QString kDesignedSansSerif = QStringLiteral("MS Sans Serif");
const QStringList kSansSerifSubstitutes = { QStringLiteral("Liberation Sans"), QStringLiteral("Arial") };

// Whether \a family is among the installed faces, as the font matching finds them: by its own name, not by the
// names the system's font configuration gives it.
bool isInstalled(const QString &family)
{
    return !QFontDatabase::styles(family).isEmpty();
}

bool isMissingDesignedSansSerif(const QFont &font)
{
    static const bool designedFaceMissing = !isInstalled(kDesignedSansSerif);
    return designedFaceMissing && font.family() == kDesignedSansSerif;
}

// The faces named for the missing designed face: its first replacement that is installed, alone. A font that
// names several faces has the faces for characters none of them has looked up when it is first used; one that
// names one face looks them up only once such a character is met. Where no replacement is installed, all are
// named, and the system's own replacement draws.
const QStringList &sansSerifStandInFamilies()
{
    static const QStringList families = [] {
        for (const QString &family : kSansSerifSubstitutes) {
            if (isInstalled(family))
                return QStringList { family };
        }
        return kSansSerifSubstitutes;
    }();
    return families;
}

// The height of a line of text in \a face: a line is laid out as high as its face's ascent and descent
// together, rounded up to the pixel.
int lineHeight(const QRawFont &face)
{
    return qCeil(face.ascent() + face.descent());
}

// The pixel size \a font is drawn at on a device of \a dpi dots per inch. A size in points is rounded to
// hundredths of a pixel, then to the pixel, as the toolkit rounds it when it loads the face.
qreal drawnPixelSize(const QFont &font, int dpi)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return qRound(std::floor(font.pointSizeF() * dpi / 72 * 100 + 0.5) / 100);
}

} // namespace

void InstallFontSubstitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(kDesignedSansSerif, kSansSerifSubstitutes);
        QFont::insertSubstitutions(QStringLiteral("Arial"), { QStringLiteral("Liberation Sans") });
        QFont::insertSubstitutions(QStringLiteral("Times New Roman"), { QStringLiteral("Liberation Serif") });
        return true;
    }();
    Q_UNUSED(installed);
}

QFont StandInFont(const QFont &designed)
{
    if (!isMissingDesignedSansSerif(designed))
        return designed;
    QFont font = DesignedFontAsDrawn(designed);
    if (designed.pointSizeF() > 0)
        font.setPointSizeF(designed.pointSizeF() * 15 / 16);
    else if (designed.pixelSize() > 0)
        font.setPixelSize(qMax(1, designed.pixelSize() * 15 / 16));
    return font;
}

QFont DesignedFontAsDrawn(const QFont &designed)
{
    if (!isMissingDesignedSansSerif(designed))
        return designed;
    QFont font = designed;
    font.setFamilies(sansSerifStandInFamilies());
    return font;
}

int DesignedLineHeightGain(const QFont &designed, const QWidget *widget)
{
    const QRawFont shown = QRawFont::fromFont(widget->font());
    QRawFont atDesignedSize = shown;
    atDesignedSize.setPixelSize(drawnPixelSize(designed, widget->logicalDpiY()));
    if (!shown.isValid() || !atDesignedSize.isValid())
        return 0;
    return lineHeight(atDesignedSize) - lineHeight(shown);
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

FontConfigurationLoading::FontConfigurationLoading()
{
    try {
        m_loading = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
        // No thread: the toolkit loads the configuration itself when it first needs it.
    }
}

FontConfigurationLoading::~FontConfigurationLoading()
{
    wait();
}

void FontConfigurationLoading::wait()
{
    if (m_loading.joinable())
        m_loading.join();
}

StandInFontWhileBuilding::StandInFontWhileBuilding(QWidget *window)
    : m_window(window)
{
    // The pages are not on the window yet when their controls are made: the application's events show them.
    QCoreApplication::instance()->installEventFilter(this);
}

StandInFontWhileBuilding::~StandInFontWhileBuilding()
{
    QCoreApplication::instance()->removeEventFilter(this);
    // Placed on the window, the pages have its font; from now on they take it from the window, as they would
    // have without this.
    for (const QPointer<QWidget> &page : std::as_const(m_pages)) {
        if (page && page->window() == m_window)
            page->setFont(QFont());
    }
}

bool StandInFontWhileBuilding::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::FontChange) {
        // The stand-in of a stand-in is itself, so setting it here ends the exchange.
        const QFont standIn = StandInFont(m_window->font());
        if (standIn != m_window->font()) {
            m_designed = m_window->font();
            m_window->setFont(standIn);
        }
    } else if (event->type() == QEvent::ChildAdded && watched != m_window && watched->isWidgetType()) {
        // A widget without a parent that receives its first control while the window is built is a page the
        // layout will place on the window.
        auto *page = static_cast<QWidget *>(watched);
        if (!page->parentWidget() && !page->testAttribute(Qt::WA_SetFont) && !m_pages.contains(page)) {
            m_pages.append(page);
            page->setFont(m_window->font());
        }
    }
    return false;
}

} // namespace namorel
