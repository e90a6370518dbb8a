#include "windowstyle.h"
#include "picturelabel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

#include <functional>

namespace namorel {

namespace {

const QStyleOptionGroupBox *plainGroupBox(const QStyleOptionComplex *option)
{
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    // A group box with a tick box of its own is left to the platform.
    return box && !(box->subControls & QStyle::SC_GroupBoxCheckBox) ? box : nullptr;
}

// A one-pixel rectangle outline, drawn as four filled edges so that it stays crisp at every scale.
void drawOutline(QPainter *painter, const QRect &rect, const QColor &colour)
{
    painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    painter->fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
    painter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
}

// An icon that is made the first time anything asks it for pixels, sizes or its name, and from then on is
// that icon.
class IconMadeWhenUsed : public QIconEngine
{
public:
    explicit IconMadeWhenUsed(std::function<QIcon()> make)
        : m_make(std::move(make))
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }

    // Asked for the pixels of a screen with several device pixels to a pixel, the made icon is asked for the
    // same pixels: its own request multiplies the size it is given by the ratio again.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        if (!(scale > 1.0))
            return pixmap(size, mode, state);
        const QSize logical(qRound(size.width() / scale), qRound(size.height() / scale));
        return icon().pixmap(logical, scale, mode, state);
    }

    // An icon's size for a request is the size of the pixels it gives for it.
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return pixmap(size, mode, state).size();
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }

    void addPixmap(const QPixmap &pixmap, QIcon::Mode mode, QIcon::State state) override
    {
        icon().addPixmap(pixmap, mode, state);
    }

    void addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        icon().addFile(fileName, size, mode, state);
    }

    QString iconName() override { return icon().name(); }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("namorel::IconMadeWhenUsed"); }
    QIconEngine *clone() const override { return new IconMadeWhenUsed(*this); }

private:
    IconMadeWhenUsed(const IconMadeWhenUsed &) = default;

    QIcon &icon()
    {
        if (m_make) {
            m_icon = m_make();
            m_make = nullptr;
        }
        return m_icon;
    }

    std::function<QIcon()> m_make; // empty once the icon is made
    QIcon m_icon;
};

} // namespace

WindowStyle::WindowStyle()
    : QProxyStyle(QApplication::style()->name())
{ }

int WindowStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        // The platform's tick box is taller than a list row of 13 pixels, which would cut it.
        if (qobject_cast<const QAbstractItemView *>(widget))
            return kItemCheckSize;
        break;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect WindowStyle::subControlRect(
    ComplexControl control, const QStyleOptionComplex *option, SubControl subControl, const QWidget *widget) const
{
    if (const QStyleOptionGroupBox *box = control == CC_GroupBox ? plainGroupBox(option) : nullptr) {
        // The frame's top line runs through the middle of the caption, which stands on it near the left.
        const int captionHeight = box->fontMetrics.height();
        const QRect frame = box->rect.adjusted(0, captionHeight / 2 - 1, 0, 0);
        switch (subControl) {
        case SC_GroupBoxFrame:
            return frame;
        case SC_GroupBoxLabel: {
            if (box->text.isEmpty())
                return {};
            const int width = box->fontMetrics.size(Qt::TextShowMnemonic, box->text).width();
            const QRect caption(box->rect.left() + kGroupCaptionIndent, box->rect.top(), width, captionHeight);
            return visualRect(box->direction, box->rect, caption);
        }
        case SC_GroupBoxContents:
            return QRect(box->rect.left() + 2, box->rect.top() + captionHeight, box->rect.width() - 4,
                box->rect.height() - captionHeight - 2);
        default:
            break;
        }
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

void WindowStyle::drawComplexControl(
    ComplexControl control, const QStyleOptionComplex *option, QPainter *painter, const QWidget *widget) const
{
    const QStyleOptionGroupBox *box = control == CC_GroupBox ? plainGroupBox(option) : nullptr;
    if (!box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    const QRect caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        // An etched frame, a dark line with a light one beside it, broken where the caption stands.
        painter->save();
        if (caption.isValid())
            painter->setClipRegion(QRegion(box->rect).subtracted(caption.adjusted(-2, 0, 2, 0)));
        const QRect frame = subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
        drawOutline(painter, frame.adjusted(1, 1, 0, 0), box->palette.color(QPalette::Light));
        drawOutline(painter, frame.adjusted(0, 0, -1, -1), box->palette.color(QPalette::Dark));
        painter->restore();
    }
    if ((box->subControls & SC_GroupBoxLabel) && caption.isValid()) {
        int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
        if (!styleHint(SH_UnderlineShortcut, box, widget))
            flags |= Qt::TextHideMnemonic;
        drawItemText(
            painter, caption, flags, box->palette, box->state & State_Enabled, box->text, QPalette::WindowText);
    }
}

void WindowStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameFocusRect) {
        // The mark of the keyboard focus (on a list row, a tab, a tick box's caption) is a solid line that
        // stands out from what it surrounds by far more than 3 : 1, dark on light and light on dark.
        const auto *focus = qstyleoption_cast<const QStyleOptionFocusRect *>(option);
        if (!focus || !(focus->state & State_KeyboardFocusChange))
            return;
        const QColor behind
            = focus->backgroundColor.isValid() ? focus->backgroundColor : focus->palette.color(QPalette::Window);
        const bool darkBehind = qGray(behind.rgb()) < 128;
        const QColor mark = focus->palette.color(darkBehind ? QPalette::HighlightedText : QPalette::WindowText);
        painter->save();
        drawOutline(painter, focus->rect, mark);
        painter->restore();
        return;
    }
    if (element == PE_FrameTabWidget) {
        // The platform may fill the pages a shade lighter than the window; they show the window's face, and
        // only the frame round them is drawn. The frame is drawn one edge at a time, each clipped to a
        // rectangle: under a clip of any other shape the painter hands tall fills out to worker threads, and
        // on a small machine waking them costs more than the few pixels of a frame.
        const QRegion frame = QRegion(option->rect).subtracted(QRegion(option->rect.adjusted(2, 2, -2, -2)));
        for (const QRect &edge : frame) {
            painter->save();
            painter->setClipRect(edge, Qt::IntersectClip);
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            painter->restore();
        }
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void WindowStyle::drawControl(
    ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    if (element == CE_TabBarTabLabel) {
        const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
        if (tab && (tab->state & State_HasFocus)) {
            // The platform draws the tab's focus mark with its own, faint pen; this style draws it instead,
            // where the platform would.
            QStyleOptionTab unmarked = *tab;
            unmarked.state &= ~State_HasFocus;
            QProxyStyle::drawControl(element, &unmarked, painter, widget);
            const int inset = 1 + pixelMetric(PM_DefaultFrameWidth, tab, widget);
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*tab);
            focus.rect = QRect(tab->rect.left() + 1 + inset, tab->rect.top() + inset, tab->rect.width() - 2 - 2 * inset,
                tab->rect.height() - 2 * inset);
            drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
            return;
        }
    }
    if (element == CE_TabBarTabShape) {
        if (const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option)) {
            // Drawn as a tab without a frame of its own, the selected tab takes the window's face and flows
            // into its page.
            QStyleOptionTab plain = *tab;
            plain.features &= ~QStyleOptionTab::HasFrame;
            QProxyStyle::drawControl(element, &plain, painter, widget);
            return;
        }
    }

    const auto *button
        = element == CE_PushButtonLabel ? qstyleoption_cast<const QStyleOptionButton *>(option) : nullptr;
    if (!button || button->icon.isNull() || button->text.isEmpty()
        || (button->features & QStyleOptionButton::HasMenu)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    // Picture and caption side by side, kGlyphSpacing apart, the two centred together on the button.
    QIcon::Mode mode = button->state & State_Enabled ? QIcon::Normal : QIcon::Disabled;
    if (mode == QIcon::Normal && (button->state & State_HasFocus))
        mode = QIcon::Active;
    const QIcon::State state = button->state & State_On ? QIcon::On : QIcon::Off;
    const QPixmap picture = button->icon.pixmap(button->iconSize, PaintedPixelRatio(*painter), mode, state);
    const QSize pictureSize = picture.deviceIndependentSize().toSize();
    const int captionWidth = button->fontMetrics.size(Qt::TextShowMnemonic, button->text).width();
    const QRect &area = button->rect;
    const int left = area.x() + (area.width() - (pictureSize.width() + kGlyphSpacing + captionWidth)) / 2;
    QRect pictureRect(QPoint(left, area.y() + (area.height() - pictureSize.height()) / 2), pictureSize);
    QRect captionRect(pictureRect.right() + 1 + kGlyphSpacing, area.y(), captionWidth, area.height());
    if (button->state & (State_On | State_Sunken)) {
        const QPoint shift(
            pixelMetric(PM_ButtonShiftHorizontal, option, widget), pixelMetric(PM_ButtonShiftVertical, option, widget));
        pictureRect.translate(shift);
        captionRect.translate(shift);
    }
    int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
    if (!styleHint(SH_UnderlineShortcut, button, widget))
        flags |= Qt::TextHideMnemonic;
    painter->drawPixmap(visualRect(button->direction, area, pictureRect), picture);
    drawItemText(painter, visualRect(button->direction, area, captionRect), flags, button->palette,
        button->state & State_Enabled, button->text, QPalette::ButtonText);
}

QIcon WindowStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton && standardIcon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // The request is kept by what it means for the arrow, the direction it points in; the base style may be
    // gone when the arrow is first drawn, and the application's style draws it then.
    const Qt::LayoutDirection direction = option ? option->direction : QGuiApplication::layoutDirection();
    return QIcon(new IconMadeWhenUsed([standardIcon, direction, base = QPointer<QStyle>(baseStyle())] {
        QStyleOption request;
        request.direction = direction;
        return (base ? base.data() : QApplication::style())->standardIcon(standardIcon, &request);
    }));
}

} // namespace namorel
