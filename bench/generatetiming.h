#pragma once

#include <QString>

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

} // namespace namorel::bench
