#pragma once

#include "rrcolors.h"

#include <QAction>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace namorel {

/// Number of bevel rings; 1 to 10 are meant, any value is drawn.
using TBevelWidth = quint8;
/// Number of cells in a glyph strip; 0 shows no glyph, 1 to 4 are meant.
using TNumGlyphs = quint8;

/// A push button whose face is the ellipse that fills its bounds. Bevel rings in a light and a dark shade of
/// its colour make it look raised or sunken; it can show a caption and one cell of a glyph strip, be flat
/// (no outline, rings only while hovered), transparent (no face), or a toggle that stays down between
/// clicks. Only the ellipse reacts to the mouse.
///
/// Colours are TColor values, so the face can follow the palette's button colour.
class TOvalButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QAction *Action READ action WRITE setAction)
    Q_PROPERTY(quint8 BevelWidth READ bevelWidth WRITE setBevelWidth)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(quint32 Color READ color WRITE setColor)
    Q_PROPERTY(bool Down READ isDown WRITE setDown)
    Q_PROPERTY(bool Flat READ isFlat WRITE setFlat)
    Q_PROPERTY(QFont Font READ captionFont WRITE setCaptionFont)
    Q_PROPERTY(quint32 FontColor READ fontColor WRITE setFontColor)
    Q_PROPERTY(QImage Glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(TButtonLayout Layout READ buttonLayout WRITE setButtonLayout)
    Q_PROPERTY(int Margin READ margin WRITE setMargin)
    Q_PROPERTY(quint8 NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(int Spacing READ spacing WRITE setSpacing)
    Q_PROPERTY(bool Transparent READ isTransparent WRITE setTransparent)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
    Q_PROPERTY(quint32 HighlightColor READ highlightColor)
    Q_PROPERTY(quint32 ShadowColor READ shadowColor)
    Q_PROPERTY(int BevelState READ bevelState)

public:
    /// Where the glyph stands relative to the caption.
    enum TButtonLayout { blGlyphBottom, blGlyphLeft, blGlyphRight, blGlyphTop };
    Q_ENUM(TButtonLayout)

    /// Values of BevelState.
    enum : qint32 { BevelSunken = -1, BevelNone = 0, BevelRaised = 1 };

    /// A raised, 100 x 50 button in the palette's button colour, with no rings until BevelWidth is set.
    explicit TOvalButton(QWidget *parent = nullptr);
    ~TOvalButton() override;

    QAction *action() const { return m_action; }
    /// Lets \a action drive the caption, enabled state, tool tip and visibility; nullptr unlinks it. A click
    /// fires OnClick only and never triggers the action.
    void setAction(QAction *action);

    TBevelWidth bevelWidth() const { return BevelWidth; }
    /// Sets the number of bevel rings, drawn one pixel apart inside the outline.
    void setBevelWidth(TBevelWidth width);

    QString caption() const { return m_caption; }
    /// Sets the caption; "&" marks the accelerator character and "&&" shows one ampersand.
    void setCaption(const QString &caption);

    TColor color() const { return Color; }
    /// Sets the face colour and derives the ring shades from it as it resolves now.
    void setColor(TColor color);

    /// The light ring shade, derived from the colour when it was last set.
    TColor highlightColor() const { return HighlightColor; }
    /// The dark ring shade, derived from the colour when it was last set.
    TColor shadowColor() const { return ShadowColor; }

    bool isDown() const { return Down; }
    /// Shows the button pressed (sunken) or not.
    void setDown(bool down);

    bool isFlat() const { return Flat; }
    /// A flat button has no outline and shows its rings only while hovered or down.
    void setFlat(bool flat);

    QFont captionFont() const { return Font; }
    /// Sets the caption's font (a copy is kept).
    void setCaptionFont(const QFont &font);

    TColor fontColor() const { return m_fontColor; }
    /// Sets the caption colour; the palette's window text colour by default.
    void setFontColor(TColor color);

    QImage glyph() const { return Glyph; }
    /// Copies \a glyph, a strip of NumGlyphs cells of equal width, and takes its bottom-left pixel as the
    /// transparent colour. Always repaints. Does not change NumGlyphs.
    void setGlyph(const QImage &glyph);

    int groupIndex() const { return GroupIndex; }
    /// 0 makes a push button; any other value a toggle that keeps its state between clicks. Buttons sharing
    /// a value do not affect one another.
    void setGroupIndex(int groupIndex);

    TButtonLayout buttonLayout() const { return Layout; }
    /// Sets the glyph's side of the caption.
    void setButtonLayout(TButtonLayout layout);

    int margin() const { return Margin; }
    /// Moves the glyph-and-caption block by \a margin pixels towards the glyph's side.
    void setMargin(int margin);

    TNumGlyphs numGlyphs() const { return NumGlyphs; }
    /// Sets the number of cells in the glyph strip: 1 normal, 2 disabled, 3 down, 4 unused.
    void setNumGlyphs(TNumGlyphs numGlyphs);

    int spacing() const { return Spacing; }
    /// Sets the distance between glyph and caption in pixels.
    void setSpacing(int spacing);

    bool isTransparent() const { return Transparent; }
    /// A transparent button fills no face, so the parent shows through.
    void setTransparent(bool transparent);

    TColor transparentColor() const { return TransparentColor; }
    /// Glyph pixels of this colour show the face (or, when transparent, the background).
    void setTransparentColor(TColor color);

    /// -1 sunken, 0 no rings, 1 raised.
    qint32 bevelState() const { return BevelState; }

    /// True if (x, y) lies on the elliptic face. Every mouse decision of the button is made here.
    bool PtInOval(int x, int y) const;

    /// True if the character after the first "&" of \a caption is \a key, ignoring the case of a-z.
    static bool CaptionHasAccel(QChar key, const QString &caption);

    QSize sizeHint() const override;

signals:
    /// A left click released over the face, the pointer tracked over the face. Down still reads true.
    void OnClick();
    /// The second press of a double click, over the face.
    void OnDblClick();
    void OnMouseEnter();
    /// The pointer left the bounding rectangle (after the hover state has been reset).
    void OnMouseExit();
    /// Any mouse button pressed over the face, after the button has been drawn sunken.
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    /// The pointer moved, and it is over the face.
    void OnMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    /// Any mouse button released over the face, after the state change.
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void CalcBevelShades(TColor color, TColor &highlight, TColor &shadow, int highlightTenths, int shadowTenths) const;
    void press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void restoreBevelStateFromDown();
    void repaintAll();
    void repaintBevel();
    void watchWindowForAccelerator();
    void updateFromAction();
    QColor resolve(TColor color) const;
    void DrawBevel(QPainter &painter) const;
    void DrawContent(QPainter &painter, bool contentSunken) const;

    TBevelWidth BevelWidth = 0;
    TColor Color = kColorButtonFace;
    TColor HighlightColor = 0;
    TColor ShadowColor = 0;
    bool Down = false;
    bool DownAtPress = false;
    bool Flat = false;
    QFont Font;
    QImage Glyph;
    qint32 GroupIndex = 0;
    TButtonLayout Layout = blGlyphBottom;
    qint32 Margin = 0;
    TNumGlyphs NumGlyphs = 0;
    qint32 Spacing = 4;
    qint32 BevelState = BevelRaised;
    bool Transparent = false;
    TColor TransparentColor = 0;
    bool ButtonHeld = false;
    bool MouseInside = false;

    QString m_caption;
    TColor m_fontColor = kColorWindowText;
    // While a mouse button is held, crossing the face's edge redraws only the rings: glyph and caption keep
    // the position they had when the content was last drawn in full.
    bool m_contentSunken = false;
    // A left press (not the second press of a double click) that a left release may complete as a click.
    bool m_clickArmed = false;
    QPointer<QWidget> m_acceleratorWindow;
    QPointer<QAction> m_action;
    QMetaObject::Connection m_actionLink;
};

} // namespace namorel
