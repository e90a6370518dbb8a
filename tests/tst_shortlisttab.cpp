#include "cardmodule.h"
#include "mainunit.h"
#include "mainunitcontrols.h"
#include "namecard.h"
#include "namecardopener.h"
#include "ratingpanel.h"
#include "readonlydisk.h"
#include "shortlistsession.h"
#include "shortlisttab.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace namorel;
using namespace namorel::testing;
using namespace Qt::StringLiterals;

namespace {

struct ShownBox
{
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs an action that may show modal message boxes, answers each with \a answer (or its only button) and
// returns what they showed.
QList<ShownBox> answeringMessageBoxes(
    const std::function<void()> &action, QMessageBox::StandardButton answer = QMessageBox::Ok)
{
    QList<ShownBox> shown;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        shown.append({ box->text(), box->icon() });
        QAbstractButton *button = box->button(answer);
        (button ? button : box->buttons().first())->click();
    });
    watcher.start();
    action();
    return shown;
}

// The child's side of outsideTextIsShownAsItIs: a partner's file whose partner, name and note are all \a text
// is imported in \a folder, and the text is shown everywhere it appears: the shortlist's tool tip and the name
// card with its signature, initials and rating panel. Prints what was not shown as it is.
int showOutsideText(const QString &folder, const QString &text)
{
    const QString file = folder + u"/partner.namorel"_s;
    QJsonObject rating { { u"name"_s, text }, { u"gender"_s, 0 }, { u"stars"_s, 4 }, { u"veto"_s, false },
        { u"note"_s, text }, { u"updated"_s, u"2024-05-01T10:00:00Z"_s } };
    QJsonObject root { { u"format"_s, u"namorel-ratings"_s }, { u"version"_s, 1 }, { u"partner"_s, text },
        { u"exported"_s, u"2024-05-01T10:00:00Z"_s }, { u"ratings"_s, QJsonArray { rating } } };
    if (!writeFile(file, QJsonDocument(root).toJson()))
        return 2;
    ShortlistSession session(folder + u"/shortlist.sqlite"_s);
    session.importRatings(file);

    // A tool tip, and a label in its automatic format, take text that looks like markup for markup.
    const auto shownText = [](const QString &shown, bool richAllowed) {
        if (!richAllowed || !Qt::mightBeRichText(shown))
            return shown;
        QTextDocument document;
        document.setHtml(shown);
        return document.toPlainText();
    };
    int faults = 0;
    const auto expect = [&](const char *where, const QString &shown, const QString &wanted) {
        if (shown != wanted) {
            std::printf("%s shows \"%s\"\n", where, qPrintable(shown));
            ++faults;
        }
    };

    ShortlistTab tab(&session);
    tab.show();
    tab.viewButton(ShortlistView::Partners)->click();
    const QModelIndex row = tab.table()->model()->index(0, ShortlistTab::NameColumn);
    const QString tip = row.data(Qt::ToolTipRole).toString();
    QToolTip::showText(tab.mapToGlobal(QPoint(10, 10)), tip, &tab);
    QCoreApplication::processEvents();
    expect("the tool tip", shownText(tip, true), text + u"'s note: "_s + text);

    QWidget owner;
    CardModule &cards = CardModule::instance();
    const NameCardWidgets card = cards.createNameCard(&owner, &session);
    cards.showOnNameCard(card, shippedFolder(), text, 0, u"Rose"_s, text);
    card.Card->show();
    card.Card->grab();
    for (const QLabel *label : card.Card->findChildren<QLabel *>()) {
        if (!label->text().contains(text) && !label->text().contains(text.toHtmlEscaped()))
            continue;
        // What the label shows, by the rule the label follows; a rich label is shown as its plain text.
        const bool rich = label->textFormat() == Qt::RichText
            || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        const QString shown = shownText(label->text(), rich);
        if (!shown.contains(text))
            expect(qPrintable(label->accessibleName()), shown, text);
    }
    std::printf("shown, %d faults\n", faults);
    return faults == 0 ? 0 : 1;
}

} // namespace

