#include "fonts.h"
#include "infounit.h"
#include "jpegpicture.h"
#include "shellopen.h"
#include "ui_infounit.h"
#include "testfiles.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QtEndian>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace namorel;
using namespace namorel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

struct Opened
{
    QUrl url;
    ShellShowMode mode;
};

// Shows \a form modally and, once it is up, runs \a whileShown, which is expected to end the showing.
// Returns the modal result; a showing that does not end within a few seconds is ended with -1.
int showAndRun(TInfoForm &form, const std::function<void()> &whileShown)
{
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        if (QApplication::activeModalWidget() != &form || !form.isVisible())
            return;
        watcher.stop();
        whileShown();
    });
    watcher.start();
    QTimer::singleShot(5000, &form, [&form] {
        if (form.isVisible())
            form.done(-1);
    });
    return form.showModal();
}

// Clicks the middle of \a widget through its window, as a user would, with the pointer moved onto it first.
void clickOn(QWidget *widget)
{
    QWindow *window = widget->window()->windowHandle();
    const QPoint at = widget->mapTo(widget->window(), widget->rect().center());
    QTest::mouseMove(window, QPoint(1, 1));
    QTest::mouseMove(window, at);
    QTest::mouseClick(window, Qt::LeftButton, {}, at);
}

QByteArray logoBlob()
{
    return readFile(TInfoForm::logoResource());
}

// The JPEG data inside the layout's blob: after the class name and the 4-byte length.
QByteArray logoJpeg()
{
    return logoBlob().mid(1 + 10 + 4);
}

QByteArray testData(const char *name)
{
    return readFile(QStringLiteral(NAMOREL_TEST_DATA_DIR "/") + QLatin1StringView(name));
}

QByteArray withLength(QByteArray blob, quint32 length)
{
    qToLittleEndian(length, blob.data() + 11);
    return blob;
}

} // namespace

class TestInfoUnit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void layoutReachesTheControls();
    void closeEndsWithAbort();
    void closeBoxEndsWithCancel();
    void enterAndEscapeLeaveItOpen_data();
    void enterAndEscapeLeaveItOpen();
    void sameWindowCentredEachTime();
    void supportOpensTheCareCentreAndStays();
    void mailLinkStartsAMessage();
    void assistiveToolsSeeAndPressButtonsAndLink();

    void logoHeaderAtCreationPixelsAtFirstPaint();
    void logoDecodedAtTheSizeItIsShown();
    void otherKindsOfJpeg_data();
    void otherKindsOfJpeg();
    void damagedJpegGivesAnEmptyPicture_data();
    void damagedJpegGivesAnEmptyPicture();
    void damagedBlobGivesAnEmptyPicture_data();
    void damagedBlobGivesAnEmptyPicture();
    void pictureFoundDamagedAtPaintKeepsItsPlace();

private:
    QList<Opened> m_opened;
};

void TestInfoUnit::initTestCase()
{
    SetShellOpenFunction([this](const QUrl &url, ShellShowMode mode) { m_opened.append({ url, mode }); });
}

void TestInfoUnit::init()
{
    m_opened.clear();
}

void TestInfoUnit::cleanupTestCase()
{
    SetShellOpenFunction({});
}

