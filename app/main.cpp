#include "application.h"
#include "errorreport.h"
#include "infounit.h"
#include "mainunit.h"

int main(int argc, char *argv[])
{
    using namespace namorel;

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
