// Steers a running Namorel through its own widgets, found by their object names, as a user would with the
// mouse. Qt loads it as a generic plugin when the environment names it; the program knows nothing of it.
//
//   QT_PLUGIN_PATH=<build>/plugins QT_QPA_GENERIC_PLUGINS=namoreluidriver namorel
//       presses "Generate Namorel" with the entries the program starts with and prints what the message after
//       the search said (line breaks written as \n) and how many names it recommends; opens the name card of
//       the first recommended name, if there is one, with Enter and prints its title; then closes the window:
//           summary: Search Complete!\n\nScanned Names in Database: 1234\nRelevent Names displayed: 567
//           recommended: 567
//           card: Aaron - Namorel
//       An error report is printed as "error: <its text>".
//
//   QT_QPA_GENERIC_PLUGINS=namoreluidriver:screenshots=<folder> namorel
//       fills in the entries, runs a search and saves a picture of each tab and of a name card into the
//       folder. The windows are grabbed from the screen, so the pictures are what a display shows (run it in
//       one: tools/screenshots.sh).
//
//   QT_QPA_GENERIC_PLUGINS=namoreluidriver:note=<text> namorel
//       runs the search, opens the name card of the first recommended name, gives it four stars, types the text
//       into its note without entering it, prints "typed: <card's title>" and leaves the program running, for a
//       test to end it.
//
//   QT_QPA_GENERIC_PLUGINS=namoreluidriver:review=<folder> namorel
//       as screenshots=, and then also the "4. Shortlist" tab and the About window, for looking the whole
//       program over (at other scales with QT_SCALE_FACTOR).

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <deque>
#include <functional>
#include <optional>

namespace {

using namespace Qt::Literals::StringLiterals;

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

QWidget *findMainWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->findChild<QAbstractButton *>(u"BitBtn2"_s))
            return widget;
    }
    return nullptr;
}

class UiDriver : public QObject
{
    Q_OBJECT

public:
    explicit UiDriver(const QString &request);

private:
    // A step returns false while what it waits for has not happened yet; it is then tried again.
    using Step = std::function<bool()>;

    void planSearch();
    void planTypedNote(const QString &text);
    void planScreenshots(const QString &folder, bool wholeProgram);

    void runSteps();
    void answerMessages();
    void fail(const QString &why);

    bool waitForMainWindow();
    Step pause(int milliseconds);
    Step generate();
    Step openCard(std::function<QModelIndex(QAbstractItemView *)> choose, bool required);
    Step closeMainWindow();
    Step rateOnCard(int stars, const QString &note);
    template<typename T> T *control(const QString &name);

    std::deque<Step> m_steps;
    QTimer m_ticker;
    QDeadlineTimer m_giveUp { 120'000 };
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_card;
    bool m_searchDone = false;
};

UiDriver::UiDriver(const QString &request)
{
    if (request.startsWith(u"screenshots="_s))
        planScreenshots(request.mid(12), false);
    else if (request.startsWith(u"review="_s))
        planScreenshots(request.mid(7), true);
    else if (request.startsWith(u"note="_s))
        planTypedNote(request.mid(5));
    else
        planSearch();
    // The steps run from the event loop, the program's own and the modal ones inside it alike.
    connect(&m_ticker, &QTimer::timeout, this, &UiDriver::runSteps);
    connect(&m_ticker, &QTimer::timeout, this, &UiDriver::answerMessages);
    m_ticker.start(50);
}

template<typename T> T *UiDriver::control(const QString &name)
{
    T *found = m_window ? m_window->findChild<T *>(name) : nullptr;
    if (!found)
        fail(u"the main window has no control "_s + name);
    return found;
}

void UiDriver::fail(const QString &why)
{
    say(u"driver: "_s + why);
    m_ticker.stop();
    m_steps.clear();
    QCoreApplication::exit(3);
}

void UiDriver::runSteps()
{
    if (m_giveUp.hasExpired()) {
        fail(u"gave up waiting"_s);
        return;
    }
    while (!m_steps.empty()) {
        // The step may run a modal loop that calls back in here: it leaves the queue before it runs.
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (!step()) {
            if (m_ticker.isActive())
                m_steps.push_front(std::move(step));
            return;
        }
    }
}

// The summary after a search and the error report are modal message boxes: their text is printed and
// they are closed with their OK button, as the user would.
void UiDriver::answerMessages()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    QString text = box->text();
    text.replace(u'\n', u"\\n"_s);
    say((box->icon() == QMessageBox::Critical ? u"error: "_s : u"summary: "_s) + text);
    box->button(QMessageBox::Ok)->click();
}

