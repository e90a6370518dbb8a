// Renders a sheet of oval buttons in their states and layouts, at 1x and 2x device pixel ratio, for a look
// by eye:  ovalbtn_sheet <output folder>   (writes ovalbtn_sheet_1x.png and ovalbtn_sheet_2x.png)
// Run it under QT_QPA_PLATFORM=offscreen when there is no display.

#include "ovalbtn.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <cstdio>

using namespace namorel;

namespace {

// A three-cell strip (normal, disabled, down) of 16 x 16 arrows on a magenta background.
QImage arrowStrip()
{
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    const QColor colours[3] = { QColor(0, 110, 0), QColor(140, 140, 140), QColor(0, 0, 170) };
    for (int cell = 0; cell < 3; ++cell) {
        const int x = cell * 16;
        p.fillRect(x + 2, 6, 7, 4, colours[cell]);
        const QPoint head[3] = { QPoint(x + 8, 2), QPoint(x + 14, 8), QPoint(x + 8, 14) };
        p.setPen(Qt::NoPen);
        p.setBrush(colours[cell]);
        p.drawPolygon(head, 3);
    }
    return strip;
}

TOvalButton *button(QWidget *parent, const QString &caption, int width = 100, int height = 50)
{
    auto *b = new TOvalButton(parent);
    b->setCaption(caption);
    b->setBevelWidth(2);
    b->setFixedSize(width, height);
    return b;
}

void hover(TOvalButton *b)
{
    const QPointF centre(b->width() / 2.0, b->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, centre, b->mapToGlobal(centre), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(b, &move);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    QWidget sheet;
    sheet.setAutoFillBackground(true);
    auto *grid = new QGridLayout(&sheet);
    grid->setSpacing(14);
    const QImage strip = arrowStrip();
    // The About window's caption font: the old 8-point bold sans face, for which Liberation Sans stands in.
    QFont bold(QStringLiteral("Liberation Sans"));
    bold.setPointSize(8);
    bold.setBold(true);

    int row = 0;
    const auto label = [&](const QString &text) { grid->addWidget(new QLabel(text, &sheet), row, 0); };

    label(QStringLiteral("About window: Close, Support, Support down"));
    auto *close = button(&sheet, QStringLiteral("Close"), 64, 31);
    close->setCaptionFont(bold);
    grid->addWidget(close, row, 1);
    auto *support = button(&sheet, QStringLiteral("Support"), 64, 31);
    support->setCaptionFont(bold);
    grid->addWidget(support, row, 2);
    auto *pressed = button(&sheet, QStringLiteral("Support"), 64, 31);
    pressed->setCaptionFont(bold);
    pressed->setDown(true);
    grid->addWidget(pressed, row, 3);
    ++row;

    label(QStringLiteral("raised / sunken / flat hovered / flat / disabled"));
    grid->addWidget(button(&sheet, QStringLiteral("&Raised")), row, 1);
    auto *sunken = button(&sheet, QStringLiteral("Sunken"));
    sunken->setDown(true);
    grid->addWidget(sunken, row, 2);
    auto *flatHover = button(&sheet, QStringLiteral("Flat hover"));
    flatHover->setFlat(true);
    grid->addWidget(flatHover, row, 3);
    auto *flat = button(&sheet, QStringLiteral("Flat"));
    flat->setFlat(true);
    grid->addWidget(flat, row, 4);
    auto *disabled = button(&sheet, QStringLiteral("Disabled"));
    disabled->setEnabled(false);
    grid->addWidget(disabled, row, 5);
    ++row;

    const struct
    {
        TOvalButton::TButtonLayout layout;
        const char16_t *name;
    } layouts[] = {
        { TOvalButton::blGlyphBottom, u"Bottom" },
        { TOvalButton::blGlyphLeft, u"Left" },
        { TOvalButton::blGlyphRight, u"Right" },
        { TOvalButton::blGlyphTop, u"Top" },
    };
    for (int state = 0; state < 3; ++state) {
        label(state == 0
                ? QStringLiteral("glyph layouts, raised")
                : (state == 1 ? QStringLiteral("down (third cell)") : QStringLiteral("disabled (second cell)")));
        for (int i = 0; i < 4; ++i) {
            auto *b = button(&sheet, QString::fromUtf16(layouts[i].name), 110, 64);
            b->setNumGlyphs(3);
            b->setGlyph(strip);
            b->setButtonLayout(layouts[i].layout);
            b->setDown(state == 1);
            b->setEnabled(state != 2);
            grid->addWidget(b, row, 1 + i);
        }
        ++row;
    }

    label(QStringLiteral("colour, bevel 5 / margin 8 / transparent / glyph only"));
    auto *red = button(&sheet, QStringLiteral("Red"));
    red->setColor(ColorFromRGB(220, 60, 50));
    red->setBevelWidth(5);
    grid->addWidget(red, row, 1);
    auto *margin = button(&sheet, QStringLiteral("Margin"), 110, 64);
    margin->setNumGlyphs(3);
    margin->setGlyph(strip);
    margin->setButtonLayout(TOvalButton::blGlyphLeft);
    margin->setMargin(8);
    grid->addWidget(margin, row, 2);
    auto *transparent = button(&sheet, QStringLiteral("Transparent"));
    transparent->setTransparent(true);
    grid->addWidget(transparent, row, 3);
    auto *glyphOnly = button(&sheet, QString(), 60, 40);
    glyphOnly->setNumGlyphs(3);
    glyphOnly->setGlyph(strip);
    grid->addWidget(glyphOnly, row, 4);
    auto *yellow = button(&sheet, QStringLiteral("&&Yellow"), 100, 50);
    yellow->setColor(ColorFromRGB(250, 220, 90));
    yellow->setBevelWidth(3);
    grid->addWidget(yellow, row, 5);

    sheet.show();
    QApplication::processEvents();
    hover(flatHover);

    for (const qreal ratio : { 1.0, 2.0 }) {
        QPixmap pixmap(sheet.size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        sheet.render(&pixmap);
        const QString path = QDir(folder).filePath(QStringLiteral("ovalbtn_sheet_%1x.png").arg(int(ratio)));
        if (!pixmap.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
