#include "ratingpanel.h"
#include "shortlistsession.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <optional>

using namespace namorel;
using namespace Qt::StringLiterals;

namespace {

// My stored rating, read back through a shortlist of its own, as another part of the program would.
std::optional<Rating> storedRating(const QString &dbPath, const QString &name, qint32 gender)
{
    const Shortlist shortlist(dbPath);
    for (const Rating &rating : shortlist.mine()) {
        if (rating.Name == name && rating.GenderIndex == gender)
            return rating;
    }
    return std::nullopt;
}

QString describe(const std::optional<Rating> &rating)
{
    if (!rating)
        return QStringLiteral("not rated");
    return QStringLiteral("%1 stars%2 \"%3\"")
        .arg(rating->Stars)
        .arg(rating->Veto ? QStringLiteral(" veto") : QString(), rating->Note);
}

} // namespace

class TestRatingPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keys_data();
    void keys();
    void mouse();
    void noteIsKeptWhenTheNameChangesOrTheWindowCloses();
    void noteIsStoredQuietlyWhateverEndsFirst_data();
    void noteIsStoredQuietlyWhateverEndsFirst();
    void partnersRatingOfTheSameGender_data();
    void partnersRatingOfTheSameGender();
    void followsChangesMadeElsewhere();

private:
    void openPanel(const QString &name, qint32 gender);
    QString dbPath() const { return m_dir->filePath(QStringLiteral("shortlist.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ShortlistSession> m_session;
    // A stand-in for the name card: the panel and a button elsewhere in the window.
    std::unique_ptr<QWidget> m_card;
    RatingPanel *m_panel = nullptr;
    QPushButton *m_elsewhere = nullptr;
};

void TestRatingPanel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestRatingPanel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_session = std::make_unique<ShortlistSession>(dbPath());
}

void TestRatingPanel::cleanup()
{
    m_card.reset();
    m_session.reset();
    m_dir.reset();
}

void TestRatingPanel::openPanel(const QString &name, qint32 gender)
{
    m_card = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_card.get());
    m_panel = new RatingPanel(m_session.get(), m_card.get());
    m_elsewhere = new QPushButton(QStringLiteral("Elsewhere"), m_card.get());
    layout->addWidget(m_panel);
    layout->addWidget(m_elsewhere);
    m_panel->setName(name, gender);
    m_card->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_card.get()));
}

void TestRatingPanel::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("stored");

    // Each row starts from 2 stars and the note "kept".
    QTest::newRow("4 on the stars") << u"stars"_s << QKeySequence(Qt::Key_4) << u"4 stars \"kept\""_s;
    QTest::newRow("0 elsewhere in the window") << u"elsewhere"_s << QKeySequence(Qt::Key_0) << u"0 stars \"kept\""_s;
    QTest::newRow("5 on the keypad") << u"elsewhere"_s << QKeySequence(Qt::KeypadModifier | Qt::Key_5)
                                     << u"5 stars \"kept\""_s;
    QTest::newRow("V on the veto box") << u"veto"_s << QKeySequence(Qt::Key_V) << u"2 stars veto \"kept\""_s;
    QTest::newRow("V twice takes the veto back")
        << u"elsewhere"_s << QKeySequence(Qt::Key_V, Qt::Key_V) << u"2 stars \"kept\""_s;
    QTest::newRow("stars after a veto take it back")
        << u"elsewhere"_s << QKeySequence(Qt::Key_V, Qt::Key_3) << u"3 stars \"kept\""_s;
    QTest::newRow("6 is not a rating") << u"elsewhere"_s << QKeySequence(Qt::Key_6) << u"2 stars \"kept\""_s;
    QTest::newRow("Ctrl+3 is not a rating")
        << u"elsewhere"_s << QKeySequence(Qt::CTRL | Qt::Key_3) << u"2 stars \"kept\""_s;
    QTest::newRow("arrows step the stars")
        << u"stars"_s << QKeySequence(Qt::Key_Right, Qt::Key_Right, Qt::Key_Left) << u"3 stars \"kept\""_s;
    QTest::newRow("digits and V in the note are text")
        << u"note"_s << QKeySequence(Qt::Key_4, Qt::Key_V, Qt::Key_Return) << u"2 stars \"kept4v\""_s;
}

