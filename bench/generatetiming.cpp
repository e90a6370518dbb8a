#include "generatetiming.h"
#include "mainunit.h"
#include "mainunitcontrols.h"
#include "synthdb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
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

WindowOverSyntheticDatabase::WindowOverSyntheticDatabase()
    : m_folder(m_scratch.path() + u'/')
{
    QStandardPaths::setTestModeEnabled(true);
    WriteSyntheticDatabase(m_folder, 1000000);
    m_form = std::make_unique<TMainForm>();
    m_form->show();
    ProgramFolder = m_folder;
    m_form->controls().PageControl1->setCurrentIndex(1);
}

WindowOverSyntheticDatabase::~WindowOverSyntheticDatabase()
{
    m_form->hide();
}

int RoundsFromArguments(int argc, char *argv[])
{
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace namorel::bench
