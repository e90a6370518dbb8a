#include "application.h"
#include "commandline.h"
#include "errorreport.h"
#include "infounit.h"
#include "mainunit.h"

int main(int argc, char *argv[])
{
    using namespace namorel;

    // "--help" and "--version" are answered before the application object exists: they need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> answer = CommandLineAnswer(arguments))
        return PrintAnswer(*answer);

    Application app(argc, argv);

    // The main window first: it loads the user's settings as it is created. Then the About window, hidden
    // until "About..." shows it.
    TMainForm mainForm;
    MainForm = &mainForm;
    TInfoForm infoForm(&mainForm);
    InfoForm = &infoForm;
    SaveSettingsOnTermination();

    CentreOnScreen(&mainForm);
    mainForm.show();
    const int exitCode = Application::exec();

    InfoForm = nullptr;
    MainForm = nullptr;
    return exitCode;
}