class TestShortlistTab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fourthTabOfTheMainWindow();
    void controlsShowWithTheTab_data();
    void controlsShowWithTheTab();
    void cardOpensWithMyRating();
    void views();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void enterAndDoubleClickOpenTheCard();
    void exchangeThroughTheTab_data();
    void exchangeThroughTheTab();
    void csvOfTheViewShown();
    void printing();
    void damagedDatabaseIsReported();
    void unopenableDatabaseIsReported();
    void outsideTextIsShownAsItIs_data();
    void outsideTextIsShownAsItIs();

private:
    ShortlistTab &openTab(const QString &dbPath = {});
    // My ratings, and Sam's for some of the same names.
    void rateSome();
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList column(int column) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ShortlistSession> m_session;
    std::unique_ptr<ShortlistTab> m_tab;
};

void TestShortlistTab::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestShortlistTab::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestShortlistTab::cleanup()
{
    m_tab.reset();
    m_session.reset();
    m_dir.reset();
}

ShortlistTab &TestShortlistTab::openTab(const QString &dbPath)
{
    m_session = std::make_unique<ShortlistSession>(dbPath.isEmpty() ? path(u"shortlist.sqlite"_s) : dbPath);
    m_tab = std::make_unique<ShortlistTab>(m_session.get());
    m_tab->resize(517, 342);
    return *m_tab;
}

void TestShortlistTab::rateSome()
{
    for (const Rating &rating :
        { Rating { u"Zoë"_s, 0, 5, false, u"bright, \"short\""_s, {} }, Rating { u"Ada"_s, 0, 2, false, {}, {} },
            Rating { u"Bo"_s, 1, 4, false, {}, {} }, Rating { u"Cy"_s, 1, 5, true, {}, {} } })
        m_session->rate(rating);
    QFile file(path(u"sam.namorel"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": "namorel-ratings", "version": 1, "partner": "Sam", "exported": "2024-05-01T10:00:00Z",
        "ratings": [
            {"name": "Zoë", "gender": 0, "stars": 4, "veto": false, "note": "<b>bold</b> & co", "updated": "2024-05-01T10:00:00Z"},
            {"name": "Bo", "gender": 1, "stars": 3, "veto": false, "note": "", "updated": "2024-05-01T10:00:00Z"},
            {"name": "Eve", "gender": 0, "stars": 5, "veto": false, "note": "mine", "updated": "2024-05-01T10:00:00Z"}
        ]})");
    file.close();
    m_session->importRatings(file.fileName());
}

QStringList TestShortlistTab::column(int column) const
{
    QStringList texts;
    const QAbstractItemModel *model = m_tab->table()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

void TestShortlistTab::fourthTabOfTheMainWindow()
{
    // The three steps keep their places; the shortlist comes fourth, and its database is only made when the
    // tab is first shown.
    QFile::remove(Shortlist::userDatabasePath());
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTabWidget *tabs = form.controls().PageControl1;
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(QStringList({ tabs->tabText(0), tabs->tabText(1), tabs->tabText(2), tabs->tabText(3) }),
        QStringList({ u"1. Parents Information"_s, u"2. Namorel Properties"_s, u"3. Names Suggestion"_s,
            u"4. Shortlist"_s }));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->widget(3)->children().isEmpty());
    QVERIFY(!QFileInfo::exists(Shortlist::userDatabasePath()));

    tabs->setCurrentIndex(3);
    QCOMPARE(form.shortlistTab()->parentWidget(), tabs->widget(3));
    QTRY_VERIFY(form.shortlistTab()->isVisible());
    QVERIFY(QFileInfo::exists(Shortlist::userDatabasePath()));
    QCOMPARE(form.shortlistTab()->partnerLabel()->text(), u"No partner's ratings yet"_s);
    form.close();
}

void TestShortlistTab::controlsShowWithTheTab_data()
{
    QTest::addColumn<bool>("askedForBeforeShown");
    QTest::newRow("controls first asked for once the tab shows") << false;
    QTest::newRow("controls asked for while the tab is hidden") << true;
}

