#include "ovalbtn.h"
#include "ovalbtn_p.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainterPath>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace namorel;
using namespace namorel::ovalbtn;

namespace {

// The parent's background, which shows wherever the button paints nothing.
constexpr QRgb kStage = qRgb(40, 160, 90);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kFace = qRgb(212, 208, 200);
constexpr QRgb kHighlight = qRgb(233, 231, 227); // the shades of kFace
constexpr QRgb kShadow = qRgb(139, 129, 108);

// Antialiased curves are flattened into short lines, which leaves a trace of a neighbour in some pixels; the
// colours told apart here differ by far more.
bool near(QRgb a, QRgb b, int tolerance)
{
    return qAlpha(a) == 255 && std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

#define COMPARE_PIXEL(image, x, y, expected)                                                                           \
    QVERIFY2(near((image).pixel((x), (y)), (expected), (expected) == kBlack ? 24 : 6),                                 \
        qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")                                                 \
                       .arg(x)                                                                                         \
                       .arg(y)                                                                                         \
                       .arg((image).pixel((x), (y)), 8, 16)                                                            \
                       .arg((expected), 8, 16)))

void setStagePalette(QWidget *w)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, QColor(kStage));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

// A parent with a background of its own and a button in kFace at its top-left corner.
class Stage : public QWidget
{
public:
    Stage()
    {
        resize(1700, 100);
        setStagePalette(this);
        button = new TOvalButton(this);
        button->setPalette(QApplication::palette()); // not the stage's window colour
        button->setColor(ColorFromQColor(QColor(kFace)));
    }
    TOvalButton *button;
};

// What the button shows on its parent.
QImage grabOf(TOvalButton &b)
{
    return b.parentWidget()->grab(b.geometry()).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The smallest rectangle holding every pixel that \a pick accepts.
template<typename Pick> QRect boundsOf(const QImage &image, Pick pick)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (pick(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool isBluish(QRgb p)
{
    return qAlpha(p) == 255 && qBlue(p) > qRed(p) + 60;
}

// \a cells cells of 10 x 12 in red, green, blue, yellow, each with a magenta pixel at its bottom left.
QImage cellStrip(int cells)
{
    static const QColor colours[4] = { Qt::red, Qt::green, Qt::blue, Qt::yellow };
    QImage strip(10 * cells, 12, QImage::Format_RGB32);
    for (int i = 0; i < cells; ++i) {
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 10; ++x)
                strip.setPixelColor(i * 10 + x, y, colours[i]);
        }
        strip.setPixelColor(i * 10, 11, QColor(255, 0, 255));
    }
    return strip;
}

// A window holding a 100 x 50 button at (40, 30), driven through the window system like real input.
class Host : public QWidget
{
public:
    Host()
    {
        resize(200, 120);
        setStagePalette(this);
        button = new TOvalButton(this);
        button->setPalette(QApplication::palette());
        button->move(40, 30);
        button->setBevelWidth(2);
        button->setCaption(QStringLiteral("&Close"));
    }

    // Mouse gestures, space-separated: m move, p press, r release, d double click, then an optional R or M for
    // the right or middle button, then where: + the face, . a corner of the button (off the ellipse), _ outside.
    void run(const QString &gestures)
    {
        QWindow *window = windowHandle();
        // The pointer may rest where the last test left it, and a move to where it already is moves nothing.
        if (!m_started) {
            m_started = true;
            QTest::mouseMove(window, QPoint(0, height() - 1));
        }
        for (const QString &g : gestures.split(u' ', Qt::SkipEmptyParts)) {
            const Qt::MouseButton mouseButton = g.contains(u'R') ? Qt::RightButton
                : g.contains(u'M')                               ? Qt::MiddleButton
                                                                 : Qt::LeftButton;
            const QChar where = g.back();
            const QPoint pos
                = button->pos() + (where == u'+' ? QPoint(50, 25) : (where == u'.' ? QPoint(3, 3) : QPoint(-30, -20)));
            switch (g.front().unicode()) {
            case u'm':
                QTest::mouseMove(window, pos);
                break;
            case u'p':
                QTest::mousePress(window, mouseButton, {}, pos);
                break;
            case u'r':
                QTest::mouseRelease(window, mouseButton, {}, pos);
                break;
            case u'd':
                QTest::mouseDClick(window, mouseButton, {}, pos);
                break;
            }
        }
    }

    TOvalButton *button;
    QStringList keysSeen; // character keys that reached the window

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!event->text().isEmpty())
            keysSeen.append(event->text());
    }

private:
    bool m_started = false;
};

// The button's click and press events in order, as short words.
class Recorder
{
public:
    explicit Recorder(TOvalButton *b)
    {
        const auto name = [](Qt::MouseButton button) {
            return QLatin1StringView(button == Qt::LeftButton ? "L" : (button == Qt::RightButton ? "R" : "M"));
        };
        QObject::connect(b, &TOvalButton::OnClick, b,
            [this, b] { log.append(b->isDown() ? QStringLiteral("click(down)") : QStringLiteral("click(up)")); });
        QObject::connect(b, &TOvalButton::OnDblClick, b, [this] { log.append(QStringLiteral("dblclick")); });
        QObject::connect(b, &TOvalButton::OnMouseDown, b,
            [this, name](Qt::MouseButton button) { log.append(QStringLiteral("down ") + name(button)); });
        QObject::connect(b, &TOvalButton::OnMouseUp, b,
            [this, name](Qt::MouseButton button) { log.append(QStringLiteral("up ") + name(button)); });
    }

