#include "rrcolors.h"

#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace namorel;

Q_DECLARE_METATYPE(ColorTriple)

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The textbook double-hexcone model, written from max and min, to hold the conversions against.
ColorTriple referenceHls(const ColorTriple &rgb)
{
    const auto [r, g, b] = rgb;
    const double max = std::max({ r, g, b });
    const double min = std::min({ r, g, b });
    const double l = (max + min) / 2;
    if (max - min < 1e-12)
        return { 0, l, 0 };
    const double d = max - min;
    const double s = l <= 0.5 ? d / (max + min) : d / (2 - max - min);
    double h;
    if (max == r)
        h = (g - b) / d;
    else if (max == g)
        h = 2 + (b - r) / d;
    else
        h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0)
        h += 1;
    return { h, l, s };
}

// Hue runs round a circle: 0 and 1 are the same.
double hueDistance(double a, double b)
{
    const double d = std::abs(a - b);
    return std::min(d, 1 - d);
}

QString describe(const ColorTriple &t)
{
    return QStringLiteral("(%1, %2, %3)").arg(t[0], 0, 'g', 17).arg(t[1], 0, 'g', 17).arg(t[2], 0, 'g', 17);
}

void compareTriples(const ColorTriple &actual, const ColorTriple &expected, double tolerance)
{
    for (int i = 0; i < 3; ++i) {
        if (std::abs(actual[i] - expected[i]) > tolerance)
            QFAIL(qPrintable(QStringLiteral("got %1, expected %2").arg(describe(actual), describe(expected))));
    }
}

struct Rgb
{
    int r, g, b;
};

TColor colorOf(Rgb c)
{
    return ColorFromRGB(quint8(c.r), quint8(c.g), quint8(c.b));
}

} // namespace

class TestRrColors : public QObject
{
    Q_OBJECT

private slots:
    void rgbToHls_data();
    void rgbToHls();
    void hlsToRgb_data();
    void hlsToRgb();
    void hueOneIsHueZero();
    void rangeErrors_data();
    void rangeErrors();
    void roundTripOverAGrid();
    void shadesForTheButton_data();
    void shadesForTheButton();
    void factorsOutsideTheUnitRangeAreHeldInIt();
    void systemColourResolvesAtTheTimeOfTheCall();
    void systemColourIndices_data();
    void systemColourIndices();
    void literalColourKeepsItsBytes();
};

void TestRrColors::rgbToHls_data()
{
    QTest::addColumn<ColorTriple>("rgb");
    QTest::addColumn<ColorTriple>("hls");

    QTest::newRow("mid-grey is hue 0, luminance 0.5") << ColorTriple { 0.5, 0.5, 0.5 } << ColorTriple { 0, 0.5, 0 };
    QTest::newRow("white") << ColorTriple { 1, 1, 1 } << ColorTriple { 0, 1, 0 };
    QTest::newRow("black") << ColorTriple { 0, 0, 0 } << ColorTriple { 0, 0, 0 };
    QTest::newRow("dark grey keeps red as luminance") << ColorTriple { 0.3, 0.3, 0.3 } << ColorTriple { 0, 0.3, 0 };
    QTest::newRow("light grey keeps red as luminance") << ColorTriple { 0.8, 0.8, 0.8 } << ColorTriple { 0, 0.8, 0 };
    QTest::newRow("pure red is hue 1, not 0") << ColorTriple { 1, 0, 0 } << ColorTriple { 1, 0.5, 1 };
    QTest::newRow("green") << ColorTriple { 0, 1, 0 } << ColorTriple { 1.0 / 3, 0.5, 1 };
    QTest::newRow("blue") << ColorTriple { 0, 0, 1 } << ColorTriple { 2.0 / 3, 0.5, 1 };
    QTest::newRow("yellow") << ColorTriple { 1, 1, 0 } << ColorTriple { 1.0 / 6, 0.5, 1 };
    QTest::newRow("dull red with equal green and blue is hue 1")
        << ColorTriple { 0.6, 0.2, 0.2 } << ColorTriple { 1, 0.4, 0.5 };
    QTest::newRow("pale pink with equal green and blue is hue 1")
        << ColorTriple { 1, 0.8, 0.8 } << ColorTriple { 1, 0.9, 1 };
    QTest::newRow("orange, light side") << ColorTriple { 1, 0.75, 0.5 } << ColorTriple { 1.0 / 12, 0.75, 1 };
    QTest::newRow("navy, dark side") << ColorTriple { 0, 0, 0.25 } << ColorTriple { 2.0 / 3, 0.125, 1 };
    QTest::newRow("violet, red and blue tie at the top")
        << ColorTriple { 0.5, 0.25, 0.5 } << ColorTriple { 5.0 / 6, 0.375, 1.0 / 3 };
}

