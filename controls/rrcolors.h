#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

#include <array>
#include <stdexcept>

namespace namorel {

/// A colour as the program stores it: a literal 0x00BBGGRR (red in the lowest byte), or
/// 0x80000000 | a system colour index, resolved through the palette each time it is used.
using TColor = quint32; // 0x00BBGGRR, or 0x80000000 | system colour index (0x8000000F = button face)

/// Three doubles from 0 to 1: red, green, blue or hue, luminance, saturation.
using ColorTriple = std::array<double, 3>;

/// A colour conversion was given a component outside 0 to 1 (or not a number).
class EColorConv : public std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// Marks a TColor as a reference to a system colour; the low byte is the index.
constexpr TColor kSystemColorFlag = 0x80000000u;

/// The system colours the program refers to, by their classic indices.
constexpr TColor kColorWindow = kSystemColorFlag | 5;
constexpr TColor kColorWindowText = kSystemColorFlag | 8;
constexpr TColor kColorButtonFace = kSystemColorFlag | 15;
constexpr TColor kColorButtonText = kSystemColorFlag | 18;
constexpr TColor kColorGrayText = kSystemColorFlag | 17;

/// True if \a color refers to a system colour rather than holding RGB itself.
constexpr bool IsSystemColor(TColor color)
{
    return (color & kSystemColorFlag) != 0;
}

/// A literal colour from its three channel bytes.
constexpr TColor ColorFromRGB(quint8 red, quint8 green, quint8 blue)
{
    return TColor(red) | TColor(green) << 8 | TColor(blue) << 16;
}

/// A literal colour from a QColor (its alpha is dropped).
TColor ColorFromQColor(const QColor &color);

/// Converts a hue, luminance, saturation triple to red, green, blue. Throws EColorConv
/// ("HLS2RGB: 0 <= <component> value <= 1 required") for the first component outside 0 to 1 or not a
/// number, before \a rgb is written. Hue 0 and 1 are both red.
void HLS2RGB(const ColorTriple &hls, ColorTriple &rgb);

/// Converts a red, green, blue triple to hue, luminance, saturation. Throws EColorConv
/// ("RGB2HLS: 0 <= <component> value <= 1 required") like HLS2RGB. Greys give hue 0 and saturation 0;
/// pure red gives hue 1.
void RGB2HLS(const ColorTriple &rgb, ColorTriple &hls);

/// Derives the bevel shades of \a color: \a highlight moves each channel towards white, keeping
/// \a highlightFactor of the distance; \a shadow is the same hue and saturation at \a shadowFactor of the
/// luminance. Both results are literal colours. A system colour is resolved through the application palette
/// at the time of the call. Factors are held within 0 to 1.
void CalcShades(TColor color, TColor &highlight, TColor &shadow, float highlightFactor, float shadowFactor);

/// The RGB value of \a color; a system colour is resolved through the application palette now.
QColor ColorToRGB(TColor color); // resolves a system colour through the application palette now

/// The RGB value of \a color, a system colour resolved through \a palette. Unknown indices give black.
QColor ColorToRGB(TColor color, const QPalette &palette);

} // namespace namorel