    QString text() const { return log.join(QStringLiteral(", ")); }
    QStringList log;
};

} // namespace

Q_DECLARE_METATYPE(TOvalButton::TButtonLayout)

class TestOvalButton : public QObject
{
    Q_OBJECT

private slots:
    void halfArcsEndOnTheSplitRays_data();
    void halfArcsEndOnTheSplitRays();
    void contentLayout_data();
    void contentLayout();
    void captionAccelerator_data();
    void captionAccelerator();
    void downAndFlatSetTheBevelState_data();
    void downAndFlatSetTheBevelState();
    void unchangedPropertyDoesNotRepaint();

    void mouse_data();
    void mouse();
    void hoverAndFlatButton();
    void disabledButtonIgnoresTheMouse();
    void togglesDoNotAffectOneAnother();
    void accelerator();
    void actionDrivesTheButtonButIsNotTriggered();

    void newButtonShowsOutlineAndFaceOnly();
    void ringShades_data();
    void ringShades();
    void ringsFollowThePointerWhileHeldButContentStays();
    void contentMovesWhenDown_data();
    void contentMovesWhenDown();
    void glyphCells_data();
    void glyphCells();
    void transparency();
    void disabledCaptionIsGrey();
    void longCaptionIsDrawnInFull();
    void ringsKeepTheirShadesWhenThePaletteChanges();
    void doubleDensity();
};

// Geometry ----------------------------------------------------------------------------------------------

void TestOvalButton::halfArcsEndOnTheSplitRays_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("ring");

    QTest::newRow("about window button, first ring") << QSize(64, 31) << 1;
    QTest::newRow("about window button, second ring") << QSize(64, 31) << 2;
    QTest::newRow("default button, fifth ring") << QSize(100, 50) << 5;
    QTest::newRow("tall button") << QSize(40, 120) << 3;
}

void TestOvalButton::halfArcsEndOnTheSplitRays()
{
    QFETCH(QSize, size);
    QFETCH(int, ring);

    const BevelSplit split = BevelSplitPoints(size);
    if (size == QSize(64, 31)) {
        QCOMPARE(split.upperRight, QPoint(48, 6));
        QCOMPARE(split.lowerLeft, QPoint(12, 24));
    }
    const QRectF ellipse = EllipseRect(ring, ring, size.width() - ring - 1, size.height() - ring - 1);
    const RingHalves halves = SplitRing(ellipse, split);
    QCOMPARE(halves.upperLeft.span16 + halves.lowerRight.span16, 360 * 16);
    QCOMPARE((halves.upperLeft.start16 + halves.upperLeft.span16) % (360 * 16), halves.lowerRight.start16);

    const auto pointAt = [&](double degrees) {
        QPainterPath path;
        path.arcMoveTo(ellipse, degrees);
        return path.currentPosition() - ellipse.center();
    };
    // Where QPainter starts each half lies on the ray from the centre through its split point.
    for (const auto &[start16, through] : { std::pair(halves.upperLeft.start16, split.upperRight),
             std::pair(halves.lowerRight.start16, split.lowerLeft) }) {
        const QPointF end = pointAt(start16 / 16.0);
        const QPointF ray = QPointF(through) + QPointF(0.5, 0.5) - ellipse.center();
        const double offRay = (end.x() * ray.y() - end.y() * ray.x()) / std::hypot(ray.x(), ray.y());
        QVERIFY2(std::abs(offRay) < 0.05 && QPointF::dotProduct(end, ray) > 0, qPrintable(QString::number(offRay)));
    }
    // The first half is the upper-left one.
    const QPointF middle = pointAt((halves.upperLeft.start16 + halves.upperLeft.span16 / 2.0) / 16.0);
    QVERIFY(middle.x() < 0 && middle.y() < 0);
}

