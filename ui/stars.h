#pragma once

#include <QPainterPath>
#include <QRectF>

class QPainter;
class QPalette;

namespace namorel {

/// The outline of a five-pointed star standing in \a box, its top point at the middle of the top edge.
QPainterPath StarPath(const QRectF &box);

/// Paints five stars side by side from the left of \a rect, each as high as \a rect (and as wide), \a spacing
/// pixels apart: the first \a filled in gold, the rest as outlines; \a highlighted stars (a pointer resting on
/// the stars) are drawn filled in a lighter gold. Greyed when \a enabled is false.
void PaintStars(QPainter &painter, const QRectF &rect, int filled, const QPalette &palette, bool enabled = true,
    int highlighted = 0, qreal spacing = 2);

/// The width that PaintStars needs for stars of \a height.
qreal StarsWidth(qreal height, qreal spacing = 2);

} // namespace namorel
