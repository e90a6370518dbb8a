#include "application.h"
#include "errorreport.h"
#include "fonts.h"
#include "infounit.h"
#include "mainunit.h"
#include "mainunitcontrols.h"
#include "namefilter.h"
#include "settingsstore.h"
#include "shellopen.h"
#include "windowstyle.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringListModel>
#include <QStyleOption>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <functional>
#include <memory>

using namespace namorel;

namespace {

// What a modal message box showed before the test closed it.
struct ShownBox
{
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Runs an action that may show modal message boxes, closes each one with its first button and returns
// what they showed.
QList<ShownBox> closingMessageBoxes(const std::function<void()> &action)
{
    QList<ShownBox> shown;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&shown] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ShownBox seen { box->windowTitle(), box->text(), box->icon(), {} };
        for (QAbstractButton *button : box->buttons())
            seen.buttons.append(button->text().remove(u'&'));
        shown.append(seen);
        box->buttons().first()->click();
    });
    watcher.start();
    action();
    return shown;
}

QStringList listOf(const QListView *view)
{
    return qobject_cast<const QStringListModel *>(view->model())->stringList();
}

QString displayed(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The pixels of a widget as it paints itself at a device pixel ratio.
QImage rendered(QWidget *widget, qreal ratio = 1)
{
    QPixmap pixmap(widget->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    widget->render(&pixmap);
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

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

// The contrast ratio of two colours, as accessibility guidelines measure it: 1 (none) to 21.
double contrast(QColor a, QColor b)
{
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
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

// Every interface below \a root, depth first.
void collectAccessible(QAccessibleInterface *root, QList<QAccessibleInterface *> &found)
{
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface *child = root->child(i)) {
            found.append(child);
            collectAccessible(child, found);
        }
    }
}

} // namespace

class TestMainUnit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowOpensAsDesigned();
    void generate_data();
    void generate();
    void generateReadsLengthsStillBeingTyped();
    void generateWithFilters_data();
    void generateWithFilters();
    void filtersByKeyboard();
    void failedSearchKeepsTheNamesReadBefore();
    void failureAfterASearchKeepsTheListsSorted();
    void choosingANameShowsSignatureAndInitials();
    void originCommands();
    void contextMenuOpensOnTheOriginList();
    void spinBoxes_data();
    void spinBoxes();
    void settingsLoadedAtCreationAndSavedAtClose();
    void laterTabsTakeTheStoredEntriesWhenMade();
    void longStoredTextsStayWhole();
    void unknownStoredGenderReadsTheMaleFiles();
    void failedSaveKeepsTheWindowOpen();
    void exitClosesAndSaves();
    void helpAndHomepage();
    void aboutShowsTheAboutWindow();
    void errorReportText_data();
    void errorReportText();
    void errorEscapingAHandlerIsReported();

    void originTickBoxesAreWholeAndDistinct_data();
    void originTickBoxesAreWholeAndDistinct();
    void labelsKeepTheirPlaceAndFit_data();
    void labelsKeepTheirPlaceAndFit();
    void boxesSitInsideTheirGroupFrames();
    void labelsOfEditsFollowTheirEnabledState();
    void generateGlyphAndCaptionCentredFivePixelsApart();
    void notRecommendedScrollBarKeepsItsColours();
    void panelsFillTheirTabsAsDesigned();
    void oneFaceColourForWindowPanelsAndGroups();
    void firstKeyInAListSelectsTheFirstName_data();
    void firstKeyInAListSelectsTheFirstName();
    void windowsAreCentredByTheirFrame();

    void everyControlIsNamedForAssistiveTools();
    void originsAreTickedThroughAssistiveTools();
    void enterPressesTheFocusedGenerateButton_data();
    void enterPressesTheFocusedGenerateButton();
    void overflowArrowsAreThePlatformsWhenDrawn_data();
    void overflowArrowsAreThePlatformsWhenDrawn();
    void tabFrameIsThePlatformsRingOnly_data();
    void tabFrameIsThePlatformsRingOnly();
    void focusMarksStandOut_data();
    void focusMarksStandOut();
    void tabKeyFollowsTheDesignedOrder_data();
    void tabKeyFollowsTheDesignedOrder();
    void picturesFollowTheScreenDensity_data();
    void picturesFollowTheScreenDensity();
    void controlsShowTheStandInsOfTheirDesignedFaces_data();
    void controlsShowTheStandInsOfTheirDesignedFaces();
    void everyTabFollowsTheWindowsFont();
    void windowIsAsHighAsItsLayoutAndTheDesignedMenuBar();
    void menuBarGainsWhatALineGainsInTheDesignedFace_data();
    void menuBarGainsWhatALineGainsInTheDesignedFace();

private:
    TMainForm &openWindow();
    void writeDatabase();
    Ui::TMainForm &ui() { return m_form->controls(); }

    QTemporaryDir m_dir;
    QString m_programFolder;
    std::unique_ptr<TMainForm> m_form;
    QList<QUrl> m_opened;
};

void TestMainUnit::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The test mode's settings folder lies in the home folder, which every copy of this test shares (those of other
    // checkouts on the machine too); one of them making the store unwritable would break the others. A home of
    // its own keeps this run's store to itself.
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("home"))));
    qputenv("HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(SettingsStore::userFilePath().startsWith(m_dir.path()));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The lists follow the collation setting.
    qputenv("LC_ALL", "en_US.UTF-8");
    m_programFolder = m_dir.path() + QStringLiteral("/Namorel/");
    SetShellOpenFunction([this](const QUrl &url, ShellShowMode) { m_opened.append(url); });
}

void TestMainUnit::init()
{
    QFile::remove(SettingsStore::userFilePath());
    QDir(m_programFolder).removeRecursively();
    writeDatabase();
    m_opened.clear();
}

void TestMainUnit::cleanup()
{
    if (m_form) {
        // Closing saves; a test that broke the store has put it right again.
        m_form->close();
        m_form.reset();
    }
    MainForm = nullptr;
}

