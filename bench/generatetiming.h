#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace namorel {
class TMainForm;
}

namespace namorel::bench {

/// How long one press of "Generate Namorel" took, until the summary message showed.
struct GenerateTiming
{
    double Milliseconds = -1;
    /// The processor time the process spent meanwhile, on all its threads.
    double ProcessorMilliseconds = 0;
    QString Summary;
};

/// Presses "Generate Namorel" in \a form and waits for the summary message, which it then closes.
GenerateTiming TimeGenerate(TMainForm &form);

/// The main window, shown on its second tab, over a synthetic database of 1,000,000 names per gender in a
/// scratch folder; the settings are the test location's. Needs the application object.
class WindowOverSyntheticDatabase
{
public:
    WindowOverSyntheticDatabase();
    ~WindowOverSyntheticDatabase();

    /// The program folder the window searches, ending in '/'.
    QString folder() const { return m_folder; }
    TMainForm &form() { return *m_form; }

private:
    QTemporaryDir m_scratch;
    QString m_folder;
    std::unique_ptr<TMainForm> m_form;
};

/// The number of rounds the first argument asks for, 7 without one.
int RoundsFromArguments(int argc, char *argv[]);

double Median(std::vector<double> values);

} // namespace namorel::bench
