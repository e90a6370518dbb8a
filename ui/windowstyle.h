#pragma once

#include <QProxyStyle>

namespace namorel {

/// The look of the program's windows, laid over the platform's own style. The windows are laid out to the
/// pixel for the classic desktop their layouts come from, and a few controls are drawn as they were drawn
/// there:
/// - group boxes draw their frame through the middle of the caption, leaving the whole inside free for the
///   controls placed in it, and fill nothing, so that they show the window's face;
/// - tab pages show the window's face too, and the selected tab flows into them;
/// - tick boxes in lists fit rows 13 pixels high;
/// - a push button with a picture and a caption shows them side by side, 5 pixels apart, centred together;
/// - the keyboard focus is marked by a solid line in high contrast to what it surrounds.
///
/// The arrow that a menu bar or a tool bar shows when its commands do not fit is asked for by every bar as it
/// is made, but shown by few: its pictures are read when it is first drawn, not when it is asked for.
class WindowStyle : public QProxyStyle
{
    Q_OBJECT

public:
    /// Pixels between a button's picture and its caption.
    static constexpr int kGlyphSpacing = 5;
    /// The side of the tick box of a list row.
    static constexpr int kItemCheckSize = 11;
    /// Where a group box's caption begins, from its left edge.
    static constexpr int kGroupCaptionIndent = 8;

    /// A style over the application's present one.
    WindowStyle();

    int pixelMetric(
        PixelMetric metric, const QStyleOption *option = nullptr, const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
        const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
        const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
        const QWidget *widget = nullptr) const override;
};

} // namespace namorel
