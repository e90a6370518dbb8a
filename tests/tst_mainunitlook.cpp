// How the main window looks: its pixels, the places and sizes of its controls, its fonts and its place on screen.

#include "application.h"
#include "errorreport.h"
#include "fonts.h"
#include "infounit.h"
#include "mainunittesting.h"
#include "windowstyle.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOption>
#include <QTabBar>
#include <QWindow>

#include <cmath>

using namespace namorel;
using namespace namorel::testing;

namespace {

// The smallest rectangle of \a area that holds every pixel darker than \a below.
QRect inkBounds(const QImage &image, const QRect &area, int below)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < below)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

int darkestGray(const QImage &image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    }
    return darkest;
}

// How far a window's frame is from the centre of its screen's work area, by the platform's own account of
// the frame (the widget's may lag behind it).
QPoint frameOffCentre(const QWidget *window)
{
    return window->windowHandle()->frameGeometry().center() - window->screen()->availableGeometry().center();
}

// Whether the platform has put a frame (title bar, borders) around the window.
bool framed(const QWidget *window)
{
    return window->isVisible() && window->windowHandle() && !window->windowHandle()->frameMargins().isNull();
}

// The share of the opaque pixels of \a picture that \a shown has (within 8 levels), with the picture placed
// at the best of the positions in \a placings, every \a step device pixels (every other one by default, as pixels
// are two wide at 2x).
double bestMatch(const QImage &shown, const QImage &picture, const QRect &placings, int step = 2)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    double best = 0;
    for (int top = placings.top(); top <= placings.bottom(); top += step) {
        for (int left = placings.left(); left <= placings.right(); left += step) {
            int opaque = 0;
            int matching = 0;
            for (int y = 0; y < source.height() && top + y < shown.height(); ++y) {
                for (int x = 0; x < source.width() && left + x < shown.width(); ++x) {
                    const QRgb want = source.pixel(x, y);
                    if (qAlpha(want) < 255)
                        continue;
                    ++opaque;
                    const QRgb got = shown.pixel(left + x, top + y);
                    matching += std::abs(qRed(want) - qRed(got)) <= 8 && std::abs(qGreen(want) - qGreen(got)) <= 8
                        && std::abs(qBlue(want) - qBlue(got)) <= 8;
                }
            }
            if (opaque)
                best = qMax(best, double(matching) / opaque);
        }
    }
    return best;
}

} // namespace

class TestMainUnitLook : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareTestCase(); }
    void init() { prepareTest(); }
    void cleanup() { closeWindow(); }

    void originTickBoxesAreWholeAndDistinct_data();
    void originTickBoxesAreWholeAndDistinct();
    void labelsKeepTheirPlaceAndFit_data();
    void labelsKeepTheirPlaceAndFit();
    void boxesSitInsideTheirGroupFrames();
    void labelsOfEditsFollowTheirEnabledState();
    void generateGlyphAndCaptionCentredFivePixelsApart();
    void notRecommendedScrollBarKeepsItsColours();
    void oneFaceColourForWindowPanelsAndGroups();
    void windowsAreCentredByTheirFrame();
    void overflowArrowsAreThePlatformsWhenDrawn_data();
    void overflowArrowsAreThePlatformsWhenDrawn();
    void tabFrameIsThePlatformsRingOnly_data();
    void tabFrameIsThePlatformsRingOnly();
    void picturesFollowTheScreenDensity_data();
    void picturesFollowTheScreenDensity();
    void controlsShowTheStandInsOfTheirDesignedFaces_data();
    void controlsShowTheStandInsOfTheirDesignedFaces();
    void everyTabFollowsTheWindowsFont();
    void windowIsAsHighAsItsLayoutAndTheDesignedMenuBar();
    void menuBarGainsWhatALineGainsInTheDesignedFace_data();
    void menuBarGainsWhatALineGainsInTheDesignedFace();
};

void TestMainUnitLook::originTickBoxesAreWholeAndDistinct_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("at 1x") << qreal(1);
    QTest::newRow("at 2x") << qreal(2);
}

