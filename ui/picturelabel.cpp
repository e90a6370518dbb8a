#include "picturelabel.h"

#include <QFileInfo>
#include <QPainter>

namespace namorel {

qreal PaintedPixelRatio(const QPainter &painter)
{
    return qMax(1.0, painter.deviceTransform().map(QLineF(0, 0, 1, 0)).length());
}

QIcon PictureAtEverySize(const QString &path)
{
    QIcon picture;
    picture.addFile(path);
    const QFileInfo file(path);
    const QString twice = file.path() + u'/' + file.completeBaseName() + QStringLiteral("@2x.") + file.suffix();
    if (QFileInfo::exists(twice))
        picture.addFile(twice);
    return picture;
}

PictureLabel::PictureLabel(QWidget *parent)
    : QLabel(parent)
{
    setScaledContents(true);
}

void PictureLabel::setPicture(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    m_picture = PictureAtEverySize(path);
    // The label's own pixmap, at the designed size, is what it reports of itself (to assistive tools, say).
    setPixmap(QPixmap(path));
    update();
}

void PictureLabel::paintEvent(QPaintEvent *event)
{
    if (m_picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = contentsRect();
    painter.drawPixmap(area, m_picture.pixmap(area.size(), PaintedPixelRatio(painter)));
}

} // namespace namorel
