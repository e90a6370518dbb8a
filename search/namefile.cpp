#include "datafile.h"
#include "namefile_p.h"
#include "namesearch.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>

#include <unicode/ubrk.h>

#if defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace namorel {

namespace {

// What one line costs at least once it is listed and sorted (the text's block, its place in a list, its sort key
// and the sort's bookkeeping; about 210 bytes measured for a one-letter line), and what each of its characters
// adds (two bytes of text and a few of sort key; about 5 measured). Rounded up.
constexpr qint64 kBytesPerLine = 256;
constexpr qint64 kBytesPerChar = 8;
// While a file is read, its bytes and its decoded text are held together with the lines made of it.
constexpr qint64 kFileCopiesHeld = 4;
constexpr qint64 kMaxMemoryBudget = qint64(4) * 1024 * 1024 * 1024;
// When the machine does not say how much memory it has.
constexpr qint64 kUnknownMemoryBudget = qint64(1) * 1024 * 1024 * 1024;

qint64 physicalMemory()
{
#if defined(Q_OS_WIN)
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? qint64(qMin<quint64>(status.ullTotalPhys, quint64(LLONG_MAX))) : 0;
#elif defined(Q_OS_UNIX)
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 && pages <= LLONG_MAX / pageSize ? qint64(pages) * pageSize : 0;
#else
    return 0;
#endif
}

struct BreakIteratorCloser
{
    void operator()(UBreakIterator *iterator) const { ubrk_close(iterator); }
};

// ICU's rules for user-perceived characters (extended grapheme clusters). Qt's own finder splits some of them,
// such as an emoji followed by a Devanagari, Thai or Bengali letter, into UTF-16 code units. One iterator per
// thread, made once: making one costs far more than measuring a name.
UBreakIterator *characterBreaks()
{
    thread_local const std::unique_ptr<UBreakIterator, BreakIteratorCloser> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UBreakIterator, BreakIteratorCloser> made(ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return iterator.get();
}

ScanLimits &limitsInForce()
{
    static ScanLimits limits = ScanLimits::forMemoryBudget(SearchMemoryBudget());
    return limits;
}

// Code points of the bytes 0x80 to 0x9F in Windows-1252; the five bytes the code page leaves undefined
// map to the control character of the same number, as Windows itself maps them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        *out++ = QChar(code >= 0x80 && code < 0xA0 ? kWindows1252High[code - 0x80] : char16_t(code));
    }
    return text;
}

// Below U+0300 every code point is a grapheme cluster of its own: combining marks, joiners, surrogates,
// Hangul jamo and the other characters that join clusters all lie above it. CR and LF never occur
// inside a line.
constexpr char16_t kFirstJoiningCodePoint = 0x0300;

struct Measure
{
    qsizetype Length; // in grapheme clusters, at most maxLength
    qsizetype CutAt; // code units kept
};

// Counts the grapheme clusters of a line, up to maxLength, and where the line is cut after the last of
// them. A simple line (nothing at or above kFirstJoiningCodePoint) has one cluster per code unit.
Measure measure(QStringView line, bool simple, qsizetype maxLength)
{
    if (simple) {
        const qsizetype kept = qMin(line.size(), maxLength);
        return { kept, kept };
    }
    const Graphemes kept = LeadingGraphemes(line, maxLength);
    return { kept.Count, kept.End };
}

NameLine makeLine(QStringView line, bool simple, qsizetype maxLength)
{
    const Measure measured = measure(line, simple, maxLength);
    return { line.first(measured.CutAt).toString(), measured.Length };
}

} // namespace

Graphemes LeadingGraphemes(QStringView text, qsizetype maxCount)
{
    Graphemes result;
    if (maxCount <= 0 || text.isEmpty())
        return result;
    UBreakIterator *breaks = characterBreaks();
    UErrorCode status = U_ZERO_ERROR;
    if (breaks && text.size() <= std::numeric_limits<int32_t>::max())
        ubrk_setText(breaks, text.utf16(), int32_t(text.size()), &status);
    if (!breaks || text.size() > std::numeric_limits<int32_t>::max() || U_FAILURE(status)) {
        // Without ICU's rules, each character is one, a surrogate pair included.
        qsizetype i = 0;
        for (; i < text.size() && result.Count < maxCount; ++result.Count)
            i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        result.End = i;
        return result;
    }
    for (int32_t end = ubrk_next(breaks); end != UBRK_DONE; end = ubrk_next(breaks)) {
        result.End = end;
        if (++result.Count == maxCount)
            break;
    }
    return result;
}