void TestOvalButton::contentLayout_data()
{
    QTest::addColumn<TOvalButton::TButtonLayout>("layout");
    QTest::addColumn<bool>("sunken");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<bool>("hasCaption");
    QTest::addColumn<QPoint>("glyph");
    QTest::addColumn<QPoint>("caption");

    // A 100 x 50 button, glyph cells 16 x 12, caption 30 x 10.
    using L = TOvalButton;
    QTest::newRow("glyph below") << L::blGlyphBottom << false << 0 << 4 << true << QPoint(42, 26) << QPoint(35, 12);
    QTest::newRow("glyph left") << L::blGlyphLeft << false << 0 << 4 << true << QPoint(25, 19) << QPoint(45, 20);
    QTest::newRow("glyph right") << L::blGlyphRight << false << 0 << 4 << true << QPoint(59, 19) << QPoint(25, 20);
    QTest::newRow("glyph above") << L::blGlyphTop << false << 0 << 4 << true << QPoint(42, 12) << QPoint(35, 28);
    QTest::newRow("margin moves the block left")
        << L::blGlyphLeft << false << 7 << 4 << true << QPoint(18, 19) << QPoint(38, 20);
    QTest::newRow("margin moves the block right")
        << L::blGlyphRight << false << 7 << 4 << true << QPoint(66, 19) << QPoint(32, 20);
    QTest::newRow("negative margin moves it up from below")
        << L::blGlyphBottom << false << -5 << 4 << true << QPoint(42, 21) << QPoint(35, 7);
    QTest::newRow("spacing 5: halves truncate")
        << L::blGlyphLeft << false << 0 << 5 << true << QPoint(24, 19) << QPoint(45, 20);
    QTest::newRow("sunken: glyph one pixel, caption beside it two")
        << L::blGlyphLeft << true << 0 << 4 << true << QPoint(26, 20) << QPoint(47, 21);
    QTest::newRow("sunken: caption above it two down")
        << L::blGlyphBottom << true << 0 << 4 << true << QPoint(43, 27) << QPoint(36, 14);
    QTest::newRow("no caption: glyph centred")
        << L::blGlyphLeft << false << 9 << 4 << false << QPoint(42, 19) << QPoint();
}

void TestOvalButton::contentLayout()
{
    QFETCH(TOvalButton::TButtonLayout, layout);
    QFETCH(bool, sunken);
    QFETCH(int, margin);
    QFETCH(int, spacing);
    QFETCH(bool, hasCaption);
    QFETCH(QPoint, glyph);
    QFETCH(QPoint, caption);

    const ContentGeometry out = LayoutContent({ .size = QSize(100, 50),
        .glyphSize = QSize(32, 12),
        .numGlyphs = 2,
        .sunken = sunken,
        .hasCaption = hasCaption,
        .captionSize = hasCaption ? QSize(30, 10) : QSize(),
        .layout = layout,
        .margin = margin,
        .spacing = spacing });
    const QRect g(glyph, QSize(16, 12));
    QCOMPARE(out.glyphRect, g);
    if (hasCaption)
        QCOMPARE(out.captionOrigin, caption);

    // The strips cover exactly what the glyph's other position leaves behind, and none of the glyph.
    const QRegion other = QRegion(sunken ? g.translated(-1, -1) : g.translated(1, 1)).subtracted(g);
    const QRegion strips = QRegion(out.eraseVertical).united(out.eraseHorizontal);
    QVERIFY(other.subtracted(strips).isEmpty());
    QVERIFY(strips.intersected(g).isEmpty());
}

void TestOvalButton::captionAccelerator_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("accel");

    QTest::newRow("lower-case key") << QStringLiteral("&Close") << QChar(u'c') << true;
    QTest::newRow("upper-case key") << QStringLiteral("&Close") << QChar(u'C') << true;
    QTest::newRow("other key") << QStringLiteral("&Close") << QChar(u'l') << false;
    QTest::newRow("only the first ampersand counts") << QStringLiteral("A&b&c") << QChar(u'c') << false;
    QTest::newRow("doubled ampersand makes the ampersand the key") << QStringLiteral("&&x") << QChar(u'&') << true;
    QTest::newRow("and not the letter after it") << QStringLiteral("&&x") << QChar(u'x') << false;
    QTest::newRow("ampersand last") << QStringLiteral("Close&") << QChar(u'&') << false;
    QTest::newRow("only a-z change case") << QStringLiteral("&\u00e9t\u00e9") << QChar(u'\u00c9') << false;
}

void TestOvalButton::captionAccelerator()
{
    QFETCH(QString, caption);
    QFETCH(QChar, key);
    QFETCH(bool, accel);
    QCOMPARE(TOvalButton::CaptionHasAccel(key, caption), accel);
}

