#include "namefile_p.h"
#include "namesearch.h"

#include <unicode/ucol.h>

#include <QLocale>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace namorel {

namespace {

// How the names are compared: the collation locale's rules, letter case ignored (secondary strength: base
// letters first, then accents), digits read one by one, punctuation and spaces counted as characters.
struct CollatorDeleter
{
    void operator()(UCollator *collator) const { ucol_close(collator); }
};
using Collator = std::unique_ptr<UCollator, CollatorDeleter>;

Collator openCollator(const QByteArray &localeName)
{
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open(localeName.constData(), &status));
    if (U_FAILURE(status)) {
        // Only a broken installation lacks the rules of the root locale, and only memory pressure fails here.
        status = U_ZERO_ERROR;
        collator.reset(ucol_open("", &status));
        if (U_FAILURE(status))
            throw std::bad_alloc();
    }
    ucol_setAttribute(collator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator.get(), UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status))
        throw std::bad_alloc();
    return collator;
}

QByteArray collatorLocaleName()
{
    return CollationLocale().bcp47Name().replace(u'-', u'_').toLatin1();
}

// The sort works on one small record per name. A collation key is a string of non-zero bytes ended by a
// zero byte, and two keys compare as their bytes do. The first eight bytes are kept in the record itself as
// a big-endian number, so that most comparisons touch nothing else; whatever follows them lies in a byte
// buffer of the worker that made the key. Equal keys are ordered by the name's place in the list, which
// keeps equal names in reading order.
struct KeyRecord
{
    quint64 Prefix;
    quint32 Index;
    quint32 Rest; // offset of the key's bytes after the prefix in its worker's buffer
};
static_assert(sizeof(KeyRecord) == 16);

constexpr qsizetype kPrefixBytes = sizeof(quint64);

// A byte buffer that grows in place where it can (realloc), so a large one is not copied as it grows.
class ByteBuffer
{
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;
    ~ByteBuffer() { std::free(m_data); }

    const char *data() const { return m_data; }
    size_t size() const { return m_size; }

    void append(const uint8_t *bytes, size_t count)
    {
        if (m_size + count > m_capacity) {
            const size_t capacity = std::max({ size_t(4096), m_capacity * 2, m_size + count });
            void *grown = std::realloc(m_data, capacity);
            if (!grown)
                throw std::bad_alloc();
            m_data = static_cast<char *>(grown);
            m_capacity = capacity;
        }
        std::memcpy(m_data + m_size, bytes, count);
        m_size += count;
    }

