#include "application.h"
#include "commandline.h"
#include "errorreport.h"
#include "firstpaint.h"
#include "fonts.h"
#include "infounit.h"
#include "mainunit.h"

#include <memory>

int main(int argc, char *argv[])
{
    using namespace namorel;

    // "--help" and "--version" are answered before the application object exists: they need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> answer = CommandLineAnswer(arguments))
        return PrintAnswer(*answer);

    // The fonts' configuration loads on the second processor while the application connects to the display.
    FontConfigurationLoading fontConfiguration;
    Application app(argc, argv);
    fontConfiguration.wait();

    // The main window first: it loads the user's settings as it is created.
    TMainForm mainForm;
    MainForm = &mainForm;
    SaveSettingsOnTermination();

    // What the first paint does not need waits until the window is on screen: the About window, hidden until
    // "About..." shows it, and the program's icon in all its sizes.
    std::unique_ptr<TInfoForm> infoForm;
    RunAfterFirstPaint(&mainForm, [&] {
        app.installProgramIcon();
        infoForm = std::make_unique<TInfoForm>(&mainForm);
        InfoForm = infoForm.get();
    });

    CentreOnScreen(&mainForm);
    mainForm.show();
    const int exitCode = Application::exec();

    InfoForm = nullptr;
    infoForm.reset();
    MainForm = nullptr;
    return exitCode;
}
