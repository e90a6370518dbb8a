// Times "Generate Namorel" in the real main window, offscreen, with all five filters of tab 2 on against the
// same with every filter off, over a synthetic database of a million lines, and prints the ratio of the
// medians.
//
//   QT_QPA_PLATFORM=offscreen namorel_filterbench [rounds]
//
// Each time runs from the press of the button until the summary message is on screen. The two settings
// alternate, after a warm-up round of each (the first search with the sound filters loads the pronouncing
// data, as the program does once per run). Besides the wall-clock times it prints the processor time the
// process spent, which other programs on a busy machine disturb less; the search runs on several threads,
// so that ratio also counts work done in parallel.

#include "generatetiming.h"
#include "mainunit.h"
#include "mainunitcontrols.h"
#include "synthdb.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void setFilters(Ui::TMainForm &ui, bool on)
{
    ui.leExclude->setText(on ? QStringLiteral("x") : QString());
    ui.leInclude->setText(on ? QStringLiteral("a") : QString());
    ui.cbBalanceFilter->setChecked(on);
    ui.cbRhythmFilter->setChecked(on);
    ui.cbAlliteration->setChecked(on);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    QTemporaryDir scratch;
    const QString folder = scratch.path() + u'/';
    namorel::bench::WriteSyntheticDatabase(folder, 1000000);
    // How names and surnames are said comes from the data shipped beside the program; the synthetic names are
    // not in it and are guessed from their spelling.
    for (const QString &data : { QStringLiteral("pronunciations.txt"), QStringLiteral("cmudict.txt") }) {
        const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/database/") + data;
        if (!QFile::copy(shipped, folder + QStringLiteral("database/") + data)) {
            std::fprintf(stderr, "namorel_filterbench: cannot copy %s\n", qPrintable(shipped));
            return 1;
        }
    }

    namorel::TMainForm form;
    form.show();
    namorel::ProgramFolder = folder;
    Ui::TMainForm &ui = form.controls();
    ui.PageControl1->setCurrentIndex(1);
    ui.leSurname->setText(QStringLiteral("Smith"));
    ui.leMiddlename->setText(QStringLiteral("Rose"));

    setFilters(ui, true);
    const QString summary = namorel::bench::TimeGenerate(form).Summary;
    setFilters(ui, false);
    namorel::bench::TimeGenerate(form);
    std::vector<double> off;
    std::vector<double> on;
    std::vector<double> offProcessor;
    std::vector<double> onProcessor;
    for (int round = 0; round < rounds; ++round) {
        for (const bool filtersOn : { round % 2 == 0, round % 2 != 0 }) {
            setFilters(ui, filtersOn);
            const namorel::bench::GenerateTiming timing = namorel::bench::TimeGenerate(form);
            (filtersOn ? on : off).push_back(timing.Milliseconds);
            (filtersOn ? onProcessor : offProcessor).push_back(timing.ProcessorMilliseconds);
        }
    }
    const double offMedian = median(off);
    const double onMedian = median(on);
    std::printf("lines per search: %d, rounds: %d\n", namorel::ScannedCount, rounds);
    std::printf("with the filters on: %s\n", qPrintable(summary.split(u'\n').mid(2).join(QStringLiteral(", "))));
    std::printf(
        "Generate, every filter off:    median %.0f ms, processor time %.0f ms\n", offMedian, median(offProcessor));
    std::printf(
        "Generate, all five filters on: median %.0f ms, processor time %.0f ms\n", onMedian, median(onProcessor));
    std::printf("processor time ratio=%.2f\n", median(onProcessor) / median(offProcessor));
    std::printf("ratio=%.2f\n", onMedian / offMedian);
    form.hide();
    return 0;
}