bool UiDriver::waitForMainWindow()
{
    m_window = findMainWindow();
    return m_window && m_window->windowHandle() && m_window->windowHandle()->isExposed();
}

UiDriver::Step UiDriver::pause(int milliseconds)
{
    return [deadline = std::optional<QDeadlineTimer>(), milliseconds]() mutable {
        if (!deadline)
            deadline = QDeadlineTimer(milliseconds);
        return deadline->hasExpired();
    };
}

// Presses "Generate Namorel" and waits until the search, and the message after it, are over.
UiDriver::Step UiDriver::generate()
{
    return [this, pressed = false]() mutable {
        if (!pressed) {
            auto *button = control<QAbstractButton>(u"BitBtn2"_s);
            if (!button)
                return true;
            pressed = true;
            // The press returns only when the message after the search has been closed, so it is made from
            // the event loop rather than from here.
            QTimer::singleShot(0, button, [this, button] {
                struct Done
                {
                    bool &flag;
                    ~Done() { flag = true; }
                } done { m_searchDone };
                button->click();
            });
        }
        return m_searchDone;
    };
}

// Makes a name of the recommended list the current one, presses Enter on the list, and waits until the name
// card is on the screen. An empty list is a failure only when the card is \a required.
UiDriver::Step UiDriver::openCard(std::function<QModelIndex(QAbstractItemView *)> choose, bool required)
{
    return [this, choose, required, pressed = false]() mutable {
        if (!pressed) {
            auto *list = control<QAbstractItemView>(u"lbRecommend"_s);
            if (!list)
                return true;
            const QModelIndex index = choose(list);
            if (!index.isValid()) {
                if (required)
                    fail(u"the search recommended no names"_s);
                return true;
            }
            pressed = true;
            list->setCurrentIndex(index);
            list->scrollTo(index, QAbstractItemView::PositionAtCenter);
            list->setFocus(Qt::OtherFocusReason);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &release);
        }
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"NameCard" && widget->isVisible() && widget->windowHandle()
                && widget->windowHandle()->isExposed())
                m_card = widget;
        }
        return !m_card.isNull();
    };
}

UiDriver::Step UiDriver::closeMainWindow()
{
    return [this] {
        if (m_window)
            m_window->close();
        return true;
    };
}

// Gives the name on the card its stars with the arrow keys and types the note key by key, as the user would;
// the note is left in its box, not entered.
UiDriver::Step UiDriver::rateOnCard(int stars, const QString &note)
{
    return [this, stars, note] {
        if (!m_card)
            return true;
        m_card->activateWindow();
        m_card->raise();
        for (QWidget *child : m_card->findChildren<QWidget *>()) {
            if (!child->inherits("namorel::StarRatingEdit"))
                continue;
            for (int press = 0; press < stars; ++press) {
                QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
                QCoreApplication::sendEvent(child, &right);
            }
        }
        auto *edit = m_card->findChild<QLineEdit *>();
        if (!edit) {
            fail(u"the name card has no note"_s);
            return true;
        }
        edit->setFocus(Qt::TabFocusReason);
        for (const QChar character : note) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
            QCoreApplication::sendEvent(edit, &press);
        }
        return true;
    };
}

void UiDriver::planTypedNote(const QString &text)
{
    m_steps = {
        [this] { return waitForMainWindow(); },
        generate(),
        openCard([](QAbstractItemView *list) { return list->model()->index(0, 0); }, true),
        rateOnCard(4, text),
        [this] {
            say(u"typed: "_s + m_card->windowTitle());
            return true;
        },
    };
}

void UiDriver::planSearch()
{
    m_steps = {
        [this] { return waitForMainWindow(); },
        generate(),
        [this] {
            if (auto *list = control<QAbstractItemView>(u"lbRecommend"_s))
                say(u"recommended: "_s + QString::number(list->model()->rowCount()));
            return true;
        },
        openCard([](QAbstractItemView *list) { return list->model()->index(0, 0); }, false),
        [this] {
            if (m_card)
                say(u"card: "_s + m_card->windowTitle());
            return true;
        },
        closeMainWindow(),
    };
}

