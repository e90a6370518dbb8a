#include "rrcolors.h"

#include <QGuiApplication>

#include <cmath>
#include <string>

namespace namorel {

namespace {

constexpr double kEpsilon = 1.0e-8;

// The six corners of the colour circle in signed form (-1 off, +1 full), one row per sextant.
constexpr int kHueCorners[6][3] = {
    { +1, -1, -1 }, // red
    { +1, +1, -1 }, // yellow
    { -1, +1, -1 }, // green
    { -1, +1, +1 }, // cyan
    { -1, -1, +1 }, // blue
    { +1, -1, +1 }, // magenta
};

constexpr const char *kHlsNames[3] = { "Hue", "Luminance", "Saturation" };
constexpr const char *kRgbNames[3] = { "Red", "Green", "Blue" };

enum { R, G, B };

// Written so that NaN fails as well.
void checkRange(const ColorTriple &triple, const char *operation, const char *const (&names)[3])
{
    for (int i = 0; i < 3; ++i) {
        if (!(triple[i] >= 0.0 && triple[i] <= 1.0))
            throw EColorConv(std::string(operation) + ": 0 <= " + names[i] + " value <= 1 required");
    }
}

double clampUnit(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

// Halfway cases go to the even neighbour, whatever the floating-point environment says.
double roundHalfEven(double v)
{
    const double floor = std::floor(v);
    const double diff = v - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

float unitFactor(float factor)
{
    return factor >= 0.0f ? (factor <= 1.0f ? factor : 1.0f) : 0.0f; // NaN ends up as 0
}

struct PaletteEntry
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The classic system colour indices, each mapped to the palette entry that plays its part.
constexpr PaletteEntry kSystemColors[] = {
    { QPalette::Active, QPalette::Button }, // 0 scroll bar
    { QPalette::Active, QPalette::Dark }, // 1 desktop
    { QPalette::Active, QPalette::Highlight }, // 2 active caption
    { QPalette::Inactive, QPalette::Mid }, // 3 inactive caption
    { QPalette::Active, QPalette::Window }, // 4 menu
    { QPalette::Active, QPalette::Base }, // 5 window
    { QPalette::Active, QPalette::Shadow }, // 6 window frame
    { QPalette::Active, QPalette::WindowText }, // 7 menu text
    { QPalette::Active, QPalette::WindowText }, // 8 window text
    { QPalette::Active, QPalette::HighlightedText }, // 9 caption text
    { QPalette::Active, QPalette::Window }, // 10 active border
    { QPalette::Inactive, QPalette::Window }, // 11 inactive border
    { QPalette::Active, QPalette::Mid }, // 12 application workspace
    { QPalette::Active, QPalette::Highlight }, // 13 highlight
    { QPalette::Active, QPalette::HighlightedText }, // 14 highlight text
    { QPalette::Active, QPalette::Button }, // 15 button face
    { QPalette::Active, QPalette::Dark }, // 16 button shadow
    { QPalette::Disabled, QPalette::WindowText }, // 17 grey text
    { QPalette::Active, QPalette::ButtonText }, // 18 button text
    { QPalette::Inactive, QPalette::WindowText }, // 19 inactive caption text
    { QPalette::Active, QPalette::Light }, // 20 button highlight
    { QPalette::Active, QPalette::Shadow }, // 21 3-D dark shadow
    { QPalette::Active, QPalette::Midlight }, // 22 3-D light
    { QPalette::Active, QPalette::ToolTipText }, // 23 info text
    { QPalette::Active, QPalette::ToolTipBase }, // 24 info background
    { QPalette::Active, QPalette::NoRole }, // 25 unused
    { QPalette::Active, QPalette::Link }, // 26 hot-tracked item
    { QPalette::Active, QPalette::Highlight }, // 27 active caption gradient
    { QPalette::Inactive, QPalette::Mid }, // 28 inactive caption gradient
    { QPalette::Active, QPalette::Highlight }, // 29 menu highlight
    { QPalette::Active, QPalette::Window }, // 30 menu bar
};

} // namespace

TColor ColorFromQColor(const QColor &color)
{
    const QRgb rgb = color.rgb();
    return ColorFromRGB(quint8(qRed(rgb)), quint8(qGreen(rgb)), quint8(qBlue(rgb)));
}

void HLS2RGB(const ColorTriple &hls, ColorTriple &rgb)
{
    checkRange(hls, "HLS2RGB", kHlsNames);
    const double hue = hls[0];
    const double luminance = hls[1];
    const double saturation = hls[2];

    const double x = 6.0 * hue;
    const double whole = std::trunc(x);
    const int s = int(whole) % 6; // hue 1 wraps round to red
    const int t = (s + 1) % 6;
    const double f = x - whole;

    ColorTriple result;
    for (int i = 0; i < 3; ++i) {
        double p = kHueCorners[s][i] + f * (kHueCorners[t][i] - kHueCorners[s][i]);
        p *= saturation;
        const double v = luminance > 0.5 ? luminance + (1.0 - luminance) * p : luminance * (p + 1.0);
        result[i] = clampUnit(v);
    }
    rgb = result;
}

void RGB2HLS(const ColorTriple &rgb, ColorTriple &hls)
{
    checkRange(rgb, "RGB2HLS", kRgbNames);

    double a[3];
    for (int i = 0; i < 3; ++i)
        a[i] = 2.0 * rgb[i] - 1.0;

    // The channel furthest from mid-grey; the first one wins a tie.
    double m = 0.0;
    int k = R;
    for (int i = 0; i < 3; ++i) {
        if (std::abs(a[i]) > m) {
            m = std::abs(a[i]);
            k = i;
        }
    }
    if (m < kEpsilon) {
        hls = { 0.0, 0.5, 0.0 };
        return;
    }

    double c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = a[i] * (1.0 / m);

    const bool light = a[k] > 0.0;
    if (light) {
        double n = 0.0;
        for (int i = 0; i < 3; ++i)
            n = std::max(n, 1.0 - c[i]);
        if (n < kEpsilon) {
            hls = { 0.0, rgb[R], 0.0 };
            return;
        }
        for (int i = 0; i < 3; ++i)
            c[i] = (c[i] - 1.0) * (2.0 / n) + 1.0;
        double smallest = 1.0;
        for (int i = 0; i < 3; ++i) {
            if (c[i] < smallest) {
                smallest = c[i];
                k = i;
            }
        }
    } else {
        double n = 0.0;
        for (int i = 0; i < 3; ++i)
            n = std::max(n, c[i] + 1.0);
        if (n < kEpsilon) {
            hls = { 0.0, rgb[R], 0.0 };
            return;
        }
        for (int i = 0; i < 3; ++i)
            c[i] = (c[i] + 1.0) * (2.0 / n) - 1.0;
    }

    // Channel k now stands at -1; the other two place the hue within its half of the circle.
    double h = 0.0;
    switch (k) {
    case R:
        h = c[G] > c[B] ? 2.0 + (c[B] + 1.0) / 2.0 : 4.0 - (c[G] + 1.0) / 2.0;
        break;
    case G:
        h = c[B] > c[R] ? 4.0 + (c[R] + 1.0) / 2.0 : 6.0 - (c[B] + 1.0) / 2.0;
        break;
    default:
        h = c[R] > c[G] ? (c[G] + 1.0) / 2.0 : 2.0 - (c[R] + 1.0) / 2.0;
        break;
    }
    const double hue = h / 6.0;

    // Saturation and luminance from the first pair of channels that tells them apart.
    const auto differ = [](double x, double y) { return std::abs(x - y) > kEpsilon; };
    double saturation = 0.0;
    double luminance = 0.0;
    if (light) {
        if (differ(a[G], a[R]))
            saturation = (a[G] - a[R]) / ((a[G] - 1.0) * c[R] - (a[R] - 1.0) * c[G]);
        else if (differ(a[B], a[G]))
            saturation = (a[B] - a[G]) / ((a[B] - 1.0) * c[G] - (a[G] - 1.0) * c[B]);
        else if (differ(a[B], a[R]))
            saturation = (a[B] - a[R]) / ((a[B] - 1.0) * c[R] - (a[R] - 1.0) * c[B]);

        double y = a[R] - 1.0;
        if (differ(c[G], c[R]))
            y = ((a[R] - 1.0) * c[G] - (a[G] - 1.0) * c[R]) / (c[G] - c[R]);
        else if (differ(c[B], c[G]))
            y = ((a[G] - 1.0) * c[B] - (a[B] - 1.0) * c[G]) / (c[B] - c[G]);
        else if (differ(c[B], c[R]))
            y = ((a[R] - 1.0) * c[B] - (a[B] - 1.0) * c[R]) / (c[B] - c[R]);
        luminance = y / 2.0 + 1.0;
    } else {
        if (differ(a[G], a[R]))
            saturation = (a[G] - a[R]) / ((a[R] + 1.0) * c[G] - (a[G] + 1.0) * c[R]);
        else if (differ(a[B], a[G]))
            saturation = (a[B] - a[G]) / ((a[G] + 1.0) * c[B] - (a[B] + 1.0) * c[G]);
        else if (differ(a[B], a[R]))
            saturation = (a[B] - a[R]) / ((a[R] + 1.0) * c[B] - (a[B] + 1.0) * c[R]);

        double y = a[R] + 1.0;
        if (differ(c[G], c[R]))
            y = ((a[R] + 1.0) * c[G] - (a[G] + 1.0) * c[R]) / (c[G] - c[R]);
        else if (differ(c[B], c[G]))
            y = ((a[G] + 1.0) * c[B] - (a[B] + 1.0) * c[G]) / (c[B] - c[G]);
        else if (differ(c[B], c[R]))
            y = ((a[R] + 1.0) * c[B] - (a[B] + 1.0) * c[R]) / (c[B] - c[R]);
        luminance = y / 2.0;
    }

    hls = { clampUnit(hue), clampUnit(luminance), clampUnit(saturation) };
}

void CalcShades(TColor color, TColor &highlight, TColor &shadow, float highlightFactor, float shadowFactor)
{
    const QRgb rgb = ColorToRGB(color).rgb();
    const int channels[3] = { qRed(rgb), qGreen(rgb), qBlue(rgb) };
    const double up = unitFactor(highlightFactor);
    const double down = unitFactor(shadowFactor);

    quint8 light[3];
    for (int i = 0; i < 3; ++i) {
        // (256 - c) can round to 256 at a factor near 1; hold it at 255 so the byte never wraps.
        const int step = std::min(255, int(roundHalfEven((256 - channels[i]) * up)));
        light[i] = quint8(255 - step);
    }

    ColorTriple hls;
    RGB2HLS({ channels[0] / 255.0, channels[1] / 255.0, channels[2] / 255.0 }, hls);
    hls[1] *= down;
    ColorTriple dark;
    HLS2RGB(hls, dark);

    highlight = ColorFromRGB(light[0], light[1], light[2]);
    shadow = ColorFromRGB(quint8(roundHalfEven(dark[0] * 255.0)), quint8(roundHalfEven(dark[1] * 255.0)),
        quint8(roundHalfEven(dark[2] * 255.0)));
}

QColor ColorToRGB(TColor color)
{
    return ColorToRGB(color, QGuiApplication::palette());
}

QColor ColorToRGB(TColor color, const QPalette &palette)
{
    if (!IsSystemColor(color))
        return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));

    const quint32 index = color & 0xFF;
    if (index >= std::size(kSystemColors) || kSystemColors[index].role == QPalette::NoRole)
        return QColor(0, 0, 0);
    const PaletteEntry &entry = kSystemColors[index];
    const QRgb rgb = palette.color(entry.group, entry.role).rgb(); // opaque, like every system colour
    return QColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

} // namespace namorel
