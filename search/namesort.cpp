#include "namesearch.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <exception>
#include <numeric>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace namorel {

namespace {

QCollator nameCollator()
{
    QCollator collator { QLocale() };
    // The C locale collates code point by code point and ignores the case setting, so a user without a
    // language preference gets plain English alphabetical order instead.
    if (collator.locale().language() == QLocale::C)
        collator.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

struct KeyedIndex
{
    const QCollatorSortKey *Key;
    qsizetype Index;
};

bool keyLess(const KeyedIndex &a, const KeyedIndex &b)
{
    return a.Key->compare(*b.Key) < 0;
}

bool pointedKeyLess(const QCollatorSortKey *a, const QCollatorSortKey *b)
{
    return a->compare(*b) < 0;
}

// A bucket of this many names, with their keys, fits in the processor's cache.
constexpr qsizetype kNamesPerBucket = 512;
constexpr qsizetype kMaxBuckets = 8192;
// Splitters are every so many entries of a sorted sample, which evens out the bucket sizes.
constexpr qsizetype kOversampling = 4;

// Below this many names for each worker, another thread costs more than it saves.
constexpr qsizetype kMinNamesPerWorker = 16384;
constexpr qsizetype kMaxWorkers = 8;

int workerCount(qsizetype names)
{
    const qsizetype cores = std::max(1u, std::thread::hardware_concurrency());
    return int(std::clamp<qsizetype>(names / kMinNamesPerWorker, 1, std::min(cores, kMaxWorkers)));
}

// Runs job(0) to job(count - 1), each on a thread of its own except job(0), which runs on the calling
// thread; returns when all have ended and rethrows the first exception one of them threw. A job whose
// thread cannot be started runs on the calling thread instead.
// The part [begin, end) of count items that worker `worker` of `workers` takes.
std::pair<qsizetype, qsizetype> share(qsizetype count, int worker, int workers)
{
    return { count * worker / workers, count * (worker + 1) / workers };
}

template<typename Job> void runParallel(int count, const Job &job)
{
    std::vector<std::exception_ptr> errors(static_cast<size_t>(count));
    const auto guarded = [&](int i) {
        try {
            job(i);
        } catch (...) {
            errors[size_t(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(size_t(count));
    for (int i = 1; i < count; ++i) {
        try {
            threads.emplace_back(guarded, i);
        } catch (const std::system_error &) {
            guarded(i);
        }
    }
    guarded(0);
    for (std::thread &thread : threads)
        thread.join();
    for (const std::exception_ptr &error : errors) {
        if (error)
            std::rethrow_exception(error);
    }
}

} // namespace

void SortNames(QStringList &names)
{
    const qsizetype count = names.size();
    if (count < 2)
        return;

    // A sample sort over collation keys, each computed once. Comparing two keys is cheap in itself, but the
    // keys of a large list lie all over memory, so the sort is arranged to touch each key as few times as
    // possible: a name finds its bucket by comparing its key with a few hundred splitter keys that stay in
    // the cache, and each bucket is then small enough to be sorted in the cache. The work is shared out
    // among the processor's cores; the call returns only when the list is sorted.
    const int workers = workerCount(count);
    const QStringList &source = names;
    std::vector<std::vector<QCollatorSortKey>> keys(static_cast<size_t>(workers));
    std::vector<const QCollatorSortKey *> keyOf(static_cast<size_t>(count));
    runParallel(workers, [&](int worker) {
        // A collator prepares itself lazily on first use, so threads do not share one.
        const QCollator collator = nameCollator();
        const auto [begin, end] = share(count, worker, workers);
        std::vector<QCollatorSortKey> &own = keys[size_t(worker)];
        own.reserve(size_t(end - begin));
        for (qsizetype i = begin; i < end; ++i) {
            own.push_back(collator.sortKey(source.at(i)));
            keyOf[size_t(i)] = &own.back();
        }
    });

    // Splitters from an evenly spaced sample. Names equal to a splitter all land in the same bucket.
    const qsizetype bucketCount = std::clamp<qsizetype>(count / kNamesPerBucket, 1, kMaxBuckets);
    std::vector<const QCollatorSortKey *> splitters;
    if (bucketCount > 1) {
        const qsizetype sampleSize = bucketCount * kOversampling;
        std::vector<const QCollatorSortKey *> sample;
        sample.reserve(size_t(sampleSize));
        for (qsizetype i = 0; i < sampleSize; ++i)
            sample.push_back(keyOf[size_t(count * i / sampleSize)]);
        std::sort(sample.begin(), sample.end(), pointedKeyLess);
        for (qsizetype b = 1; b < bucketCount; ++b)
            splitters.push_back(sample[size_t(b * kOversampling)]);
    }

    std::vector<quint32> bucketOf(static_cast<size_t>(count));
    runParallel(workers, [&](int worker) {
        const auto [begin, end] = share(count, worker, workers);
        for (qsizetype i = begin; i < end; ++i) {
            const QCollatorSortKey *key = keyOf[size_t(i)];
            const auto after = std::upper_bound(splitters.begin(), splitters.end(), key, pointedKeyLess);
            bucketOf[size_t(i)] = quint32(after - splitters.begin());
        }
    });

    // Distribute the names into their buckets, keeping the list's order within each.
    std::vector<qsizetype> bucketStart(static_cast<size_t>(bucketCount + 1), 0);
    for (const quint32 bucket : bucketOf)
        ++bucketStart[bucket + 1];
    std::partial_sum(bucketStart.begin(), bucketStart.end(), bucketStart.begin());
    std::vector<KeyedIndex> order(static_cast<size_t>(count));
    {
        std::vector<qsizetype> next(bucketStart.begin(), bucketStart.end() - 1);
        for (qsizetype i = 0; i < count; ++i)
            order[size_t(next[bucketOf[size_t(i)]]++)] = { keyOf[size_t(i)], i };
    }

    runParallel(workers, [&](int worker) {
        // Each worker takes the buckets that start in its share of the list.
        const auto [begin, end] = share(count, worker, workers);
        auto bucket = std::lower_bound(bucketStart.begin(), bucketStart.end() - 1, begin);
        for (; bucket != bucketStart.end() - 1 && *bucket < end; ++bucket)
            std::stable_sort(order.begin() + *bucket, order.begin() + *(bucket + 1), keyLess);
    });

    QStringList sorted;
    sorted.reserve(count);
    for (const KeyedIndex &entry : order)
        sorted.append(std::move(names[entry.Index]));
    names = std::move(sorted);
}

} // namespace namorel