void TestRrColors::rgbToHls()
{
    QFETCH(ColorTriple, rgb);
    QFETCH(ColorTriple, hls);
    ColorTriple out { -1, -1, -1 };
    RGB2HLS(rgb, out);
    compareTriples(out, hls, 1e-12);
}

void TestRrColors::hlsToRgb_data()
{
    QTest::addColumn<ColorTriple>("hls");
    QTest::addColumn<ColorTriple>("rgb");

    QTest::newRow("no saturation is grey, whatever the hue")
        << ColorTriple { 0.37, 0.6, 0 } << ColorTriple { 0.6, 0.6, 0.6 };
    QTest::newRow("red") << ColorTriple { 0, 0.5, 1 } << ColorTriple { 1, 0, 0 };
    QTest::newRow("between cyan and blue") << ColorTriple { 7.0 / 12, 0.5, 1 } << ColorTriple { 0, 0.5, 1 };
    QTest::newRow("luminance 0.5 takes the dark formula")
        << ColorTriple { 0.5, 0.5, 0.5 } << ColorTriple { 0.25, 0.75, 0.75 };
    QTest::newRow("light magenta") << ColorTriple { 5.0 / 6, 0.75, 1 } << ColorTriple { 1, 0.5, 1 };
    QTest::newRow("full luminance is white") << ColorTriple { 0.3, 1, 1 } << ColorTriple { 1, 1, 1 };
    QTest::newRow("no luminance is black") << ColorTriple { 0.3, 0, 1 } << ColorTriple { 0, 0, 0 };
}

void TestRrColors::hlsToRgb()
{
    QFETCH(ColorTriple, hls);
    QFETCH(ColorTriple, rgb);
    ColorTriple out { -1, -1, -1 };
    HLS2RGB(hls, out);
    compareTriples(out, rgb, 1e-12);
}

void TestRrColors::hueOneIsHueZero()
{
    for (double l : { 0.1, 0.5, 0.9 }) {
        for (double s : { 0.25, 1.0 }) {
            ColorTriple zero, one;
            HLS2RGB({ 0, l, s }, zero);
            HLS2RGB({ 1, l, s }, one);
            QCOMPARE(one, zero);
        }
    }
}

void TestRrColors::rangeErrors_data()
{
    QTest::addColumn<bool>("toRgb");
    QTest::addColumn<ColorTriple>("input");
    QTest::addColumn<QString>("message");

    const auto hls = [](const char *name) {
        return QStringLiteral("HLS2RGB: 0 <= %1 value <= 1 required").arg(QLatin1StringView(name));
    };
    const auto rgb = [](const char *name) {
        return QStringLiteral("RGB2HLS: 0 <= %1 value <= 1 required").arg(QLatin1StringView(name));
    };
    QTest::newRow("hue above 1") << true << ColorTriple { 1.5, 0.5, 0.5 } << hls("Hue");
    QTest::newRow("luminance below 0") << true << ColorTriple { 0.5, -1e-17, 0.5 } << hls("Luminance");
    QTest::newRow("saturation just above 1")
        << true << ColorTriple { 0, 0, std::nextafter(1.0, 2.0) } << hls("Saturation");
    QTest::newRow("hue NaN") << true << ColorTriple { kNaN, 0.5, 0.5 } << hls("Hue");
    QTest::newRow("saturation infinite") << true << ColorTriple { 0, 0, HUGE_VAL } << hls("Saturation");
    QTest::newRow("only the first bad HLS component is named")
        << true << ColorTriple { 0.5, 2, kNaN } << hls("Luminance");
    QTest::newRow("green is named before blue") << false << ColorTriple { 0.2, -0.1, 2 } << rgb("Green");
    QTest::newRow("red NaN") << false << ColorTriple { kNaN, 0, 0 } << rgb("Red");
    QTest::newRow("blue negative") << false << ColorTriple { 0, 1, -0.5 } << rgb("Blue");
}

