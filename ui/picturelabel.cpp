#include "picturelabel.h"

#include <QApplication>
#include <QFileInfo>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace namorel {

namespace {

// The program's pictures are PNG files. Naming the format lets the reader decode them with the decoder built
// into the toolkit, without asking every image plug-in on the machine whether it knows the file; a file in
// another format is still read, by the plug-in that recognises it.
QImage readPicture(const QString &path)
{
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull() && reader.error() != QImageReader::FileNotFoundError)
        image = QImage(path);
    return image;
}

// A picture at its designed size with, where there is one, its twice-as-large drawing. The designed picture
// is read at once; the larger one only when a screen (or a painter) first asks for more pixels than the
// designed one has, so that windows on ordinary screens never decode it. Sizes here are in device pixels.
class PictureEngine : public QIconEngine
{
public:
    PictureEngine(const QImage &designed, QString twicePath)
        : m_designed(QPixmap::fromImage(designed))
        , m_twicePath(std::move(twicePath))
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap shown = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        shown.setDevicePixelRatio(ratio);
        const QSize logical = (QSizeF(shown.size()) / ratio).toSize();
        painter->drawPixmap(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, logical, rect), shown);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        Q_UNUSED(state);
        QPixmap chosen = pictureFor(size);
        if (chosen.isNull())
            return chosen;
        const QSize fitted = actualSizeOf(chosen, size);
        if (fitted != chosen.size())
            chosen = chosen.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QApplication::palette();
            chosen = QApplication::style()->generatedIconPixmap(mode, chosen, &option);
        }
        return chosen;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return actualSizeOf(pictureFor(size), size);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        readTwice();
        QList<QSize> sizes;
        for (const QPixmap *picture : { &m_designed, &m_twice }) {
            if (!picture->isNull())
                sizes.append(picture->size());
        }
        return sizes;
    }

    QIconEngine *clone() const override { return new PictureEngine(*this); }
    QString key() const override { return QStringLiteral("namorel::PictureEngine"); }
    bool isNull() override { return m_designed.isNull() && m_twice.isNull() && m_twicePath.isEmpty(); }

private:
    PictureEngine(const PictureEngine &) = default;

    // The drawing for \a wanted: the larger one once more pixels than the designed picture has are wanted.
    QPixmap pictureFor(const QSize &wanted)
    {
        if (m_designed.isNull() || wanted.width() > m_designed.width() || wanted.height() > m_designed.height())
            readTwice();
        const bool larger = !m_twice.isNull()
            && (m_designed.isNull() || wanted.width() > m_designed.width() || wanted.height() > m_designed.height());
        return larger ? m_twice : m_designed;
    }

    // A picture larger than wanted is shown smaller, keeping its proportions; never larger than drawn.
    static QSize actualSizeOf(const QPixmap &picture, const QSize &wanted)
    {
        QSize size = picture.size();
        if (!size.isEmpty() && (size.width() > wanted.width() || size.height() > wanted.height()))
            size.scale(wanted, Qt::KeepAspectRatio);
        return size;
    }

    void readTwice()
    {
        if (m_twicePath.isEmpty())
            return;
        m_twice = QPixmap::fromImage(readPicture(m_twicePath));
        m_twicePath.clear();
    }

    QPixmap m_designed;
    QPixmap m_twice;
    QString m_twicePath; // empty once read, or when there is no larger drawing
};

QIcon pictureFrom(const QString &path, const QImage &designed)
{
    const QFileInfo file(path);
    QString twice = file.path() + u'/' + file.completeBaseName() + QStringLiteral("@2x.") + file.suffix();
    if (!QFileInfo::exists(twice))
        twice.clear();
    if (designed.isNull() && twice.isEmpty())
        return QIcon();
    return QIcon(new PictureEngine(designed, std::move(twice)));
}

} // namespace

qreal PaintedPixelRatio(const QPainter &painter)
{
    return qMax(1.0, painter.deviceTransform().map(QLineF(0, 0, 1, 0)).length());
}

QIcon PictureAtEverySize(const QString &path)
{
    return pictureFrom(path, readPicture(path));
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
    const QImage designed = readPicture(path);
    m_picture = pictureFrom(path, designed);
    // The label's own pixmap, at the designed size, is what it reports of itself (to assistive tools, say).
    setPixmap(QPixmap::fromImage(designed));
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
