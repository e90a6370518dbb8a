#pragma once

#include <QIcon>
#include <QLabel>

class QPainter;

namespace namorel {

/// How many device pixels \a painter covers with one pixel: the density to draw pictures for. It is the
/// scale of the painter's device transform, which holds the device's pixel ratio also where a widget is
/// painted into another device (a pixmap, say) than its own.
qreal PaintedPixelRatio(const QPainter &painter);

/// A picture file of the program at every size it was drawn at: the designed size (name.png) and, where
/// there is one, twice that size (name@2x.png), for screens with two device pixels to a pixel.
QIcon PictureAtEverySize(const QString &path);

/// A picture control that shows its picture stretched over the control, drawn from the file that suits
/// the screen's pixels, so that it stays sharp on high-density screens.
class PictureLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString Picture READ picture WRITE setPicture)

public:
    explicit PictureLabel(QWidget *parent = nullptr);

    QString picture() const { return m_path; }
    /// Shows the picture file \a path (and its larger sizes, see PictureAtEverySize).
    void setPicture(const QString &path);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    QIcon m_picture;
};

} // namespace namorel