void TestOvalButton::downAndFlatSetTheBevelState_data()
{
    QTest::addColumn<bool>("flatFirst");
    QTest::addColumn<bool>("flat");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("bevelState");

    QTest::newRow("down shows sunken") << false << false << true << -1;
    QTest::newRow("flat shows no rings") << true << true << false << 0;
    QTest::newRow("down on a flat button shows sunken") << true << true << true << -1;
    QTest::newRow("making a down button flat leaves it sunken") << false << true << true << -1;
    QTest::newRow("up again: raised") << false << false << false << 1;
}

void TestOvalButton::downAndFlatSetTheBevelState()
{
    QFETCH(bool, flatFirst);
    QFETCH(bool, flat);
    QFETCH(bool, down);
    QFETCH(int, bevelState);

    TOvalButton b;
    if (flatFirst)
        b.setFlat(flat);
    b.setDown(true);
    b.setDown(down);
    b.setFlat(flat);
    QCOMPARE(b.bevelState(), bevelState);
}

void TestOvalButton::unchangedPropertyDoesNotRepaint()
{
    class Counting : public TOvalButton
    {
    public:
        int paints = 0;

    protected:
        void paintEvent(QPaintEvent *event) override
        {
            ++paints;
            TOvalButton::paintEvent(event);
        }
    };

    Counting b;
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QTRY_VERIFY(b.paints > 0);
    QCoreApplication::processEvents();
    b.paints = 0;
    b.setBevelWidth(0);
    b.setColor(kColorButtonFace);
    b.setDown(false);
    b.setSpacing(4);
    b.setCaption(QString());
    b.setGroupIndex(3); // changes no picture
    QCoreApplication::processEvents();
    QCOMPARE(b.paints, 0);

    b.setBevelWidth(3);
    QTRY_VERIFY(b.paints > 0);
    b.paints = 0;
    b.setGlyph(QImage()); // a glyph always repaints
    QTRY_VERIFY(b.paints > 0);
}

// Mouse ------------------------------------------------------------------------------------------------

void TestOvalButton::mouse_data()
{
    QTest::addColumn<int>("groupIndex");
    QTest::addColumn<bool>("downBefore");
    QTest::addColumn<QString>("gestures");
    QTest::addColumn<QString>("events");
    QTest::addColumn<bool>("downAfter");

    const auto row = [](const char *name, int group, bool before, const char *gestures, const char *events,
                         bool after) {
        QTest::newRow(name) << group << before << QString::fromLatin1(gestures) << QString::fromLatin1(events) << after;
    };
    row("click on the face", 0, false, "m+ p+ r+", "down L, click(down), up L", false);
    row("press and release in a corner", 0, false, "m. p. r.", "", false);
    row("press in a corner, move onto the face, release there is a click", 0, false, "m. p. m+ r+", "click(down), up L",
        false);
    row("press, move off the face, release in the corner", 0, false, "m+ p+ m. r.", "down L", false);
    row("press, move out of the button, release outside", 0, false, "m+ p+ m_ r_", "down L", false);
    row("press, move off and back, release on the face", 0, false, "m+ p+ m. m+ r+", "down L, click(down), up L",
        false);
    row("right button pushes but does not click", 0, false, "m+ pR+ rR+", "down R, up R", false);
    row("middle button pushes but does not click", 0, false, "m+ pM+ rM+", "down M, up M", false);
    row("double click: one click, one double click", 0, false, "m+ d+",
        "down L, click(down), up L, dblclick, down L, up L", false);
    row("toggle goes down on a click", 1, false, "m+ p+ r+", "down L, click(down), up L", true);
    row("toggle comes up on the next click", 1, true, "m+ p+ r+", "down L, click(down), up L", false);
    row("toggle released off the face stays down", 1, false, "m+ p+ m. r.", "down L", true);
    row("toggle already down and released off the face stays down", 1, true, "m+ p+ m. r.", "down L", true);
    row("toggle moved off and back flips without a click", 1, false, "m+ p+ m. m+ r+", "down L, up L", true);
    row("toggle flips on the right button too", -5, true, "m+ pR+ rR+", "down R, up R", false);
    row("toggle double click toggles twice", 2, false, "m+ d+", "down L, click(down), up L, dblclick, down L, up L",
        false);
}

void TestOvalButton::mouse()
{
    QFETCH(int, groupIndex);
    QFETCH(bool, downBefore);
    QFETCH(QString, gestures);
    QFETCH(QString, events);
    QFETCH(bool, downAfter);

    Host host;
    host.button->setGroupIndex(groupIndex);
    host.button->setDown(downBefore);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    Recorder recorder(host.button);

    host.run(gestures);
    QCOMPARE(recorder.text(), events);
    QCOMPARE(host.button->isDown(), downAfter);
    QCOMPARE(host.button->bevelState(), downAfter ? -1 : 1);
}

