// Draws the program's pictures: the program icon, the two step pictures, the Generate glyph and the link
// cursor, the last three also at twice their size (name@2x.png) for screens with two device pixels to a
// pixel; and, on request, the About window's logo before it is encoded as a JPEG.
//
//   namorel_drawartwork <resources folder>
//   namorel_drawartwork --about-logo <file.ppm>      (see tools/make_about_logo.sh)
//
// The pictures are committed; run this after changing a drawing.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

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

// A rounded coral tile with a white "N" and a yellow star: the program's icon.
QImage programIcon(int size)
{
    QImage image = blank(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, QColor(0xff, 0x8a, 0x80));
    tile.setColorAt(1, QColor(0xe8, 0x5d, 0x75));
    painter.setPen(QPen(QColor(0xb8, 0x3b, 0x55), s / 32));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.22, s * 0.22);

    painter.setPen(Qt::white);
    painter.setFont(boldFont(s * 0.72));
    painter.drawText(QRectF(0, s * 0.06, s * 0.92, s), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("N"));

    painter.setPen(QPen(QColor(0xc8, 0x8a, 0x00), s / 40));
    painter.setBrush(QColor(0xff, 0xd4, 0x3b));
    painter.drawPath(star(QPointF(s * 0.78, s * 0.24), s * 0.2, s * 0.09));
    return image;
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
    const bool ok = save(programIcon(16), folder + QStringLiteral("namorel-16.png"))
        && save(programIcon(32), folder + QStringLiteral("namorel-32.png"))
        && save(programIcon(256), folder + QStringLiteral("namorel-256.png"))
        && save(stepOne(1), folder + QStringLiteral("step1.png"))
        && save(stepOne(2), folder + QStringLiteral("step1@2x.png"))
        && save(stepTwo(1), folder + QStringLiteral("step2.png"))
        && save(stepTwo(2), folder + QStringLiteral("step2@2x.png"))
        && save(generateGlyph(1), folder + QStringLiteral("generate.png"))
        && save(generateGlyph(2), folder + QStringLiteral("generate@2x.png"))
        && save(linkCursor(1), folder + QStringLiteral("urlcursor_1.png"))
        && save(linkCursor(2), folder + QStringLiteral("urlcursor_1@2x.png"));
    return ok ? 0 : 1;
}