void TestRrColors::rangeErrors()
{
    QFETCH(bool, toRgb);
    QFETCH(ColorTriple, input);
    QFETCH(QString, message);

    const ColorTriple untouched { 0.25, 0.5, 0.75 };
    ColorTriple out = untouched;
    try {
        toRgb ? HLS2RGB(input, out) : RGB2HLS(input, out);
        QFAIL("no exception");
    } catch (const EColorConv &e) {
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    QCOMPARE(out, untouched);
}

void TestRrColors::roundTripOverAGrid()
{
    // Steps of 1/24 and of 1/255 meet grey, the primaries, ties and the 8-bit values the button uses.
    for (const int steps : { 24, 255 }) {
        const int stride = steps == 255 ? 15 : 1;
        double worstBack = 0;
        double worstModel = 0;
        for (int r = 0; r <= steps; r += stride) {
            for (int g = 0; g <= steps; g += stride) {
                for (int b = 0; b <= steps; b += stride) {
                    const ColorTriple rgb { double(r) / steps, double(g) / steps, double(b) / steps };
                    ColorTriple hls, back;
                    RGB2HLS(rgb, hls);
                    HLS2RGB(hls, back);
                    const ColorTriple model = referenceHls(rgb);
                    worstModel = std::max({ worstModel, hueDistance(hls[0], model[0]), std::abs(hls[1] - model[1]),
                        std::abs(hls[2] - model[2]) });
                    for (int i = 0; i < 3; ++i)
                        worstBack = std::max(worstBack, std::abs(back[i] - rgb[i]));
                }
            }
        }
        QVERIFY2(worstBack <= 1e-11, qPrintable(QString::number(worstBack)));
        QVERIFY2(worstModel <= 1e-11, qPrintable(QString::number(worstModel)));
    }
}

void TestRrColors::shadesForTheButton_data()
{
    QTest::addColumn<Rgb>("color");
    QTest::addColumn<Rgb>("highlight");
    QTest::addColumn<Rgb>("shadow");

    QTest::newRow("silver") << Rgb { 192, 192, 192 } << Rgb { 223, 223, 223 } << Rgb { 115, 115, 115 };
    QTest::newRow("classic button face") << Rgb { 212, 208, 200 } << Rgb { 233, 231, 227 } << Rgb { 139, 129, 108 };
    QTest::newRow("red") << Rgb { 255, 0, 0 } << Rgb { 255, 127, 127 } << Rgb { 153, 0, 0 };
    QTest::newRow("black") << Rgb { 0, 0, 0 } << Rgb { 127, 127, 127 } << Rgb { 0, 0, 0 };
    QTest::newRow("white") << Rgb { 255, 255, 255 } << Rgb { 255, 255, 255 } << Rgb { 153, 153, 153 };
    QTest::newRow("grey") << Rgb { 128, 128, 128 } << Rgb { 191, 191, 191 } << Rgb { 77, 77, 77 };
    // Odd channels halve to x.5 and round to the even neighbour: 253 -> 1.5 -> 2, 251 -> 2.5 -> 2.
    QTest::newRow("ties go to even") << Rgb { 253, 251, 1 } << Rgb { 253, 253, 127 } << Rgb { 152, 151, 1 };
}

void TestRrColors::shadesForTheButton()
{
    QFETCH(Rgb, color);
    QFETCH(Rgb, highlight);
    QFETCH(Rgb, shadow);

    TColor light = 0xDEADBEEF, dark = 0xDEADBEEF;
    CalcShades(colorOf(color), light, dark, 0.5f, 0.6f);
    QCOMPARE(QString::number(light, 16), QString::number(colorOf(highlight), 16));
    QCOMPARE(QString::number(dark, 16), QString::number(colorOf(shadow), 16));
}

void TestRrColors::factorsOutsideTheUnitRangeAreHeldInIt()
{
    TColor light = 0, dark = 0;
    // A shadow factor above 1 would push the luminance out of range; held at 1 it keeps the colour.
    QVERIFY_THROWS_NO_EXCEPTION(CalcShades(colorOf({ 10, 200, 30 }), light, dark, 0.5f, 2.0f));
    QCOMPARE(dark, colorOf({ 10, 200, 30 }));
    // At factor 1 black's distance to white (256) would wrap the byte; it is held at 255 instead.
    CalcShades(colorOf({ 0, 1, 128 }), light, dark, 1.0f, 0.0f);
    QCOMPARE(QString::number(light, 16), QString::number(colorOf({ 0, 0, 127 }), 16));
    QCOMPARE(dark, colorOf({ 0, 0, 0 }));
    CalcShades(colorOf({ 40, 50, 60 }), light, dark, std::numeric_limits<float>::quiet_NaN(), -3.0f);
    QCOMPARE(light, colorOf({ 255, 255, 255 }));
    QCOMPARE(dark, colorOf({ 0, 0, 0 }));
}

void TestRrColors::systemColourResolvesAtTheTimeOfTheCall()
{
    const QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Button, QColor(212, 208, 200));
    QGuiApplication::setPalette(palette);

    TColor light = 0, dark = 0;
    CalcShades(kColorButtonFace, light, dark, 0.5f, 0.6f);
    QCOMPARE(light, colorOf({ 233, 231, 227 }));
    QCOMPARE(dark, colorOf({ 139, 129, 108 }));

    palette.setColor(QPalette::Button, QColor(192, 192, 192));
    QGuiApplication::setPalette(palette);
    QCOMPARE(light, colorOf({ 233, 231, 227 })); // results already taken stay as they were
    CalcShades(kColorButtonFace, light, dark, 0.5f, 0.6f);
    QCOMPARE(light, colorOf({ 223, 223, 223 }));
    QCOMPARE(dark, colorOf({ 115, 115, 115 }));

    QGuiApplication::setPalette(saved);
}