// Every origin has a girls' and a boys' file with two names; Celtic has a few more.
void TestMainUnit::writeDatabase()
{
    QVERIFY(QDir().mkpath(m_programFolder + QStringLiteral("database")));
    for (const QString &origin : OriginTable()) {
        for (const qint32 gender : { 0, 1 }) {
            QFile file(NameFilePath(m_programFolder, origin, gender));
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QString names = gender == 0 ? QStringLiteral("%1 Girl\nG%2\n") : QStringLiteral("%1 Boy\nB%2\n");
            file.write(names.arg(origin.left(3), origin.left(1)).toUtf8());
        }
    }
    QFile celtic(NameFilePath(m_programFolder, QStringLiteral("Celtic"), 0));
    QVERIFY(celtic.open(QIODevice::Append));
    celtic.write("Aoife\nbrigid\nSaoirse\n");
}

TMainForm &TestMainUnit::openWindow()
{
    m_form = std::make_unique<TMainForm>();
    MainForm = m_form.get();
    ProgramFolder = m_programFolder;
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get()))
        qFatal("the main window did not show");
    // The tabs after the first are made right after the first paint; the tests look at them at once.
    m_form->controls();
    return *m_form;
}

void TestMainUnit::windowOpensAsDesigned()
{
    TMainForm &form = openWindow();
    QCOMPARE(form.windowTitle(), QStringLiteral("Namorel"));
    QCOMPARE(form.centralWidget()->size(), QSize(534, 383));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(ui().PageControl1->currentIndex(), 0);
    QCOMPARE(ui().OriginList->count(), 41);
    for (int row = 0; row < 41; ++row) {
        QCOMPARE(ui().OriginList->item(row)->text(), OriginTable().at(row));
        QCOMPARE(ui().OriginList->item(row)->checkState(), Qt::Checked);
    }
    QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("Sign Here"));
    QCOMPARE(ui().reInitials->toPlainText(), QStringLiteral("Initials Here"));
    QVERIFY(ui().reSign->font().italic());
    QCOMPARE(ui().reSign->palette().color(QPalette::Text), QColor(0, 0, 128));
    // The five filters are live, off, and each explains itself.
    for (QWidget *filter : std::initializer_list<QWidget *> {
             ui().leExclude, ui().leInclude, ui().cbBalanceFilter, ui().cbRhythmFilter, ui().cbAlliteration }) {
        QVERIFY2(filter->isEnabled(), qPrintable(filter->objectName()));
        QVERIFY2(!filter->toolTip().isEmpty(), qPrintable(filter->objectName()));
    }
    QVERIFY(!FiltersActive(form.currentQuery()));
    QVERIFY(!ui().FileToSearchMemo->isVisible());
    QVERIFY(!ui().DataAnalyseMemo->isVisible());
    // A first run: the store holds nothing yet.
    QCOMPARE(ui().leSurname->text(), QStringLiteral("Smith"));
    QCOMPARE(ui().cbGender->currentIndex(), 0);
    QCOMPARE(ui().seMin->value(), 1);
    QCOMPARE(ui().seMax->value(), 20);
    QCOMPARE(ProgramFolder, m_programFolder);
}

void TestMainUnit::generate_data()
{
    QTest::addColumn<QStringList>("origins");
    QTest::addColumn<int>("gender");
    QTest::addColumn<int>("minLength");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QStringList>("recommended");
    QTest::addColumn<QStringList>("notRecommended");

    QTest::newRow("girls' names by length")
        << QStringList { QStringLiteral("Celtic"), QStringLiteral("Greek") } << 0 << 5 << 8
        << QStringList { QStringLiteral("Aoife"), QStringLiteral("brigid"), QStringLiteral("Cel Girl"),
               QStringLiteral("Gre Girl"), QStringLiteral("Saoirse") }
        << QStringList { QStringLiteral("GC"), QStringLiteral("GG") };
    QTest::newRow("boys' names") << QStringList { QStringLiteral("Welsh") } << 1 << 1 << 20
                                 << QStringList { QStringLiteral("BW"), QStringLiteral("Wel Boy") } << QStringList();
    QTest::newRow("minimum above maximum recommends nothing")
        << QStringList { QStringLiteral("Welsh") } << 0 << 15 << 5 << QStringList()
        << QStringList { QStringLiteral("GW"), QStringLiteral("Wel Girl") };
    QTest::newRow("no origin ticked") << QStringList() << 0 << 1 << 20 << QStringList() << QStringList();
}

void TestMainUnit::generate()
{
    QFETCH(QStringList, origins);
    QFETCH(int, gender);
    QFETCH(int, minLength);
    QFETCH(int, maxLength);
    QFETCH(QStringList, recommended);
    QFETCH(QStringList, notRecommended);

    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    m_form->SelectNone1Click();
    for (int row = 0; row < ui().OriginList->count(); ++row) {
        if (origins.contains(ui().OriginList->item(row)->text()))
            ui().OriginList->item(row)->setCheckState(Qt::Checked);
    }
    ui().cbGender->setCurrentIndex(gender);
    ui().seMin->setValue(minLength);
    ui().seMax->setValue(maxLength);

    const QList<ShownBox> shown = closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });

    QCOMPARE(listOf(ui().lbRecommend), recommended);
    QCOMPARE(listOf(ui().lbNotRecommend), notRecommended);
    QCOMPARE(ScannedCount, qint32(recommended.size() + notRecommended.size()));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, QStringLiteral("Namorel"));
    QCOMPARE(shown[0].icon, QMessageBox::NoIcon);
    QCOMPARE(shown[0].buttons, QStringList { QStringLiteral("OK") });
    QCOMPARE(shown[0].text,
        QStringLiteral("Search Complete!\n\nScanned Names in Database: %1\n"
                       "Relevent Names displayed: %2")
            .arg(recommended.size() + notRecommended.size())
            .arg(recommended.size()));
    // The results wait on their tab; the window stays where it was.
    QCOMPARE(ui().PageControl1->currentIndex(), 1);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("Sign Here"));
    QCOMPARE(ui().FileToSearchMemo->toPlainText().count(u'\n') + (origins.isEmpty() ? 0 : 1), origins.size());
}

