#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QWidget>

namespace namorel {

/// What a JPEG's header tells without decoding any pixels.
struct JpegHeader
{
    int width = 0;
    int height = 0;
    bool grayscale = false;
    bool progressive = false;
};

/// A JPEG picture read in two steps: making it reads only the header, and the pixels are decoded the
/// first time they are asked for. Damaged or hostile data (truncated, not a JPEG, corrupt, or declaring
/// more than kMaxPixels pixels) never stops the program: the picture is then empty.
class JpegPicture
{
public:
    /// The most pixels a picture may have; larger declared sizes are treated as damage.
    static constexpr qint64 kMaxPixels = 4096 * 4096;

    /// An empty picture.
    JpegPicture() = default;

    /// Reads the header of the JPEG \a data; the picture is empty if the header cannot be read.
    explicit JpegPicture(QByteArray data);

    /// Reads a picture as a window layout stores it: one byte with the length of the class name, the class
    /// name "TJPEGImage", the length of the JPEG data (4 bytes, little-endian) and exactly that much data.
    /// Anything else gives an empty picture.
    static JpegPicture fromLayoutBlob(QByteArrayView blob);

    bool isEmpty() const { return m_data.isEmpty(); }
    const JpegHeader &header() const { return m_header; }
    QSize size() const { return { m_header.width, m_header.height }; }

    /// Whether the pixels have been asked for (and decoded, or found damaged).
    bool isDecoded() const { return m_decoded; }

    /// The pixels, decoded on the first call; a null image if the picture is empty or its data turns out
    /// to be damaged, in which case the picture becomes empty.
    const QImage &image();

    /// The pixels decoded at \a eighths / 8 of the picture's size (1 to 16): libjpeg scales as it decodes,
    /// which is sharper than enlarging the decoded pixels. Decoded on the first call for each scale; a null
    /// image if the picture is empty or damaged.
    QImage scaledImage(int eighths);

private:
    QByteArray m_data;
    JpegHeader m_header;
    QImage m_image;
    bool m_decoded = false;
    // The last scaled decoding, and its scale.
    QImage m_scaled;
    int m_scaledEighths = 0;
};

/// A picture control: shows its JpegPicture stretched over its whole rectangle, and takes the picture's
/// size when it is given one, so that the picture shows at its natural size. The pixels are decoded when
/// the control is first painted, and on a screen with more device pixels to a pixel decoded again at the
/// size they are shown at.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    JpegPicture &picture() { return m_picture; }
    const JpegPicture &picture() const { return m_picture; }
    /// Shows \a picture; the control takes its size unless it is empty.
    void setPicture(JpegPicture picture);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    JpegPicture m_picture;
};

} // namespace namorel