// Each row shows a whole box within its 13 pixels, its four edges unbroken; a tick fills it with dark
// pixels, and an empty box has none.
void TestMainUnitLook::originTickBoxesAreWholeAndDistinct()
{
    QFETCH(qreal, ratio);
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    QListWidget *list = ui().OriginList;
    list->item(1)->setCheckState(Qt::Unchecked);
    const QImage image = rendered(list->viewport(), ratio);
    const auto scaled = [ratio](const QRect &r) { return QRect((r.topLeft() * ratio), r.size() * ratio); };

    for (int row = 0; row < 3; ++row) {
        const QRect rowRect = list->visualItemRect(list->item(row));
        QCOMPARE(rowRect.height(), 13);
        const QRect box = inkBounds(image, scaled(QRect(rowRect.left(), rowRect.top(), 20, 13)), 235);
        QVERIFY2(box.height() >= 11 * ratio && box.height() <= 13 * ratio && box.width() >= 11 * ratio
                && box.width() <= 13 * ratio,
            qPrintable(QStringLiteral("row %1: box %2 x %3").arg(row).arg(box.width()).arg(box.height())));
        for (const auto &[from, step, count] :
            { std::tuple { box.topLeft(), QPoint(1, 0), box.width() }, { box.bottomLeft(), QPoint(1, 0), box.width() },
                { box.topLeft(), QPoint(0, 1), box.height() }, { box.topRight(), QPoint(0, 1), box.height() } }) {
            int gaps = 0;
            for (int i = int(ratio); i < count - int(ratio); ++i)
                gaps += qGray(image.pixel(from + step * i)) >= 235;
            QVERIFY2(gaps == 0, qPrintable(QStringLiteral("row %1: an edge of the box is broken").arg(row)));
        }
        const int inside = inkBounds(image, box.adjusted(2 * ratio, 2 * ratio, -2 * ratio, -2 * ratio), 128).width();
        if (list->item(row)->checkState() == Qt::Checked)
            QVERIFY2(inside >= 4 * ratio, qPrintable(QStringLiteral("row %1 looks unticked").arg(row)));
        else
            QVERIFY2(inside == 0, qPrintable(QStringLiteral("row %1 looks ticked").arg(row)));
    }
}

void TestMainUnitLook::labelsKeepTheirPlaceAndFit_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("gap");

    QTest::newRow("Gender") << "Label1" << 60 << "cbGender" << 10;
    QTest::newRow("Minimum characters") << "Label3" << 119 << "seMin" << 9;
    QTest::newRow("Maximum characters") << "Label4" << 122 << "seMax" << 6;
    QTest::newRow("Your Surname") << "leSurnameLabel" << 160 << "leSurname" << 3;
    QTest::newRow("Baby Middle name") << "leMiddlenameLabel" << 161 << "leMiddlename" << 3;
    QTest::newRow("Exclude") << "leExcludeLabel" << 72 << "leExclude" << 3;
    QTest::newRow("Include") << "leIncludeLabel" << 72 << "leInclude" << 3;
    QTest::newRow("Please fill in") << "Label9" << 297 << QString() << 0;
    QTest::newRow("About: version") << "Label7" << 215 << QString() << 0;
    QTest::newRow("About: copyright") << "Label2" << 316 << QString() << 0;
}