void TestMainUnit::generateReadsLengthsStillBeingTyped()
{
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    ui().seMax->setFocus();
    ui().seMax->selectAll();
    QTest::keyClicks(ui().seMax, QStringLiteral("25"));
    QCOMPARE(ui().seMax->currentValue(), 25);
    ui().seMin->setFocus();
    ui().seMin->selectAll();
    QTest::keyClicks(ui().seMin, QStringLiteral("-"));
    QCOMPARE(ui().seMin->currentValue(), 1);

    closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });
    const NameQuery query = m_form->currentQuery();
    QCOMPARE(query.MinLength, 1);
    QCOMPARE(query.MaxLength, 20);
    QCOMPARE(ui().seMax->text(), QStringLiteral("20"));
    QCOMPARE(ui().seMin->text(), QStringLiteral("1"));
}

void TestMainUnit::generateWithFilters_data()
{
    QTest::addColumn<QString>("exclude");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<bool>("alliteration");
    QTest::addColumn<QStringList>("recommended");
    QTest::addColumn<QString>("lastLine");

    // The Celtic girls: "Cel Girl", "GC", "Aoife", "brigid" and "Saoirse".
    QTest::newRow("Exclude moves names with its letters")
        << QStringLiteral("I") << QStringLiteral("Smith") << false << QStringList { QStringLiteral("GC") }
        << QStringLiteral("Moved by filters: 4");
    QTest::newRow("alliteration keeps the names that start as the surname")
        << QString() << QStringLiteral("Sands") << true
        << QStringList { QStringLiteral("Cel Girl"), QStringLiteral("Saoirse") }
        << QStringLiteral("Moved by filters: 3");
}

void TestMainUnit::generateWithFilters()
{
    QFETCH(QString, exclude);
    QFETCH(QString, surname);
    QFETCH(bool, alliteration);
    QFETCH(QStringList, recommended);
    QFETCH(QString, lastLine);

    // The sound filters read how names and surnames are said from beside the name files.
    for (const char *data : { "pronunciations.txt", "cmudict.txt" }) {
        QVERIFY(QFile::copy(QStringLiteral(NAMOREL_SOURCE_DIR "/database/") + QLatin1StringView(data),
            m_programFolder + QStringLiteral("database/") + QLatin1StringView(data)));
    }
    openWindow();
    m_form->SelectNone1Click();
    ui().OriginList->item(OriginTable().indexOf(QStringLiteral("Celtic")))->setCheckState(Qt::Checked);
    ui().leSurname->setText(surname);
    ui().leExclude->setText(exclude);
    ui().cbAlliteration->setChecked(alliteration);
    const QList<ShownBox> shown = closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });

    QCOMPARE(listOf(ui().lbRecommend), recommended);
    QCOMPARE(listOf(ui().lbRecommend).size() + listOf(ui().lbNotRecommend).size(), 5);
    QCOMPARE(ScannedCount, 5);
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.startsWith(QStringLiteral("Search Complete!\n\nScanned Names in Database: 5\n")));
    QCOMPARE(shown[0].text.split(u'\n').last(), lastLine);
}

void TestMainUnit::filtersByKeyboard()
{
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    ui().seMax->setFocus();
    const auto tab = [] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget();
    };

    // After the lengths, Tab walks through the five filters in their order; typing and the space bar set them.
    QCOMPARE(tab(), ui().leExclude);
    QTest::keyClicks(ui().leExclude, QStringLiteral("xq"));
    QCOMPARE(tab(), ui().leInclude);
    QTest::keyClicks(ui().leInclude, QStringLiteral("a"));
    QCOMPARE(tab(), ui().cbBalanceFilter);
    QTest::keyClick(ui().cbBalanceFilter, Qt::Key_Space);
    QCOMPARE(tab(), ui().cbRhythmFilter);
    QCOMPARE(tab(), ui().cbAlliteration);
    QTest::keyClick(ui().cbAlliteration, Qt::Key_Space);
    const NameQuery query = m_form->currentQuery();
    QCOMPARE(query.ExcludeLetters, QStringLiteral("xq"));
    QCOMPARE(query.IncludeLetters, QStringLiteral("a"));
    QVERIFY(query.BalanceFilter && !query.RhythmFilter && query.Alliteration);

    // Without a surname the sound filters are greyed, say why, and Tab passes them by.
    const QString balanceHint = ui().cbBalanceFilter->toolTip();
    ui().leSurname->setText(QStringLiteral("  "));
    for (QCheckBox *box : { ui().cbBalanceFilter, ui().cbRhythmFilter, ui().cbAlliteration }) {
        QVERIFY(!box->isEnabled());
        QVERIFY(box->toolTip().contains(QStringLiteral("surname")));
    }
    QVERIFY(ui().cbBalanceFilter->toolTip() != balanceHint);
    ui().leInclude->setFocus();
    QCOMPARE(tab(), ui().OriginList);
    ui().leSurname->setText(QStringLiteral("Lee"));
    QVERIFY(ui().cbRhythmFilter->isEnabled());
    QCOMPARE(ui().cbBalanceFilter->toolTip(), balanceHint);

    // A surname in another script is read in Latin letters; one whose spelling does not tell how it is said
    // greys the sound filters with its own reason.
    const QString needsSurnameHint = [this] {
        ui().leSurname->clear();
        return ui().cbBalanceFilter->toolTip();
    }();
    ui().leSurname->setText(QStringLiteral("Иванов"));
    QVERIFY(ui().cbAlliteration->isEnabled());
    QCOMPARE(ui().cbBalanceFilter->toolTip(), balanceHint);
    for (const QString &surname : { QStringLiteral("כהן"), QStringLiteral("123") }) {
        ui().leSurname->setText(surname);
        for (QCheckBox *box : { ui().cbBalanceFilter, ui().cbRhythmFilter, ui().cbAlliteration }) {
            QVERIFY2(!box->isEnabled(), qPrintable(surname));
            QVERIFY2(box->toolTip().contains(QStringLiteral("how the surname is said")), qPrintable(surname));
        }
        QVERIFY(ui().cbBalanceFilter->toolTip() != needsSurnameHint);
    }
}