ScanLimits ScanLimits::forMemoryBudget(qint64 memoryBudget)
{
    ScanLimits limits;
    const qint64 budget = qMax<qint64>(memoryBudget, 0);
    limits.MaxFileBytes = qMin(limits.MaxFileBytes, budget / kFileCopiesHeld);
    limits.MaxLines = qMin(limits.MaxLines, budget / kBytesPerLine);
    limits.MaxChars = budget / kBytesPerChar;
    return limits;
}

qint64 SearchMemoryBudget()
{
    const qint64 memory = physicalMemory();
    return memory > 0 ? qMin(memory / 4, kMaxMemoryBudget) : kUnknownMemoryBudget;
}

ScanLimits CurrentScanLimits()
{
    return limitsInForce();
}

void SetScanLimits(const ScanLimits &limits)
{
    limitsInForce() = limits;
}

ScopedScanLimits::ScopedScanLimits(const ScanLimits &limits)
    : m_previous(limitsInForce())
{
    limitsInForce() = limits;
}

ScopedScanLimits::~ScopedScanLimits()
{
    limitsInForce() = m_previous;
}

QByteArray ReadNameFile(const QString &path, qint64 maxBytes)
{
    try {
        return ReadDataFile(path, maxBytes);
    } catch (const DataFileError &error) {
        throw SearchError(error);
    }
}

qint64 MaxNameFileBytes()
{
    return limitsInForce().MaxFileBytes;
}

QStringList ReadNameFileLines(const QString &path)
{
    const ScanLimits limits = CurrentScanLimits();
    std::vector<NameLine> lines
        = SplitNameLines(DecodeNameText(ReadNameFile(path, limits.MaxFileBytes)), limits.MaxLineLength);
    QStringList texts;
    texts.reserve(qsizetype(lines.size()));
    for (NameLine &line : lines)
        texts.append(std::move(line.Text));
    return texts;
}

QString DecodeNameText(QByteArrayView bytes)
{
    if (const void *nul = bytes.isEmpty() ? nullptr : std::memchr(bytes.data(), 0, size_t(bytes.size())))
        bytes = bytes.first(static_cast<const char *>(nul) - bytes.data());
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);

    // Only the first byte-order mark marks the encoding; another one right after it is text.
    QStringDecoder utf8(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes);
}

qsizetype CountNameLines(QStringView text)
{
    qsizetype lines = 0;
    bool open = false; // characters since the last line end
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            ++lines;
            open = false;
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
                ++i;
        } else {
            open = true;
        }
    }
    return lines + (open ? 1 : 0);
}

std::vector<NameLine> SplitNameLines(const QString &text, qsizetype maxLength)
{
    std::vector<NameLine> lines;
    const auto *chars = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    qsizetype start = 0;
    bool simple = true;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = chars[i];
        if (c != u'\r' && c != u'\n') {
            simple = simple && c < kFirstJoiningCodePoint;
            continue;
        }
        lines.push_back(makeLine(QStringView(chars + start, i - start), simple, maxLength));
        if (c == u'\r' && i + 1 < size && chars[i + 1] == u'\n')
            ++i;
        start = i + 1;
        simple = true;
    }
    // A line end at the very end starts no further line.
    if (start < size)
        lines.push_back(makeLine(QStringView(chars + start, size - start), simple, maxLength));
    return lines;
}

qsizetype NameLength(QStringView name)
{
    const bool simple = std::all_of(name.begin(), name.end(), [](QChar c) { return c < kFirstJoiningCodePoint; });
    return measure(name, simple, name.size()).Length;
}

} // namespace namorel
