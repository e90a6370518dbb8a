// The name card's data: how long the first card waits for the facts to load, and what one lookup costs,
// each against a baseline measured in the same run on the shipped database beside the program.
//
//   namorel_factsbench [rounds]
//
// Prints the median times and the ratios: loading against reading the same files' bytes, and a lookup
// against a bare hash lookup of the same name. The load must stay under 100 ms.

#include "factsdatabase.h"
#include "namefile_p.h"
#include "namesearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

using namespace namorel;

double medianMilliseconds(int rounds, const std::function<void()> &work)
{
    QList<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double threadCpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = qMax(1, QCoreApplication::arguments().value(1, QStringLiteral("21")).toInt());
    const QString folder = QCoreApplication::applicationDirPath() + u'/';
    QTextStream out(stdout);

    QStringList files;
    for (const QString &origin : OriginTable()) {
        for (const qint32 gender : { 0, 1 })
            files.append(NameFilePath(folder, origin, gender));
    }
    for (const char *name : { "pronunciations.txt", "meanings.txt", "usbirths.txt" })
        files.append(folder + QStringLiteral("database/") + QLatin1String(name));

    qint64 bytes = 0;
    const double read = medianMilliseconds(rounds, [&] {
        bytes = 0;
        for (const QString &path : files) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                bytes += file.readAll().size();
        }
    });
    // Each load starts with nothing in memory; freeing the previous one is not part of it.
    std::shared_ptr<const FactsDatabase> database;
    // On a shared machine the wall time also counts the waits for a core; the thread's processor time
    // tells the work itself.
    QList<double> loads;
    QList<double> loadsCpu;
    for (int round = 0; round < rounds; ++round) {
        database.reset();
        const double cpuBefore = threadCpuMilliseconds();
        loads.append(medianMilliseconds(1, [&] { database = FactsDatabase::load(folder); }));
        loadsCpu.append(threadCpuMilliseconds() - cpuBefore);
    }
    std::sort(loads.begin(), loads.end());
    std::sort(loadsCpu.begin(), loadsCpu.end());
    const double load = loads[loads.size() / 2];
    const double loadCpu = loadsCpu[loadsCpu.size() / 2];

    // Every name of the database, girls' and boys'.
    QStringList names;
    for (int gender = 0; gender < 2; ++gender) {
        SearchResult all;
        ScanFiles(BuildFileList(OriginTable(), gender, folder), 0, 1 << 20, all);
        names += all.Recommended;
    }
    QHash<QString, qint32> hash;
    for (const QString &name : names)
        hash.insert(name.toCaseFolded(), qint32(name.size()));
    qint64 sink = 0;
    const double hashed = medianMilliseconds(rounds, [&] {
        for (const QString &name : names)
            sink += hash.value(name.toCaseFolded());
    });
    const double looked = medianMilliseconds(rounds, [&] {
        for (qsizetype i = 0; i < names.size(); ++i)
            sink += database->lookUp(names[i], qint32(i & 1)).Births.size();
    });

    out << "files=" << files.size() << " bytes=" << bytes << " names=" << names.size() << " rounds=" << rounds
        << " (checksum " << sink % 10 << ")\n";
    out << QStringLiteral("load_ms=%1 load_cpu_ms=%5 read_ms=%2 ratio=%3 under_100ms=%4\n")
               .arg(load, 0, 'f', 2)
               .arg(read, 0, 'f', 2)
               .arg(load / read, 0, 'f', 2)
               .arg(load < 100 ? QStringLiteral("yes") : QStringLiteral("no"))
               .arg(loadCpu, 0, 'f', 2);
    out << QStringLiteral("lookup_us=%1 hash_us=%2 ratio=%3\n")
               .arg(looked * 1000 / names.size(), 0, 'f', 2)
               .arg(hashed * 1000 / names.size(), 0, 'f', 3)
               .arg(looked / hashed, 0, 'f', 1);
    return load < 100 ? 0 : 1;
}
