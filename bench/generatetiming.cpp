#include "generatetiming.h"
#include "mainunit.h"
#include "mainunitcontrols.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <ctime>

namespace namorel::bench {

namespace {

double processorMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

GenerateTiming TimeGenerate(TMainForm &form)
{
    GenerateTiming timing;
    const double processorStart = processorMs();
    QElapsedTimer clock;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); box && box->isVisible()) {
            if (timing.Milliseconds < 0) {
                timing.Milliseconds = double(clock.nsecsElapsed()) / 1e6;
                timing.ProcessorMilliseconds = processorMs() - processorStart;
                timing.Summary = box->text();
            }
            box->accept();
        }
    });
    watcher.start();
    clock.start();
    form.controls().BitBtn2->click();
    return timing;
}

} // namespace namorel::bench
