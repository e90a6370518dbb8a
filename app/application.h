#pragma once

#include <QApplication>

namespace namorel {

/// The application object. An error that escapes an event handler is shown in the error report, and the
/// program carries on.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    /// Gives the program its icon, in the sizes the desktop asks for, for every window without one of its own.
    void installProgramIcon();
};

/// Ends the program with exit code 0 when the system asks it to terminate (SIGTERM, or SIGHUP when its terminal
/// or session goes away), after one attempt to save the settings that asks nothing of the user: a failed save
/// and open modal windows do not hold it up. Unix only; elsewhere it does nothing.
void SaveSettingsOnTermination();

} // namespace namorel