void TestRatingPanel::keys()
{
    QFETCH(QString, focus);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, stored);
    m_session->rate({ u"Maëlle"_s, 0, 2, false, u"kept"_s, {} });
    openPanel(u"Maëlle"_s, 0);
    QWidget *target = focus == u"stars" ? static_cast<QWidget *>(m_panel->starsEdit())
        : focus == u"veto"              ? static_cast<QWidget *>(m_panel->vetoBox())
        : focus == u"note"              ? static_cast<QWidget *>(m_panel->noteEdit())
                                        : m_elsewhere;
    target->setFocus();
    if (focus == u"note")
        m_panel->noteEdit()->end(false);
    QTest::keySequence(target, keys);

    QCOMPARE(describe(storedRating(dbPath(), u"Maëlle"_s, 0)), stored);
    // And the panel shows what is stored.
    QCOMPARE(describe(Rating { {}, 0, m_panel->starsEdit()->stars(), m_panel->vetoBox()->isChecked(),
                 m_panel->noteEdit()->text(), {} }),
        stored);
    QCOMPARE(m_panel->starsEdit()->isEnabled(), !m_panel->vetoBox()->isChecked());
}

void TestRatingPanel::mouse()
{
    openPanel(u"Søren"_s, 1);
    QVERIFY(!storedRating(dbPath(), u"Søren"_s, 1));
    StarRatingEdit *stars = m_panel->starsEdit();
    const auto clickStar
        = [&](int index) { QTest::mouseClick(stars, Qt::LeftButton, {}, stars->starRect(index).center()); };

    clickStar(2);
    QCOMPARE(describe(storedRating(dbPath(), u"Søren"_s, 1)), u"3 stars \"\""_s);
    // The last lit star again takes every star away; the gap after a star counts as that star.
    clickStar(2);
    QCOMPARE(describe(storedRating(dbPath(), u"Søren"_s, 1)), u"0 stars \"\""_s);
    QTest::mouseClick(stars, Qt::LeftButton, {}, stars->starRect(4).topRight() + QPoint(1, 4));
    QCOMPARE(describe(storedRating(dbPath(), u"Søren"_s, 1)), u"5 stars \"\""_s);

    QTest::mouseClick(m_panel->vetoBox(), Qt::LeftButton);
    QCOMPARE(describe(storedRating(dbPath(), u"Søren"_s, 1)), u"5 stars veto \"\""_s);
    QVERIFY(!stars->isEnabled());
    QVERIFY(!storedRating(dbPath(), u"Søren"_s, 0));
}

void TestRatingPanel::noteIsKeptWhenTheNameChangesOrTheWindowCloses()
{
    openPanel(u"Ada"_s, 0);
    QTest::keyClicks(m_panel->noteEdit(), u"after Grandma"_s);
    QVERIFY(!storedRating(dbPath(), u"Ada"_s, 0));
    m_panel->setName(u"Bo"_s, 1);
    QCOMPARE(describe(storedRating(dbPath(), u"Ada"_s, 0)), u"0 stars \"after Grandma\""_s);
    QCOMPARE(m_panel->noteEdit()->text(), QString());

    // A panel that was never touched stores nothing for its name.
    m_panel->setName(u"Cy"_s, 1);
    QVERIFY(!storedRating(dbPath(), u"Bo"_s, 1));

    QTest::keyClicks(m_panel->noteEdit(), u"short, strong"_s);
    m_card->close();
    QCOMPARE(describe(storedRating(dbPath(), u"Cy"_s, 1)), u"0 stars \"short, strong\""_s);
}