// The layout sets most properties by name, which fails silently on a misspelt one.
void TestInfoUnit::layoutReachesTheControls()
{
    TInfoForm form;
    const Ui::TInfoForm &ui = form.controls();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.windowTitle(), u"About..."_s);
    QCOMPARE(form.size(), QSize(329, 223));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(form.property("HelpContext").toInt(), 7);

    for (TOvalButton *button : { ui.BitBtn3, ui.OvalButton1 }) {
        QCOMPARE(button->bevelWidth(), 2);
        QCOMPARE(button->buttonLayout(), TOvalButton::blGlyphBottom);
        QCOMPARE(button->spacing(), 4);
        QCOMPARE(button->margin(), 0);
        // The designed face, or where it is missing the face that stands in for it.
        QFont designed(u"MS Sans Serif"_s, 8);
        designed.setBold(true);
        QCOMPARE(button->captionFont(), StandInFont(designed));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }
    QCOMPARE(ui.BitBtn3->caption(), u"Close"_s);
    QCOMPARE(ui.BitBtn3->toolTip(), QString());
    QCOMPARE(ui.OvalButton1->caption(), u"Support"_s);
    QCOMPARE(ui.OvalButton1->toolTip(), u"Visit the Customer Care Center"_s);

    QCOMPARE(ui.Label7->text(), u"Namorel - version 1.0"_s);
    QVERIFY(ui.Label7->font().bold());
    QVERIFY(ui.Label2->text().contains(u"© 2026"_s));
    QVERIFY(ui.Label2->text().contains(u"GPLv3+"_s));
    QCOMPARE(ui.URLLabel2->urlType(), TURLLabel::utMailTo);
    QCOMPARE(ui.URLLabel2->caption(), u"support@namorel.com"_s);
    // Placed where the layout puts it, sized to its text.
    QCOMPARE(ui.URLLabel2->pos(), QPoint(198, 109));
    QCOMPARE(ui.URLLabel2->height(), QFontMetrics(ui.URLLabel2->font()).height());
    QCOMPARE(ui.Panel1->palette().color(QPalette::Window), QColor(Qt::white));
}

void TestInfoUnit::closeEndsWithAbort()
{
    TInfoForm form;
    const int result = showAndRun(form, [&] { clickOn(form.controls().BitBtn3); });
    QCOMPARE(result, TInfoForm::kAbortResult);
    QCOMPARE(result, 3);
    QVERIFY(!form.isVisible());
}

void TestInfoUnit::closeBoxEndsWithCancel()
{
    TInfoForm form;
    const int result = showAndRun(form, [&] { form.close(); });
    QCOMPARE(result, TInfoForm::kCancelResult);
    QCOMPARE(result, 2);
    QVERIFY(!form.isVisible());
}

void TestInfoUnit::enterAndEscapeLeaveItOpen_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers();
    QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void TestInfoUnit::enterAndEscapeLeaveItOpen()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    TInfoForm form;
    bool stillShown = false;
    const int result = showAndRun(form, [&] {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key(key), modifiers);
        stillShown = form.isVisible();
        form.BitBtn3Click();
    });
    QVERIFY(stillShown);
    QCOMPARE(result, TInfoForm::kAbortResult);
}

void TestInfoUnit::sameWindowCentredEachTime()
{
    auto infoForms = [] {
        int count = 0;
        for (const QWidget *window : QApplication::topLevelWidgets())
            count += qobject_cast<const TInfoForm *>(window) != nullptr;
        return count;
    };
    TInfoForm form;
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    for (int showing = 0; showing < 3; ++showing) {
        QPoint offCentre;
        const int result = showAndRun(form, [&] {
            // Under a window manager the frame comes round the window a moment after it shows. Its place is
            // read from the platform, as the widget's account of it may lag behind.
            const auto frameCentre = [&form] { return form.windowHandle()->frameGeometry().center(); };
            [[maybe_unused]] const bool settled = QTest::qWaitFor([&] {
                return !form.windowHandle()->frameMargins().isNull()
                    && (frameCentre() - screenCentre).manhattanLength() <= 1;
            });
            offCentre = frameCentre() - screenCentre;
            form.move(3, 4); // the user drags it aside before closing it
            form.close();
        });
        QCOMPARE(result, TInfoForm::kCancelResult);
        QVERIFY2(std::abs(offCentre.x()) <= 1 && std::abs(offCentre.y()) <= 1,
            qPrintable(u"showing %1: %2,%3 off centre"_s.arg(showing).arg(offCentre.x()).arg(offCentre.y())));
        QCOMPARE(infoForms(), 1);
    }
}

