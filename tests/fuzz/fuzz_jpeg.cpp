// The JPEG picture: the header and the pixels of any bytes, at the scales the program asks for, as plain JPEG
// data and as a window layout's picture.

#include "fuzzcheck.h"
#include "jpegpicture.h"

#include <cstdint>

using namespace namorel;

namespace {

void decode(JpegPicture picture, int eighths)
{
    if (picture.isEmpty())
        return;
    const QSize declared = picture.size();
    NAMOREL_FUZZ_CHECK(declared.width() > 0 && declared.height() > 0);
    NAMOREL_FUZZ_CHECK(qint64(declared.width()) * declared.height() <= JpegPicture::kMaxPixels);
    const QImage &image = picture.image();
    NAMOREL_FUZZ_CHECK(picture.isDecoded());
    // Damaged data gives an empty picture; anything else, the pixels of the size the header declared.
    NAMOREL_FUZZ_CHECK(image.isNull() ? picture.isEmpty() : image.size() == declared);
    // Decoded again at another scale, as for a screen with more device pixels to a pixel.
    const QImage scaled = picture.scaledImage(eighths);
    NAMOREL_FUZZ_CHECK(
        scaled.isNull() || (!image.isNull() && qAbs(scaled.width() - declared.width() * eighths / 8) <= 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    // The scales the program asks for: a plain screen's, and one with two device pixels to a pixel.
    const int eighths = size % 2 == 0 ? 8 : 16;
    decode(JpegPicture(bytes.toByteArray()), eighths);
    decode(JpegPicture::fromLayoutBlob(bytes), eighths);
    return 0;
}