void TestRrColors::systemColourIndices_data()
{
    QTest::addColumn<TColor>("color");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("5 window") << TColor(0x80000005) << QColor(1, 2, 3);
    QTest::newRow("8 window text") << TColor(0x80000008) << QColor(4, 5, 6);
    QTest::newRow("15 button face") << TColor(0x8000000F) << QColor(7, 8, 9);
    QTest::newRow("17 grey text") << TColor(0x80000011) << QColor(10, 11, 12);
    QTest::newRow("18 button text") << TColor(0x80000012) << QColor(13, 14, 15);
    QTest::newRow("13 highlight") << TColor(0x8000000D) << QColor(16, 17, 18);
    QTest::newRow("an index the system never had is black") << TColor(0x80000063) << QColor(0, 0, 0);
}

void TestRrColors::systemColourIndices()
{
    QFETCH(TColor, color);
    QFETCH(QColor, expected);

    const QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::WindowText, QColor(4, 5, 6));
    palette.setColor(QPalette::Button, QColor(7, 8, 9));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(10, 11, 12));
    palette.setColor(QPalette::ButtonText, QColor(13, 14, 15));
    palette.setColor(QPalette::Highlight, QColor(16, 17, 18));
    QGuiApplication::setPalette(palette);

    const QColor resolved = ColorToRGB(color);
    QGuiApplication::setPalette(saved);
    QCOMPARE(resolved, expected);
}

void TestRrColors::literalColourKeepsItsBytes()
{
    QCOMPARE(ColorToRGB(0x00336699), QColor(0x99, 0x66, 0x33));
    QCOMPARE(ColorFromQColor(QColor(0x99, 0x66, 0x33, 0x10)), TColor(0x00336699));
    QCOMPARE(ColorFromRGB(1, 2, 3), TColor(0x00030201));
}

QTEST_MAIN(TestRrColors)
#include "tst_rrcolors.moc"
