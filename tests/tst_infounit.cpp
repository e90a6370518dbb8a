#include "infounit.h"
#include "jpegpicture.h"
#include "shellopen.h"
#include "ui_infounit.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QtEndian>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace namorel;
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

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    void logoHeaderAtCreationPixelsAtFirstPaint();
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
        QCOMPARE(button->captionFont().family(), u"MS Sans Serif"_s);
        QCOMPARE(button->captionFont().pointSize(), 8);
        QVERIFY(button->captionFont().bold());
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
    QCOMPARE(result, TInfoForm::mrAbort);
    QCOMPARE(result, 3);
    QVERIFY(!form.isVisible());
}

void TestInfoUnit::closeBoxEndsWithCancel()
{
    TInfoForm form;
    const int result = showAndRun(form, [&] { form.close(); });
    QCOMPARE(result, TInfoForm::mrCancel);
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
    QCOMPARE(result, TInfoForm::mrAbort);
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
        QSize frameExtra;
        const int result = showAndRun(form, [&] {
            offCentre = form.frameGeometry().center() - screenCentre;
            frameExtra = form.frameGeometry().size() - form.size();
            form.move(3, 4); // the user drags it aside before closing it
            form.close();
        });
        QCOMPARE(result, TInfoForm::mrCancel);
        // The frame's size is unknown until the window has first been shown, so the first showing may be off
        // by half of it; later ones only by rounding.
        const QSize allowed = showing == 0 ? frameExtra / 2 + QSize(1, 1) : QSize(1, 1);
        QVERIFY2(std::abs(offCentre.x()) <= allowed.width() && std::abs(offCentre.y()) <= allowed.height(),
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
    QCOMPARE(result, TInfoForm::mrCancel);
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
    QCOMPARE(result, TInfoForm::mrCancel);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].url, QUrl(u"mailto:"_s + mail->caption()));
    QCOMPARE(m_opened[0].mode, ShellShowMode::Normal);
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