void TestMainUnit::failedSearchKeepsTheNamesReadBefore()
{
    QVERIFY(QFile::remove(NameFilePath(m_programFolder, QStringLiteral("Danish"), 0)));
    openWindow();
    const QList<ShownBox> shown = closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });

    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].caption, QStringLiteral("Namorel"));
    QCOMPARE(shown[0].buttons, QStringList { QStringLiteral("OK") });
    QCOMPARE(shown[0].text,
        QStringLiteral("Cannot open file %1.").arg(m_programFolder + QStringLiteral("database/danisg.nam")));
    // The eight files before Danish, in reading order: nobody has sorted the lists yet.
    const QStringList recommended = listOf(ui().lbRecommend);
    QCOMPARE(recommended.size(), 8 * 2 + 3);
    QCOMPARE(recommended.first(), QStringLiteral("Afr Girl"));
    QCOMPARE(recommended.last(), QStringLiteral("GC"));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestMainUnit::failureAfterASearchKeepsTheListsSorted()
{
    openWindow();
    closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });
    QVERIFY(QFile::remove(NameFilePath(m_programFolder, QStringLiteral("Danish"), 0)));
    const QList<ShownBox> shown = closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QStringList recommended = listOf(ui().lbRecommend);
    QCOMPARE(recommended.size(), 8 * 2 + 3);
    QStringList sorted = recommended;
    SortNames(sorted);
    QCOMPARE(recommended, sorted);
}

void TestMainUnit::choosingANameShowsSignatureAndInitials()
{
    openWindow();
    ui().leSurname->setText(QStringLiteral("Murphy"));
    ui().leMiddlename->setText(QStringLiteral("rose"));
    m_form->SelectNone1Click();
    ui().OriginList->item(OriginTable().indexOf(QStringLiteral("Celtic")))->setCheckState(Qt::Checked);
    closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });
    ui().PageControl1->setCurrentIndex(2);
    QCOMPARE(listOf(ui().lbRecommend).first(), QStringLiteral("Aoife"));

    // The keyboard moves the selection, and the boxes follow.
    ui().lbRecommend->setFocus();
    ui().lbRecommend->setCurrentIndex(ui().lbRecommend->model()->index(0, 0));
    QCOMPARE(
        ui().reSign->toPlainText(), displayed(ComposeSignature(QStringLiteral("Aoife"), QStringLiteral("Murphy"))));
    QTest::keyClick(ui().lbRecommend, Qt::Key_Down);
    QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("\nbrigid Murphy"));
    QCOMPARE(ui().reInitials->toPlainText(), QStringLiteral("\nB.R.M."));
    QCOMPARE(ui().reInitials->alignment(), Qt::AlignHCenter);

    // Editing the surname changes nothing until a name is chosen again, even the same one.
    ui().leSurname->setText(QStringLiteral("Kelly"));
    QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("\nbrigid Murphy"));
    const QRect row = ui().lbRecommend->visualRect(ui().lbRecommend->currentIndex());
    QTest::mouseClick(ui().lbRecommend->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("\nbrigid Kelly"));

    // The other list has no say.
    ui().lbNotRecommend->setCurrentIndex(ui().lbNotRecommend->model()->index(0, 0));
    QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("\nbrigid Kelly"));

    // A new search clears the selection but leaves the boxes as they are.
    closingMessageBoxes([this] { m_form->BitBtn2Click(); });
    QVERIFY(!ui().lbRecommend->selectionModel()->hasSelection());
    QCOMPARE(ui().reInitials->toPlainText(), QStringLiteral("\nB.R.K."));
}

void TestMainUnit::originCommands()
{
    openWindow();
    const auto ticked = [this] {
        int count = 0;
        for (int row = 0; row < ui().OriginList->count(); ++row)
            count += ui().OriginList->item(row)->checkState() == Qt::Checked;
        return count;
    };
    ui().SelectNone1->trigger();
    QCOMPARE(ticked(), 0);
    ui().OriginList->item(3)->setCheckState(Qt::Checked);
    ui().InvertSelection1->trigger();
    QCOMPARE(ticked(), 40);
    QCOMPARE(ui().OriginList->item(3)->checkState(), Qt::Unchecked);
    ui().SelectAll1->trigger();
    QCOMPARE(ticked(), 41);
    ui().SelectNone1->trigger();
    ui().InvertSelection1->trigger();
    QCOMPARE(ticked(), 41);
    QCOMPARE(m_form->PopupMenu1()->actions(),
        (QList<QAction *> { ui().SelectAll1, ui().SelectNone1, ui().N2, ui().InvertSelection1 }));
}

void TestMainUnit::contextMenuOpensOnTheOriginList()
{
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    QSignalSpy requested(ui().OriginList, &QWidget::customContextMenuRequested);
    QContextMenuEvent event(
        QContextMenuEvent::Mouse, QPoint(20, 20), ui().OriginList->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(ui().OriginList->viewport(), &event);
    QCOMPARE(requested.count(), 1);
    QTRY_VERIFY(m_form->PopupMenu1()->isVisible());
    m_form->PopupMenu1()->close();
}

void TestMainUnit::spinBoxes_data()
{
    QTest::addColumn<bool>("maximumBox");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("textWhileTyping");
    QTest::addColumn<int>("valueWhileTyping");
    QTest::addColumn<int>("valueAfterLeaving");

    QTest::newRow("too large a maximum comes down to 20") << true << "25"
                                                          << "25" << 25 << 20;
    QTest::newRow("too small a maximum comes up to 3") << true << "1"
                                                       << "1" << 1 << 3;
    QTest::newRow("a lone minus sign reads as the minimum") << false << "-"
                                                            << "-" << 1 << 1;
    QTest::newRow("a negative number comes up to the minimum") << false << "-5"
                                                               << "-5" << -5 << 1;
    QTest::newRow("a plus sign is part of the number") << false << "+7"
                                                       << "+7" << 7 << 7;
    QTest::newRow("a decimal point is accepted but no whole number") << true << "9."
                                                                     << "9." << 3 << 3;
    QTest::newRow("letters are refused") << false << "1a2"
                                         << "12" << 12 << 12;
    QTest::newRow("a space is refused") << false << " 8"
                                        << "8" << 8 << 8;
    QTest::newRow("no more than two characters") << true << "123"
                                                 << "12" << 12 << 12;
    QTest::newRow("zero comes up to the minimum") << false << "0"
                                                  << "0" << 0 << 1;
}

void TestMainUnit::spinBoxes()
{
    QFETCH(bool, maximumBox);
    QFETCH(QString, typed);
    QFETCH(QString, textWhileTyping);
    QFETCH(int, valueWhileTyping);
    QFETCH(int, valueAfterLeaving);

    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    LengthSpinBox *box = maximumBox ? ui().seMax : ui().seMin;
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), textWhileTyping);
    QCOMPARE(box->currentValue(), valueWhileTyping);

    ui().cbGender->setFocus();
    QTRY_VERIFY(!box->hasFocus());
    QCOMPARE(box->currentValue(), valueAfterLeaving);
    QCOMPARE(box->text(), QString::number(valueAfterLeaving));

    // The arrow keys step by one and stop at the bounds.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->value(), qMin(valueAfterLeaving + 1, box->maximum()));
    box->setValue(box->maximum());
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->value(), box->maximum());
}

