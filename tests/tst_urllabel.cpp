#include "cursortable.h"
#include "shellopen.h"
#include "urllabel.h"

#include <QBitmap>
#include <QEnterEvent>
#include <QTest>

using namespace namorel;
using namespace Qt::Literals::StringLiterals;

// The link cursor's resource is compiled into the controls library; these take it away and put it back.
static void removeCursorResource()
{
    Q_CLEANUP_RESOURCE(namorel_cursors);
}

static void restoreCursorResource()
{
    Q_INIT_RESOURCE(namorel_cursors);
}

namespace {

struct Opened
{
    QUrl url;
    ShellShowMode mode;
};

constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kGreen = qRgb(0, 128, 0);

// A white window with a large bold font and green window text, so that whatever the label shows of its own
// stands out.
class Stage : public QWidget
{
public:
    Stage()
    {
        resize(300, 100);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, QColor(kGreen));
        setPalette(palette);
        setAutoFillBackground(true);
        setFont(QFont(QStringLiteral("Arial"), 14, QFont::Bold));
        label = new TURLLabel(this);
        label->move(20, 20);
    }
    TURLLabel *label;
};

bool shows(TURLLabel *label, QRgb colour)
{
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

void enter(QWidget *widget)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    QEnterEvent event(inside, widget->mapTo(widget->window(), inside), widget->mapToGlobal(inside));
    QCoreApplication::sendEvent(widget, &event);
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestURLLabel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void clickOpensTheAddress_data();
    void clickOpensTheAddress();
    void urlTypeTakesEffectAtTheNextClickOnly();
    void releaseAwayFromTheLabelOpensNothing();
    void hoverTurnsBlueThenBlack();
    void pointerMovesDriveTheHover_data();
    void pointerMovesDriveTheHover();
    void disabledLabelChangesColourButOpensNothing();
    void keepsItsOwnFontAndFitsItsText();
    void linkCursorIsOneTableEntryForAllLabels();
    void missingCursorResourceLeavesTheArrow();
    void linkCursorAtTwiceTheDensity();

private:
    QList<Opened> m_opened;
};

void TestURLLabel::initTestCase()
{
    SetShellOpenFunction([this](const QUrl &url, ShellShowMode mode) { m_opened.append({ url, mode }); });
}

void TestURLLabel::init()
{
    m_opened.clear();
}

void TestURLLabel::cleanupTestCase()
{
    SetShellOpenFunction({});
}

void TestURLLabel::clickOpensTheAddress_data()
{
    QTest::addColumn<TURLLabel::TURLType>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("address");

    QTest::newRow("bare mail address gets the mail prefix")
        << TURLLabel::utMailTo << u"support@namorel.com"_s << u"mailto:support@namorel.com"_s;
    QTest::newRow("mail prefix in capitals is left as written")
        << TURLLabel::utMailTo << u"MAILTO:Support@Namorel.com"_s << u"MAILTO:Support@Namorel.com"_s;
    QTest::newRow("web prefix in the middle of the caption counts")
        << TURLLabel::utHTTP << u"see:http://www.namorel.com/"_s << u"see:http://www.namorel.com/"_s;
    QTest::newRow("bare host gets the web prefix")
        << TURLLabel::utHTTP << u"www.namorel.com/names"_s << u"http://www.namorel.com/names"_s;
    QTest::newRow("file-transfer label looks only for its own prefix")
        << TURLLabel::utFTP << u"http://www.namorel.com/"_s << u"ftp://http://www.namorel.com/"_s;
    QTest::newRow("file-transfer prefix in mixed case is found")
        << TURLLabel::utFTP << u"Ftp://ftp.namorel.com/pub"_s << u"Ftp://ftp.namorel.com/pub"_s;
    QTest::newRow("empty caption opens the bare prefix") << TURLLabel::utHTTP << QString() << u"http://"_s;
    // Unicode lower-casing would turn the dotted capital I into "i"; only A to Z are folded.
    QTest::newRow("dotted capital I is not an i")
        << TURLLabel::utMailTo << u"MA\u0130LTO:a@namorel.com"_s << u"mailto:MA\u0130LTO:a@namorel.com"_s;
}