// A label ends where the layout puts its right edge, its caption ends there too and fits the label whole,
// so the designed gap to the control on its right stays free.
void TestMainUnitLook::labelsKeepTheirPlaceAndFit()
{
    QFETCH(QString, label);
    QFETCH(int, right);
    QFETCH(QString, control);
    QFETCH(int, gap);

    openWindow();
    TInfoForm about(m_form.get());
    auto *shown = m_form->findChild<QLabel *>(label);
    if (!shown)
        shown = about.findChild<QLabel *>(label);
    QVERIFY(shown);
    QCOMPARE(shown->geometry().right() + 1, right);
    const QFontMetrics metrics(shown->font());
    if (shown->wordWrap()) {
        QVERIFY(shown->heightForWidth(shown->width()) <= shown->height());
    } else {
        QVERIFY2(metrics.horizontalAdvance(shown->text()) <= shown->width(),
            qPrintable(
                QStringLiteral("%1 wide in %2").arg(metrics.horizontalAdvance(shown->text())).arg(shown->width())));
        QVERIFY(metrics.height() <= shown->height());
    }
    if (!control.isEmpty()) {
        QVERIFY(shown->alignment() & Qt::AlignRight);
        const auto *next = m_form->findChild<QWidget *>(control);
        QVERIFY(next);
        QCOMPARE(next->parentWidget(), shown->parentWidget());
        QVERIFY(next->x() - right >= gap);
    }
}

// The signature and initials boxes start below the top line of their group's frame.
void TestMainUnitLook::boxesSitInsideTheirGroupFrames()
{
    openWindow();
    ui().PageControl1->setCurrentIndex(2);
    const QColor face = m_form->palette().color(QPalette::Window);
    for (const auto &[group, box] :
        { std::pair<QGroupBox *, QWidget *> { ui().GroupBox6, ui().reSign }, { ui().GroupBox7, ui().reInitials } }) {
        const QImage image = rendered(group);
        // A column right of the caption: from the top, the frame's line comes first, then the box.
        const int x = box->geometry().right() - 4;
        int line = -1;
        for (int y = 0; y < box->y() && line < 0; ++y) {
            if (qGray(image.pixel(x, y)) < qGray(face.rgb()) - 20)
                line = y;
        }
        QVERIFY2(line >= 0, qPrintable(group->objectName() + QStringLiteral(": no frame line above the box")));
        // And the frame runs round the box on the left too.
        QVERIFY(inkBounds(image, QRect(0, line, box->x(), box->height()), qGray(face.rgb()) - 20).isValid());
    }
}

// The labels of the filters' edits are greyed while their edits are disabled, and follow them when enabled.
void TestMainUnitLook::labelsOfEditsFollowTheirEnabledState()
{
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    const int black = darkestGray(rendered(ui().Label1));
    for (const auto &[label, edit] : { std::pair<QLabel *, QLineEdit *> { ui().leExcludeLabel, ui().leExclude },
             { ui().leIncludeLabel, ui().leInclude } }) {
        QVERIFY(label->isEnabled());
        QVERIFY(darkestGray(rendered(label)) <= black + 10);
        edit->setEnabled(false);
        QVERIFY(!label->isEnabled());
        QVERIFY2(darkestGray(rendered(label)) > black + 60, qPrintable(label->text()));
        edit->setEnabled(true);
        QVERIFY(label->isEnabled());
    }
}

// The picture and the caption stand 5 pixels apart, and the two together are centred on the button.
void TestMainUnitLook::generateGlyphAndCaptionCentredFivePixelsApart()
{
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    QPushButton *button = ui().BitBtn2;
    QPixmap solid(button->iconSize());
    solid.fill(Qt::magenta);
    button->setIcon(QIcon(solid));
    const QImage image = rendered(button);

    QRect glyph;
    QRect caption;
    for (int y = 4; y < image.height() - 4; ++y) {
        for (int x = 4; x < image.width() - 4; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == QColor(Qt::magenta).rgb())
                glyph |= QRect(x, y, 1, 1);
            else if (qGray(pixel) < 180)
                caption |= QRect(x, y, 1, 1);
        }
    }
    QCOMPARE(glyph.size(), button->iconSize());
    QVERIFY(caption.left() > glyph.right());
    const int gap = caption.left() - glyph.right() - 1;
    QVERIFY2(gap >= 5 && gap <= 6, qPrintable(QString::number(gap)));
    const int leftMargin = glyph.left();
    const int rightMargin = image.width() - 1 - caption.right();
    QVERIFY2(std::abs(leftMargin - rightMargin) <= 2,
        qPrintable(QStringLiteral("%1 | %2").arg(leftMargin).arg(rightMargin)));
    QVERIFY(std::abs((glyph.center().y() - image.height() / 2)) <= 1);
}