    void release()
    {
        std::free(m_data);
        m_data = nullptr;
        m_size = m_capacity = 0;
    }

private:
    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Keys below this size are made in a buffer on the stack.
constexpr int32_t kScratchBytes = 256;

void makeKeys(const QStringList &names, qsizetype begin, qsizetype end, const QByteArray &localeName,
    KeyRecord *records, ByteBuffer &rest)
{
    const Collator collator = openCollator(localeName);
    uint8_t scratch[kScratchBytes];
    std::vector<uint8_t> large;
    for (qsizetype i = begin; i < end; ++i) {
        const QString &name = names.at(i);
        const auto *text = reinterpret_cast<const UChar *>(name.constData());
        const auto length = int32_t(std::min<qsizetype>(name.size(), std::numeric_limits<int32_t>::max()));
        uint8_t *key = scratch;
        int32_t size = ucol_getSortKey(collator.get(), text, length, key, kScratchBytes);
        if (size > kScratchBytes) {
            large.resize(size_t(size));
            key = large.data();
            size = ucol_getSortKey(collator.get(), text, length, key, size);
        }
        quint64 prefix = 0;
        for (qsizetype b = 0; b < kPrefixBytes; ++b)
            prefix = (prefix << 8) | (b < size ? key[b] : 0);
        KeyRecord &record = records[i - begin];
        record.Prefix = prefix;
        record.Index = quint32(i);
        record.Rest = 0;
        if (size > kPrefixBytes) {
            if (rest.size() + size_t(size) > std::numeric_limits<quint32>::max())
                throw std::bad_alloc();
            record.Rest = quint32(rest.size());
            rest.append(key + kPrefixBytes, size_t(size - kPrefixBytes));
        }
    }
}

// Orders two records whose key bytes after the prefix lie in restA and restB.
inline bool recordLess(const KeyRecord &a, const char *restA, const KeyRecord &b, const char *restB)
{
    if (a.Prefix != b.Prefix)
        return a.Prefix < b.Prefix;
    // A zero last byte means the zero that ends the key lies within the prefix: the keys are equal.
    if ((a.Prefix & 0xFF) != 0) {
        if (const int order = std::strcmp(restA + a.Rest, restB + b.Rest))
            return order < 0;
    }
    return a.Index < b.Index;
}

// Below this many names for each worker, another thread costs more than it saves.
constexpr qsizetype kMinNamesPerWorker = 16384;
constexpr int kMaxWorkers = 8;

int workerCount(qsizetype names)
{
    const qsizetype cores = std::max(1u, std::thread::hardware_concurrency());
    return int(std::clamp<qsizetype>(names / kMinNamesPerWorker, 1, std::min<qsizetype>(cores, kMaxWorkers)));
}

// Runs job(0) to job(count - 1), each on a thread of its own except job(0), which runs on the calling
// thread; returns when all have ended and rethrows the first exception one of them threw. A job whose
// thread cannot be started runs on the calling thread instead.
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

// Where the sorted list takes each name from: order[k] is the place in the unsorted list of the name that
// comes k-th. Each worker makes the keys of one share of the list and sorts its share; the sorted shares
// are then merged.
std::vector<quint32> sortedOrder(const QStringList &names)
{
    const qsizetype count = names.size();
    const int workers = workerCount(count);
    const QByteArray localeName = collatorLocaleName();

    std::vector<qsizetype> start(size_t(workers) + 1);
    for (int w = 0; w <= workers; ++w)
        start[size_t(w)] = count * w / workers;
    std::unique_ptr<KeyRecord[]> records(new KeyRecord[size_t(count)]);
    std::vector<ByteBuffer> rest(static_cast<size_t>(workers));
    runParallel(workers, [&](int w) {
        KeyRecord *first = records.get() + start[size_t(w)];
        KeyRecord *last = records.get() + start[size_t(w) + 1];
        makeKeys(names, start[size_t(w)], start[size_t(w) + 1], localeName, first, rest[size_t(w)]);
        const char *base = rest[size_t(w)].data();
        std::sort(first, last, [base](const KeyRecord &a, const KeyRecord &b) { return recordLess(a, base, b, base); });
    });

    // Each step takes the least of the shares' first records; there are few shares.
    std::vector<quint32> order(static_cast<size_t>(count));
    std::vector<const KeyRecord *> next(static_cast<size_t>(workers));
    std::vector<const KeyRecord *> end(static_cast<size_t>(workers));
    for (int w = 0; w < workers; ++w) {
        next[size_t(w)] = records.get() + start[size_t(w)];
        end[size_t(w)] = records.get() + start[size_t(w) + 1];
    }
    for (quint32 &slot : order) {
        int least = -1;
        for (int w = 0; w < workers; ++w) {
            if (next[size_t(w)] == end[size_t(w)])
                continue;
            if (least < 0
                || recordLess(
                    *next[size_t(w)], rest[size_t(w)].data(), *next[size_t(least)], rest[size_t(least)].data()))
                least = w;
        }
        slot = next[size_t(least)]->Index;
        ++next[size_t(least)];
    }
    return order;
}

// Puts the names into the given order in place, moving each name once.
void applyOrder(QStringList &names, std::vector<quint32> &order)
{
    QString *data = names.data();
    const size_t count = order.size();
    for (size_t k = 0; k < count; ++k) {
        if (order[k] == k)
            continue;
        // Follow the cycle that starts here, marking each place as done.
        QString held = std::move(data[k]);
        size_t to = k;
        for (;;) {
            const size_t from = order[to];
            order[to] = quint32(to);
            if (from == k) {
                data[to] = std::move(held);
                break;
            }
            data[to] = std::move(data[from]);
            to = from;
        }
    }
}

} // namespace

QLocale CollationLocale()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // The POSIX order of precedence for the collation category; an empty variable counts as unset.
    QLocale locale = QLocale::c();
    for (const char *variable : { "LC_ALL", "LC_COLLATE", "LANG" }) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) {
            locale = QLocale(name);
            break;
        }
    }
#else
    // Windows and macOS keep the collation with the rest of the user's regional settings.
    QLocale locale = QLocale::system();
#endif
    // The C locale collates code point by code point and knows no letter case, so a user without a
    // language preference gets plain English alphabetical order instead.
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

void SortNames(QStringList &names)
{
    if (names.size() < 2)
        return;
    if (names.size() > qsizetype(std::numeric_limits<quint32>::max()))
        throw std::bad_alloc();
    // The keys and records are gone before the names move, so the two never add up.
    std::vector<quint32> order = sortedOrder(names);
    applyOrder(names, order);
}

} // namespace namorel
