// Benchmarks of the name search over a synthetic database of a million lines. The database is generated
// into a temporary folder once per run, or taken from $NAMOREL_BENCH_DB (a program folder) when set.

#include "namefile_p.h"
#include "namesearch.h"
#include "synthdb.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QString &programFolder()
{
    static std::unique_ptr<QTemporaryDir> scratch;
    static const QString folder = [] {
        const QString given = qEnvironmentVariable("NAMOREL_BENCH_DB");
        if (!given.isEmpty())
            return given + u'/';
        scratch = std::make_unique<QTemporaryDir>();
        const QString path = scratch->path() + u'/';
        namorel::bench::WriteSyntheticDatabase(path, 1000000);
        return path;
    }();
    return folder;
}

void BM_RunSearch(benchmark::State &state)
{
    namorel::NameQuery query;
    query.Origins = namorel::OriginTable();
    query.ProgramFolder = programFolder();
    query.GenderIndex = int(state.range(0));
    query.MinLength = 3;
    query.MaxLength = 8;
    qint64 lines = 0;
    for (auto _ : state) {
        const namorel::SearchResult result = namorel::RunSearch(query);
        lines += result.ScannedCount;
        benchmark::DoNotOptimize(result.Recommended.constData());
    }
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_RunSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The scan without the final sort: reading, decoding, splitting and classifying.
void BM_ReadAndSplit(benchmark::State &state)
{
    const QStringList paths = namorel::BuildFileList(namorel::OriginTable(), 0, programFolder());
    qint64 lines = 0;
    for (auto _ : state) {
        for (const QString &path : paths) {
            const auto split
                = namorel::SplitNameLines(namorel::DecodeNameText(namorel::ReadNameFile(path, 1 << 28)), 4096);
            lines += qint64(split.size());
        }
    }
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_ReadAndSplit)->Unit(benchmark::kMillisecond);

void BM_SortNames(benchmark::State &state)
{
    namorel::SearchResult result;
    namorel::ScanFiles(namorel::BuildFileList(namorel::OriginTable(), 0, programFolder()), 1, 20, result);
    for (auto _ : state) {
        state.PauseTiming();
        QStringList names = result.Recommended;
        names.detach();
        state.ResumeTiming();
        namorel::SortNames(names);
        benchmark::DoNotOptimize(names.constData());
    }
    state.SetItemsProcessed(state.iterations() * result.Recommended.size());
}
BENCHMARK(BM_SortNames)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