// The names are red; the scroll bar beside them keeps the colours of every other scroll bar.
void TestMainUnitLook::notRecommendedScrollBarKeepsItsColours()
{
    openWindow();
    ui().seMin->setValue(15);
    ui().seMax->setValue(5);
    closingMessageBoxes([this] { m_form->BitBtn2Click(); });
    ui().PageControl1->setCurrentIndex(2);
    QScrollBar *bar = ui().lbNotRecommend->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    const auto reddish = [](const QImage &image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() - qMax(c.green(), c.blue()) > 50;
            }
        }
        return count;
    };
    QCOMPARE(reddish(rendered(bar)), 0);
    QVERIFY(reddish(rendered(ui().lbNotRecommend->viewport())) > 0);
    QVERIFY(reddish(rendered(ui().GroupBox5)) > 0);
}

// The window's face, the tab panels and the insides of the group boxes are one colour.
void TestMainUnitLook::oneFaceColourForWindowPanelsAndGroups()
{
    openWindow();
    const QColor face = m_form->palette().color(QPalette::Window);
    const QList<QList<std::pair<QWidget *, QPoint>>> blankSpots {
        { { ui().Panel1, QPoint(50, 300) }, { ui().GroupBox1, QPoint(300, 70) } },
        { { ui().Panel3, QPoint(150, 12) }, { ui().GroupBox3, QPoint(195, 235) }, { ui().GroupBox2, QPoint(5, 120) } },
        { { ui().Panel2, QPoint(258, 100) }, { ui().GroupBox4, QPoint(5, 100) } },
    };
    for (int tab = 0; tab < 3; ++tab) {
        ui().PageControl1->setCurrentIndex(tab);
        const QImage image = rendered(m_form.get());
        const QPoint outside = m_form->centralWidget()->mapTo(m_form.get(), QPoint(2, 200));
        QCOMPARE(image.pixelColor(outside), face);
        for (const auto &[widget, spot] : blankSpots[tab])
            QCOMPARE(image.pixelColor(widget->mapTo(m_form.get(), spot)), face);
    }
}

// Windows are centred by their frame, title bar included, once the platform has put it round them: the
// main window, the About window on its first showing, and message boxes.
void TestMainUnitLook::windowsAreCentredByTheirFrame()
{
    m_form = std::make_unique<TMainForm>();
    MainForm = m_form.get();
    CentreOnScreen(m_form.get());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    if (!QTest::qWaitFor([this] { return framed(m_form.get()); }))
        QSKIP("The platform puts no frame round its windows.");
    QTRY_VERIFY2(frameOffCentre(m_form.get()).manhattanLength() <= 1,
        qPrintable(QStringLiteral("main window off by %1,%2")
                       .arg(frameOffCentre(m_form.get()).x())
                       .arg(frameOffCentre(m_form.get()).y())));

    // A modal window is looked at, once framed and settled, from inside its own event loop.
    const auto offCentreOnShowing
        = [](QWidget *window, const std::function<void()> &show, const std::function<void()> &close) {
              QPoint offCentre(9999, 9999);
              QElapsedTimer waited;
              waited.start();
              QTimer watcher;
              watcher.setInterval(5);
              QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
                  if (!framed(window))
                      return;
                  offCentre = frameOffCentre(window);
                  if (offCentre.manhattanLength() > 1 && waited.elapsed() < 5000)
                      return;
                  watcher.stop();
                  close();
              });
              watcher.start();
              show();
              return offCentre;
          };

    TInfoForm about(m_form.get());
    QPoint off = offCentreOnShowing(
        &about, [&] { about.showModal(); }, [&] { about.reject(); });
    QVERIFY2(
        off.manhattanLength() <= 1, qPrintable(QStringLiteral("About window off by %1,%2").arg(off.x()).arg(off.y())));

    MessageWindow summary(QMessageBox::NoIcon, QStringLiteral("Search Complete!"), m_form.get());
    off = offCentreOnShowing(
        &summary, [&] { summary.exec(); }, [&] { summary.accept(); });
    QVERIFY2(
        off.manhattanLength() <= 1, qPrintable(QStringLiteral("message box off by %1,%2").arg(off.x()).arg(off.y())));
}

