#include "jpegpicture.h"
#include "picturelabel.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QtEndian>
#include <QtMath>

#include <csetjmp>
#include <cstdio> // jpeglib.h uses FILE and size_t without including their headers

#include <jpeglib.h>

#include <optional>

namespace namorel {

namespace {

// A progressive JPEG may hold any number of scans, each of which the decoder reads in full; a picture of
// ours has about ten. Far more is damage, or data made to keep the decoder busy.
constexpr int kMaxScans = 256;

// libjpeg reports errors through its error manager, whose default handler ends the process. Ours jumps
// back to the call that started the libjpeg work instead. Between that call and the jump there are only
// libjpeg's C frames and the lambdas below, which hold no objects with destructors, so nothing is skipped
// that would need cleaning up; jpeg_destroy_decompress frees what libjpeg allocated.
struct Decoder
{
    // The manager comes first: libjpeg hands back a pointer to it, which is then a pointer to the whole.
    jpeg_error_mgr errors {};
    std::jmp_buf jump {};
    jpeg_progress_mgr progress {};
    jpeg_decompress_struct info {};
};

[[noreturn]] void leave(j_common_ptr common)
{
    std::longjmp(reinterpret_cast<Decoder *>(common->err)->jump, 1);
}

// A warning means the decoder met damaged data and made something up (grey pixels for a truncated scan,
// say); the picture is not shown rather than shown wrong.
void leaveOnWarning(j_common_ptr common, int level)
{
    if (level < 0)
        leave(common);
}

void stayQuiet(j_common_ptr) { }

void limitScans(j_common_ptr common)
{
    if (common->is_decompressor && reinterpret_cast<j_decompress_ptr>(common)->input_scan_number > kMaxScans)
        leave(common);
}

// Runs \a steps, returning false if they were left by a jump. The decoder lives in the caller's frame, so
// nothing local to this function (the one that calls setjmp) changes between setjmp and the jump.
template<typename Steps> bool runTrapped(Decoder &decoder, Steps &steps)
{
    if (setjmp(decoder.jump) != 0)
        return false;
    steps();
    return true;
}

// Runs \a work on a fresh decoder that has read the header of \a data, then destroys the decoder. Returns
// false if libjpeg reported an error or a warning, or \a work gave up by calling leave().
template<typename Work> bool runDecoder(const QByteArray &data, Work &&work)
{
    Decoder decoder;
    decoder.info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = leave;
    decoder.errors.emit_message = leaveOnWarning;
    decoder.errors.output_message = stayQuiet;
    decoder.progress.progress_monitor = limitScans;

    auto steps = [&decoder, &data, &work] {
        jpeg_create_decompress(&decoder.info);
        decoder.info.progress = &decoder.progress;
        jpeg_mem_src(&decoder.info, reinterpret_cast<const unsigned char *>(data.constData()),
            static_cast<unsigned long>(data.size()));
        jpeg_read_header(&decoder.info, TRUE);
        work(decoder.info);
    };
    const bool completed = runTrapped(decoder, steps);
    jpeg_destroy_decompress(&decoder.info);
    return completed;
}

bool knownColourSpace(J_COLOR_SPACE space)
{
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

std::optional<JpegHeader> readHeader(const QByteArray &data)
{
    JpegHeader header;
    const bool read = runDecoder(data, [&header](jpeg_decompress_struct &info) {
        if (!knownColourSpace(info.jpeg_color_space))
            leave(reinterpret_cast<j_common_ptr>(&info));
        header.width = static_cast<int>(info.image_width);
        header.height = static_cast<int>(info.image_height);
        header.grayscale = info.jpeg_color_space == JCS_GRAYSCALE;
        header.progressive = info.progressive_mode != 0;
    });
    if (!read || header.width <= 0 || header.height <= 0
        || qint64(header.width) * header.height > JpegPicture::kMaxPixels)
        return std::nullopt;
    return header;
}

// libjpeg scales by eighths as it decodes, rounding the size up.
int scaledSide(int side, int eighths)
{
    return (side * eighths + 7) / 8;
}

QImage decodePixels(const QByteArray &data, const JpegHeader &header, int eighths = 8)
{
    const int width = scaledSide(header.width, eighths);
    const int height = scaledSide(header.height, eighths);
    QImage image(width, height, header.grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        return {};
    uchar *const pixels = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const bool decoded = runDecoder(data, [&](jpeg_decompress_struct &info) {
        const auto common = reinterpret_cast<j_common_ptr>(&info);
        // The data has not changed since its header was read; this only keeps the buffer's bounds certain.
        if (int(info.image_width) != header.width || int(info.image_height) != header.height)
            leave(common);
        info.out_color_space = header.grayscale ? JCS_GRAYSCALE : JCS_RGB;
        info.scale_num = static_cast<unsigned int>(eighths);
        info.scale_denom = 8;
        jpeg_start_decompress(&info);
        if (info.output_components != (header.grayscale ? 1 : 3) || int(info.output_width) != width
            || int(info.output_height) != height)
            leave(common);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels + qsizetype(info.output_scanline) * stride;
            jpeg_read_scanlines(&info, &row, 1);
        }
        // Reads on to the end marker, so a picture cut short after its last row counts as damaged too.
        jpeg_finish_decompress(&info);
    });
    return decoded ? image : QImage();
}

} // namespace

JpegPicture::JpegPicture(QByteArray data)
{
    if (const std::optional<JpegHeader> header = readHeader(data)) {
        m_data = std::move(data);
        m_header = *header;
    }
}

JpegPicture JpegPicture::fromLayoutBlob(QByteArrayView blob)
{
    constexpr QByteArrayView className("TJPEGImage");
    constexpr qsizetype lengthAt = 1 + className.size();
    constexpr qsizetype dataAt = lengthAt + 4;
    if (blob.size() < dataAt || quint8(blob.at(0)) != className.size() || blob.sliced(1, className.size()) != className)
        return {};
    const quint32 length = qFromLittleEndian<quint32>(blob.data() + lengthAt);
    if (quint64(length) != quint64(blob.size() - dataAt))
        return {};
    return JpegPicture(blob.sliced(dataAt).toByteArray());
}

const QImage &JpegPicture::image()
{
    if (!m_decoded && !isEmpty()) {
        m_decoded = true;
        m_image = decodePixels(m_data, m_header);
        if (m_image.isNull()) {
            m_data.clear();
            m_header = {};
        }
    }
    return m_image;
}

QImage JpegPicture::scaledImage(int eighths)
{
    eighths = qBound(1, eighths, 16);
    if (eighths == 8 || image().isNull())
        return image();
    if (eighths != m_scaledEighths) {
        m_scaledEighths = eighths;
        m_scaled = decodePixels(m_data, m_header, eighths);
    }
    return m_scaled;
}

namespace {

// To assistive tools a picture control is a picture, named by its accessible name.
QAccessibleInterface *pictureBoxAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(PictureBox::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureBoxAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void PictureBox::setPicture(JpegPicture picture)
{
    m_picture = std::move(picture);
    if (!m_picture.isEmpty())
        resize(m_picture.size());
    update();
}

QSize PictureBox::sizeHint() const
{
    return m_picture.isEmpty() ? QWidget::sizeHint() : m_picture.size();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    const QImage &natural = m_picture.image();
    if (natural.isNull())
        return;
    QPainter painter(this);
    // Decoded at the size it is shown at, in device pixels.
    const qreal shownWidth = width() * PaintedPixelRatio(painter);
    const int eighths = qBound(1, qCeil(8 * shownWidth / natural.width()), 16);
    const QImage shown = m_picture.scaledImage(eighths);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), shown.isNull() ? natural : shown);
}

} // namespace namorel
