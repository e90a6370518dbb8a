#include "fitpanel.h"
#include "mainunit.h"
#include "mainunitcontrols.h"
#include "namecard.h"
#include "namecardopener.h"
#include "settingsstore.h"
#include "testfiles.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace namorel;
using namespace namorel::testing;

namespace {

QLabel *labelNamed(const QWidget &card, const QString &accessibleName)
{
    for (QLabel *label : card.findChildren<QLabel *>()) {
        if (label->accessibleName() == accessibleName)
            return label;
    }
    return nullptr;
}

void fill(QListView *list, const QStringList &names)
{
    qobject_cast<QStringListModel *>(list->model())->setStringList(names);
}

// Chooses "Details..." in the context menu that the next event loop shows.
void chooseDetailsWhenShown(bool &found)
{
    QTimer::singleShot(0, [&found] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions()) {
            if (action->text() == QStringLiteral("Details...")) {
                found = true;
                action->trigger();
            }
        }
        menu->close();
    });
}

} // namespace

class TestNameCard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensFromTheLists_data();
    void opensFromTheLists();
    void followsTheSelectionWhileOpen();
    void fitNotesFollowTheName();
    void showsTheFacts_data();
    void showsTheFacts();
    void keepsItsSizeAndPlace();

private:
    TMainForm &openWindow();

    std::unique_ptr<TMainForm> m_form;
};

void TestNameCard::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestNameCard::init()
{
    QFile::remove(SettingsStore::userFilePath());
    QFile::remove(NameCard::defaultSettingsPath());
}

void TestNameCard::cleanup()
{
    if (m_form)
        m_form->close();
    m_form.reset();
    MainForm = nullptr;
}

TMainForm &TestNameCard::openWindow()
{
    m_form = std::make_unique<TMainForm>();
    MainForm = m_form.get();
    ProgramFolder = shippedFolder();
    Ui::TMainForm &ui = m_form->controls();
    ui.leSurname->setText(QStringLiteral("Smith"));
    ui.leMiddlename->setText(QStringLiteral("Rose"));
    ui.cbGender->setCurrentIndex(1);
    fill(ui.lbRecommend, { QStringLiteral("Liam"), QStringLiteral("Noah") });
    fill(ui.lbNotRecommend, { QString(), QStringLiteral("Bartholomew") });
    ui.PageControl1->setCurrentIndex(2);
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get()))
        qFatal("the main window did not show");
    return *m_form;
}

void TestNameCard::opensFromTheLists_data()
{
    QTest::addColumn<bool>("recommended");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("title"); // empty: no card

    QTest::newRow("double-click a recommended name") << true << 1 << "double-click"
                                                     << "Noah - Namorel";
    QTest::newRow("Enter on a not-recommended name") << false << 1 << "enter"
                                                     << "Bartholomew - Namorel";
    QTest::newRow("Details... on a recommended name") << true << 0 << "menu"
                                                      << "Liam - Namorel";
    QTest::newRow("Details... on a not-recommended name") << false << 1 << "menu"
                                                          << "Bartholomew - Namorel";
    QTest::newRow("an empty line opens nothing") << false << 0 << "enter" << QString();
    QTest::newRow("a single click opens nothing") << true << 0 << "click" << QString();
}