void TestMainUnit::settingsLoadedAtCreationAndSavedAtClose()
{
    SaveSettings(
        { QStringLiteral("O'Brien"), QStringLiteral("Mae"), 1, 4, 9, QStringLiteral("xy"), QString(), 1, 0, 1 });
    openWindow();
    QCOMPARE(ui().leExclude->text(), QStringLiteral("xy"));
    QCOMPARE(ui().leInclude->text(), QString());
    QVERIFY(ui().cbBalanceFilter->isChecked());
    QVERIFY(!ui().cbRhythmFilter->isChecked());
    QVERIFY(ui().cbAlliteration->isChecked());
    QCOMPARE(ui().leSurname->text(), QStringLiteral("O'Brien"));
    QCOMPARE(ui().leMiddlename->text(), QStringLiteral("Mae"));
    QCOMPARE(ui().cbGender->currentIndex(), 1);
    QCOMPARE(ui().seMin->value(), 4);
    QCOMPARE(ui().seMax->value(), 9);
    // Every start ticks all origins, whatever was ticked before.
    QCOMPARE(m_form->currentQuery().Origins, OriginTable());

    ui().leSurname->setText(QString());
    ui().leMiddlename->setText(QStringLiteral("Ann Marie"));
    ui().cbGender->setCurrentIndex(0);
    ui().seMin->setValue(2);
    ui().leInclude->setText(QStringLiteral("e"));
    ui().cbAlliteration->setChecked(false);
    QVERIFY(m_form->close());
    QVERIFY(!m_form->isVisible());

    UserEntries loaded { QStringLiteral("x"), QStringLiteral("x"), 7, 7, 7 };
    LoadSettings(loaded);
    // An empty surname is stored as it is, and loads as "Smith" again.
    QCOMPARE(loaded.Surname, QStringLiteral("Smith"));
    QCOMPARE(loaded.MiddleName, QStringLiteral("Ann Marie"));
    QCOMPARE(loaded.GenderIndex, 0);
    QCOMPARE(loaded.MinLength, 2);
    QCOMPARE(loaded.MaxLength, 9);
    QCOMPARE(loaded.ExcludeLetters, QStringLiteral("xy"));
    QCOMPARE(loaded.IncludeLetters, QStringLiteral("e"));
    QCOMPARE(loaded.BalanceFilter, 1);
    QCOMPARE(loaded.Alliteration, 0);
}

// The tabs after the first are made once the window is on screen, or before when anything needs them. The
// entries stored for them reach them then, and are not lost when the window closes before they are made.
void TestMainUnit::laterTabsTakeTheStoredEntriesWhenMade()
{
    SaveSettings({ QStringLiteral("Kelly"), QString(), 1, 4, 9, QStringLiteral("q"), QString(), 0, 0, 1 });
    const auto storedEntriesKept = [] {
        UserEntries loaded { QStringLiteral("x"), QStringLiteral("x"), 7, 7, 7 };
        LoadSettings(loaded);
        return loaded.Surname == u"Kelly" && loaded.GenderIndex == 1 && loaded.MinLength == 4 && loaded.MaxLength == 9
            && loaded.ExcludeLetters == u"q" && loaded.Alliteration == 1;
    };
    {
        TMainForm unseen;
        QVERIFY(!unseen.findChild<QWidget *>(QStringLiteral("cbGender")));
        QVERIFY(unseen.saveQuietly());
        QVERIFY(storedEntriesKept());
    }

    m_form = std::make_unique<TMainForm>();
    MainForm = m_form.get();
    QVERIFY(!m_form->findChild<QWidget *>(QStringLiteral("cbGender")));
    m_form->show();
    QTRY_VERIFY(m_form->findChild<QComboBox *>(QStringLiteral("cbGender")));
    QCOMPARE(m_form->findChild<QComboBox *>(QStringLiteral("cbGender"))->currentIndex(), 1);
    QCOMPARE(m_form->findChild<QSpinBox *>(QStringLiteral("seMin"))->value(), 4);
    QCOMPARE(m_form->currentQuery().Origins, OriginTable());
    QVERIFY(m_form->close());
    QVERIFY(storedEntriesKept());
}

void TestMainUnit::longStoredTextsStayWhole()
{
    // The edits take 100 characters of typing; longer stored texts are shown and saved back whole.
    const QString surname = QString(150, u'S') + u'z';
    const QString middle = QString(120, u'M');
    SaveSettings({ surname, middle, 0, 1, 20 });
    openWindow();
    QCOMPARE(ui().leSurname->text(), surname);
    QCOMPARE(ui().leMiddlename->text(), middle);

    // Typing does not make a long text longer, and once a text is within the limit, the limit holds again.
    ui().leSurname->setFocus();
    ui().leSurname->end(false);
    QTest::keyClicks(ui().leSurname, QStringLiteral("xyz"));
    QCOMPARE(ui().leSurname->text(), surname);
    ui().leMiddlename->clear();
    QTest::keyClicks(ui().leMiddlename, QString(120, u'x'));
    QCOMPARE(ui().leMiddlename->text(), QString(100, u'x'));

    QVERIFY(m_form->close());
    UserEntries loaded {};
    LoadSettings(loaded);
    QCOMPARE(loaded.Surname, surname);
    QCOMPARE(loaded.MiddleName, QString(100, u'x'));
}

