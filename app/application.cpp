#include "application.h"

#include "errorreport.h"
#include "mainunit.h"
#include "windowstyle.h"

#include <QIcon>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace namorel {

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(ApplicationTitle());
    setApplicationVersion(QStringLiteral(NAMOREL_VERSION));
    // Ties the windows to the launcher entry where the desktop asks (Wayland's app id).
    setDesktopFileName(QStringLiteral("namorel"));
    setStyle(new WindowStyle);
}

void Application::installProgramIcon()
{
    QIcon icon;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/namorel-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowErrorReport(ErrorMessage(error));
    }
    return false;
}

#ifdef Q_OS_UNIX
namespace {

int g_signalPipe[2] = { -1, -1 };

void onTerminationSignal(int)
{
    // Only async-signal-safe work here: the event loop picks the byte up.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

void SaveSettingsOnTermination()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier] {
        char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) > 0) { }
        notifier->setEnabled(false);
        // One quiet attempt to save, then the end, whether or not it saved. Closing the windows would save again
        // and could show an error and refuse to close; exit() ends every event loop instead, also those of modal
        // windows that are open, and no new one starts.
        if (MainForm)
            MainForm->saveQuietly();
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}
#else
void SaveSettingsOnTermination() { }
#endif

} // namespace namorel