// Whenever the tab's controls come to be, they show with it, laid out within it, and the rows rated while it
// was hidden are in the table.
void TestShortlistTab::controlsShowWithTheTab()
{
    QFETCH(bool, askedForBeforeShown);
    QFile::remove(Shortlist::userDatabasePath());
    TMainForm form;
    if (askedForBeforeShown) {
        QVERIFY(!form.shortlistTab()->table()->isVisible());
        QVERIFY(!form.shortlistTab()->deleteButton()->isVisible());
    }
    form.shortlistSession()->rate({ u"Noah"_s, 1, 2, false, {}, {} });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.controls().PageControl1->setCurrentIndex(3);
    ShortlistTab *tab = form.shortlistTab();
    QTRY_VERIFY(tab->isVisible());

    const QList<QWidget *> controls { tab->table(), tab->deleteButton(), tab->partnerLabel(),
        tab->viewButton(ShortlistView::Mine), tab->viewButton(ShortlistView::Partners),
        tab->viewButton(ShortlistView::BothLike), tab->findChild<QPushButton *>(u"print"_s) };
    for (QWidget *control : controls) {
        QVERIFY(control);
        QTRY_VERIFY2(control->isVisible(), qPrintable(control->objectName()));
        QVERIFY2(!control->geometry().isEmpty() && tab->rect().contains(control->geometry()),
            qPrintable(control->objectName()));
    }
    QTRY_COMPARE(tab->table()->model()->rowCount(), 1);
    QCOMPARE(tab->rows().value(0).Name, u"Noah"_s);
    form.close();
}

void TestShortlistTab::cardOpensWithMyRating()
{
    // Enter or a double click on a rated name opens the name card for that name and the gender it was rated for
    // (not the one chosen on tab 2), with my rating on it; a rating given on the card shows in the tab.
    for (const QString &suffix : { QString(), u"-wal"_s, u"-shm"_s })
        QFile::remove(Shortlist::userDatabasePath() + suffix);
    TMainForm form;
    ProgramFolder = QStringLiteral(NAMOREL_SOURCE_DIR "/");
    form.controls().cbGender->setCurrentIndex(0);
    form.shortlistSession()->rate({ u"Noah"_s, 1, 2, false, u"strong"_s, {} });
    form.shortlistSession()->rate({ u"Olivia"_s, 0, 4, false, {}, {} });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.controls().PageControl1->setCurrentIndex(3);
    QTableView *table = form.shortlistTab()->table();
    QTRY_COMPARE(table->model()->rowCount(), 2);

    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, ShortlistTab::NameColumn));
    QTest::keyClick(table, Qt::Key_Return);
    const NameCardOpener *opener = form.findChild<NameCardOpener *>();
    NameCard *card = opener->card();
    QVERIFY(card && card->isVisible());
    QCOMPARE(card->facts().Name, u"Noah"_s);
    QCOMPARE(card->facts().GenderIndex, 1);
    RatingPanel *panel = opener->ratingPanel();
    QCOMPARE(panel->window(), card);
    QCOMPARE(panel->starsEdit()->stars(), 2);
    QCOMPARE(panel->noteEdit()->text(), u"strong"_s);

    QTest::keyClick(card, Qt::Key_5);
    QCOMPARE(form.shortlistSession()->shortlist().myRating(u"Noah"_s, 1).value_or(Rating {}).Stars, 5);
    QCOMPARE(table->model()->index(0, ShortlistTab::MineColumn).data().toString(), u"5 stars"_s);

    const QPoint olivia = table->visualRect(table->model()->index(1, ShortlistTab::NameColumn)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, olivia);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, olivia);
    QCOMPARE(card->facts().Name, u"Olivia"_s);
    QCOMPARE(card->facts().GenderIndex, 0);
    QCOMPARE(panel->starsEdit()->stars(), 4);
    card->close();
    form.close();
}