void TestMainUnit::unknownStoredGenderReadsTheMaleFiles()
{
    SaveSettings({ QStringLiteral("Smith"), QString(), 5, 1, 20 });
    openWindow();
    QCOMPARE(ui().cbGender->currentIndex(), -1);
    m_form->SelectNone1Click();
    ui().OriginList->item(OriginTable().indexOf(QStringLiteral("Greek")))->setCheckState(Qt::Checked);
    closingMessageBoxes([this] { m_form->BitBtn2Click(); });
    QCOMPARE(listOf(ui().lbRecommend), (QStringList { QStringLiteral("BG"), QStringLiteral("Gre Boy") }));
}

void TestMainUnit::failedSaveKeepsTheWindowOpen()
{
    openWindow();
    // A file where the store's folder should be: nobody, not even root, can create the store.
    const QString folder = QFileInfo(SettingsStore::userFilePath()).absolutePath();
    QDir(folder).removeRecursively();
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    for (int attempt = 0; attempt < 2; ++attempt) {
        const QList<ShownBox> shown = closingMessageBoxes([this] { m_form->close(); });
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        // The text ends in a quote, which gains no full stop.
        QCOMPARE(shown[0].text, QStringLiteral("Failed to set data for 'surname'"));
        QVERIFY(m_form->isVisible());
    }

    QVERIFY(QFile::remove(folder));
    QVERIFY(m_form->close());
    QVERIFY(!m_form->isVisible());
    QVERIFY(QFile::exists(SettingsStore::userFilePath()));
}

void TestMainUnit::exitClosesAndSaves()
{
    openWindow();
    ui().leSurname->setText(QStringLiteral("Nakamura"));
    ui().Exit1->trigger();
    QVERIFY(!m_form->isVisible());
    UserEntries loaded {};
    LoadSettings(loaded);
    QCOMPARE(loaded.Surname, QStringLiteral("Nakamura"));
}

void TestMainUnit::helpAndHomepage()
{
    openWindow();
    const QString previous = QDir::currentPath();
    QTemporaryDir current;
    QVERIFY(QDir::setCurrent(current.path()));

    // No help document in the current folder: nothing happens.
    ui().Contents1->trigger();
    QVERIFY(m_opened.isEmpty());

    QFile help(current.filePath(QStringLiteral("help.chm")));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    ui().Contents1->trigger();
    QDir::setCurrent(previous);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0], QUrl::fromLocalFile(QFileInfo(help).absoluteFilePath()));

    ui().QuillmarkHomepage1->trigger();
    QCOMPARE(m_opened.size(), 2);
    QCOMPARE(m_opened[1], TMainForm::homepageUrl());
    QVERIFY(m_opened[1].isValid());
    QCOMPARE(m_opened[1].scheme(), QStringLiteral("https"));
}

// "About..." returns at once, so that an assistive tool that gave the command is answered, and the About
// window then shows modally; asking again while it shows opens nothing more.
void TestMainUnit::aboutShowsTheAboutWindow()
{
    openWindow();
    TInfoForm about(m_form.get());
    InfoForm = &about;
    int showings = 0;
    QTimer watcher;
    watcher.setInterval(5);
    connect(&watcher, &QTimer::timeout, &about, [&] {
        if (QApplication::activeModalWidget() != &about || !about.isVisible())
            return;
        ++showings;
        ui().About1->trigger();
        about.reject();
    });
    watcher.start();
    ui().About1->trigger();
    QVERIFY(!about.isVisible());
    QTRY_COMPARE(showings, 1);
    QTRY_VERIFY(!about.isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(showings, 1);
    InfoForm = nullptr;
}

void TestMainUnit::errorReportText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a letter gains a full stop") << "Cannot open file x.nam"
                                                << "Cannot open file x.nam.";
    QTest::newRow("a digit gains a full stop") << "Error 5"
                                               << "Error 5.";
    QTest::newRow("an accented letter gains a full stop") << "Fehler á"
                                                          << "Fehler á.";
    QTest::newRow("a full stop stays single") << "Done."
                                              << "Done.";
    QTest::newRow("a closing parenthesis gains nothing") << "Failed (twice)"
                                                         << "Failed (twice)";
    QTest::newRow("a quote gains nothing") << "Failed to set data for 'max'"
                                           << "Failed to set data for 'max'";
    QTest::newRow("a space gains nothing") << "Trailing "
                                           << "Trailing ";
    QTest::newRow("a slash sorts after the full stop") << "Folder /"
                                                       << "Folder /.";
    QTest::newRow("an empty message stays empty") << ""
                                                  << "";
}

void TestMainUnit::errorReportText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorReportText(message), shown);
}

void TestMainUnit::errorEscapingAHandlerIsReported()
{
    // An event handler that throws: the application object reports the error and the program goes on.
    class Thrower : public QObject
    {
    public:
        bool event(QEvent *event) override
        {
            if (event->type() == QEvent::User)
                throw SearchError(QStringLiteral("Unable to insert a line"));
            return QObject::event(event);
        }
    } thrower;
    const QList<ShownBox> shown = closingMessageBoxes([&] {
        QEvent event(QEvent::User);
        QApplication::sendEvent(&thrower, &event);
    });
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, QStringLiteral("Namorel"));
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].text, QStringLiteral("Unable to insert a line."));
}

void TestMainUnit::originTickBoxesAreWholeAndDistinct_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("at 1x") << qreal(1);
    QTest::newRow("at 2x") << qreal(2);
}

// Each row shows a whole box within its 13 pixels, its four edges unbroken; a tick fills it with dark
// pixels, and an empty box has none.
void TestMainUnit::originTickBoxesAreWholeAndDistinct()
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

