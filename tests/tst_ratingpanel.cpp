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

namespace {

QString S(const char16_t *text)
{
    return QString::fromUtf16(text);
}

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
    QTest::newRow("4 on the stars") << S(u"stars") << QKeySequence(Qt::Key_4) << S(u"4 stars \"kept\"");
    QTest::newRow("0 elsewhere in the window") << S(u"elsewhere") << QKeySequence(Qt::Key_0) << S(u"0 stars \"kept\"");
    QTest::newRow("5 on the keypad") << S(u"elsewhere") << QKeySequence(Qt::KeypadModifier | Qt::Key_5)
                                     << S(u"5 stars \"kept\"");
    QTest::newRow("V on the veto box") << S(u"veto") << QKeySequence(Qt::Key_V) << S(u"2 stars veto \"kept\"");
    QTest::newRow("V twice takes the veto back")
        << S(u"elsewhere") << QKeySequence(Qt::Key_V, Qt::Key_V) << S(u"2 stars \"kept\"");
    QTest::newRow("stars after a veto take it back")
        << S(u"elsewhere") << QKeySequence(Qt::Key_V, Qt::Key_3) << S(u"3 stars \"kept\"");
    QTest::newRow("6 is not a rating") << S(u"elsewhere") << QKeySequence(Qt::Key_6) << S(u"2 stars \"kept\"");
    QTest::newRow("Ctrl+3 is not a rating")
        << S(u"elsewhere") << QKeySequence(Qt::CTRL | Qt::Key_3) << S(u"2 stars \"kept\"");
    QTest::newRow("arrows step the stars")
        << S(u"stars") << QKeySequence(Qt::Key_Right, Qt::Key_Right, Qt::Key_Left) << S(u"3 stars \"kept\"");
    QTest::newRow("digits and V in the note are text")
        << S(u"note") << QKeySequence(Qt::Key_4, Qt::Key_V, Qt::Key_Return) << S(u"2 stars \"kept4v\"");
}

void TestRatingPanel::keys()
{
    QFETCH(QString, focus);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, stored);
    m_session->rate({ S(u"Maëlle"), 0, 2, false, S(u"kept"), {} });
    openPanel(S(u"Maëlle"), 0);
    QWidget *target = focus == u"stars" ? static_cast<QWidget *>(m_panel->starsEdit())
        : focus == u"veto"              ? static_cast<QWidget *>(m_panel->vetoBox())
        : focus == u"note"              ? static_cast<QWidget *>(m_panel->noteEdit())
                                        : m_elsewhere;
    target->setFocus();
    if (focus == u"note")
        m_panel->noteEdit()->end(false);
    QTest::keySequence(target, keys);

    QCOMPARE(describe(storedRating(dbPath(), S(u"Maëlle"), 0)), stored);
    // And the panel shows what is stored.
    QCOMPARE(describe(Rating { {}, 0, m_panel->starsEdit()->stars(), m_panel->vetoBox()->isChecked(),
                 m_panel->noteEdit()->text(), {} }),
        stored);
    QCOMPARE(m_panel->starsEdit()->isEnabled(), !m_panel->vetoBox()->isChecked());
}

void TestRatingPanel::mouse()
{
    openPanel(S(u"Søren"), 1);
    QVERIFY(!storedRating(dbPath(), S(u"Søren"), 1));
    StarRatingEdit *stars = m_panel->starsEdit();
    const auto clickStar
        = [&](int index) { QTest::mouseClick(stars, Qt::LeftButton, {}, stars->starRect(index).center()); };

    clickStar(2);
    QCOMPARE(describe(storedRating(dbPath(), S(u"Søren"), 1)), S(u"3 stars \"\""));
    // The last lit star again takes every star away; the gap after a star counts as that star.
    clickStar(2);
    QCOMPARE(describe(storedRating(dbPath(), S(u"Søren"), 1)), S(u"0 stars \"\""));
    QTest::mouseClick(stars, Qt::LeftButton, {}, stars->starRect(4).topRight() + QPoint(1, 4));
    QCOMPARE(describe(storedRating(dbPath(), S(u"Søren"), 1)), S(u"5 stars \"\""));

    QTest::mouseClick(m_panel->vetoBox(), Qt::LeftButton);
    QCOMPARE(describe(storedRating(dbPath(), S(u"Søren"), 1)), S(u"5 stars veto \"\""));
    QVERIFY(!stars->isEnabled());
    QVERIFY(!storedRating(dbPath(), S(u"Søren"), 0));
}

