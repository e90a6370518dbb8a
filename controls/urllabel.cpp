#include "urllabel.h"
#include "controlaccessibility.h"
#include "cursortable.h"
#include "shellopen.h"

#include <QBitmap>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QUrl>

#include <optional>

namespace namorel {

namespace {

// Makes a cursor from a 32 x 32 picture: dark opaque pixels black, light opaque pixels white, transparent
// pixels transparent. Nothing when the picture is missing, unreadable or of another size.
std::optional<QCursor> loadMonochromeCursor(const QString &path, QPoint hotSpot)
{
    constexpr int side = 32;
    const QImage picture = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (picture.width() != side || picture.height() != side)
        return std::nullopt;

    // Bit 1 is black in both: in the bitmap it draws black, in the mask it makes the pixel opaque.
    QImage bits(side, side, QImage::Format_Mono);
    bits.setColorTable({ qRgb(255, 255, 255), qRgb(0, 0, 0) });
    bits.fill(0);
    QImage mask = bits;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (qAlpha(pixel) < 128)
                continue;
            mask.setPixel(x, y, 1);
            if (qGray(pixel) < 128)
                bits.setPixel(x, y, 1);
        }
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), hotSpot.x(), hotSpot.y());
}

constexpr QPoint kLinkCursorHotSpot(5, 0); // the fingertip

bool containsIgnoringAsciiCase(const QString &text, const QString &lowerCasePrefix)
{
    // Only A-Z are folded: a letter with an accent stays what it is.
    QString folded = text;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded.contains(lowerCasePrefix);
}

} // namespace

TURLLabel::TURLLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    // A font of the label's own: the panel or window it sits on does not change it.
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    font.setUnderline(true);
    setFont(font);
    resize(65, 17);
    setCaption(QStringLiteral("http://www.namorel.com/"));

    // Every label registers the cursor again, so the table holds one entry however many labels there are.
    RegisterCursor(kLinkCursorId, linkCursor(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0));
    setCursorId(kLinkCursorId);
    InstallControlAccessibility();
}

TURLLabel::~TURLLabel() = default;

std::optional<QCursor> TURLLabel::linkCursor(qreal ratio)
{
    if (ratio < 1.5)
        return loadMonochromeCursor(QString::fromUtf16(kLinkCursorResource), kLinkCursorHotSpot);
    QPixmap sharp(QString::fromUtf16(kLinkCursorResource2x));
    if (sharp.size() != QSize(64, 64))
        return std::nullopt;
    sharp.setDevicePixelRatio(2);
    // Qt's X11 platform hands a cursor's picture and hot spot to the X server in device pixels, as they
    // are; the others take the hot spot in pixels and scale it with the picture.
    const int hotSpotScale = QGuiApplication::platformName() == QLatin1String("xcb") ? 2 : 1;
    return QCursor(sharp, kLinkCursorHotSpot.x() * hotSpotScale, kLinkCursorHotSpot.y() * hotSpotScale);
}

QString TURLLabel::schemePrefix(TURLType type)
{
    switch (type) {
    case utHTTP:
        break;
    case utFTP:
        return QStringLiteral("ftp://");
    case utMailTo:
        return QStringLiteral("mailto:");
    }
    return QStringLiteral("http://");
}

QString TURLLabel::linkAddress(TURLType type, const QString &caption)
{
    const QString prefix = schemePrefix(type);
    return containsIgnoringAsciiCase(caption, prefix) ? caption : prefix + caption;
}

void TURLLabel::setAutoSize(bool autoSize)
{
    if (autoSize == m_autoSize)
        return;
    m_autoSize = autoSize;
    fitToText();
}

void TURLLabel::setCaption(const QString &caption)
{
    if (caption == text())
        return;
    setText(caption);
    fitToText();
}

void TURLLabel::setTransparent(bool transparent)
{
    if (transparent == isTransparent())
        return;
    setAutoFillBackground(!transparent);
    update();
}

void TURLLabel::setCursorId(int id)
{
    m_cursorId = id;
    applyCursor();
}

void TURLLabel::applyCursor()
{
    if (const std::optional<QCursor> registered = RegisteredCursor(m_cursorId))
        setCursor(*registered);
    else
        unsetCursor();
}

void TURLLabel::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    const QPalette reference = parentWidget() ? parentWidget()->palette() : QPalette();
    const QColor rgb = ColorToRGB(color, reference);
    QPalette own = palette();
    // The disabled group keeps the greyed text that marks a disabled control.
    own.setColor(QPalette::Active, QPalette::WindowText, rgb);
    own.setColor(QPalette::Inactive, QPalette::WindowText, rgb);
    setPalette(own);
    update();
}

QSize TURLLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    // An empty caption keeps the height of a line and the width of a space.
    const QString shown = text().isEmpty() ? QStringLiteral(" ") : text();
    return { metrics.horizontalAdvance(shown), metrics.height() };
}

QSize TURLLabel::minimumSizeHint() const
{
    return sizeHint();
}

void TURLLabel::fitToText()
{
    if (m_autoSize)
        resize(sizeHint());
}

void TURLLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitToText();
    else if (event->type() == QEvent::EnabledChange)
        m_clickArmed = false;
}

void TURLLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    // The table may have changed since the label was made; the pointer shows what it holds now.
    applyCursor();
    setFontColor(ColorFromRGB(0, 0, 255));
}

void TURLLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    setFontColor(ColorFromRGB(0, 0, 0));
}

void TURLLabel::mousePressEvent(QMouseEvent *event)
{
    // The label's text is not selectable, so the label takes the buttons for itself.
    if (event->button() == Qt::LeftButton)
        m_clickArmed = true;
    event->accept();
}

void TURLLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool armed = std::exchange(m_clickArmed, false);
    // Disabled widgets receive no mouse events, so a disabled label never gets here.
    if (armed && rect().contains(event->position().toPoint()))
        click();
}

void TURLLabel::open()
{
    click();
}

void TURLLabel::click()
{
    ShellOpen(QUrl(linkAddress(URLType, caption()), QUrl::TolerantMode), ShellShowMode::Normal);
}

} // namespace namorel