void TestMainUnit::labelsKeepTheirPlaceAndFit_data()
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
void TestMainUnit::labelsKeepTheirPlaceAndFit()
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
void TestMainUnit::boxesSitInsideTheirGroupFrames()
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
void TestMainUnit::labelsOfEditsFollowTheirEnabledState()
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
void TestMainUnit::generateGlyphAndCaptionCentredFivePixelsApart()
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
void TestMainUnit::notRecommendedScrollBarKeepsItsColours()
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

void TestMainUnit::panelsFillTheirTabsAsDesigned()
{
    openWindow();
    for (QFrame *panel : { ui().Panel1, ui().Panel3, ui().Panel2 }) {
        QCOMPARE(panel->size(), QSize(517, 342));
        // Wholly on the tab, so that its frame shows on every side.
        QVERIFY(panel->parentWidget()->rect().contains(panel->geometry()));
    }
}

// The window's face, the tab panels and the insides of the group boxes are one colour.
void TestMainUnit::oneFaceColourForWindowPanelsAndGroups()
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

void TestMainUnit::firstKeyInAListSelectsTheFirstName_data()
{
    QTest::addColumn<bool>("recommended");
    QTest::addColumn<int>("key");
    QTest::newRow("Down in the recommended names") << true << int(Qt::Key_Down);
    QTest::newRow("Up in the recommended names") << true << int(Qt::Key_Up);
    QTest::newRow("Space in the recommended names") << true << int(Qt::Key_Space);
    QTest::newRow("Down in the not-recommended names") << false << int(Qt::Key_Down);
}

// A list that takes the focus marks its first name without choosing it; the first key chooses that name.
void TestMainUnit::firstKeyInAListSelectsTheFirstName()
{
    QFETCH(bool, recommended);
    QFETCH(int, key);
    openWindow();
    ui().leSurname->setText(QStringLiteral("Murphy"));
    m_form->SelectNone1Click();
    ui().OriginList->item(OriginTable().indexOf(QStringLiteral("Celtic")))->setCheckState(Qt::Checked);
    ui().seMin->setValue(6);
    closingMessageBoxes([this] { m_form->BitBtn2Click(); });
    ui().PageControl1->setCurrentIndex(2);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));

    QListView *list = recommended ? ui().lbRecommend : ui().lbNotRecommend;
    QVERIFY(list->model()->rowCount() >= 2);
    list->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key(key));
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 0);
    const QString first = list->model()->index(0, 0).data().toString();
    if (recommended)
        QCOMPARE(ui().reSign->toPlainText(), displayed(ComposeSignature(first, QStringLiteral("Murphy"))));
    else
        QCOMPARE(ui().reSign->toPlainText(), QStringLiteral("Sign Here"));

    // From there on the keys move as usual.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->selectionModel()->selectedIndexes().value(0).row(), 1);
}

// Windows are centred by their frame, title bar included, once the platform has put it round them: the
// main window, the About window on its first showing, and message boxes.
void TestMainUnit::windowsAreCentredByTheirFrame()
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

// What assistive tools are shown of the main and the About window: every control has a name, the names
// say what the controls are for, and the search's working lists are not shown at all.
void TestMainUnit::everyControlIsNamedForAssistiveTools()
{
    openWindow();
    TInfoForm about(m_form.get());
    const QList<QAccessible::Role> controls { QAccessible::PushButton, QAccessible::CheckBox, QAccessible::List,
        QAccessible::ListItem, QAccessible::EditableText, QAccessible::SpinBox, QAccessible::ComboBox,
        QAccessible::PageTab, QAccessible::MenuItem, QAccessible::Link, QAccessible::Graphic, QAccessible::StaticText };
    for (QWidget *window : std::initializer_list<QWidget *> { m_form.get(), &about }) {
        QList<QAccessibleInterface *> all;
        collectAccessible(QAccessible::queryAccessibleInterface(window), all);
        for (QAccessibleInterface *shown : all) {
            QVERIFY2(shown->object() != ui().FileToSearchMemo && shown->object() != ui().DataAnalyseMemo,
                "a working list is shown to assistive tools");
            // A label that holds no text yet says nothing; it is no control without a name.
            const auto *label = qobject_cast<const QLabel *>(shown->object());
            const bool emptyLabel = shown->role() == QAccessible::StaticText && label && label->text().isEmpty();
            if (controls.contains(shown->role()) && !emptyLabel)
                QVERIFY2(!shown->text(QAccessible::Name).trimmed().isEmpty(),
                    qPrintable(QStringLiteral("a control of role 0x%1 (%2) has no name")
                                   .arg(int(shown->role()), 0, 16)
                                   .arg(shown->object() ? shown->object()->objectName() : QString())));
        }
    }
    QVERIFY(ui().FileToSearchMemo->focusPolicy() == Qt::NoFocus && ui().DataAnalyseMemo->focusPolicy() == Qt::NoFocus);

    const QList<std::tuple<QWidget *, QAccessible::Role, QString>> named {
        { ui().OriginList, QAccessible::List, QStringLiteral("Name Origin") },
        { ui().lbRecommend, QAccessible::List, QStringLiteral("Recommended Names") },
        { ui().lbNotRecommend, QAccessible::List, QStringLiteral("Not-Recommended Names") },
        { ui().cbGender, QAccessible::ComboBox, QStringLiteral("Gender") },
        { ui().seMin, QAccessible::SpinBox, QStringLiteral("Minimum characters") },
        { ui().seMax, QAccessible::SpinBox, QStringLiteral("Maximum characters") },
        { ui().Image1, QAccessible::Graphic, QStringLiteral("Step 1.") },
        { ui().Image3, QAccessible::Graphic, QStringLiteral("Step 2.") },
    };
    for (const auto &[widget, role, name] : named) {
        QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(widget);
        QCOMPARE(shown->role(), role);
        QCOMPARE(shown->text(QAccessible::Name), name);
    }
}

