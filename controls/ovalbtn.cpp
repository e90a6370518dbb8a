#include "ovalbtn.h"
#include "controlaccessibility.h"
#include "ovalbtn_p.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <cmath>
#include <numbers>

namespace namorel {

namespace ovalbtn {

QRectF EllipseRect(int left, int top, int right, int bottom)
{
    return QRectF(left + 0.5, top + 0.5, right - left, bottom - top);
}

BevelSplit BevelSplitPoints(QSize size)
{
    const int w = size.width();
    const int h = size.height();
    return { QPoint(4 * (w / 5), h / 5), QPoint(w / 5, 4 * (h / 5)) };
}

double ArcAngleTowards(const QRectF &ellipse, QPoint pixel)
{
    const QPointF centre = ellipse.center();
    const double dx = pixel.x() + 0.5 - centre.x();
    const double dyUp = centre.y() - (pixel.y() + 0.5);
    // The ray meets the ellipse where (rx cos a, ry sin a) points the same way as (dx, dyUp).
    const double degrees
        = std::atan2(dyUp / (ellipse.height() / 2), dx / (ellipse.width() / 2)) * 180.0 / std::numbers::pi;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

RingHalves SplitRing(const QRectF &ellipse, const BevelSplit &split)
{
    constexpr int fullCircle = 360 * 16;
    const int from = qRound(ArcAngleTowards(ellipse, split.upperRight) * 16);
    const int to = qRound(ArcAngleTowards(ellipse, split.lowerLeft) * 16);
    // Both halves share their end points exactly, so together they close the ring.
    const int upperSpan = ((to - from) % fullCircle + fullCircle) % fullCircle;
    return { { from, upperSpan }, { to, fullCircle - upperSpan } };
}

ContentGeometry LayoutContent(const ContentInput &in)
{
    ContentGeometry out;
    const int w = in.size.width();
    const int h = in.size.height();
    const int tw = in.captionSize.width();
    const int th = in.captionSize.height();

    if (in.numGlyphs >= 1) {
        out.hasGlyph = true;
        const int cw = in.glyphSize.width() / in.numGlyphs;
        out.sourceCell = !in.enabled && in.numGlyphs >= 2 ? 1 : 0;
        const int gw = cw;
        const int gh = in.glyphSize.height();

        int left = (w - gw) / 2;
        if (in.hasCaption && in.layout == TOvalButton::blGlyphLeft)
            left = (w - (tw + in.spacing + gw)) / 2 - in.margin;
        else if (in.hasCaption && in.layout == TOvalButton::blGlyphRight)
            left = (w + tw + in.spacing + gw) / 2 - gw + in.margin;

        int top = (h - gh) / 2;
        if (in.hasCaption && in.layout == TOvalButton::blGlyphTop)
            top = (h - (th + in.spacing + gh)) / 2 - in.margin;
        else if (in.hasCaption && in.layout == TOvalButton::blGlyphBottom)
            top = (h + th + in.spacing + gh) / 2 - gh + in.margin;

        QRect g(left, top, gw, gh);
        // The strips cover the pixels that only the glyph's other position (one pixel off diagonally) had.
        if (in.sunken) {
            g.translate(1, 1);
            out.eraseVertical = QRect(g.left() - 1, g.top(), 1, gh + 1);
            out.eraseHorizontal = QRect(g.left() - 1, g.top() - 1, gw + 1, 1);
        } else {
            out.eraseVertical = QRect(g.left() + gw, g.top(), 1, gh);
            out.eraseHorizontal = QRect(g.left() + 1, g.top() + gh, gw, 1);
        }
        if (in.sunken && in.numGlyphs >= 3)
            out.sourceCell = 2;
        out.sourceRect = QRect(out.sourceCell * cw, 0, cw, gh);
        out.glyphRect = g;
    }

    int x = (w - tw) / 2;
    int y = (h - th) / 2;
    if (out.hasGlyph) {
        const QRect &g = out.glyphRect;
        switch (in.layout) {
        case TOvalButton::blGlyphRight:
            x = g.left() - tw - in.spacing;
            break;
        case TOvalButton::blGlyphLeft:
            x = g.left() + g.width() + in.spacing;
            break;
        case TOvalButton::blGlyphTop:
            y = g.top() + g.height() + in.spacing;
            break;
        case TOvalButton::blGlyphBottom:
            y = g.top() - th - in.spacing;
            break;
        }
    }
    if (in.sunken) {
        ++x;
        ++y;
    }
    out.captionOrigin = QPoint(x, y);
    out.captionErase = in.sunken ? QRect(x, y, tw, th) : QRect(x + 1, y + 1, tw, th);
    return out;
}

} // namespace ovalbtn

using namespace ovalbtn;

namespace {

QChar asciiUpper(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c;
}

// The character a key press offers to the window's accelerators.
QChar keyCharacter(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() == 1)
        return text.front();
    // Some platforms send no text with Alt held; the key code still names the letter.
    if (text.isEmpty() && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return QChar(u'a' + (event->key() - Qt::Key_A));
    return {};
}

} // namespace

TOvalButton::TOvalButton(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true); // hover drives the flat button's rings
    CalcBevelShades(Color, HighlightColor, ShadowColor, 5, 4);
    resize(100, 50);
    watchWindowForAccelerator();
    InstallControlAccessibility();
}

TOvalButton::~TOvalButton() = default;

void TOvalButton::setAction(QAction *action)
{
    if (action == m_action)
        return;
    disconnect(m_actionLink);
    m_action = action;
    if (action) {
        m_actionLink = connect(action, &QAction::changed, this, &TOvalButton::updateFromAction);
        updateFromAction();
    }
}

void TOvalButton::updateFromAction()
{
    if (!m_action)
        return;
    setCaption(m_action->text());
    setEnabled(m_action->isEnabled());
    setToolTip(m_action->toolTip());
    setVisible(m_action->isVisible());
}

void TOvalButton::setBevelWidth(TBevelWidth width)
{
    if (width == BevelWidth)
        return;
    BevelWidth = width;
    repaintAll();
}

void TOvalButton::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    repaintAll();
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

void TOvalButton::setColor(TColor color)
{
    if (color == Color)
        return;
    Color = color;
    CalcBevelShades(Color, HighlightColor, ShadowColor, 5, 4);
    repaintAll();
}

void TOvalButton::setDown(bool down)
{
    if (down == Down)
        return;
    Down = down;
    restoreBevelStateFromDown();
    repaintAll();
}

void TOvalButton::setFlat(bool flat)
{
    if (flat == Flat)
        return;
    Flat = flat;
    restoreBevelStateFromDown();
    repaintAll();
}

void TOvalButton::restoreBevelStateFromDown()
{
    BevelState = Down ? BevelSunken : (Flat ? BevelNone : BevelRaised);
}

void TOvalButton::setCaptionFont(const QFont &font)
{
    if (font == Font)
        return;
    Font = font;
    repaintAll();
}

void TOvalButton::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    repaintAll();
}