void TestURLLabel::clickOpensTheAddress()
{
    QFETCH(TURLLabel::TURLType, type);
    QFETCH(QString, caption);
    QFETCH(QString, address);

    QCOMPARE(TURLLabel::linkAddress(type, caption), address);

    Stage stage;
    stage.label->setURLType(type);
    stage.label->setCaption(caption);
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    QTest::mouseClick(stage.label, Qt::LeftButton, {}, stage.label->rect().center());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].url, QUrl(address, QUrl::TolerantMode));
    QCOMPARE(m_opened[0].mode, ShellShowMode::Normal);
}

void TestURLLabel::urlTypeTakesEffectAtTheNextClickOnly()
{
    Stage stage;
    stage.label->setCaption(u"www.namorel.com"_s);
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    const QImage before = stage.grab().toImage();
    stage.label->setURLType(TURLLabel::utFTP);
    QCOMPARE(stage.grab().toImage(), before);
    QTest::mouseClick(stage.label, Qt::LeftButton, {}, stage.label->rect().center());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].url, QUrl(u"ftp://www.namorel.com"_s));
}

void TestURLLabel::releaseAwayFromTheLabelOpensNothing()
{
    Stage stage;
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    TURLLabel *label = stage.label;
    QTest::mousePress(label, Qt::LeftButton, {}, label->rect().center());
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 10, label->height() / 2));
    QTest::mouseClick(label, Qt::RightButton, {}, label->rect().center());
    QVERIFY(m_opened.isEmpty());
}

void TestURLLabel::hoverTurnsBlueThenBlack()
{
    Stage stage;
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    TURLLabel *label = stage.label;
    // Before the first hover the text has the window-text colour, which here is green.
    QCOMPARE(label->fontColor(), kColorWindowText);
    QVERIFY(shows(label, kGreen));

    enter(label);
    QCOMPARE(label->fontColor(), ColorFromRGB(0, 0, 255));
    QVERIFY(shows(label, kBlue));
    QVERIFY(!shows(label, kGreen));

    leave(label);
    QCOMPARE(label->fontColor(), ColorFromRGB(0, 0, 0));
    QVERIFY(shows(label, kBlack));
    QVERIFY(!shows(label, kBlue));
    QVERIFY(!shows(label, kGreen));
    QVERIFY(m_opened.isEmpty());
}

void TestURLLabel::pointerMovesDriveTheHover_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("enabled label") << true;
    QTest::newRow("disabled label") << false;
}

void TestURLLabel::pointerMovesDriveTheHover()
{
    QFETCH(bool, enabled);
    Stage stage;
    stage.label->setEnabled(enabled);
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    TURLLabel *label = stage.label;
    QTest::mouseMove(&stage, QPoint(5, 5));
    QTest::mouseMove(&stage, label->geometry().center());
    QTRY_COMPARE(label->fontColor(), ColorFromRGB(0, 0, 255));
    QTest::mouseMove(&stage, QPoint(5, 5));
    QTRY_COMPARE(label->fontColor(), ColorFromRGB(0, 0, 0));
}

void TestURLLabel::disabledLabelChangesColourButOpensNothing()
{
    Stage stage;
    stage.label->setEnabled(false);
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    TURLLabel *label = stage.label;
    enter(label);
    QCOMPARE(label->fontColor(), ColorFromRGB(0, 0, 255));
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    leave(label);
    QCOMPARE(label->fontColor(), ColorFromRGB(0, 0, 0));
    QVERIFY(m_opened.isEmpty());

    label->setEnabled(true);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    QCOMPARE(m_opened.size(), 1);
}