void TestOvalButton::hoverAndFlatButton()
{
    Host host;
    TOvalButton *b = host.button;
    b->setFlat(true);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy enter(b, &TOvalButton::OnMouseEnter);
    QSignalSpy exit(b, &TOvalButton::OnMouseExit);
    QSignalSpy moves(b, &TOvalButton::OnMouseMove);

    host.run(QStringLiteral("m_ m."));
    QCOMPARE(enter.count(), 1);
    QCOMPARE(moves.count(), 0); // the corner is off the face
    QCOMPARE(b->bevelState(), 0);
    host.run(QStringLiteral("m+"));
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.at(0).at(1).toInt(), 50);
    QCOMPARE(b->bevelState(), 1);
    host.run(QStringLiteral("m_")); // straight out of the rectangle: the leave resets it
    QCOMPARE(b->bevelState(), 0);
    QCOMPARE(exit.count(), 1);

    // Pressed, moved off the face and released there, it stays raised until the pointer has passed over the
    // face and off it again.
    host.run(QStringLiteral("m+ p+ m. r. m."));
    QCOMPARE(b->bevelState(), 1);
    host.run(QStringLiteral("m+ m."));
    QCOMPARE(b->bevelState(), 0);

    // Down, it keeps its sunken rings whatever the pointer does.
    b->setGroupIndex(1);
    host.run(QStringLiteral("m+ p+ r+ m. m_"));
    QVERIFY(b->isDown());
    QCOMPARE(b->bevelState(), -1);
}

void TestOvalButton::disabledButtonIgnoresTheMouse()
{
    Host host;
    host.button->setEnabled(false);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    Recorder recorder(host.button);

    host.run(QStringLiteral("m+ p+ r+ d+ pR+ rR+"));
    QCOMPARE(recorder.text(), QString());
    QVERIFY(!host.button->isDown());
    QCOMPARE(host.button->bevelState(), 1);
}

void TestOvalButton::togglesDoNotAffectOneAnother()
{
    Host host;
    auto *second = new TOvalButton(&host);
    second->setGeometry(40, 0, 100, 28);
    host.button->setGroupIndex(7);
    second->setGroupIndex(7);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    host.run(QStringLiteral("m+ p+ r+"));
    QTest::mouseMove(host.windowHandle(), QPoint(90, 14));
    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, QPoint(90, 14));
    QVERIFY(host.button->isDown());
    QVERIFY(second->isDown());
}

void TestOvalButton::accelerator()
{
    Host host;
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy clicks(host.button, &TOvalButton::OnClick);

    // The pointer is nowhere near the button: the key clicks it all the same.
    QTest::keyClick(&host, 'c');
    QTest::keyClick(&host, 'C');
    QCOMPARE(clicks.count(), 2);
    QTest::keyClick(&host, 'x');
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(host.keysSeen, QStringList { QStringLiteral("x") }); // not the button's: it goes on to the window

    host.button->setCaption(QStringLiteral("&&x"));
    QTest::keyClick(&host, 'x');
    QTest::keyClick(&host, '&');
    QCOMPARE(clicks.count(), 3);

    // Disabled, it still takes its key but does not click; hidden, it has no key.
    host.button->setCaption(QStringLiteral("&Close"));
    host.button->setEnabled(false);
    host.keysSeen.clear();
    QTest::keyClick(&host, 'c');
    QCOMPARE(clicks.count(), 3);
    QVERIFY(host.keysSeen.isEmpty());
    host.button->setEnabled(true);
    host.button->hide();
    QTest::keyClick(&host, 'c');
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(host.keysSeen, QStringList { QStringLiteral("c") });

    // Moved into another window, it listens there.
    QWidget other;
    host.button->setParent(&other);
    host.button->show();
    other.show();
    QTest::keyClick(&host, 'c');
    QCOMPARE(clicks.count(), 3);
    QTest::keyClick(&other, 'c');
    QCOMPARE(clicks.count(), 4);
}

void TestOvalButton::actionDrivesTheButtonButIsNotTriggered()
{
    Host host;
    QAction action(QStringLiteral("&Go"));
    action.setToolTip(QStringLiteral("Go there"));
    host.button->setAction(&action);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCOMPARE(host.button->caption(), QStringLiteral("&Go"));
    QCOMPARE(host.button->toolTip(), QStringLiteral("Go there"));
    action.setEnabled(false);
    QVERIFY(!host.button->isEnabled());
    action.setEnabled(true);

    QSignalSpy triggered(&action, &QAction::triggered);
    QSignalSpy clicks(host.button, &TOvalButton::OnClick);
    host.run(QStringLiteral("m+ p+ r+"));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(triggered.count(), 0);

    host.button->setAction(nullptr);
    action.setText(QStringLiteral("Elsewhere"));
    QCOMPARE(host.button->caption(), QStringLiteral("&Go"));
}

