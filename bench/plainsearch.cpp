// The name search written as a plain, single-threaded C++ program on ICU, the yardstick that Namorel's own
// search is measured against:
//
//   namorel_plainsearch <min> <max> <output prefix or -> <name file>...
//
// It does the same job with the same rules: each file read whole, cut at its first NUL, a UTF-8 byte-order
// mark dropped, read as UTF-8 or else as Windows-1252; CR LF, a lone CR and a lone LF end a line, a line end
// at the very end starts no further line; a line's length is its count of user-perceived characters, lines
// cut at 4096 of them; each line goes to the recommended list when its length lies in [min, max], else to
// the other list; both lists sorted by the user's collation locale with letter case ignored, equal names in
// reading order. The sort is the plain one: one ICU sort key per name, all in one buffer, and a stable sort
// of indices comparing the keys. The lists go to <prefix>.recommended and <prefix>.others (UTF-8, one name a
// line), or nowhere with "-". Prints the counts.

#include <unicode/ubrk.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int32_t kMaxLineLength = 4096;

// One result list: the names as UTF-8 and their sort keys, all in one buffer.
struct List
{
    std::vector<std::string> Names;
    std::vector<size_t> KeyOffsets;
    std::vector<uint8_t> Keys;
};

// The collation locale as POSIX defines it: LC_ALL, then LC_COLLATE, then LANG; C and POSIX sort as English.
std::string collationLocale()
{
    for (const char *variable : { "LC_ALL", "LC_COLLATE", "LANG" }) {
        const char *value = std::getenv(variable);
        if (value && *value) {
            std::string name(value);
            name = name.substr(0, name.find_first_of(".@"));
            if (name == "C" || name == "POSIX")
                break;
            return name;
        }
    }
    return "en_US";
}

std::string readFile(const char *path)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        throw std::runtime_error(std::string("Cannot open file ") + path);
    std::string bytes;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

// Windows-1252 to UTF-8; the five bytes the code page leaves undefined stand for the control characters.
std::string windows1252ToUtf8(const std::string &bytes)
{
    static const char16_t high[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
        0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };
    std::u16string text;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text += code >= 0x80 && code < 0xA0 ? high[code - 0x80] : char16_t(code);
    }
    std::string utf8(text.size() * 3, '\0');
    int32_t size = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(utf8.data(), int32_t(utf8.size()), &size, reinterpret_cast<const UChar *>(text.data()),
        int32_t(text.size()), &status);
    utf8.resize(size_t(size));
    return utf8;
}

class Scanner
{
public:
    Scanner(int minLength, int maxLength)
        : m_min(minLength)
        , m_max(maxLength)
    {
        UErrorCode status = U_ZERO_ERROR;
        m_collator = ucol_open(collationLocale().c_str(), &status);
        ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        m_characters = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
        if (U_FAILURE(status))
            throw std::runtime_error("ICU cannot be set up");
    }
    ~Scanner()
    {
        ubrk_close(m_characters);
        ucol_close(m_collator);
    }

    void scanFile(const char *path)
    {
        std::string bytes = readFile(path);
        bytes.resize(std::strlen(bytes.c_str()));
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        UErrorCode status = U_ZERO_ERROR;
        int32_t units = 0;
        u_strFromUTF8(nullptr, 0, &units, bytes.data(), int32_t(bytes.size()), &status);
        if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
            bytes = windows1252ToUtf8(bytes);

        size_t start = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != '\r' && bytes[i] != '\n')
                continue;
            addLine(bytes.substr(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        if (start < bytes.size())
            addLine(bytes.substr(start));
    }

    long scanned() const { return m_scanned; }
    List &recommended() { return m_recommended; }
    List &others() { return m_others; }

private:
    void addLine(std::string line)
    {
        UErrorCode status = U_ZERO_ERROR;
        int32_t units = 0;
        m_utf16.resize(line.size() + 1);
        u_strFromUTF8(m_utf16.data(), int32_t(m_utf16.size()), &units, line.data(), int32_t(line.size()), &status);
        const int32_t total = units;

        // Below U+0300 every code unit is a character of its own.
        int32_t length = 0;
        if (std::all_of(m_utf16.begin(), m_utf16.begin() + units, [](UChar c) { return c < 0x300; })) {
            length = std::min(units, kMaxLineLength);
            units = length;
        } else {
            ubrk_setText(m_characters, m_utf16.data(), units, &status);
            int32_t end = units;
            for (int32_t at = ubrk_next(m_characters); at != UBRK_DONE; at = ubrk_next(m_characters)) {
                if (++length == kMaxLineLength) {
                    end = at;
                    break;
                }
            }
            units = end;
        }
        if (units < total) {
            // Cut: the name is the UTF-8 of the characters kept.
            std::string cut(size_t(units) * 3, '\0');
            int32_t size = 0;
            u_strToUTF8(cut.data(), int32_t(cut.size()), &size, m_utf16.data(), units, &status);
            cut.resize(size_t(size));
            line = std::move(cut);
        }

        ++m_scanned;
        List &list = length >= m_min && length <= m_max ? m_recommended : m_others;
        list.Names.push_back(std::move(line));
        list.KeyOffsets.push_back(list.Keys.size());
        int32_t size = ucol_getSortKey(m_collator, m_utf16.data(), units, m_key.data(), int32_t(m_key.size()));
        if (size > int32_t(m_key.size())) {
            m_key.resize(size_t(size));
            size = ucol_getSortKey(m_collator, m_utf16.data(), units, m_key.data(), size);
        }
        list.Keys.insert(list.Keys.end(), m_key.begin(), m_key.begin() + size);
    }

    int m_min;
    int m_max;
    UCollator *m_collator = nullptr;
    UBreakIterator *m_characters = nullptr;
    std::vector<UChar> m_utf16;
    std::vector<uint8_t> m_key = std::vector<uint8_t>(256);
    long m_scanned = 0;
    List m_recommended;
    List m_others;
};

// Sorts the list and writes it to the path, or nowhere when the path is empty; returns the number of names.
size_t sortAndWrite(List &list, const std::string &path)
{
    std::vector<uint32_t> order(list.Names.size());
    std::iota(order.begin(), order.end(), 0u);
    const auto *keys = reinterpret_cast<const char *>(list.Keys.data());
    std::stable_sort(order.begin(), order.end(),
        [&](uint32_t a, uint32_t b) { return std::strcmp(keys + list.KeyOffsets[a], keys + list.KeyOffsets[b]) < 0; });
    if (path.empty())
        return order.size();
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot write " + path);
    for (const uint32_t index : order) {
        std::fwrite(list.Names[index].data(), 1, list.Names[index].size(), out);
        std::fputc('\n', out);
    }
    std::fclose(out);
    return order.size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fputs("usage: namorel_plainsearch <min> <max> <output prefix or -> <name file>...\n", stderr);
        return 2;
    }
    try {
        Scanner scanner(std::atoi(argv[1]), std::atoi(argv[2]));
        for (int i = 4; i < argc; ++i)
            scanner.scanFile(argv[i]);
        const std::string prefix = argv[3];
        const bool write = prefix != "-";
        const size_t recommended = sortAndWrite(scanner.recommended(), write ? prefix + ".recommended" : "");
        const size_t others = sortAndWrite(scanner.others(), write ? prefix + ".others" : "");
        std::printf("scanned=%ld recommended=%zu not_recommended=%zu\n", scanner.scanned(), recommended, others);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "namorel_plainsearch: %s\n", error.what());
        return 1;
    }
    return 0;
}
