// Times "Generate Namorel" in the real main window, offscreen, against the name search alone, over the
// same synthetic database of a million lines, and prints the ratio of the medians.
//
//   QT_QPA_PLATFORM=offscreen namorel_windowbench [rounds]
//
// The window's time runs from the press of the button until the summary message is on screen; the search's
// is one RunSearch with the same query, its result replacing the one before as the window's does. The two
// alternate, after a warm-up round of each.

#include "generatetiming.h"
#include "mainunit.h"
#include "mainunitcontrols.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

namespace {

// One search whose result replaces the one before, as the window's does.
double timeSearch(const namorel::NameQuery &query, namorel::SearchResult &last)
{
    QElapsedTimer clock;
    clock.start();
    last = namorel::RunSearch(query);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace namorel::bench;
    QApplication app(argc, argv);
    const int rounds = RoundsFromArguments(argc, argv);
    WindowOverSyntheticDatabase bench;
    namorel::TMainForm &form = bench.form();
    const namorel::NameQuery query = form.currentQuery();

    namorel::SearchResult last;
    timeSearch(query, last);
    TimeGenerate(form);
    std::vector<double> search;
    std::vector<double> window;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2) {
            search.push_back(timeSearch(query, last));
            window.push_back(TimeGenerate(form).Milliseconds);
        } else {
            window.push_back(TimeGenerate(form).Milliseconds);
            search.push_back(timeSearch(query, last));
        }
    }
    const double searchMedian = Median(search);
    const double windowMedian = Median(window);
    std::printf("lines per search: %d, rounds: %d\n", namorel::ScannedCount, rounds);
    std::printf("RunSearch alone:         median %.0f ms\n", searchMedian);
    std::printf("Generate in the window:  median %.0f ms\n", windowMedian);
    std::printf("ratio=%.2f\n", windowMedian / searchMedian);
    return 0;
}