void TestNameCard::opensFromTheLists()
{
    QFETCH(bool, recommended);
    QFETCH(int, row);
    QFETCH(QString, how);
    QFETCH(QString, title);

    TMainForm &form = openWindow();
    Ui::TMainForm &ui = form.controls();
    QListView *list = recommended ? ui.lbRecommend : ui.lbNotRecommend;
    const QModelIndex index = list->model()->index(row, 0);
    const QPoint at = list->visualRect(index).center();
    list->setFocus();
    if (how == u"double-click") {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else if (how == u"enter") {
        list->setCurrentIndex(index);
        QTest::keyClick(list, Qt::Key_Return);
    } else if (how == u"menu") {
        bool found = false;
        chooseDetailsWhenShown(found);
        emit list->customContextMenuRequested(at);
        QVERIFY(found);
    } else {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    NameCard *card = form.findChild<NameCardOpener *>()->card();
    if (title.isEmpty()) {
        QVERIFY(!card || !card->isVisible());
        return;
    }
    QVERIFY(card);
    QTRY_VERIFY(card->isVisible());
    QCOMPARE(card->windowTitle(), title);
    // A window of its own that does not hold the main window up.
    QVERIFY(card->isWindow());
    QVERIFY(!card->isModal());

    QTest::keyClick(card, Qt::Key_Escape);
    QTRY_VERIFY(!card->isVisible());
    QVERIFY(form.isVisible());
}

void TestNameCard::followsTheSelectionWhileOpen()
{
    TMainForm &form = openWindow();
    Ui::TMainForm &ui = form.controls();
    ui.lbRecommend->setCurrentIndex(ui.lbRecommend->model()->index(0, 0));
    QTest::keyClick(ui.lbRecommend, Qt::Key_Return);
    NameCard *card = form.findChild<NameCardOpener *>()->card();
    QTRY_VERIFY(card && card->isVisible());
    QCOMPARE(card->windowTitle(), QStringLiteral("Liam - Namorel"));

    // Arrowing through a list carries the card along, in either list.
    QTest::keyClick(ui.lbRecommend, Qt::Key_Down);
    QCOMPARE(card->windowTitle(), QStringLiteral("Noah - Namorel"));
    // Tab 3's own handler still shows the signature of the newly chosen name.
    QVERIFY(ui.reSign->toPlainText().contains(QStringLiteral("Noah Smith")));
    ui.lbNotRecommend->setCurrentIndex(ui.lbNotRecommend->model()->index(1, 0));
    QCOMPARE(card->windowTitle(), QStringLiteral("Bartholomew - Namorel"));

    // Closed, it stays closed while the selection moves.
    card->close();
    ui.lbRecommend->setCurrentIndex(ui.lbRecommend->model()->index(0, 0));
    QVERIFY(!card->isVisible());
    QCOMPARE(card->windowTitle(), QStringLiteral("Bartholomew - Namorel"));
}

void TestNameCard::fitNotesFollowTheName()
{
    TMainForm &form = openWindow();
    Ui::TMainForm &ui = form.controls();
    ui.leMiddlename->setText(QStringLiteral("Susan"));
    fill(ui.lbRecommend, { QStringLiteral("Anna"), QStringLiteral("Ellis") });
    ui.lbRecommend->setCurrentIndex(ui.lbRecommend->model()->index(0, 0));
    QTest::keyClick(ui.lbRecommend, Qt::Key_Return);
    const NameCardOpener *opener = form.findChild<NameCardOpener *>();
    QTRY_VERIFY(opener->card() && opener->card()->isVisible());

    // Below the chart, on the card itself, the notes of the name shown, with the middle name and surname of
    // tab 1.
    const FitPanel *panel = opener->fitPanel();
    QVERIFY(panel && panel->isVisible() && opener->card()->isAncestorOf(panel));
    QCOMPARE(panel->notes().size(), 4);
    QCOMPARE(panel->notes().last().Kind, QStringLiteral("initials"));
    QVERIFY(panel->notes().last().Warning);
    const QLabel *text = labelNamed(*opener->card(), QStringLiteral("How the name goes with the surname"));
    QVERIFY(text && text->text().contains(QStringLiteral("Warning.")));

    QTest::keyClick(ui.lbRecommend, Qt::Key_Down);
    QCOMPARE(panel->notes().first().Kind, QStringLiteral("run-together"));
    QVERIFY(!text->text().contains(QStringLiteral("Warning.")));
}

void TestNameCard::showsTheFacts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("genderIndex");
    QTest::addColumn<QStringList>("shown"); // accessible name of a label, then the start of its text, in pairs
    QTest::addColumn<bool>("hasRecords");

    QTest::newRow("Liam, boys") << QStringLiteral("Liam") << 1
                                << texts({ "Pronunciation", "/ˈliəm/   (pronouncing dictionary)", "Syllables",
                                       "2: <b>LEE</b>-uhm", "Latest rank", "Latest rank (2024): 1", "Signature",
                                       "Liam Smith", "Initials", "L.R.S.", "Share of girls", "Girls: 0." })
                                << true;
    // A spelling the records cannot hold shows the counts of its plain form, and says so.
    QTest::newRow("Søren, boys, a letter of its own")
        << QStringLiteral("Søren") << 1
        << texts({ "Pronunciation", "/ˈsœʔʌn/   (approximate)", "Origins", "Danish, Scandinavian", "US records",
               "US records: counted as Soren; the US records hold only the letters A to Z", "Initials", "S.R.S." })
        << true;
    QTest::newRow("José, boys, accented")
        << QStringLiteral("José") << 1
        << texts({ "US records", "US records: counted as Jose; the US records hold no accents", "Share of girls",
               "Girls: 0.2 %, boys: 99.8 % of US births as Jose" })
        << true;
    QTest::newRow("Kaʻiulani, girls, no plain form in the records")
        << QStringLiteral("Kaʻiulani") << 0
        << texts({ "US records", "No US records for this spelling\n(the records write names in the letters A to Z" })
        << false;
    QTest::newRow("a name of the other sex")
        << QStringLiteral("Liam") << 0 << texts({ "Origins", "Not in the name files for girls" }) << true;
}

void TestNameCard::showsTheFacts()
{
    QFETCH(QString, name);
    QFETCH(qint32, genderIndex);
    QFETCH(QStringList, shown);
    QFETCH(bool, hasRecords);

    NameCard card(nullptr, QString());
    card.showName(shippedFolder(), name, genderIndex, QStringLiteral("Rose"), QStringLiteral("Smith"));
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));
    for (qsizetype i = 0; i + 1 < shown.size(); i += 2) {
        const QLabel *label = labelNamed(card, shown[i]);
        QVERIFY2(label, qPrintable(shown[i]));
        QVERIFY2(label->isVisible(), qPrintable(shown[i]));
        QVERIFY2(label->text().startsWith(shown[i + 1]), qPrintable(shown[i] + QStringLiteral(": ") + label->text()));
    }
    QCOMPARE(labelNamed(card, QStringLiteral("US records"))->isVisible(),
        !hasRecords || shown.contains(QStringLiteral("US records")));
    QCOMPARE(labelNamed(card, QStringLiteral("Peak year"))->isVisible(), hasRecords);
    const QWidget *chart = nullptr;
    for (const QWidget *widget : card.findChildren<QWidget *>()) {
        if (widget->accessibleName().startsWith(QStringLiteral("Chart")))
            chart = widget;
    }
    QVERIFY(chart);
    QCOMPARE(chart->isVisible(), hasRecords);
    QCOMPARE(card.yearSummary(1900).isEmpty(), !hasRecords);
    if (name == u"Liam" && genderIndex == 1) {
        QVERIFY(card.yearSummary(2024).startsWith(QStringLiteral("2024: 22,164 births, rank 1, ")));
        QCOMPARE(card.yearSummary(1900), QStringLiteral("1900: no births recorded"));
        QCOMPARE(card.yearSummary(2025), QString());
    }
    // Every label the keyboard reaches has a name a screen reader can say.
    for (const QLabel *label : card.findChildren<QLabel *>()) {
        if (label->focusPolicy() != Qt::NoFocus)
            QVERIFY2(!label->accessibleName().isEmpty(), qPrintable(label->text()));
    }
}

void TestNameCard::keepsItsSizeAndPlace()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString settings = folder.filePath(QStringLiteral("card.ini"));
    const QRect placed(140, 120, 610, 700);
    {
        NameCard card(nullptr, settings);
        card.showName(shippedFolder(), QStringLiteral("Emma"), 0, QString(), QStringLiteral("Smith"));
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        card.setGeometry(placed);
        QTRY_COMPARE(card.geometry(), placed);
        card.close();
    }
    NameCard again(nullptr, settings);
    again.showName(shippedFolder(), QStringLiteral("Noah"), 1, QString(), QStringLiteral("Smith"));
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.geometry(), placed);
}

QTEST_MAIN(TestNameCard)

#include "tst_namecard.moc"