void TestInfoUnit::supportOpensTheCareCentreAndStays()
{
    TInfoForm form;
    TOvalButton *support = form.controls().OvalButton1;
    bool stillShown = false;
    const int result = showAndRun(form, [&] {
        clickOn(support);
        clickOn(support);
        stillShown = form.isVisible();
        form.close();
    });
    QVERIFY(stillShown);
    QCOMPARE(result, TInfoForm::kCancelResult);
    QCOMPARE(m_opened.size(), 2);
    for (const Opened &opened : m_opened) {
        QCOMPARE(opened.url, TInfoForm::customerCareUrl());
        QCOMPARE(opened.mode, ShellShowMode::Maximized);
    }
    QCOMPARE(TInfoForm::customerCareUrl().scheme(), u"https"_s);
    QCOMPARE(TInfoForm::customerCareUrl().host(), u"www.namorel.com"_s);
}

void TestInfoUnit::mailLinkStartsAMessage()
{
    TInfoForm form;
    TURLLabel *mail = form.controls().URLLabel2;
    const int result = showAndRun(form, [&] {
        clickOn(mail);
        form.close();
    });
    QCOMPARE(result, TInfoForm::kCancelResult);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].url, QUrl(u"mailto:"_s + mail->caption()));
    QCOMPARE(m_opened[0].mode, ShellShowMode::Normal);
}

// The oval buttons are push buttons and the mail address a link to assistive tools, each with a Press
// action that does what a click does; none of them takes the keyboard focus for it.
void TestInfoUnit::assistiveToolsSeeAndPressButtonsAndLink()
{
    TInfoForm form;
    const Ui::TInfoForm &ui = form.controls();
    QAccessibleInterface *close = QAccessible::queryAccessibleInterface(ui.BitBtn3);
    QAccessibleInterface *support = QAccessible::queryAccessibleInterface(ui.OvalButton1);
    QAccessibleInterface *mail = QAccessible::queryAccessibleInterface(ui.URLLabel2);
    QAccessibleInterface *logo = QAccessible::queryAccessibleInterface(ui.Image1);

    QCOMPARE(close->role(), QAccessible::PushButton);
    QCOMPARE(close->text(QAccessible::Name), u"Close"_s);
    QCOMPARE(support->text(QAccessible::Name), u"Support"_s);
    QCOMPARE(support->text(QAccessible::Description), u"Visit the Customer Care Center"_s);
    QCOMPARE(mail->role(), QAccessible::Link);
    QCOMPARE(mail->text(QAccessible::Name), ui.URLLabel2->caption());
    QCOMPARE(mail->text(QAccessible::Value), u"mailto:"_s + ui.URLLabel2->caption());
    QCOMPARE(logo->role(), QAccessible::Graphic);
    QCOMPARE(logo->text(QAccessible::Name), u"Namorel logo"_s);
    for (QAccessibleInterface *pressable : { close, support, mail }) {
        QVERIFY(!pressable->state().focusable);
        QCOMPARE(
            pressable->actionInterface()->actionNames(), QStringList { QAccessibleActionInterface::pressAction() });
    }

    support->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    mail->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_opened.size(), 2);
    QCOMPARE(m_opened[0].url, TInfoForm::customerCareUrl());
    QCOMPARE(m_opened[1].url, QUrl(u"mailto:"_s + ui.URLLabel2->caption()));

    ui.OvalButton1->setEnabled(false);
    QVERIFY(support->state().disabled);
    support->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_opened.size(), 2);
    ui.BitBtn3->setDown(true);
    QVERIFY(close->state().pressed);
    ui.BitBtn3->setDown(false);

    const int result
        = showAndRun(form, [&] { close->actionInterface()->doAction(QAccessibleActionInterface::pressAction()); });
    QCOMPARE(result, TInfoForm::kAbortResult);
    QCOMPARE(ui.BitBtn3->focusPolicy(), Qt::NoFocus);
    QCOMPARE(ui.URLLabel2->focusPolicy(), Qt::NoFocus);
}