void TestShortlistTab::views()
{
    ShortlistTab &tab = openTab();
    rateSome();
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    const QHeaderView *header = tab.table()->horizontalHeader();
    const auto headerText
        = [&](int section) { return header->model()->headerData(section, Qt::Horizontal).toString(); };

    QCOMPARE(column(ShortlistTab::NameColumn), QStringList({ u"Ada"_s, u"Bo"_s, u"Cy"_s, u"Zoë"_s }));
    QCOMPARE(column(ShortlistTab::GenderColumn), QStringList({ u"Girl"_s, u"Boy"_s, u"Boy"_s, u"Girl"_s }));
    QCOMPARE(column(ShortlistTab::MineColumn),
        QStringList({ u"2 stars"_s, u"4 stars"_s, u"not this one"_s, u"5 stars"_s }));
    QCOMPARE(column(ShortlistTab::PartnerColumn), QStringList({ QString(), u"3 stars"_s, QString(), u"4 stars"_s }));
    QCOMPARE(column(ShortlistTab::BothColumn), QStringList({ QString(), u"Both like"_s, QString(), u"Both like"_s }));
    QCOMPARE(headerText(ShortlistTab::PartnerColumn), u"Sam"_s);
    QCOMPARE(headerText(ShortlistTab::NoteColumn), u"My note"_s);
    QCOMPARE(tab.partnerLabel()->text(), u"Partner: Sam"_s);

    tab.viewButton(ShortlistView::Partners)->click();
    QCOMPARE(column(ShortlistTab::NameColumn), QStringList({ u"Bo"_s, u"Eve"_s, u"Zoë"_s }));
    QCOMPARE(column(ShortlistTab::NoteColumn), QStringList({ QString(), u"mine"_s, u"<b>bold</b> & co"_s }));
    QCOMPARE(headerText(ShortlistTab::NoteColumn), u"Sam's note"_s);

    tab.viewButton(ShortlistView::BothLike)->click();
    QCOMPARE(column(ShortlistTab::NameColumn), QStringList({ u"Zoë"_s, u"Bo"_s }));
    QCOMPARE(tab.view(), ShortlistView::BothLike);
}

void TestShortlistTab::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<bool>("agree");
    QTest::newRow("the button, then No") << false << false;
    QTest::newRow("the button, then Yes") << false << true;
    QTest::newRow("the Delete key, then Yes") << true << true;
}

void TestShortlistTab::deleteAsksFirst()
{
    QFETCH(bool, byKey);
    QFETCH(bool, agree);
    ShortlistTab &tab = openTab();
    rateSome();
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    tab.viewButton(ShortlistView::Partners)->click();

    // Eve is Sam's alone: there is nothing of mine to delete.
    tab.table()->setCurrentIndex(tab.table()->model()->index(1, 0));
    QVERIFY(!tab.deleteButton()->isEnabled());
    tab.table()->setCurrentIndex(tab.table()->model()->index(2, 0));
    QVERIFY(tab.deleteButton()->isEnabled());

    const QList<ShownBox> shown = answeringMessageBoxes(
        [&] {
            if (byKey) {
                tab.table()->setFocus();
                QTest::keyClick(tab.table(), Qt::Key_Delete);
            } else {
                tab.deleteButton()->click();
            }
        },
        agree ? QMessageBox::Yes : QMessageBox::No);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, u"Delete your rating of \"Zoë\" for a girl?"_s);
    QCOMPARE(shown.first().icon, QMessageBox::Question);

    // Sam's rating stays either way, and so does the row in Sam's view.
    QCOMPARE(column(ShortlistTab::NameColumn), QStringList({ u"Bo"_s, u"Eve"_s, u"Zoë"_s }));
    QCOMPARE(column(ShortlistTab::MineColumn).last(), agree ? QString() : u"5 stars"_s);
    QCOMPARE(m_session->shortlist().mine().size(), agree ? 3 : 4);
    QCOMPARE(m_session->shortlist().partners().size(), 3);
    QCOMPARE(tab.table()->currentIndex().row(), 2);
    QCOMPARE(tab.deleteButton()->isEnabled(), !agree);
}

void TestShortlistTab::enterAndDoubleClickOpenTheCard()
{
    ShortlistTab &tab = openTab();
    rateSome();
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    QSignalSpy opened(&tab, &ShortlistTab::openCardRequested);
    QTableView *table = tab.table();

    table->setFocus();
    table->setCurrentIndex(table->model()->index(1, ShortlistTab::MineColumn));
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.takeFirst(), QVariantList({ u"Bo"_s, 1 }));

    const QPoint zoe = table->visualRect(table->model()->index(3, ShortlistTab::NameColumn)).center();
    // A double click as the system delivers it: a click, then the second press as a double click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, zoe);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, zoe);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.takeFirst(), QVariantList({ u"Zoë"_s, 0 }));
}

void TestShortlistTab::exchangeThroughTheTab_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("a shortlist that may be written") << false;
    // One that may only be read exports all the same; it only cannot keep the name for the next time.
    QTest::newRow("a shortlist on a read-only disk") << true;
}