// Painting -----------------------------------------------------------------------------------------------

void TestOvalButton::newButtonShowsOutlineAndFaceOnly()
{
    QWidget parent;
    setStagePalette(&parent);
    TOvalButton &b = *new TOvalButton(&parent);
    b.setPalette(QApplication::palette());
    QCOMPARE(b.size(), QSize(100, 50));
    QCOMPARE(b.bevelWidth(), 0);
    QCOMPARE(b.color(), kColorButtonFace);
    QCOMPARE(b.bevelState(), 1);

    const QImage image = grabOf(b);
    const QRgb face = b.palette().color(QPalette::Button).rgb();
    for (const QPoint outline : { QPoint(0, 25), QPoint(99, 25), QPoint(50, 0), QPoint(50, 49) })
        COMPARE_PIXEL(image, outline.x(), outline.y(), kBlack);
    for (const QPoint corner : { QPoint(0, 0), QPoint(99, 0), QPoint(0, 49), QPoint(99, 49), QPoint(5, 4) })
        COMPARE_PIXEL(image, corner.x(), corner.y(), kStage);
    // No rings yet: the face reaches the outline.
    for (const QPoint inside : { QPoint(2, 25), QPoint(50, 2), QPoint(97, 25), QPoint(50, 25) })
        COMPARE_PIXEL(image, inside.x(), inside.y(), face);
}

void TestOvalButton::ringShades_data()
{
    QTest::addColumn<bool>("flat");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("hovered");
    QTest::addColumn<QRgb>("upperLeft");
    QTest::addColumn<QRgb>("lowerRight");

    QTest::newRow("raised: light upper left, dark lower right") << false << false << false << kHighlight << kShadow;
    QTest::newRow("sunken: dark upper left, light lower right") << false << true << false << kShadow << kHighlight;
    QTest::newRow("flat: no rings") << true << false << false << kFace << kFace;
    QTest::newRow("flat hovered: raised") << true << false << true << kHighlight << kShadow;
    QTest::newRow("flat and down: sunken") << true << true << false << kShadow << kHighlight;
}

void TestOvalButton::ringShades()
{
    QFETCH(bool, flat);
    QFETCH(bool, down);
    QFETCH(bool, hovered);
    QFETCH(QRgb, upperLeft);
    QFETCH(QRgb, lowerRight);

    Host host;
    TOvalButton &b = *host.button;
    b.setCaption(QString());
    b.setColor(ColorFromQColor(QColor(kFace)));
    b.setBevelWidth(3);
    b.setFlat(flat);
    b.setDown(down);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    if (hovered)
        host.run(QStringLiteral("m+"));

    const QImage image = grabOf(b);
    // The middle one of three rings at the top, the left and up the left slope; then opposite them.
    COMPARE_PIXEL(image, 50, 2, upperLeft);
    COMPARE_PIXEL(image, 2, 25, upperLeft);
    COMPARE_PIXEL(image, 30, 4, upperLeft);
    COMPARE_PIXEL(image, 50, 47, lowerRight);
    COMPARE_PIXEL(image, 97, 25, lowerRight);
    COMPARE_PIXEL(image, 69, 45, lowerRight);
    COMPARE_PIXEL(image, 50, 5, kFace);
    COMPARE_PIXEL(image, 5, 25, kFace);
    if (flat)
        QVERIFY(qRed(image.pixel(0, 25)) > 100); // no outline
    else
        COMPARE_PIXEL(image, 0, 25, kBlack);
}

void TestOvalButton::ringsFollowThePointerWhileHeldButContentStays()
{
    Host host;
    TOvalButton &b = *host.button;
    b.setCaption(QStringLiteral("Hello"));
    b.setFontColor(ColorFromRGB(0, 0, 255));
    b.setColor(ColorFromQColor(QColor(kFace)));
    b.setBevelWidth(3);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    const QRect raised = boundsOf(grabOf(b), isBluish);
    QVERIFY(!raised.isEmpty());

    const struct
    {
        const char *gestures;
        QRgb leftRing;
        QPoint captionShift;
    } steps[] = {
        { "m+ p+", kShadow, QPoint(1, 1) },
        { "m.", kHighlight, QPoint(1, 1) }, // off the face while held: the rings pop up, the caption stays
        { "m+", kShadow, QPoint(1, 1) }, { "m. r.", kHighlight, QPoint(0, 0) }, // released: the caption follows
    };
    for (const auto &step : steps) {
        host.run(QString::fromLatin1(step.gestures));
        const QImage image = grabOf(b);
        COMPARE_PIXEL(image, 2, 25, step.leftRing);
        QCOMPARE(boundsOf(image, isBluish), raised.translated(step.captionShift));
    }
}

