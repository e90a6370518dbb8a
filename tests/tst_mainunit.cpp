#include "application.h"
#include "errorreport.h"
#include "infounit.h"
#include "mainunit.h"
#include "settingsstore.h"
#include "shellopen.h"
#include "ui_mainunit.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    void failedSearchKeepsTheNamesReadBefore();
    void failureAfterASearchKeepsTheListsSorted();
    void choosingANameShowsSignatureAndInitials();
    void originCommands();
    void contextMenuOpensOnTheOriginList();
    void spinBoxes_data();
    void spinBoxes();
    void settingsLoadedAtCreationAndSavedAtClose();
    void longStoredTextsStayWhole();
    void unknownStoredGenderReadsTheMaleFiles();
    void failedSaveKeepsTheWindowOpen();
    void exitClosesAndSaves();
    void helpAndHomepage();
    void aboutShowsTheAboutWindow();
    void errorReportText_data();
    void errorReportText();
    void errorEscapingAHandlerIsReported();

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
    for (QWidget *reserved : std::initializer_list<QWidget *> {
             ui().leExclude, ui().leInclude, ui().cbBalanceFilter, ui().cbRhythmFilter, ui().cbAlliteration })
        QVERIFY2(!reserved->isEnabled(), qPrintable(reserved->objectName()));
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
    SaveSettings({ QStringLiteral("O'Brien"), QStringLiteral("Mae"), 1, 4, 9 });
    openWindow();
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

void TestMainUnit::aboutShowsTheAboutWindow()
{
    openWindow();
    TInfoForm about(m_form.get());
    InfoForm = &about;
    bool shown = false;
    QTimer::singleShot(0, &about, [&] {
        shown = about.isVisible() && about.isModal();
        about.reject();
    });
    ui().About1->trigger();
    InfoForm = nullptr;
    QVERIFY(shown);
    QVERIFY(!about.isVisible());
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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainUnit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainunit.moc"