void TestShortlistTab::exchangeThroughTheTab()
{
    QFETCH(bool, readOnly);
    const QString folder = path(u"disk"_s);
    QVERIFY(QDir().mkpath(folder));
    ReadOnlyDisk disk;
    if (readOnly && !disk.mount(folder))
        QSKIP("no disk can be mounted here to make read-only (only root may, and not in every container)");
    ShortlistTab *tab = &openTab(folder + u"/shortlist.sqlite"_s);
    rateSome();
    if (readOnly) {
        m_tab.reset();
        m_session.reset();
        QVERIFY(disk.seal());
        tab = &openTab(folder + u"/shortlist.sqlite"_s);
    }
    const QString file = path(u"Alex ratings.namorel"_s);
    QList<ShownBox> shown = answeringMessageBoxes([&] { tab->exportMyRatingsTo(file, u"Alex"_s); });
    const QString written = u"Your 4 ratings were written to \""_s + QDir::toNativeSeparators(file)
        + u"\". Send the file to your partner, who reads it with \"Import partner's ratings...\"."_s;
    if (readOnly) {
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.first().icon, QMessageBox::Warning);
        QVERIFY2(shown.first().text.contains(u"is read-only"_s), qPrintable(shown.first().text));
    } else {
        QCOMPARE(shown.size(), 1);
    }
    QCOMPARE(shown.last().text, written);
    QCOMPARE(m_session->shortlist().ownerName(), readOnly ? QString() : u"Alex"_s);

    // The partner's copy.
    ShortlistSession partnerSession(path(u"partner.sqlite"_s));
    ShortlistTab partnerTab(&partnerSession);
    partnerTab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&partnerTab));
    shown = answeringMessageBoxes([&] { partnerTab.importPartnersRatingsFrom(file); });
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, u"4 ratings of Alex stored."_s);
    QCOMPARE(partnerTab.partnerLabel()->text(), u"Partner: Alex"_s);
    partnerTab.viewButton(ShortlistView::Partners)->click();
    QCOMPARE(partnerTab.rows().size(), 4);

    shown = answeringMessageBoxes([&] { partnerTab.importPartnersRatingsFrom(file); });
    QCOMPARE(shown.first().text, u"Nothing new from Alex: every rating in the file is already here."_s);
}

void TestShortlistTab::csvOfTheViewShown()
{
    ShortlistTab &tab = openTab();
    rateSome();
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    tab.viewButton(ShortlistView::BothLike)->click();
    const QString file = path(u"both.csv"_s);
    tab.writeCsv(file);
    QCOMPARE(readFile(file),
        QString(u"Name,Gender,My stars,My veto,My note,Partner's stars,Partner's veto,Partner's note,Both like\r\n"
                  u"Zoë,girl,5,no,\"bright, \"\"short\"\"\",4,no,<b>bold</b> & co,yes\r\n"
                  u"Bo,boy,4,no,,3,no,,yes\r\n"_s)
            .toUtf8());
    const QString unwritable = path(u"no/such/folder/x.csv"_s);
    QVERIFY(errorOf<ShortlistError>([&] {
        tab.writeCsv(unwritable);
    }).startsWith(u"Cannot write \""_s + QDir::toNativeSeparators(unwritable) + u"\": "_s));
#ifdef Q_OS_UNIX
    // A pipe where the file would go is left a pipe.
    const QString pipe = path(u"pipe.csv"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(errorOf<ShortlistError>([&] { tab.writeCsv(pipe); }),
        u"Cannot write \""_s + QDir::toNativeSeparators(pipe) + u"\": it is a pipe, not a file."_s);
    QVERIFY(!QFileInfo(pipe).isFile());
#endif
}

void TestShortlistTab::printing()
{
    ShortlistTab &tab = openTab();
    rateSome();
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    tab.viewButton(ShortlistView::Partners)->click();

    // A partner's note is printed as the text it is, never read as markup.
    const QString text = tab.printDocument()->toPlainText();
    QVERIFY2(text.contains(u"<b>bold</b> & co"_s), qPrintable(text));
    QVERIFY(text.contains(u"Namorel shortlist: My partner's"_s));
    QVERIFY(text.contains(u"My ratings and Sam's, 3 names"_s));
    QVERIFY(text.contains(u"Zoë"_s));
    QVERIFY(!text.contains(u"Ada"_s));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path(u"shortlist.pdf"_s));
    tab.printTo(printer);
    QVERIFY(readFile(path(u"shortlist.pdf"_s)).startsWith("%PDF-"));
}