void TestRatingPanel::noteIsStoredQuietlyWhateverEndsFirst_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("sessionDestroyed"); // else closed, as the program's end closes it
    QTest::addColumn<bool>("stored");

    QTest::newRow("the session closes while the card is open") << u"Ada"_s << false << true;
    QTest::newRow("the session is destroyed before the card") << u"Ada"_s << true << true;
    // Too long a name to be stored: the failure is not shown, the end is not held up.
    QTest::newRow("a note that cannot be stored ends quietly") << QString(120, u'a') << true << false;
}

void TestRatingPanel::noteIsStoredQuietlyWhateverEndsFirst()
{
    QFETCH(QString, name);
    QFETCH(bool, sessionDestroyed);
    QFETCH(bool, stored);

    openPanel(name, 0);
    QTest::keyClicks(m_panel->noteEdit(), u"after Grandma"_s);
    // A message box would wait for an answer here; the timer answers it, so that the test can tell.
    bool askedTheUser = false;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&askedTheUser] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            askedTheUser = true;
            box->close();
        }
    });
    answer.start(50);
    if (sessionDestroyed)
        m_session.reset();
    else
        m_session->close();
    QCOMPARE(describe(storedRating(dbPath(), name, 0)), stored ? u"0 stars \"after Grandma\""_s : u"not rated"_s);
    // The card goes after the session; its panel has nothing left to store into.
    m_card.reset();
    QVERIFY(!askedTheUser);
}

void TestRatingPanel::partnersRatingOfTheSameGender_data()
{
    QTest::addColumn<QJsonArray>("theirs");
    QTest::addColumn<QString>("shown");
    const auto rated = [](qint32 gender, int stars, bool veto, const QString &note) {
        return QJsonObject { { u"name"_s, u"Noa"_s }, { u"gender"_s, gender }, { u"stars"_s, stars },
            { u"veto"_s, veto }, { u"note"_s, note }, { u"updated"_s, u"2024-05-01T10:00:00Z"_s } };
    };
    QTest::newRow("four stars and a note")
        << QJsonArray { rated(0, 4, false, u"lovely"_s) } << u"Sam gave it 4 stars. \u201Clovely\u201D"_s;
    QTest::newRow("a veto") << QJsonArray { rated(0, 5, true, {}) } << u"Sam says: not this one."_s;
    QTest::newRow("rated for a boy only")
        << QJsonArray { rated(1, 5, false, u"for a boy"_s) } << u"Sam has not rated it."_s;
}

void TestRatingPanel::partnersRatingOfTheSameGender()
{
    QFETCH(QJsonArray, theirs);
    QFETCH(QString, shown);
    openPanel(u"Noa"_s, 0);
    QCOMPARE(m_panel->partnerLabel()->text(), QString());

    QFile file(m_dir->filePath(u"sam.namorel"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(
        QJsonObject { { u"format"_s, u"namorel-ratings"_s }, { u"version"_s, 1 }, { u"partner"_s, u"Sam"_s },
            { u"exported"_s, u"2024-05-01T10:00:00Z"_s }, { u"ratings"_s, theirs } })
                   .toJson());
    file.close();
    m_session->importRatings(file.fileName());
    QCOMPARE(m_panel->partnerLabel()->text(), shown);
}

void TestRatingPanel::followsChangesMadeElsewhere()
{
    // The shortlist tab deletes my rating while the card is open: the card shows it gone.
    m_session->rate({ u"Ines"_s, 0, 4, true, u"no"_s, {} });
    openPanel(u"Ines"_s, 0);
    QVERIFY(m_panel->vetoBox()->isChecked());
    m_session->remove(u"Ines"_s, 0);
    QCOMPARE(m_panel->starsEdit()->stars(), 0);
    QVERIFY(!m_panel->vetoBox()->isChecked());
    QCOMPARE(m_panel->noteEdit()->text(), QString());
    QVERIFY(m_panel->starsEdit()->isEnabled());
}

QTEST_MAIN(TestRatingPanel)
#include "tst_ratingpanel.moc"
