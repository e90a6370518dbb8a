// The main window at work: searches, filters, the stored entries, menus and error reports.

#include "application.h"
#include "errorreport.h"
#include "infounit.h"
#include "mainunittesting.h"
#include "namefilter.h"

#include <QCheckBox>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QStringListModel>

using namespace namorel;
using namespace namorel::testing;

namespace {

QStringList listOf(const QListView *view)
{
    return qobject_cast<const QStringListModel *>(view->model())->stringList();
}

} // namespace

class TestMainUnit : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareTestCase(); }
    void init() { prepareTest(); }
    void cleanup() { closeWindow(); }

    void windowOpensAsDesigned();
    void generate_data();
    void generate();
    void generateReadsLengthsStillBeingTyped();
    void generateWithFilters_data();
    void generateWithFilters();
    void filtersByKeyboard();
    void failedSearch_data();
    void failedSearch();
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
};

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

void TestMainUnit::failedSearch_data()
{
    QTest::addColumn<bool>("searchedBefore");
    QTest::newRow("the first search keeps the names read before, in reading order") << false;
    QTest::newRow("a later search keeps the names read before, sorted") << true;
}

// A name file that cannot be read stops the search with a message; the names read before it stay in the lists.
void TestMainUnit::failedSearch()
{
    QFETCH(bool, searchedBefore);
    openWindow();
    if (searchedBefore)
        closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });
    QVERIFY(QFile::remove(NameFilePath(m_programFolder, QStringLiteral("Danish"), 0)));
    const QList<ShownBox> shown = closingMessageBoxes([this] { QTest::mouseClick(ui().BitBtn2, Qt::LeftButton); });

    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].caption, QStringLiteral("Namorel"));
    QCOMPARE(shown[0].buttons, QStringList { QStringLiteral("OK") });
    QCOMPARE(shown[0].text,
        QStringLiteral("Cannot open file %1.").arg(m_programFolder + QStringLiteral("database/danisg.nam")));
    // The names of the eight files before Danish.
    const QStringList recommended = listOf(ui().lbRecommend);
    QCOMPARE(recommended.size(), 8 * 2 + 3);
    if (searchedBefore) {
        QStringList sorted = recommended;
        SortNames(sorted);
        QCOMPARE(recommended, sorted);
    } else {
        // In reading order: nobody has sorted the lists yet.
        QCOMPARE(recommended.first(), QStringLiteral("Afr Girl"));
        QCOMPARE(recommended.last(), QStringLiteral("GC"));
    }
    QVERIFY(!QGuiApplication::overrideCursor());
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
    // The product's address, as its software listing (packaging/) gives it.
    QCOMPARE(m_opened[1], QUrl(QStringLiteral("https://www.namorel.com/")));
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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainUnit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainunit.moc"
