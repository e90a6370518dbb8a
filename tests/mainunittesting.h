#pragma once

// What the tests of the main window share: the window over a small database of its own, with a settings store
// in a home folder of its own, and ways to see what it shows.

#include "mainunit.h"
#include "mainunitcontrols.h"
#include "namesearch.h"
#include "settingsstore.h"
#include "shellopen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

namespace namorel::testing {

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
inline QList<ShownBox> closingMessageBoxes(const std::function<void()> &action)
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

// A signature as its box shows it.
inline QString displayed(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The pixels of a widget as it paints itself at a device pixel ratio.
inline QImage rendered(QWidget *widget, qreal ratio = 1)
{
    QPixmap pixmap(widget->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    widget->render(&pixmap);
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

// The main window of a test, in a program folder whose database holds two names for each origin and sex (a few
// more Celtic girls), and the addresses it asked the shell to open. A test class calls prepareTestCase(),
// prepareTest() and closeWindow() from its initTestCase(), init() and cleanup().
class MainWindowFixture
{
protected:
    void prepareTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The test mode's settings folder lies in the home folder, which every copy of these tests shares (those
        // of other checkouts on the machine too); one of them making the store unwritable would break the others.
        // A home of its own keeps this run's store to itself.
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

    void prepareTest()
    {
        QFile::remove(SettingsStore::userFilePath());
        QDir(m_programFolder).removeRecursively();
        writeDatabase();
        m_opened.clear();
    }

    void closeWindow()
    {
        if (m_form) {
            // Closing saves; a test that broke the store has put it right again.
            m_form->close();
            m_form.reset();
        }
        MainForm = nullptr;
    }

    TMainForm &openWindow()
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

    Ui::TMainForm &ui() { return m_form->controls(); }

    QTemporaryDir m_dir;
    QString m_programFolder;
    std::unique_ptr<TMainForm> m_form;
    QList<QUrl> m_opened;

private:
    void writeDatabase()
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
};

} // namespace namorel::testing