void TestRatingPanel::noteIsKeptWhenTheNameChangesOrTheWindowCloses()
{
    openPanel(S(u"Ada"), 0);
    QTest::keyClicks(m_panel->noteEdit(), S(u"after Grandma"));
    QVERIFY(!storedRating(dbPath(), S(u"Ada"), 0));
    m_panel->setName(S(u"Bo"), 1);
    QCOMPARE(describe(storedRating(dbPath(), S(u"Ada"), 0)), S(u"0 stars \"after Grandma\""));
    QCOMPARE(m_panel->noteEdit()->text(), QString());

    // A panel that was never touched stores nothing for its name.
    m_panel->setName(S(u"Cy"), 1);
    QVERIFY(!storedRating(dbPath(), S(u"Bo"), 1));

    QTest::keyClicks(m_panel->noteEdit(), S(u"short, strong"));
    m_card->close();
    QCOMPARE(describe(storedRating(dbPath(), S(u"Cy"), 1)), S(u"0 stars \"short, strong\""));
}

void TestRatingPanel::noteIsStoredQuietlyWhateverEndsFirst_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("sessionDestroyed"); // else closed, as the program's end closes it
    QTest::addColumn<bool>("stored");

    QTest::newRow("the session closes while the card is open") << S(u"Ada") << false << true;
    QTest::newRow("the session is destroyed before the card") << S(u"Ada") << true << true;
    // Too long a name to be stored: the failure is not shown, the end is not held up.
    QTest::newRow("a note that cannot be stored ends quietly") << QString(120, u'a') << true << false;
}

void TestRatingPanel::noteIsStoredQuietlyWhateverEndsFirst()
{
    QFETCH(QString, name);
    QFETCH(bool, sessionDestroyed);
    QFETCH(bool, stored);

    openPanel(name, 0);
    QTest::keyClicks(m_panel->noteEdit(), S(u"after Grandma"));
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
    QCOMPARE(describe(storedRating(dbPath(), name, 0)), stored ? S(u"0 stars \"after Grandma\"") : S(u"not rated"));
    // The card goes after the session; its panel has nothing left to store into.
    m_card.reset();
    QVERIFY(!askedTheUser);
}

void TestRatingPanel::partnersRatingOfTheSameGender_data()
{
    QTest::addColumn<QJsonArray>("theirs");
    QTest::addColumn<QString>("shown");
    const auto rated = [](qint32 gender, int stars, bool veto, const QString &note) {
        return QJsonObject { { S(u"name"), S(u"Noa") }, { S(u"gender"), gender }, { S(u"stars"), stars },
            { S(u"veto"), veto }, { S(u"note"), note }, { S(u"updated"), S(u"2024-05-01T10:00:00Z") } };
    };
    QTest::newRow("four stars and a note")
        << QJsonArray { rated(0, 4, false, S(u"lovely")) } << S(u"Sam gave it 4 stars. \u201Clovely\u201D");
    QTest::newRow("a veto") << QJsonArray { rated(0, 5, true, {}) } << S(u"Sam says: not this one.");
    QTest::newRow("rated for a boy only")
        << QJsonArray { rated(1, 5, false, S(u"for a boy")) } << S(u"Sam has not rated it.");
}

void TestRatingPanel::partnersRatingOfTheSameGender()
{
    QFETCH(QJsonArray, theirs);
    QFETCH(QString, shown);
    openPanel(S(u"Noa"), 0);
    QCOMPARE(m_panel->partnerLabel()->text(), QString());

    QFile file(m_dir->filePath(S(u"sam.namorel")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(
        QJsonObject { { S(u"format"), S(u"namorel-ratings") }, { S(u"version"), 1 }, { S(u"partner"), S(u"Sam") },
            { S(u"exported"), S(u"2024-05-01T10:00:00Z") }, { S(u"ratings"), theirs } })
                   .toJson());
    file.close();
    m_session->importRatings(file.fileName());
    QCOMPARE(m_panel->partnerLabel()->text(), shown);
}

void TestRatingPanel::followsChangesMadeElsewhere()
{
    // The shortlist tab deletes my rating while the card is open: the card shows it gone.
    m_session->rate({ S(u"Ines"), 0, 4, true, S(u"no"), {} });
    openPanel(S(u"Ines"), 0);
    QVERIFY(m_panel->vetoBox()->isChecked());
    m_session->remove(S(u"Ines"), 0);
    QCOMPARE(m_panel->starsEdit()->stars(), 0);
    QVERIFY(!m_panel->vetoBox()->isChecked());
    QCOMPARE(m_panel->noteEdit()->text(), QString());
    QVERIFY(m_panel->starsEdit()->isEnabled());
}

QTEST_MAIN(TestRatingPanel)
#include "tst_ratingpanel.moc"