void TOvalButton::setGlyph(const QImage &glyph)
{
    Glyph = glyph;
    if (!Glyph.isNull())
        TransparentColor = ColorFromQColor(Glyph.pixelColor(0, Glyph.height() - 1));
    repaintAll();
}

void TOvalButton::setGroupIndex(int groupIndex)
{
    GroupIndex = groupIndex; // decides only how the next release behaves: nothing to redraw
}

void TOvalButton::setButtonLayout(TButtonLayout layout)
{
    if (layout == Layout)
        return;
    Layout = layout;
    repaintAll();
}

void TOvalButton::setMargin(int margin)
{
    if (margin == Margin)
        return;
    Margin = margin;
    repaintAll();
}

void TOvalButton::setNumGlyphs(TNumGlyphs numGlyphs)
{
    if (numGlyphs == NumGlyphs)
        return;
    NumGlyphs = numGlyphs;
    repaintAll();
}

void TOvalButton::setSpacing(int spacing)
{
    if (spacing == Spacing)
        return;
    Spacing = spacing;
    repaintAll();
}

void TOvalButton::setTransparent(bool transparent)
{
    if (transparent == Transparent)
        return;
    Transparent = transparent;
    repaintAll();
}

void TOvalButton::setTransparentColor(TColor color)
{
    if (color == TransparentColor)
        return;
    TransparentColor = color;
    repaintAll();
}

bool TOvalButton::PtInOval(int x, int y) const
{
    // Built for every test, so it always matches the current size.
    return QRegion(0, 0, width(), height(), QRegion::Ellipse).contains(QPoint(x, y));
}

bool TOvalButton::CaptionHasAccel(QChar key, const QString &caption)
{
    const qsizetype amp = caption.indexOf(u'&');
    if (amp < 0 || amp + 1 >= caption.size())
        return false;
    return asciiUpper(caption.at(amp + 1)) == asciiUpper(key);
}

QSize TOvalButton::sizeHint() const
{
    return QSize(100, 50);
}

void TOvalButton::CalcBevelShades(
    TColor color, TColor &highlight, TColor &shadow, int highlightTenths, int shadowTenths) const
{
    const auto highlightFactor = static_cast<float>((10 - highlightTenths) / 10.0);
    const auto shadowFactor = static_cast<float>((10 - shadowTenths) / 10.0);
    // Resolved through this button's palette, which is the one its face is painted from.
    CalcShades(ColorFromQColor(resolve(color)), highlight, shadow, highlightFactor, shadowFactor);
}