void TestOvalButton::contentMovesWhenDown_data()
{
    QTest::addColumn<bool>("withGlyph");
    QTest::addColumn<TOvalButton::TButtonLayout>("layout");
    QTest::addColumn<QPoint>("captionShift");

    QTest::newRow("caption alone moves one pixel") << false << TOvalButton::blGlyphBottom << QPoint(1, 1);
    QTest::newRow("beside a glyph on its left: two across") << true << TOvalButton::blGlyphLeft << QPoint(2, 1);
    QTest::newRow("beside a glyph on its right: two across") << true << TOvalButton::blGlyphRight << QPoint(2, 1);
    QTest::newRow("below a glyph: two down") << true << TOvalButton::blGlyphTop << QPoint(1, 2);
    QTest::newRow("above a glyph: two down") << true << TOvalButton::blGlyphBottom << QPoint(1, 2);
}

void TestOvalButton::contentMovesWhenDown()
{
    QFETCH(bool, withGlyph);
    QFETCH(TOvalButton::TButtonLayout, layout);
    QFETCH(QPoint, captionShift);

    Stage stage;
    TOvalButton &b = *stage.button;
    b.resize(120, 60);
    b.setCaption(QStringLiteral("Ok"));
    b.setFontColor(ColorFromRGB(0, 0, 255));
    b.setButtonLayout(layout);
    if (withGlyph) {
        b.setNumGlyphs(1);
        b.setGlyph(cellStrip(1)); // red, with a magenta corner
    }
    const auto isRed = [](QRgb p) { return qAlpha(p) == 255 && qRed(p) > 200 && qGreen(p) < 50 && qBlue(p) < 50; };

    const QImage up = grabOf(b);
    b.setDown(true);
    const QImage down = grabOf(b);
    const QRect upCaption = boundsOf(up, isBluish);
    QVERIFY(!upCaption.isEmpty());
    QCOMPARE(boundsOf(down, isBluish), upCaption.translated(captionShift));
    if (withGlyph) {
        QCOMPARE(boundsOf(up, isRed).size(), QSize(10, 12));
        QCOMPARE(boundsOf(down, isRed), boundsOf(up, isRed).translated(1, 1));
    }
}

void TestOvalButton::glyphCells_data()
{
    QTest::addColumn<int>("numGlyphs");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("cell"); // -1: no glyph drawn

    static const char *const names[] = { "normal", "disabled", "down", "disabled and down" };
    static const int expected[5][4] = {
        { -1, -1, -1, -1 }, { 0, 0, 0, 0 }, { 0, 1, 0, 1 }, { 0, 1, 2, 2 }, { 0, 1, 2, 2 }, // never the fourth
    };
    for (int n = 0; n <= 4; ++n) {
        for (int state = 0; state < 4; ++state) {
            QTest::addRow("%d cells, %s", n, names[state])
                << n << (state % 2 == 0) << (state >= 2) << expected[n][state];
        }
    }
}

void TestOvalButton::glyphCells()
{
    QFETCH(int, numGlyphs);
    QFETCH(bool, enabled);
    QFETCH(bool, down);
    QFETCH(int, cell);

    Stage stage;
    TOvalButton &b = *stage.button;
    b.setGlyph(cellStrip(std::max(numGlyphs, 1)));
    b.setNumGlyphs(TNumGlyphs(numGlyphs));
    b.setEnabled(enabled);
    b.setDown(down);

    // A 10 x 12 cell centred in the 100 x 50 button, one pixel lower right when down.
    static const QRgb colours[4] = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0) };
    const QPoint middle = QPoint(50, 25) + (down ? QPoint(1, 1) : QPoint());
    COMPARE_PIXEL(grabOf(b), middle.x(), middle.y(), cell < 0 ? kFace : colours[cell]);
}