void UiDriver::planScreenshots(const QString &folder, bool wholeProgram)
{
    const auto showTab = [this](int index) {
        return [this, index] {
            if (auto *tabs = control<QTabWidget>(u"PageControl1"_s))
                tabs->setCurrentIndex(index);
            return true;
        };
    };
    const auto shoot = [this, folder](const QString &name, std::function<QWidget *()> window = {}) {
        return [this, path = QDir(folder).filePath(name), window] {
            QWidget *shown = window ? window() : m_window.data();
            const QPixmap picture = shown->screen()->grabWindow(shown->winId());
            if (picture.isNull() || !picture.save(path))
                fail(u"cannot save "_s + path);
            else
                say(u"saved "_s + path);
            return true;
        };
    };
    m_steps = {
        [this] { return waitForMainWindow(); },
        [this] {
            if (auto *surname = control<QLineEdit>(u"leSurname"_s))
                surname->setText(u"Whitfield"_s);
            if (auto *middle = control<QLineEdit>(u"leMiddlename"_s))
                middle->setText(u"Rose"_s);
            if (auto *gender = control<QComboBox>(u"cbGender"_s))
                gender->setCurrentIndex(0);
            // A length window that leaves names on both lists.
            if (auto *shortest = control<QSpinBox>(u"seMin"_s))
                shortest->setValue(4);
            if (auto *longest = control<QSpinBox>(u"seMax"_s))
                longest->setValue(7);
            return true;
        },
        showTab(0),
        pause(600),
        shoot(u"namorel-parents.png"_s),
        showTab(1),
        pause(600),
        shoot(u"namorel-properties.png"_s),
        generate(),
        showTab(2),
        // A well-known name, or one from the middle of the list, shown signed with the surname and on its card.
        openCard(
            [](QAbstractItemView *list) {
                QAbstractItemModel *names = list->model();
                const QModelIndex amelia
                    = names->match(names->index(0, 0), Qt::DisplayRole, u"Amelia"_s, 1, Qt::MatchExactly).value(0);
                return amelia.isValid() ? amelia : names->index(names->rowCount() / 2, 0);
            },
            true),
        pause(1000),
        shoot(u"namorel-card.png"_s, [this] { return m_card.data(); }),
        // The main window shown again above the card.
        [this] {
            m_window->activateWindow();
            m_window->raise();
            return true;
        },
        pause(600),
        shoot(u"namorel-names.png"_s),
    };
    if (wholeProgram) {
        const auto aboutWindow = [] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<QDialog *>(widget) && widget->isVisible() && widget->objectName() == u"TInfoForm")
                    return widget;
            }
            return static_cast<QWidget *>(nullptr);
        };
        const auto showView = [this](const QString &caption) {
            return [this, caption] {
                for (QAbstractButton *button : m_window->findChildren<QAbstractButton *>()) {
                    if (button->text().remove(u'&') == caption)
                        button->click();
                }
                return true;
            };
        };
        m_steps.insert(m_steps.end(),
            {
                // The name rated on its card: four stars and a note, as the keyboard gives them.
                [this] {
                    if (!m_card)
                        return true;
                    m_card->activateWindow();
                    m_card->raise();
                    for (QWidget *child : m_card->findChildren<QWidget *>()) {
                        if (child->inherits("namorel::StarRatingEdit")) {
                            for (int press = 0; press < 4; ++press) {
                                QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
                                QCoreApplication::sendEvent(child, &right);
                            }
                            if (auto *scroll = m_card->findChild<QScrollArea *>(u"NameCardContents"_s))
                                scroll->ensureWidgetVisible(child, 0, 200);
                        }
                    }
                    if (auto *note = m_card->findChild<QLineEdit *>()) {
                        note->setText(u"Like her great-grandmother"_s);
                        emit note->editingFinished();
                    }
                    return true;
                },
                pause(600),
                shoot(u"namorel-card-rating.png"_s, [this] { return m_card ? m_card.data() : m_window.data(); }),
                [this] {
                    m_window->activateWindow();
                    m_window->raise();
                    return true;
                },
                showTab(3),
                pause(600),
                shoot(u"namorel-shortlist.png"_s),
                showView(u"My partner's"_s),
                pause(300),
                shoot(u"namorel-shortlist-partner.png"_s),
                showView(u"Both like"_s),
                pause(300),
                shoot(u"namorel-shortlist-both.png"_s),
                showTab(0),
                [this] {
                    if (auto *about = m_window->findChild<QAction *>(u"About1"_s))
                        about->trigger();
                    else
                        fail(u"the main window has no command About1"_s);
                    return true;
                },
                [aboutWindow] { return aboutWindow() != nullptr; },
                pause(600),
                shoot(u"namorel-about.png"_s, aboutWindow),
                [aboutWindow] {
                    if (QWidget *about = aboutWindow())
                        about->close();
                    return true;
                },
            });
    }
    m_steps.push_back(closeMainWindow());
}

} // namespace

class UiDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "uidriver.json")

public:
    QObject *create(const QString &key, const QString &request) override
    {
        return key == u"namoreluidriver" ? new UiDriver(request) : nullptr;
    }
};

#include "uidriver.moc"