// Each origin is a check box to assistive tools, ticked or not; its Toggle action flips the tick.
void TestMainUnit::originsAreTickedThroughAssistiveTools()
{
    openWindow();
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(ui().OriginList);
    QCOMPARE(list->childCount(), 41);
    QAccessibleInterface *celtic = list->child(OriginTable().indexOf(QStringLiteral("Celtic")));
    QVERIFY(celtic);
    QCOMPARE(list->indexOfChild(celtic), OriginTable().indexOf(QStringLiteral("Celtic")));
    QCOMPARE(celtic->parent(), list);
    QCOMPARE(celtic->role(), QAccessible::CheckBox);
    QCOMPARE(celtic->text(QAccessible::Name), QStringLiteral("Celtic"));
    QVERIFY(celtic->state().checkable);
    QVERIFY(celtic->state().checked);
    QVERIFY(celtic->actionInterface());
    QCOMPARE(celtic->actionInterface()->actionNames(), QStringList { QAccessibleActionInterface::toggleAction() });

    celtic->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(ui().OriginList->item(OriginTable().indexOf(QStringLiteral("Celtic")))->checkState(), Qt::Unchecked);
    QVERIFY(!celtic->state().checked);
    QVERIFY(celtic->state().checkable);
    QVERIFY(!m_form->currentQuery().Origins.contains(QStringLiteral("Celtic")));
    celtic->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(celtic->state().checked);
    QCOMPARE(m_form->currentQuery().Origins, OriginTable());
}

void TestMainUnit::enterPressesTheFocusedGenerateButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void TestMainUnit::enterPressesTheFocusedGenerateButton()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    ui().BitBtn2->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(ui().BitBtn2->hasFocus());
    const QList<ShownBox> shown = closingMessageBoxes([&] { QTest::keyClick(ui().BitBtn2, Qt::Key(key), modifiers); });
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.startsWith(QStringLiteral("Search Complete!")));
}

void TestMainUnit::overflowArrowsAreThePlatformsWhenDrawn_data()
{
    QTest::addColumn<int>("arrow");
    QTest::addColumn<Qt::LayoutDirection>("direction");

    QTest::newRow("a menu bar's, left to right") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::LeftToRight;
    QTest::newRow("a menu bar's, right to left") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::RightToLeft;
    QTest::newRow("a vertical tool bar's") << int(QStyle::SP_ToolBarVerticalExtensionButton) << Qt::LeftToRight;
}

// The arrows that bars show when their commands overflow are read only when drawn, and are then the platform
// style's own, at every size and density, also once the style that handed them out is gone.
void TestMainUnit::overflowArrowsAreThePlatformsWhenDrawn()
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

void TestMainUnit::tabFrameIsThePlatformsRingOnly_data()
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
void TestMainUnit::tabFrameIsThePlatformsRingOnly()
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

void TestMainUnit::focusMarksStandOut_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("origin row") << "origin row";
    QTest::newRow("tab") << "tab";
}

// The mark of the keyboard focus: the pixels it changes differ from what they cover by 3 : 1 at least, and
// there are enough of them to surround what has the focus.
void TestMainUnit::focusMarksStandOut()
{
    QFETCH(QString, where);
    openWindow();
    ui().PageControl1->setCurrentIndex(1);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    const bool originRow = where == QStringLiteral("origin row");
    QWidget *focused = originRow ? static_cast<QWidget *>(ui().OriginList) : ui().PageControl1->tabBar();
    QWidget *painted = originRow ? ui().OriginList->viewport() : ui().PageControl1->tabBar();
    const QRect area = originRow ? ui().OriginList->visualItemRect(ui().OriginList->item(0))
                                 : ui().PageControl1->tabBar()->tabRect(1);

    // Reached by the keyboard, as focus marks are for: from the control before it in the tab order.
    QWidget *before = originRow ? static_cast<QWidget *>(ui().cbAlliteration) : ui().cbGender;
    before->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(before->hasFocus());
    const QImage unmarked = rendered(painted);
    QTest::keyClick(before, originRow ? Qt::Key_Tab : Qt::Key_Backtab, originRow ? Qt::NoModifier : Qt::ShiftModifier);
    QTRY_VERIFY(focused->hasFocus());
    const QImage marked = rendered(painted);
    if (originRow)
        QCOMPARE(ui().OriginList->currentRow(), 0);
    const QImage after = rendered(painted);

    int standingOut = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (contrast(unmarked.pixelColor(x, y), marked.pixelColor(x, y)) >= 3.0)
                ++standingOut;
        }
    }
    QVERIFY2(standingOut >= area.height(), qPrintable(QStringLiteral("%1 pixels stand out").arg(standingOut)));
}

void TestMainUnit::tabKeyFollowsTheDesignedOrder_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("parents' information") << 0 << QStringLiteral("leSurname leMiddlename").split(u' ');
    // The working lists are never reached.
    QTest::newRow("name properties")
        << 1
        << QStringLiteral("cbGender seMin seMax leExclude leInclude cbBalanceFilter cbRhythmFilter cbAlliteration "
                          "OriginList BitBtn2")
               .split(u' ');
    QTest::newRow("names suggestion") << 2
                                      << QStringLiteral("lbRecommend reSign reInitials lbNotRecommend").split(u' ');
}

// The Tab key visits a tab's controls in the order the layout gives them.
void TestMainUnit::tabKeyFollowsTheDesignedOrder()
{
    QFETCH(int, tab);
    QFETCH(QStringList, order);
    openWindow();
    ui().PageControl1->setCurrentIndex(tab);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto *first = m_form->findChild<QWidget *>(order.first());
    first->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(first->hasFocus());
    QStringList visited { order.first() };
    for (int step = 1; step < order.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, order);
}

void TestMainUnit::picturesFollowTheScreenDensity_data()
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
void TestMainUnit::picturesFollowTheScreenDensity()
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

void TestMainUnit::controlsShowTheStandInsOfTheirDesignedFaces_data()
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
void TestMainUnit::controlsShowTheStandInsOfTheirDesignedFaces()
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
void TestMainUnit::everyTabFollowsTheWindowsFont()
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
void TestMainUnit::windowIsAsHighAsItsLayoutAndTheDesignedMenuBar()
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

void TestMainUnit::menuBarGainsWhatALineGainsInTheDesignedFace_data()
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
void TestMainUnit::menuBarGainsWhatALineGainsInTheDesignedFace()
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
    TestMainUnit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainunit.moc"