QColor TOvalButton::resolve(TColor color) const
{
    return ColorToRGB(color, palette());
}

void TOvalButton::repaintAll()
{
    m_contentSunken = BevelState == BevelSunken;
    update();
}

void TOvalButton::repaintBevel()
{
    update(); // the content keeps m_contentSunken while the button is held
}

// Mouse handling ------------------------------------------------------------------------------------------

void TOvalButton::press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    m_contentSunken = BevelState == BevelSunken;
    if (isEnabled() && PtInOval(pos.x(), pos.y())) {
        DownAtPress = Down;
        Down = true;
        BevelState = BevelSunken;
        repaintAll();
        emit OnMouseDown(button, modifiers, pos.x(), pos.y());
    }
    ButtonHeld = true;
}

void TOvalButton::release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    if (isEnabled() && PtInOval(pos.x(), pos.y())) {
        if (GroupIndex == 0) {
            Down = false;
            BevelState = BevelRaised; // also when flat: the pointer is over the face
            repaintAll();
        } else {
            setDown(!DownAtPress);
        }
        emit OnMouseUp(button, modifiers, pos.x(), pos.y());
    }
    ButtonHeld = false;
    // Glyph and caption stayed put while the button was held; now they follow the rings again.
    if (m_contentSunken != (BevelState == BevelSunken))
        repaintAll();
}

void TOvalButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_clickArmed = true;
    press(event->button(), event->modifiers(), event->position().toPoint());
}

void TOvalButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click reports the double click first; its release is no click.
    if (event->button() == Qt::LeftButton) {
        m_clickArmed = false;
        if (isEnabled() && MouseInside)
            emit OnDblClick();
    }
    press(event->button(), event->modifiers(), event->position().toPoint());
}

void TOvalButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const bool overFace = PtInOval(pos.x(), pos.y());
    if (ButtonHeld) {
        if (overFace) {
            if (BevelState == BevelRaised && GroupIndex == 0) {
                MouseInside = true;
                Down = true;
                BevelState = BevelSunken;
                repaintBevel();
            }
        } else {
            if (BevelState == BevelSunken && GroupIndex == 0 && MouseInside) {
                Down = false;
                BevelState = BevelRaised;
                repaintBevel();
            }
            MouseInside = false;
        }
    } else if (Flat && !Down) {
        if (overFace) {
            MouseInside = true;
            BevelState = BevelRaised;
            repaintBevel();
        } else if (MouseInside) {
            MouseInside = false;
            BevelState = BevelNone;
            repaintAll();
        }
    } else {
        MouseInside = overFace;
    }
    if (MouseInside)
        emit OnMouseMove(event->modifiers(), pos.x(), pos.y());
}

void TOvalButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    // A click is reported before the release is handled, so Down still reads true in OnClick.
    if (event->button() == Qt::LeftButton && m_clickArmed) {
        m_clickArmed = false;
        if (rect().contains(pos) && isEnabled() && MouseInside)
            emit OnClick();
    }
    release(event->button(), event->modifiers(), pos);
}

void TOvalButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    emit OnMouseEnter();
}

void TOvalButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (MouseInside && isEnabled()) {
        MouseInside = false;
        if (Flat && !Down) {
            BevelState = BevelNone;
            repaintAll();
        }
    }
    emit OnMouseExit();
}

// Accelerator ---------------------------------------------------------------------------------------------

void TOvalButton::watchWindowForAccelerator()
{
    QWidget *const top = window();
    if (top == m_acceleratorWindow)
        return;
    if (m_acceleratorWindow)
        m_acceleratorWindow->removeEventFilter(this);
    m_acceleratorWindow = top;
    top->installEventFilter(this);
}

