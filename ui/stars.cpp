#include "stars.h"

#include <QPainter>
#include <QPalette>

#include <cmath>
#include <numbers>

namespace namorel {

namespace {

const QColor kGold(0xE8, 0xA2, 0x02);
const QColor kLightGold(0xF7, 0xD7, 0x7A);

} // namespace

QPainterPath StarPath(const QRectF &box)
{
    // Ten corners alternately on an outer and an inner circle; the inner radius of a regular star.
    const QPointF centre(box.center().x(), box.top() + box.height() * 0.55);
    const qreal outer = box.height() * 0.5;
    const qreal inner = outer * 0.4;
    QPainterPath path;
    for (int corner = 0; corner < 10; ++corner) {
        const qreal angle = -std::numbers::pi / 2 + corner * std::numbers::pi / 5;
        const qreal radius = corner % 2 ? inner : outer;
        const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (corner == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

qreal StarsWidth(qreal height, qreal spacing)
{
    return 5 * height + 4 * spacing;
}

void PaintStars(QPainter &painter, const QRectF &rect, int filled, const QPalette &palette, bool enabled,
    int highlighted, qreal spacing)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal size = rect.height();
    const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
    for (int star = 0; star < 5; ++star) {
        const QRectF box(rect.left() + star * (size + spacing), rect.top(), size, size);
        const QPainterPath path = StarPath(box.adjusted(0.5, 0.5, -0.5, -0.5));
        QColor fill = palette.color(group, QPalette::Base);
        QColor outline = palette.color(group, QPalette::Mid);
        if (star < filled) {
            fill = enabled ? kGold : palette.color(group, QPalette::Mid);
            outline = enabled ? kGold.darker(130) : palette.color(group, QPalette::Dark);
        } else if (star < highlighted) {
            fill = kLightGold;
            outline = kGold;
        }
        painter.setPen(QPen(outline, 1));
        painter.setBrush(fill);
        painter.drawPath(path);
    }
    painter.restore();
}

} // namespace namorel