void TestMainUnitLook::overflowArrowsAreThePlatformsWhenDrawn_data()
{
    QTest::addColumn<int>("arrow");
    QTest::addColumn<Qt::LayoutDirection>("direction");

    QTest::newRow("a menu bar's, left to right") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::LeftToRight;
    QTest::newRow("a menu bar's, right to left") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::RightToLeft;
    QTest::newRow("a vertical tool bar's") << int(QStyle::SP_ToolBarVerticalExtensionButton) << Qt::LeftToRight;
}

// The arrows that bars show when their commands overflow are read only when drawn, and are then the platform
// style's own, at every size and density, also once the style that handed them out is gone.
void TestMainUnitLook::overflowArrowsAreThePlatformsWhenDrawn()
{
    QFETCH(int, arrow);
    QFETCH(Qt::LayoutDirection, direction);
    const auto pixmap = QStyle::StandardPixmap(arrow);
    QStyleOption option;
    option.direction = direction;

    auto style = std::make_unique<WindowStyle>();
    const QIcon platform = style->baseStyle()->standardIcon(pixmap, &option);
    const QIcon handedOut = style->standardIcon(pixmap, &option);
    const QIcon outliving = style->standardIcon(pixmap, &option);
    QVERIFY(!platform.isNull());
    QCOMPARE(handedOut.isNull(), false);
    QCOMPARE(handedOut.availableSizes(), platform.availableSizes());
    for (const QSize size : { QSize(16, 16), QSize(10, 10), QSize(64, 64) }) {
        QCOMPARE(handedOut.actualSize(size), platform.actualSize(size));
        for (const qreal density : { 1.0, 1.5, 2.0 }) {
            const QPixmap expected = platform.pixmap(size, density);
            const QPixmap shown = handedOut.pixmap(size, density);
            QCOMPARE(shown.devicePixelRatio(), expected.devicePixelRatio());
            QCOMPARE(shown.toImage(), expected.toImage());
        }
    }
    style.reset();
    QCOMPARE(outliving.pixmap(QSize(16, 16)).toImage(), platform.pixmap(QSize(16, 16)).toImage());
}

void TestMainUnitLook::tabFrameIsThePlatformsRingOnly_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<int>("shape");
    QTest::addColumn<qreal>("density");
    QTest::addColumn<QRegion>("callersClip");

    const QRegion none;
    const QRect page(3, 4, 300, 420);
    QTest::newRow("a tall page") << page << int(QTabBar::RoundedNorth) << 1.0 << none;
    QTest::newRow("tabs below") << page << int(QTabBar::RoundedSouth) << 1.0 << none;
    QTest::newRow("twice as dense") << page << int(QTabBar::RoundedNorth) << 2.0 << none;
    QTest::newRow("too small for an inside") << QRect(6, 6, 3, 3) << int(QTabBar::RoundedNorth) << 1.0 << none;
    QTest::newRow("the caller's clip has holes")
        << page << int(QTabBar::RoundedNorth) << 1.0
        << QRegion(0, 0, 320, 440).subtracted(QRegion(0, 100, 40, 30)).subtracted(QRegion(200, 0, 10, 440));
}