bool TOvalButton::eventFilter(QObject *watched, QEvent *event)
{
    // Key presses reach the window only when no widget inside it took them, which is when a window offers
    // a character to its controls' accelerators.
    if (watched == m_acceleratorWindow && event->type() == QEvent::KeyPress && isVisible()) {
        const QChar key = keyCharacter(static_cast<QKeyEvent *>(event));
        if (!key.isNull() && CaptionHasAccel(key, m_caption)) {
            // The key is this button's whether or not it is enabled. It clicks wherever the pointer is: an
            // accelerator that worked only with the pointer resting on the button would be of no use.
            if (isEnabled())
                emit OnClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TOvalButton::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        watchWindowForAccelerator();
    return QWidget::event(event);
}

void TOvalButton::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        repaintAll();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

// Painting ------------------------------------------------------------------------------------------------

void TOvalButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // Face and outline; the corners outside the ellipse are left to the parent.
    painter.save();
    painter.setPen(Flat ? QPen(Qt::NoPen) : QPen(Qt::black, 1));
    painter.setBrush(Transparent ? QBrush(Qt::NoBrush) : QBrush(resolve(Color)));
    painter.drawEllipse(EllipseRect(0, 0, width() - 1, height() - 1));
    painter.restore();

    DrawContent(painter, ButtonHeld ? m_contentSunken : BevelState == BevelSunken);
}

void TOvalButton::DrawBevel(QPainter &painter) const
{
    if (BevelState == BevelNone)
        return;
    const bool sunken = BevelState == BevelSunken;
    const QColor upperLeft = resolve(sunken ? ShadowColor : HighlightColor);
    const QColor lowerRight = resolve(sunken ? HighlightColor : ShadowColor);
    const BevelSplit split = BevelSplitPoints(size());

    // Rings that would have no room inside the outline are left out.
    int rings = BevelWidth;
    while (rings > 0 && EllipseRect(rings, rings, width() - rings - 1, height() - rings - 1).isEmpty())
        --rings;

    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (int pass = 0; pass < 2; ++pass) {
        QPen pen(pass == 0 ? upperLeft : lowerRight, 1);
        pen.setCapStyle(Qt::FlatCap); // the halves meet on the split rays, neither overlapping the other
        for (int i = 1; i <= rings; ++i) {
            QRectF ring = EllipseRect(i, i, width() - i - 1, height() - i - 1);
            // Antialiased 1-pixel rings side by side let the face show through the seams between them, so
            // each ring but the innermost is stroked two pixels wide towards the centre, under the next one.
            // Every ring still covers its own pixels, and its ends stay on the split rays.
            if (i < rings) {
                ring.adjust(0.5, 0.5, -0.5, -0.5);
                pen.setWidth(2);
            } else {
                pen.setWidth(1);
            }
            painter.setPen(pen);
            const RingHalves halves = SplitRing(ring, split);
            const Arc &arc = pass == 0 ? halves.upperLeft : halves.lowerRight;
            painter.drawArc(ring, arc.start16, arc.span16);
        }
    }
    painter.restore();
}

void TOvalButton::DrawContent(QPainter &painter, bool contentSunken) const
{
    DrawBevel(painter);

    const QFontMetrics metrics(Font);
    const bool hasCaption = !m_caption.isEmpty();
    ContentInput in;
    in.size = size();
    in.glyphSize = Glyph.size();
    in.numGlyphs = NumGlyphs;
    in.enabled = isEnabled();
    in.sunken = contentSunken;
    in.hasCaption = hasCaption;
    // Measured with the ampersands, as the caption's box is placed.
    in.captionSize = hasCaption ? QSize(metrics.horizontalAdvance(m_caption), metrics.height()) : QSize();
    in.layout = Layout;
    in.margin = Margin;
    in.spacing = Spacing;
    const ContentGeometry geometry = LayoutContent(in);
    const QColor face = resolve(Color);

    if (geometry.hasGlyph) {
        painter.save();
        if (!Transparent) {
            painter.fillRect(geometry.eraseVertical, face);
            painter.fillRect(geometry.eraseHorizontal, face);
        }
        QImage cell = Glyph.copy(geometry.sourceRect).convertToFormat(QImage::Format_ARGB32);
        if (!cell.isNull()) {
            // Pixels of the transparent colour show the face, or with a transparent button the background.
            const QRgb key = ColorToRGB(TransparentColor, palette()).rgb() & RGB_MASK;
            for (int y = 0; y < cell.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(cell.scanLine(y));
                for (int x = 0; x < cell.width(); ++x) {
                    if ((line[x] & RGB_MASK) == key)
                        line[x] = 0;
                }
            }
            if (!Transparent)
                painter.fillRect(geometry.glyphRect, face);
            painter.drawImage(geometry.glyphRect.topLeft(), cell);
        }
        painter.restore();
    }

    if (!hasCaption)
        return;

    painter.save();
    painter.setFont(Font);
    const QRect box(geometry.captionOrigin, in.captionSize);
    if (!Transparent) {
        painter.fillRect(geometry.captionErase, face);
        // An opaque background behind the characters themselves, as wide as they are drawn.
        const int drawnWidth = metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, m_caption).width();
        painter.fillRect(QRect(box.topLeft(), QSize(std::min(drawnWidth, box.width()), box.height())), face);
    }
    painter.setPen(resolve(isEnabled() ? m_fontColor : kColorGrayText));
    // The whole caption is drawn, however long it is.
    painter.drawText(box, Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop, m_caption);
    painter.restore();
}

} // namespace namorel
