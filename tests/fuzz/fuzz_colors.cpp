// The colour conversions on any doubles: a component outside 0 to 1 (or not a number) is refused with
// EColorConv, anything else gives components within 0 to 1; RGB to HLS and back gives the colour again; the
// bevel shades of any colour, with any factors, are literal colours.

#include "fuzzcheck.h"
#include "rrcolors.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

using namespace namorel;

namespace {

bool inUnitRange(const ColorTriple &triple)
{
    return std::all_of(triple.begin(), triple.end(), [](double v) { return v >= 0.0 && v <= 1.0; });
}

// Reads the next value of the input, or zeros once it is used up.
template<typename T> T take(const std::uint8_t *&data, std::size_t &size)
{
    T value {};
    const std::size_t n = std::min(sizeof value, size);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

ColorTriple takeTriple(const std::uint8_t *&data, std::size_t &size)
{
    return { take<double>(data, size), take<double>(data, size), take<double>(data, size) };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // System colours are resolved through the application's palette.
    if (!QGuiApplication::instance()) {
        static int argc = 1;
        static char name[] = "fuzz_colors";
        static char *argv[] = { name, nullptr };
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }

    const ColorTriple triple = takeTriple(data, size);
    ColorTriple rgb { -1, -1, -1 };
    try {
        HLS2RGB(triple, rgb);
        NAMOREL_FUZZ_CHECK(inUnitRange(triple) && inUnitRange(rgb));
    } catch (const EColorConv &) {
        NAMOREL_FUZZ_CHECK(!inUnitRange(triple));
        NAMOREL_FUZZ_CHECK(rgb == (ColorTriple { -1, -1, -1 }));
    }

    ColorTriple hls { -1, -1, -1 };
    try {
        RGB2HLS(triple, hls);
        NAMOREL_FUZZ_CHECK(inUnitRange(triple) && inUnitRange(hls));
        ColorTriple back {};
        HLS2RGB(hls, back);
        for (int i = 0; i < 3; ++i)
            NAMOREL_FUZZ_CHECK(std::abs(back[i] - triple[i]) < 1e-6);
    } catch (const EColorConv &) {
        NAMOREL_FUZZ_CHECK(!inUnitRange(triple));
        NAMOREL_FUZZ_CHECK(hls == (ColorTriple { -1, -1, -1 }));
    }

    const TColor color = take<TColor>(data, size);
    const float highlightFactor = take<float>(data, size);
    const float shadowFactor = take<float>(data, size);
    TColor highlight = kSystemColorFlag;
    TColor shadow = kSystemColorFlag;
    CalcShades(color, highlight, shadow, highlightFactor, shadowFactor);
    NAMOREL_FUZZ_CHECK(!IsSystemColor(highlight) && highlight <= 0xFFFFFF);
    NAMOREL_FUZZ_CHECK(!IsSystemColor(shadow) && shadow <= 0xFFFFFF);
    return 0;
}
