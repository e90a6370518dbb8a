#include "namefile_p.h"
#include "namesearch.h"
#include "parallel.h"

#include <unicode/ucol.h>

#include <QLocale>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
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

private:
    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Keys below this size are made in a buffer on the stack.
constexpr int32_t kScratchBytes = 256;

// Below U+0300 no character's decomposition begins with a combining mark, so text made only of such
// characters is already in the form that the collator would otherwise bring it into first (FCD); for it, a
// collator that skips that step makes the same keys, faster.
constexpr char16_t kFirstCombiningMark = 0x0300;

bool needsNormalizing(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= kFirstCombiningMark; });
}

// The collators of one worker: one that brings the text into canonical form first, and one that need not.
struct WorkerCollators
{
    Collator Normalizing;
    Collator Plain;
};

WorkerCollators openCollators(const QByteArray &localeName)
{
    WorkerCollators collators { openCollator(localeName), openCollator(localeName) };
    UErrorCode status = U_ZERO_ERROR;
    ucol_setAttribute(collators.Plain.get(), UCOL_NORMALIZATION_MODE, UCOL_OFF, &status);
    if (U_FAILURE(status))
        collators.Plain = openCollator(localeName);
    return collators;
}

// Makes the records of the names [begin, end), the bytes of long keys going to the end of rest.
void makeKeys(const WorkerCollators &collators, const QStringList &names, qsizetype begin, qsizetype end,
    KeyRecord *records, ByteBuffer &rest)
{
    uint8_t scratch[kScratchBytes];
    std::vector<uint8_t> large;
    for (qsizetype i = begin; i < end; ++i) {
        const QString &name = names.at(i);
        const UCollator *collator = needsNormalizing(name) ? collators.Normalizing.get() : collators.Plain.get();
        const auto *text = reinterpret_cast<const UChar *>(name.constData());
        const auto length = int32_t(std::min<qsizetype>(name.size(), std::numeric_limits<int32_t>::max()));
        uint8_t *key = scratch;
        int32_t size = ucol_getSortKey(collator, text, length, key, kScratchBytes);
        if (size > kScratchBytes) {
            large.resize(size_t(size));
            key = large.data();
            size = ucol_getSortKey(collator, text, length, key, size);
        }
        quint64 prefix = 0;
        for (qsizetype b = 0; b < kPrefixBytes; ++b)
            prefix = (prefix << 8) | (b < size ? key[b] : 0);
        KeyRecord &record = records[i];
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

// The names are handed out to the workers in chunks of this many, as each worker is ready for more, so that
// a worker that gets no processor time (the machine busy with other work) holds up nobody.
constexpr int kChunkShift = 12;
constexpr qsizetype kChunkNames = qsizetype(1) << kChunkShift;

// Below this many names a second thread saves a few milliseconds at best, and costs more than that when the
// machine is busy and the thread is slow to start; from here on a late thread holds up little.
constexpr qsizetype kMinNamesForThreads = 16 * kChunkNames;
constexpr int kMaxWorkers = 8;

int workerCount(qsizetype names)
{
    if (names < kMinNamesForThreads)
        return 1;
    const qsizetype cores = std::max(1u, std::thread::hardware_concurrency());
    const qsizetype chunks = (names + kChunkNames - 1) / kChunkNames;
    return int(std::min({ cores, chunks, qsizetype(kMaxWorkers) }));
}

// The records of all names, sorted. The keys are made on the processor's cores; the sort, a small part of
// the work once the keys are made, runs on one.
std::unique_ptr<KeyRecord[]> sortedRecords(const QStringList &names)
{
    const qsizetype count = names.size();
    const int workers = workerCount(count);
    const QByteArray localeName = collatorLocaleName();
    const size_t chunks = size_t((count + kChunkNames - 1) / kChunkNames);

    std::unique_ptr<KeyRecord[]> records(new KeyRecord[size_t(count)]);
    std::vector<ByteBuffer> rest(static_cast<size_t>(workers));
    std::vector<int> madeBy(chunks);
    std::atomic<size_t> nextChunk { 0 };
    RunParallel(workers, [&](int worker) {
        // A collator keeps working state, so each worker has its own.
        const WorkerCollators collators = openCollators(localeName);
        for (size_t chunk = nextChunk++; chunk < chunks; chunk = nextChunk++) {
            const qsizetype begin = qsizetype(chunk) * kChunkNames;
            makeKeys(
                collators, names, begin, std::min(begin + kChunkNames, count), records.get(), rest[size_t(worker)]);
            madeBy[chunk] = worker;
        }
    });

    // The buffers no longer grow: each chunk's key bytes can be found from the name's place.
    std::vector<const char *> restOfChunk(chunks);
    for (size_t chunk = 0; chunk < chunks; ++chunk)
        restOfChunk[chunk] = rest[size_t(madeBy[chunk])].data();
    std::sort(records.get(), records.get() + count, [&](const KeyRecord &a, const KeyRecord &b) {
        if (a.Prefix != b.Prefix)
            return a.Prefix < b.Prefix;
        // A zero last byte means that the zero ending the key lies within the prefix: the keys are equal.
        if ((a.Prefix & 0xFF) != 0) {
            const char *restA = restOfChunk[a.Index >> kChunkShift] + a.Rest;
            const char *restB = restOfChunk[b.Index >> kChunkShift] + b.Rest;
            if (const int order = std::strcmp(restA, restB))
                return order < 0;
        }
        return a.Index < b.Index;
    });
    return records;
}

// Puts the names into the order of the sorted records in place, moving each name once. The records'
// indices are used up on the way.
void applyOrder(QStringList &names, KeyRecord *records)
{
    QString *data = names.data();
    const size_t count = size_t(names.size());
    for (size_t k = 0; k < count; ++k) {
        if (records[k].Index == k)
            continue;
        // Follow the cycle that starts here, marking each place as done.
        QString held = std::move(data[k]);
        size_t to = k;
        for (;;) {
            const size_t from = records[to].Index;
            records[to].Index = quint32(to);
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
    // The key bytes are gone before the names move; the records go with the end of the sort.
    const std::unique_ptr<KeyRecord[]> records = sortedRecords(names);
    applyOrder(names, records.get());
}

} // namespace namorel
