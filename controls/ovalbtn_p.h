#pragma once

// Geometry of the oval button, kept apart from the widget so that it can be checked number by number.

#include "ovalbtn.h"

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace namorel::ovalbtn {

/// The ellipse "inscribed" in the pixel rectangle from (left, top) to (right, bottom), both corners
/// included: a 1-pixel pen centred on it covers exactly those pixel columns and rows at its extremes.
QRectF EllipseRect(int left, int top, int right, int bottom);

/// The two points whose rays from the centre split each bevel ring into its upper-left and lower-right
/// half: (4 * (W div 5), H div 5) and (W div 5, 4 * (H div 5)), in pixels.
struct BevelSplit
{
    QPoint upperRight;
    QPoint lowerLeft;
};
BevelSplit BevelSplitPoints(QSize size);

/// The angle, in degrees counter-clockwise from three o'clock as QPainter::drawArc counts them, at which
/// the ray from the ellipse's centre through the centre of \a pixel meets \a ellipse. drawArc measures
/// angles on the circle that is then stretched into the ellipse, so the ray's own angle is not it.
double ArcAngleTowards(const QRectF &ellipse, QPoint pixel);

/// A half ring as drawArc wants it, in sixteenths of a degree, counter-clockwise.
struct Arc
{
    int start16 = 0;
    int span16 = 0;
};

/// The upper-left half of the ring \a ellipse (from the upper-right split ray round through the top to
/// the lower-left one) and the lower-right half (the rest of the way round).
struct RingHalves
{
    Arc upperLeft;
    Arc lowerRight;
};
RingHalves SplitRing(const QRectF &ellipse, const BevelSplit &split);

/// What the glyph and caption placement depends on.
struct ContentInput
{
    QSize size; ///< the control's width and height
    QSize glyphSize; ///< the whole glyph strip
    int numGlyphs = 0;
    bool enabled = true;
    bool sunken = false; ///< content drawn in its pressed position
    bool hasCaption = false;
    QSize captionSize; ///< the caption's extent, ampersands included
    TOvalButton::TButtonLayout layout = TOvalButton::blGlyphBottom;
    int margin = 0;
    int spacing = 4;
};

/// Where the glyph and caption go.
struct ContentGeometry
{
    bool hasGlyph = false;
    int sourceCell = 0; ///< 0-based index of the strip cell shown
    QRect sourceRect; ///< that cell within the strip
    QRect glyphRect; ///< where it is drawn, already moved when sunken
    QRect eraseVertical; ///< the one-pixel strips over the glyph's other position
    QRect eraseHorizontal;
    QPoint captionOrigin; ///< top-left of the caption rectangle, already moved when sunken
    QRect captionErase; ///< filled before the caption is drawn
};
ContentGeometry LayoutContent(const ContentInput &in);

} // namespace namorel::ovalbtn