void TestInfoUnit::logoHeaderAtCreationPixelsAtFirstPaint()
{
    TInfoForm form;
    PictureBox *box = form.controls().Image1;
    const JpegPicture &picture = box->picture();
    QVERIFY(!picture.isEmpty());
    QCOMPARE(picture.size(), QSize(75, 50));
    QVERIFY(!picture.header().grayscale);
    QVERIFY(!picture.header().progressive);
    QVERIFY(!picture.isDecoded());
    QCOMPARE(box->geometry(), QRect(35, 67, 75, 50));

    const QImage shown = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(picture.isDecoded());
    QVERIFY(!box->picture().isEmpty());
    // White ground in the corner, dark lettering somewhere in the middle.
    const QPoint origin = box->mapTo(&form, QPoint(0, 0));
    QVERIFY(qGray(shown.pixel(origin + QPoint(1, 1))) > 240);
    int dark = 0;
    for (int x = 0; x < 75; ++x)
        dark += qGray(shown.pixel(origin + QPoint(x, 25))) < 128;
    QVERIFY2(dark > 5, qPrintable(QString::number(dark)));
}

// On a screen with two device pixels to a pixel, the logo is decoded at twice its size, which is sharper
// than its pixels enlarged.
void TestInfoUnit::logoDecodedAtTheSizeItIsShown()
{
    TInfoForm form;
    PictureBox *box = form.controls().Image1;
    JpegPicture twice(logoJpeg());
    const QImage expected = twice.scaledImage(16).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(expected.size(), QSize(150, 100));

    QPixmap shown(box->size() * 2);
    shown.setDevicePixelRatio(2);
    box->render(&shown);
    const QImage image = shown.toImage().convertToFormat(QImage::Format_RGB32);
    // Compared where the logo is not white: its lettering, where enlarging would show.
    int lettering = 0;
    int matching = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb want = expected.pixel(x, y);
            if (qGray(want) > 230)
                continue;
            ++lettering;
            const QRgb got = image.pixel(x, y);
            matching += std::abs(qGray(want) - qGray(got)) <= 8;
        }
    }
    QVERIFY(lettering > 200);
    QVERIFY2(matching >= lettering * 95 / 100, qPrintable(u"%1 of %2"_s.arg(matching).arg(lettering)));
}

void TestInfoUnit::otherKindsOfJpeg_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("grayscale");
    QTest::addColumn<bool>("progressive");
    QTest::newRow("baseline colour") << logoJpeg() << false << false;
    QTest::newRow("progressive colour") << testData("logo-progressive.jpg") << false << true;
    QTest::newRow("baseline grey") << testData("logo-grey.jpg") << true << false;
}

// All three hold the same drawing, so they decode to nearly the same pixels.
void TestInfoUnit::otherKindsOfJpeg()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, grayscale);
    QFETCH(bool, progressive);
    QVERIFY(!data.isEmpty());
    JpegPicture picture(data);
    QCOMPARE(picture.size(), QSize(75, 50));
    QCOMPARE(picture.header().grayscale, grayscale);
    QCOMPARE(picture.header().progressive, progressive);
    QVERIFY(!picture.isDecoded());

    const QImage image = picture.image().convertToFormat(QImage::Format_Grayscale8);
    JpegPicture reference(logoJpeg());
    const QImage expected = reference.image().convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(image.size(), expected.size());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(std::abs(image.pixelColor(x, y).value() - expected.pixelColor(x, y).value()) < 48);
    }
}