// A tab page's frame is the platform's, drawn only on its two outer pixels, whatever the shape of the clip
// it is drawn under: every pixel of the ring once, none inside it.
void TestMainUnitLook::tabFrameIsThePlatformsRingOnly()
{
    QFETCH(QRect, frame);
    QFETCH(int, shape);
    QFETCH(qreal, density);
    QFETCH(QRegion, callersClip);

    WindowStyle style;
    QStyleOptionTabWidgetFrame option;
    option.rect = frame;
    option.palette = QApplication::palette();
    option.shape = QTabBar::Shape(shape);
    option.state = QStyle::State_Enabled;

    const auto draw = [&](const std::function<void(QPainter &)> &paint) {
        QImage image(QSize(320, 440) * density, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(density);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        if (!callersClip.isEmpty())
            painter.setClipRegion(callersClip);
        paint(painter);
        return image;
    };
    const QImage drawn
        = draw([&](QPainter &painter) { style.drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter); });
    const QImage expected = draw([&](QPainter &painter) {
        painter.setClipRegion(QRegion(frame).subtracted(QRegion(frame.adjusted(2, 2, -2, -2))), Qt::IntersectClip);
        style.baseStyle()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter);
    });
    QCOMPARE(drawn, expected);
    QVERIFY(drawn.pixelColor(QPoint(frame.left(), frame.bottom()) * density) != QColor(Qt::magenta));
}

void TestMainUnitLook::picturesFollowTheScreenDensity_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("picture");
    // Where the picture may lie in the control, in device pixels, at twice the density and at the designed one.
    QTest::addColumn<QRect>("placingsAtTwice");
    QTest::addColumn<QRect>("placingsAsDesigned");
    QTest::newRow("step 1 badge") << "Image1"
                                  << ":/step1.png" << QRect(0, 0, 1, 1) << QRect(0, 0, 1, 1);
    QTest::newRow("step 2 badge") << "Image3"
                                  << ":/step2.png" << QRect(0, 0, 1, 1) << QRect(0, 0, 1, 1);
    QTest::newRow("Generate glyph") << "BitBtn2"
                                    << ":/generate.png" << QRect(0, 0, 120, 20) << QRect(0, 0, 60, 10);
}

// On a screen with two device pixels to a pixel, the pictures are the ones drawn at twice the size, not the
// designed ones enlarged. Shown again on a screen with one device pixel to a pixel, they are the designed ones,
// pixel for pixel: not the larger drawings made smaller, nor the picture kept from the denser screen.
void TestMainUnitLook::picturesFollowTheScreenDensity()
{
    QFETCH(QString, control);
    QFETCH(QString, picture);
    QFETCH(QRect, placingsAtTwice);
    QFETCH(QRect, placingsAsDesigned);
    openWindow();
    auto *widget = m_form->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QImage designed(picture);
    QVERIFY(!designed.isNull());
    const QImage twice = QImage(QString(picture).replace(QStringLiteral(".png"), QStringLiteral("@2x.png")));
    QVERIFY(!twice.isNull());

    const double atTwice = bestMatch(rendered(widget, 2), twice, placingsAtTwice);
    QVERIFY2(atTwice >= 0.95, qPrintable(QStringLiteral("at twice the density: ") + QString::number(atTwice)));
    const double asDesigned = bestMatch(rendered(widget, 1), designed, placingsAsDesigned, 1);
    QVERIFY2(asDesigned >= 0.98, qPrintable(QStringLiteral("as designed: ") + QString::number(asDesigned)));
}

void TestMainUnitLook::controlsShowTheStandInsOfTheirDesignedFaces_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QFont>("designed");
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    QFont bold(sansSerif, 8);
    bold.setBold(true);
    QFont signature(QStringLiteral("Times New Roman"), 15);
    signature.setItalic(true);
    QTest::newRow("the window") << "TMainForm" << QFont(sansSerif, 8);
    QTest::newRow("a caption on tab 1") << "Label9" << QFont(sansSerif, 8);
    QTest::newRow("an edit on tab 1") << "leSurname" << QFont(sansSerif, 8);
    QTest::newRow("a length box on tab 2") << "seMin" << QFont(sansSerif, 8);
    QTest::newRow("the origins on tab 2") << "OriginList" << QFont(sansSerif, 8);
    QTest::newRow("a bold group on tab 3") << "GroupBox4" << bold;
    QTest::newRow("the names in a bold group") << "lbRecommend" << bold;
    QTest::newRow("the initials, larger") << "reInitials" << QFont(sansSerif, 15);
    QTest::newRow("the signature, in a face of its own") << "reSign" << signature;
}

