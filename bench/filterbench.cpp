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

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <vector>

namespace {

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
    using namespace namorel::bench;
    QApplication app(argc, argv);
    const int rounds = RoundsFromArguments(argc, argv);
    WindowOverSyntheticDatabase bench;
    // How names and surnames are said comes from the data shipped beside the program; the synthetic names are
    // not in it and are guessed from their spelling.
    for (const QString &data : { QStringLiteral("pronunciations.txt"), QStringLiteral("cmudict.txt") }) {
        const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/database/") + data;
        if (!QFile::copy(shipped, bench.folder() + QStringLiteral("database/") + data)) {
            std::fprintf(stderr, "namorel_filterbench: cannot copy %s\n", qPrintable(shipped));
            return 1;
        }
    }

    namorel::TMainForm &form = bench.form();
    Ui::TMainForm &ui = form.controls();
    ui.leSurname->setText(QStringLiteral("Smith"));
    ui.leMiddlename->setText(QStringLiteral("Rose"));

    setFilters(ui, true);
    const QString summary = TimeGenerate(form).Summary;
    setFilters(ui, false);
    TimeGenerate(form);
    std::vector<double> off;
    std::vector<double> on;
    std::vector<double> offProcessor;
    std::vector<double> onProcessor;
    for (int round = 0; round < rounds; ++round) {
        for (const bool filtersOn : { round % 2 == 0, round % 2 != 0 }) {
            setFilters(ui, filtersOn);
            const GenerateTiming timing = TimeGenerate(form);
            (filtersOn ? on : off).push_back(timing.Milliseconds);
            (filtersOn ? onProcessor : offProcessor).push_back(timing.ProcessorMilliseconds);
        }
    }
    const double offMedian = Median(off);
    const double onMedian = Median(on);
    std::printf("lines per search: %d, rounds: %d\n", namorel::ScannedCount, rounds);
    std::printf("with the filters on: %s\n", qPrintable(summary.split(u'\n').mid(2).join(QStringLiteral(", "))));
    std::printf(
        "Generate, every filter off:    median %.0f ms, processor time %.0f ms\n", offMedian, Median(offProcessor));
    std::printf(
        "Generate, all five filters on: median %.0f ms, processor time %.0f ms\n", onMedian, Median(onProcessor));
    std::printf("processor time ratio=%.2f\n", Median(onProcessor) / Median(offProcessor));
    std::printf("ratio=%.2f\n", onMedian / offMedian);
    return 0;
}