void TestInfoUnit::damagedJpegGivesAnEmptyPicture_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = logoJpeg();
    QVERIFY(good.size() > 1000);
    for (qsizetype cut = 0; cut < good.size(); cut += 64)
        QTest::addRow("cut after %lld bytes", qlonglong(cut)) << good.left(cut);
    QTest::newRow("cut just before the end marker") << good.chopped(2);

    const qsizetype frame = good.indexOf("\xFF\xC0");
    const qsizetype scan = good.indexOf("\xFF\xDA");
    QVERIFY(frame > 0 && scan > frame);
    auto patched = [&good](qsizetype at, QByteArrayView bytes) {
        QByteArray data = good;
        data.replace(at, bytes.size(), bytes.toByteArray());
        return data;
    };
    QTest::newRow("no start marker") << patched(0, QByteArrayView("\x00\x00", 2));
    QTest::newRow("frame header under an unknown marker") << patched(frame, "\xFF\xC8");
    QTest::newRow("frame header says 0 rows") << patched(frame + 5, QByteArrayView("\x00\x00", 2));
    QTest::newRow("frame header says 65500 x 65500") << patched(frame + 5, "\xFF\xDC\xFF\xDC");
    QTest::newRow("end marker amid the pixels") << patched(scan + (good.size() - scan) / 2, "\xFF\xD9");
    QTest::newRow("start of another picture amid the pixels") << patched(scan + (good.size() - scan) / 2, "\xFF\xD8");
    QTest::newRow("not a JPEG at all") << QByteArray("GIF89a, or anything else that is not a JPEG");
    QTest::newRow("a lone start marker") << QByteArray("\xFF\xD8");
}

void TestInfoUnit::damagedJpegGivesAnEmptyPicture()
{
    QFETCH(QByteArray, data);
    JpegPicture picture(data);
    QVERIFY(picture.image().isNull());
    QVERIFY(picture.isEmpty());
    QCOMPARE(picture.size(), QSize(0, 0));
}

void TestInfoUnit::damagedBlobGivesAnEmptyPicture_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<bool>("empty");
    const QByteArray good = logoBlob();
    const auto length = quint32(good.size() - 15);
    QTest::newRow("the logo as stored") << good << false;
    QTest::newRow("length one byte too long") << withLength(good, length + 1) << true;
    QTest::newRow("length one byte too short") << withLength(good, length - 1) << true;
    QTest::newRow("length of 4 GB") << withLength(good, 0xFFFFFFFF) << true;
    QTest::newRow("length 0") << withLength(good, 0) << true;
    QTest::newRow("cut in the middle") << good.left(good.size() / 2) << true;
    QTest::newRow("cut in the length") << good.left(13) << true;
    QTest::newRow("nothing") << QByteArray() << true;
    QTest::newRow("another class of picture") << QByteArray(good).replace(1, 10, "TBMPXImage") << true;
    QTest::newRow("class name of the wrong length") << QByteArray(good).replace(0, 1, "\x0B") << true;
    QTest::newRow("trailing bytes") << good + QByteArray(2, '\0') << true;
}

void TestInfoUnit::damagedBlobGivesAnEmptyPicture()
{
    QFETCH(QByteArray, blob);
    QFETCH(bool, empty);
    JpegPicture picture = JpegPicture::fromLayoutBlob(blob);
    QCOMPARE(picture.isEmpty(), empty);
    QCOMPARE(picture.image().isNull(), empty);
}

void TestInfoUnit::pictureFoundDamagedAtPaintKeepsItsPlace()
{
    // The header is whole, so the damage shows only when the pixels are decoded.
    const QByteArray cut = logoJpeg().chopped(200);
    JpegPicture picture(cut);
    QVERIFY(!picture.isEmpty());
    PictureBox box;
    box.setPicture(picture);
    QCOMPARE(box.size(), QSize(75, 50));
    box.grab();
    QVERIFY(box.picture().isDecoded());
    QVERIFY(box.picture().isEmpty());
    QCOMPARE(box.size(), QSize(75, 50));
}

QTEST_MAIN(TestInfoUnit)
#include "tst_infounit.moc"
