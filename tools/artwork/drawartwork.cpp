// Draws the program's pictures: the program icon (at every size the desktop asks for, and as SVG), the
// two step pictures, the Generate glyph and the link cursor, the last three also at twice their size
// (name@2x.png) for screens with two device pixels to a pixel; and, on request, the About window's logo
// before it is encoded as a JPEG.
//
//   namorel_drawartwork <resources folder>
//   namorel_drawartwork --about-logo <file.ppm>      (see tools/make_about_logo.sh)
//
// The pictures are committed; run this after changing a drawing.

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using namespace Qt::Literals::StringLiterals;

QImage blank(int width, int height, int scale = 1)
{
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A painter that draws in the picture's own pixels whatever its scale.
void drawAtScale(QPainter &painter, int scale)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
}

QPainterPath star(QPointF centre, double outer, double inner, int points = 5)
{
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const double radius = i % 2 ? inner : outer;
        const double angle = M_PI * i / points - M_PI / 2;
        const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        i ? path.lineTo(point) : path.moveTo(point);
    }
    path.closeSubpath();
    return path;
}

QFont boldFont(double pixelSize)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(int(std::lround(pixelSize)));
    font.setBold(true);
    return font;
}

// A part of a drawing: an outline filled with a colour or gradient and stroked with a pen. The program's
// icon is kept as such parts, so that the same drawing is painted at every size and written out as SVG.
struct Shape
{
    QPainterPath path;
    QBrush fill;
    QPen outline = Qt::NoPen;
    // A letter is painted as text, with the font's hinting that keeps it sharp at small sizes; path holds
    // its outline for the SVG.
    QString letter = {};
    QFont font = {};
    QRectF letterBox = {};
};

// A rounded coral tile with a white "N" and a yellow star: the program's icon, drawn on a square of side s.
std::vector<Shape> programIconShapes(double s)
{
    QLinearGradient tileColours(0, 0, 0, s);
    tileColours.setColorAt(0, QColor(0xff, 0x8a, 0x80));
    tileColours.setColorAt(1, QColor(0xe8, 0x5d, 0x75));
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.22, s * 0.22);

    // The letter as an outline, centred in the left part of the tile and a little below the middle.
    const QFont font = boldFont(s * 0.72);
    const QFontMetricsF metrics(font);
    const QRectF letterBox(0, s * 0.06, s * 0.92, s);
    const QString letter = QStringLiteral("N");
    QPainterPath glyph;
    glyph.addText(letterBox.center().x() - metrics.horizontalAdvance(letter) / 2,
        letterBox.top() + (letterBox.height() - metrics.height()) / 2 + metrics.ascent(), font, letter);

    return {
        { tile, tileColours, QPen(QColor(0xb8, 0x3b, 0x55), s / 32) },
        { glyph, QColor(Qt::white), Qt::NoPen, letter, font, letterBox },
        { star(QPointF(s * 0.78, s * 0.24), s * 0.2, s * 0.09), QColor(0xff, 0xd4, 0x3b),
            QPen(QColor(0xc8, 0x8a, 0x00), s / 40) },
    };
}

QImage programIcon(int size)
{
    QImage image = blank(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Shape &shape : programIconShapes(size)) {
        if (!shape.letter.isEmpty()) {
            painter.setPen(shape.fill.color());
            painter.setFont(shape.font);
            painter.drawText(shape.letterBox, Qt::AlignHCenter | Qt::AlignVCenter, shape.letter);
            continue;
        }
        painter.setPen(shape.outline);
        painter.setBrush(shape.fill);
        painter.drawPath(shape.path);
    }
    return image;
}