// Each control shows the face that stands in for the one the layout gives it, at the stand-in's size: once,
// however the window came to it, and on every tab.
void TestMainUnitLook::controlsShowTheStandInsOfTheirDesignedFaces()
{
    QFETCH(QString, control);
    QFETCH(QFont, designed);
    openWindow();
    QWidget *widget = control == u"TMainForm" ? m_form.get() : m_form->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QFont expected = StandInFont(designed);
    const QFont shown = widget->font();
    QCOMPARE(shown.families().value(0, shown.family()), expected.families().value(0, expected.family()));
    QCOMPARE(shown.pointSizeF(), expected.pointSizeF());
    QCOMPARE(shown.bold(), expected.bold());
    QCOMPARE(shown.italic(), expected.italic());
}

// The pages of the tabs hold no font of their own: a face given to the window reaches the controls on every tab.
void TestMainUnitLook::everyTabFollowsTheWindowsFont()
{
    openWindow();
    QFont font(QStringLiteral("Liberation Serif"), 12);
    m_form->setFont(font);
    for (QWidget *control : std::initializer_list<QWidget *> {
             ui().Label9, ui().leSurname, ui().Label1, ui().OriginList, ui().Panel2, ui().lbNotRecommend }) {
        QCOMPARE(control->font().family(), font.family());
        QCOMPARE(control->font().pointSize(), 12);
    }
}

// Below the menu bar the window is as high as its layout; the bar takes the height it has in the designed face,
// whatever face stands in for it.
void TestMainUnitLook::windowIsAsHighAsItsLayoutAndTheDesignedMenuBar()
{
    TMainForm &form = openWindow();
    QMenuBar designed;
    designed.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    for (const QAction *action : form.menuBar()->actions()) {
        if (action->menu())
            designed.addMenu(action->text());
        else
            designed.addAction(action->text());
    }
    QVERIFY(!designed.actions().isEmpty());
    QCOMPARE(form.height(), 383 + designed.sizeHint().height());
    QCOMPARE(form.minimumSize(), form.maximumSize());
}

void TestMainUnitLook::menuBarGainsWhatALineGainsInTheDesignedFace_data()
{
    QTest::addColumn<QFont>("designed");
    const QString face = QStringLiteral("MS Sans Serif");
    const auto inPoints = [&face](qreal points) {
        QFont font(face);
        font.setPointSizeF(points);
        return font;
    };
    for (const qreal points : { 5.0, 6.0, 7.0, 7.5, 8.0, 9.0, 10.0, 11.0, 12.0, 14.0, 18.0, 24.0 })
        QTest::addRow("%g points", points) << inPoints(points);
    // 10.497 pixels: rounded to hundredths first, the size is drawn at 11 pixels, not 10.
    QTest::newRow("rounded twice") << inPoints(10.497 * 72 / 96);
    for (const int pixels : { 9, 11, 13, 17 }) {
        QFont font(face);
        font.setPixelSize(pixels);
        QTest::addRow("%d pixels", pixels) << font;
    }
}

// A bar measured in the stand-in face and grown by what a line gains in the designed face is as high as the bar
// measured in the designed face, at every size.
void TestMainUnitLook::menuBarGainsWhatALineGainsInTheDesignedFace()
{
    QFETCH(QFont, designed);
    const auto barIn = [](const QFont &font) {
        auto bar = std::make_unique<QMenuBar>();
        bar->setFont(font);
        bar->addMenu(QStringLiteral("&Help"));
        bar->addAction(QStringLiteral("E&xit"));
        return bar;
    };
    const std::unique_ptr<QMenuBar> shown = barIn(StandInFont(designed));
    QCOMPARE(shown->sizeHint().height() + DesignedLineHeightGain(designed, shown.get()),
        barIn(DesignedFontAsDrawn(designed))->sizeHint().height());
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainUnitLook test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainunitlook.moc"