void TestURLLabel::keepsItsOwnFontAndFitsItsText()
{
    Stage stage;
    TURLLabel *label = stage.label;
    // The stage's 14-point bold Arial does not reach the label.
    QCOMPARE(label->font().family(), u"MS Sans Serif"_s);
    QCOMPARE(label->font().pointSize(), 8);
    QVERIFY(label->font().underline());
    QVERIFY(!label->font().bold());
    QVERIFY(!label->font().italic());
    QVERIFY(label->caption().startsWith(u"http://"_s));

    const QFontMetrics metrics(label->font());
    label->setCaption(u"a@b.c"_s);
    QCOMPARE(label->size(), QSize(metrics.horizontalAdvance(u"a@b.c"_s), metrics.height()));
    QCOMPARE(label->pos(), QPoint(20, 20));
    label->setCaption(u"a much longer address@namorel.com"_s);
    QCOMPARE(label->width(), metrics.horizontalAdvance(u"a much longer address@namorel.com"_s));

    label->setAutoSize(false);
    const QSize fixed = label->size();
    label->setCaption(u"x"_s);
    QCOMPARE(label->size(), fixed);
}

void TestURLLabel::linkCursorIsOneTableEntryForAllLabels()
{
    TURLLabel first;
    TURLLabel second;
    QCOMPARE(RegisteredCursorCount(), 1);
    const std::optional<QCursor> link = RegisteredCursor(kLinkCursorId);
    QVERIFY(link);
    QCOMPARE(link->shape(), Qt::BitmapCursor);
    QCOMPARE(link->hotSpot(), QPoint(5, 0));

    // The fingertip is a black pixel, the corner beside it transparent.
    const QImage bits = link->bitmap().toImage();
    const QImage mask = link->mask().toImage();
    QCOMPARE(bits.size(), QSize(32, 32));
    QCOMPARE(mask.pixelIndex(5, 0), 1);
    QCOMPARE(bits.pixelIndex(5, 0), 1);
    QCOMPARE(mask.pixelIndex(0, 0), 0);

    for (const TURLLabel *label : { &first, &second }) {
        QCOMPARE(label->cursorId(), kLinkCursorId);
        QCOMPARE(label->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(label->cursor().hotSpot(), QPoint(5, 0));
    }
}

// On screens with two device pixels to a pixel the hand is the one drawn at twice the size, its fingertip
// still the hot spot.
void TestURLLabel::linkCursorAtTwiceTheDensity()
{
    const std::optional<QCursor> sharp = TURLLabel::linkCursor(2);
    QVERIFY(sharp);
    QCOMPARE(sharp->shape(), Qt::BitmapCursor);
    const QPixmap picture = sharp->pixmap();
    QCOMPARE(picture.size(), QSize(64, 64));
    QCOMPARE(picture.devicePixelRatio(), 2.0);
    QCOMPARE(sharp->hotSpot(), QPoint(5, 0));
    // The fingertip: black at the hot spot's two by two device pixels, transparent beside them.
    const QImage pixels = picture.toImage();
    QCOMPARE(pixels.pixelColor(10, 0), QColor(Qt::black));
    QCOMPARE(pixels.pixelColor(11, 1), QColor(Qt::black));
    QCOMPARE(pixels.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(TURLLabel::linkCursor(1)->bitmap().size(), QSize(32, 32));
}

void TestURLLabel::missingCursorResourceLeavesTheArrow()
{
    TURLLabel before;
    removeCursorResource();
    TURLLabel without;
    restoreCursorResource();
    QVERIFY(!RegisteredCursor(kLinkCursorId));
    QCOMPARE(without.cursor().shape(), Qt::ArrowCursor);
    // The earlier label looks the cursor up again when the pointer comes.
    enter(&before);
    QCOMPARE(before.cursor().shape(), Qt::ArrowCursor);

    TURLLabel after;
    QVERIFY(RegisteredCursor(kLinkCursorId));
    enter(&without);
    QCOMPARE(without.cursor().shape(), Qt::BitmapCursor);
}

QTEST_MAIN(TestURLLabel)
#include "tst_urllabel.moc"