QString svgNumber(double value)
{
    return QString::number(value, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QString svgColour(const QColor &colour)
{
    return colour.name(QColor::HexRgb);
}

QString svgPathData(const QPainterPath &path)
{
    QStringList parts;
    QPointF start;
    QPointF last;
    // A subpath that ends where it began is closed, so that its outline is joined there too.
    const auto closeIfBack = [&] {
        if (!parts.isEmpty() && last == start)
            parts << u"Z"_s;
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        const QString point = svgNumber(element.x) + u' ' + svgNumber(element.y);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            closeIfBack();
            parts << u"M"_s + point;
            start = element;
            break;
        case QPainterPath::LineToElement:
            parts << u"L"_s + point;
            break;
        case QPainterPath::CurveToElement:
            parts << u"C"_s + point;
            break;
        case QPainterPath::CurveToDataElement:
            parts << point;
            break;
        }
        last = element;
    }
    closeIfBack();
    return parts.join(u' ');
}

// The icon as a scalable SVG document, the same parts as the pictures, on a 256-pixel square.
QByteArray programIconSvg()
{
    constexpr int size = 256;
    QString defs;
    QString body;
    int gradients = 0;
    for (const Shape &shape : programIconShapes(size)) {
        QString fill;
        if (const QGradient *gradient = shape.fill.gradient()) {
            const auto *linear = static_cast<const QLinearGradient *>(gradient);
            const QString id = u"fill"_s + QString::number(++gradients);
            defs += u"    <linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" x1=\"%2\" y1=\"%3\" x2=\"%4\" "
                    "y2=\"%5\">\n"_s.arg(id, svgNumber(linear->start().x()), svgNumber(linear->start().y()),
                        svgNumber(linear->finalStop().x()), svgNumber(linear->finalStop().y()));
            for (const QGradientStop &stop : linear->stops())
                defs += u"      <stop offset=\"%1\" stop-color=\"%2\"/>\n"_s.arg(
                    svgNumber(stop.first), svgColour(stop.second));
            defs += u"    </linearGradient>\n"_s;
            fill = u"url(#%1)"_s.arg(id);
        } else {
            fill = svgColour(shape.fill.color());
        }
        QString stroke;
        if (shape.outline.style() != Qt::NoPen) {
            // QPainter's own defaults: square caps, bevelled joins.
            stroke = u" stroke=\"%1\" stroke-width=\"%2\" stroke-linejoin=\"bevel\" stroke-linecap=\"square\""_s.arg(
                svgColour(shape.outline.color()), svgNumber(shape.outline.widthF()));
        }
        const QString rule = shape.path.fillRule() == Qt::WindingFill ? u"nonzero"_s : u"evenodd"_s;
        body += u"  <path fill=\"%1\" fill-rule=\"%2\"%3 d=\"%4\"/>\n"_s.arg(
            fill, rule, stroke, svgPathData(shape.path));
    }
    const QString document
        = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
          "  <defs>\n%2  </defs>\n%3</svg>\n"_s.arg(QString::number(size), defs, body);
    return document.toUtf8();
}

// A round badge with the step's number and a small drawing beside it.
QImage stepPicture(int number, QColor colour, QColor dark, int scale)
{
    QImage image = blank(32, 32, scale);
    QPainter painter(&image);
    drawAtScale(painter, scale);
    QRadialGradient face(QPointF(12, 10), 20);
    face.setColorAt(0, colour.lighter(135));
    face.setColorAt(1, colour);
    painter.setPen(QPen(dark, 1.2));
    painter.setBrush(face);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setPen(Qt::white);
    painter.setFont(boldFont(20));
    painter.drawText(QRectF(0, 1, 32, 31), Qt::AlignCenter, QString::number(number));
    return image;
}

QImage stepOne(int scale)
{
    QImage image = stepPicture(1, QColor(0x4a, 0x90, 0xd9), QColor(0x2a, 0x5f, 0x9e), scale);
    QPainter painter(&image);
    drawAtScale(painter, scale);
    // A small heart: the parents.
    QPainterPath heart;
    heart.moveTo(26, 31);
    heart.cubicTo(18, 25, 20, 19, 23.5, 20);
    heart.cubicTo(25, 20.4, 26, 22, 26, 22);
    heart.cubicTo(26, 22, 27, 20.4, 28.5, 20);
    heart.cubicTo(32, 19, 34, 25, 26, 31);
    painter.setPen(QPen(QColor(0xa0, 0x1d, 0x3a), 1));
    painter.setBrush(QColor(0xff, 0x5a, 0x7a));
    painter.translate(-2.0, -3.0);
    painter.drawPath(heart);
    return image;
}

QImage stepTwo(int scale)
{
    QImage image = stepPicture(2, QColor(0x3b, 0xb2, 0x8c), QColor(0x23, 0x7a, 0x5e), scale);
    QPainter painter(&image);
    drawAtScale(painter, scale);
    // A small star: choosing.
    painter.setPen(QPen(QColor(0xc8, 0x8a, 0x00), 1));
    painter.setBrush(QColor(0xff, 0xd4, 0x3b));
    painter.drawPath(star(QPointF(25, 25), 6.5, 2.8));
    return image;
}

// A magic wand with a star and two sparkles, for the Generate button.
QImage generateGlyph(int scale)
{
    QImage image = blank(21, 31, scale);
    QPainter painter(&image);
    drawAtScale(painter, scale);
    painter.setPen(QPen(QColor(0x3a, 0x2a, 0x55), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4, 28), QPointF(12, 13));
    painter.setPen(QPen(QColor(0xf4, 0xf0, 0xff), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10.6, 15.6), QPointF(12, 13));
    painter.setPen(QPen(QColor(0xc8, 0x8a, 0x00), 1));
    painter.setBrush(QColor(0xff, 0xd4, 0x3b));
    painter.drawPath(star(QPointF(13.5, 9), 7.5, 3.2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0x6f, 0x91));
    painter.drawPath(star(QPointF(4, 5), 3, 1, 4));
    painter.setBrush(QColor(0x5a, 0xa9, 0xe6));
    painter.drawPath(star(QPointF(18, 21), 2.6, 0.9, 4));
    return image;
}

// The hyperlink label's pointer: a hand with the index finger up, its tip at (5, 0). Drawn pixel by pixel,
// as the cursor has one bit per pixel: '#' black, '.' white, ' ' transparent. At a larger scale each pixel
// becomes a square, so the hand stays as crisp as its one-bit original.
QImage linkCursor(int scale)
{
    static const char *const rows[] = {
        "     ##",
        "    #..#",
        "    #..#",
        "    #..#",
        "    #..#",
        "    #..###",
        "    #..#..###",
        "    #..#..#..###",
        "    #..#..#..#..#",
        " ## #..#..#..#..#",
        "#..##..#..#..#..#",
        "#...#...........#",
        " #..#...........#",
        " #..............#",
        "  #.............#",
        "  #............#",
        "   #...........#",
        "   #..........#",
        "    #.........#",
        "    #.........#",
        "    ###########",
    };
    QImage image = blank(32, 32, scale);
    QPainter painter(&image);
    int y = 0;
    for (const char *row : rows) {
        for (int x = 0; row[x]; ++x) {
            if (row[x] != ' ')
                painter.fillRect(x * scale, y * scale, scale, scale, row[x] == '#' ? Qt::black : Qt::white);
        }
        ++y;
    }
    return image;
}

// The About window's logo, 75 x 50: the product's name in bold on white.
QImage aboutLogo()
{
    QImage image(75, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = boldFont(18);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.4);
    painter.setFont(font);
    painter.setPen(QColor(0xa8, 0x24, 0x4a));
    painter.drawText(QRectF(0, 0, 75, 46), Qt::AlignCenter, QStringLiteral("Namorel"));
    // A thin rule under the name, in the icon's star colour.
    painter.setPen(QPen(QColor(0xf0, 0xb4, 0x20), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 36), QPointF(65, 36));
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool save(const QByteArray &document, const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(document) == document.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArrayView(argv[1]) == "--about-logo")
        return save(aboutLogo(), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc != 2) {
        std::fputs("usage: namorel_drawartwork <resources folder>\n"
                   "       namorel_drawartwork --about-logo <file.ppm>\n",
            stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    bool ok = true;
    // The sizes of the hicolor icon theme that desktops look for.
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        ok = save(programIcon(size), folder + u"namorel-%1.png"_s.arg(size)) && ok;
    ok = save(programIconSvg(), folder + u"namorel.svg"_s) && ok;
    for (const int scale : { 1, 2 }) {
        const QString suffix = scale == 1 ? u".png"_s : u"@2x.png"_s;
        ok = save(stepOne(scale), folder + u"step1"_s + suffix) && ok;
        ok = save(stepTwo(scale), folder + u"step2"_s + suffix) && ok;
        ok = save(generateGlyph(scale), folder + u"generate"_s + suffix) && ok;
        ok = save(linkCursor(scale), folder + u"urlcursor_1"_s + suffix) && ok;
    }
    return ok ? 0 : 1;
}