void TestOvalButton::transparency()
{
    QImage glyph(12, 12, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    glyph.setPixelColor(5, 5, QColor(0, 128, 0));
    Stage stage;
    TOvalButton &b = *stage.button;
    b.setBevelWidth(3);
    b.setGlyph(glyph);
    QCOMPARE(b.transparentColor(), ColorFromRGB(255, 0, 255)); // from the bottom-left pixel
    COMPARE_PIXEL(grabOf(b), 44, 19, kFace); // a glyph assigned at run time waits for NumGlyphs

    // The glyph's magenta pixels show the face; the glyph starts at ((100 - 12) / 2, (50 - 12) / 2).
    b.setNumGlyphs(1);
    QImage image = grabOf(b);
    COMPARE_PIXEL(image, 44, 19, kFace);
    COMPARE_PIXEL(image, 55, 30, kFace);
    COMPARE_PIXEL(image, 49, 24, qRgb(0, 128, 0));

    b.setTransparentColor(ColorFromRGB(0, 128, 0));
    image = grabOf(b);
    COMPARE_PIXEL(image, 44, 19, qRgb(255, 0, 255));
    COMPARE_PIXEL(image, 49, 24, kFace);

    // A transparent button fills neither its face nor the glyph's transparent pixels.
    b.setTransparent(true);
    b.setTransparentColor(ColorFromRGB(255, 0, 255));
    image = grabOf(b);
    COMPARE_PIXEL(image, 20, 25, kStage);
    COMPARE_PIXEL(image, 44, 19, kStage);
    COMPARE_PIXEL(image, 49, 24, qRgb(0, 128, 0));
    COMPARE_PIXEL(image, 0, 25, kBlack);
    COMPARE_PIXEL(image, 2, 25, kHighlight);
}

void TestOvalButton::disabledCaptionIsGrey()
{
    Stage stage;
    TOvalButton &b = *stage.button;
    QPalette palette = b.palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0, 170, 0));
    b.setPalette(palette);
    QFont font = b.captionFont();
    font.setPixelSize(24);
    font.setBold(true);
    b.setCaptionFont(font);
    b.setCaption(QStringLiteral("IIII"));
    b.setFontColor(ColorFromRGB(0, 0, 255));

    const auto exactly = [](QRgb colour) { return [colour](QRgb p) { return p == colour; }; };
    QVERIFY(!boundsOf(grabOf(b), exactly(qRgb(0, 0, 255))).isEmpty());
    b.setEnabled(false);
    const QImage image = grabOf(b);
    QVERIFY(!boundsOf(image, exactly(qRgb(0, 170, 0))).isEmpty());
    QVERIFY(boundsOf(image, isBluish).isEmpty());
}

void TestOvalButton::longCaptionIsDrawnInFull()
{
    Stage stage;
    TOvalButton &b = *stage.button;
    b.resize(1600, 50);
    b.setFontColor(ColorFromRGB(0, 0, 255));
    const QString caption = QString(99, u'i') + u'W';
    b.setCaption(caption);
    const QFontMetrics metrics(b.captionFont());
    const int right = (1600 + metrics.horizontalAdvance(caption)) / 2;
    QVERIFY(right < 1550);
    // The last character, the hundredth, is drawn.
    QVERIFY(boundsOf(grabOf(b), isBluish).right() > right - metrics.horizontalAdvance(u'W') / 2);
}

void TestOvalButton::ringsKeepTheirShadesWhenThePaletteChanges()
{
    Stage stage;
    TOvalButton &b = *stage.button;
    b.setBevelWidth(3);
    QPalette palette = b.palette();
    palette.setColor(QPalette::Button, QColor(kFace));
    b.setPalette(palette);
    b.setColor(kColorButtonFace); // shades taken now, from the palette's button colour
    QCOMPARE(b.highlightColor(), ColorFromQColor(QColor(kHighlight)));

    palette.setColor(QPalette::Button, QColor(60, 90, 200));
    b.setPalette(palette);
    const QImage image = grabOf(b);
    COMPARE_PIXEL(image, 50, 25, qRgb(60, 90, 200)); // the face follows the palette
    COMPARE_PIXEL(image, 2, 25, kHighlight); // the rings keep their shades
}

void TestOvalButton::doubleDensity()
{
    Stage stage;
    TOvalButton &b = *stage.button;
    b.resize(64, 31);
    b.setBevelWidth(2);
    QPixmap pixmap(128, 62);
    pixmap.setDevicePixelRatio(2);
    stage.render(&pixmap, QPoint(), QRegion(b.geometry()));
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);

    COMPARE_PIXEL(image, 0, 0, kStage);
    COMPARE_PIXEL(image, 127, 61, kStage);
    // Every logical pixel is two device pixels: outline, two rings, then (past a blended pixel) the face.
    const QRgb left[] = { kBlack, kBlack, kHighlight, kHighlight, kHighlight, kHighlight, 0, kFace };
    for (int x = 0; x < 8; ++x) {
        if (left[x] == 0)
            continue;
        COMPARE_PIXEL(image, x, 31, left[x]);
        COMPARE_PIXEL(image, 127 - x, 31, left[x] == kHighlight ? kShadow : left[x]);
    }
}

QTEST_MAIN(TestOvalButton)
#include "tst_ovalbtn.moc"
