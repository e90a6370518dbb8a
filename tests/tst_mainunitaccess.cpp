// The main window without a mouse: to assistive tools and from the keyboard.

#include "application.h"
#include "infounit.h"
#include "mainunittesting.h"

#include <QAccessible>
#include <QLabel>
#include <QTabBar>

#include <cmath>

using namespace namorel;
using namespace namorel::testing;

namespace {

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

class TestMainUnitAccess : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareTestCase(); }
    void init() { prepareTest(); }
    void cleanup() { closeWindow(); }

    void everyControlIsNamedForAssistiveTools();
    void originsAreTickedThroughAssistiveTools();
    void tabKeyFollowsTheDesignedOrder_data();
    void tabKeyFollowsTheDesignedOrder();
    void focusMarksStandOut_data();
    void focusMarksStandOut();
    void enterPressesTheFocusedGenerateButton_data();
    void enterPressesTheFocusedGenerateButton();
    void firstKeyInAListSelectsTheFirstName_data();
    void firstKeyInAListSelectsTheFirstName();
};

// What assistive tools are shown of the main and the About window: every control has a name, the names
// say what the controls are for, and the search's working lists are not shown at all.
void TestMainUnitAccess::everyControlIsNamedForAssistiveTools()
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
void TestMainUnitAccess::originsAreTickedThroughAssistiveTools()
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

void TestMainUnitAccess::tabKeyFollowsTheDesignedOrder_data()
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
void TestMainUnitAccess::tabKeyFollowsTheDesignedOrder()
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

void TestMainUnitAccess::focusMarksStandOut_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("origin row") << "origin row";
    QTest::newRow("tab") << "tab";
}

// The mark of the keyboard focus: the pixels it changes differ from what they cover by 3 : 1 at least, and
// there are enough of them to surround what has the focus.
void TestMainUnitAccess::focusMarksStandOut()
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

void TestMainUnitAccess::enterPressesTheFocusedGenerateButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void TestMainUnitAccess::enterPressesTheFocusedGenerateButton()
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

void TestMainUnitAccess::firstKeyInAListSelectsTheFirstName_data()
{
    QTest::addColumn<bool>("recommended");
    QTest::addColumn<int>("key");
    QTest::newRow("Down in the recommended names") << true << int(Qt::Key_Down);
    QTest::newRow("Up in the recommended names") << true << int(Qt::Key_Up);
    QTest::newRow("Space in the recommended names") << true << int(Qt::Key_Space);
    QTest::newRow("Down in the not-recommended names") << false << int(Qt::Key_Down);
}

// A list that takes the focus marks its first name without choosing it; the first key chooses that name.
void TestMainUnitAccess::firstKeyInAListSelectsTheFirstName()
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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainUnitAccess test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainunitaccess.moc"