void TestShortlistTab::damagedDatabaseIsReported()
{
    QFile damaged(path(u"shortlist.sqlite"_s));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a database, not at all, not even close");
    damaged.close();
    ShortlistTab &tab = openTab();
    const QList<ShownBox> shown = answeringMessageBoxes([&] {
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
    });
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().icon, QMessageBox::Warning);
    QVERIFY2(shown.first().text.startsWith(u"The shortlist was damaged and could not be read. It was moved to \""_s),
        qPrintable(shown.first().text));
    QVERIFY(shown.first().text.contains(QDir::toNativeSeparators(path(u"shortlist-damaged-"_s))));

    // And the fresh one works, without telling again.
    const QList<ShownBox> later = answeringMessageBoxes([&] { m_session->rate({ u"Ada"_s, 0, 3, false, {}, {} }); });
    QCOMPARE(later.size(), 0);
    QCOMPARE(tab.rows().size(), 1);
}

void TestShortlistTab::unopenableDatabaseIsReported()
{
    // A folder stands where the database should be: the error report says so, and the tab stays empty.
    QVERIFY(QDir().mkpath(path(u"shortlist.sqlite"_s)));
    ShortlistTab &tab = openTab();
    const QList<ShownBox> shown = answeringMessageBoxes([&] {
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
    });
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().icon, QMessageBox::Critical);
    QVERIFY2(shown.first().text.startsWith(u"Cannot open the shortlist \""_s), qPrintable(shown.first().text));
    QCOMPARE(tab.rows().size(), 0);
    QVERIFY(!tab.deleteButton()->isEnabled());
    // It is not damage: nothing is moved aside.
    QVERIFY(QFileInfo(path(u"shortlist.sqlite"_s)).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList({ u"*damaged*"_s }), QStringList());
}

void TestShortlistTab::outsideTextIsShownAsItIs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fifo"); // a pipe to make first, that nothing ever writes to
#ifdef Q_OS_LINUX
    QTest::newRow("a picture read from a pipe") << u"<img src=\"%1\">"_s << u"pipe"_s;
    QTest::newRow("a picture read from an endless device") << u"<img src=\"/dev/zero\">"_s << QString();
#endif
    QTest::newRow("tags") << u"<b>bold</b> & <i>co</i>"_s << QString();
}

void TestShortlistTab::outsideTextIsShownAsItIs()
{
    // Taken for markup, such a text would wait for ever on the pipe, or read the device until memory runs out:
    // the copy that shows it is given a time and a memory limit.
    QFETCH(QString, text);
    QFETCH(QString, fifo);
    if (!fifo.isEmpty()) {
        const QString pipe = path(fifo);
#ifdef Q_OS_LINUX
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
#endif
        text = text.arg(pipe);
    }
    QProcess child;
    QVERIFY(startChild(child, "show", m_dir->path(), text));
    constexpr qint64 kMemoryLimit = 1536LL << 20;
    QDeadlineTimer deadline(60000);
    qint64 peak = 0;
    while (!child.waitForFinished(50) && !deadline.hasExpired()) {
        QFile status(u"/proc/%1/status"_s.arg(child.processId()));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("VmRSS:"))
                    peak = std::max(peak, line.mid(6).trimmed().split(' ').first().toLongLong() << 10);
            }
        }
        if (peak > kMemoryLimit)
            break;
    }
    if (child.state() != QProcess::NotRunning) {
        child.kill();
        child.waitForFinished();
        QVERIFY2(peak <= kMemoryLimit, qPrintable(u"showing the text took %1 MB"_s.arg(peak >> 20)));
        QFAIL("showing the text did not end");
    }
    const QByteArray output = child.readAllStandardOutput();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
        (output + child.readAllStandardError().right(3000)).constData());
    QVERIFY(output.contains("shown, 0 faults"));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (const ChildTask task = childTask(); !task.Role.isEmpty())
        return showOutsideText(task.Path, task.Tag);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TestShortlistTab test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_shortlisttab.moc"
