// The JPEG picture: the header and the pixels of any bytes, as plain JPEG data and as a window layout's picture.

#include "fuzzcheck.h"
#include "jpegpicture.h"

#include <cstdint>

using namespace namorel;

namespace {

void decode(JpegPicture picture)
{
    if (picture.isEmpty())
        return;
    const QSize declared = picture.size();
    NAMOREL_FUZZ_CHECK(declared.width() > 0 && declared.height() > 0);
    NAMOREL_FUZZ_CHECK(qint64(declared.width()) * declared.height() <= JpegPicture::MaxPixels);
    const QImage &image = picture.image();
    NAMOREL_FUZZ_CHECK(picture.isDecoded());
    // Damaged data gives an empty picture; anything else, the pixels of the size the header declared.
    NAMOREL_FUZZ_CHECK(image.isNull() ? picture.isEmpty() : image.size() == declared);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    decode(JpegPicture(bytes.toByteArray()));
    decode(JpegPicture::fromLayoutBlob(bytes));
    return 0;
}
