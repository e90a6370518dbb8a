// The name-file reader: bytes to text, lines and lengths, and the scan of such a file with small limits.

#include "fuzzcheck.h"
#include "namefile_p.h"
#include "namesearch.h"

#include <QFile>

#include <cstdint>

using namespace namorel;

namespace {

bool isWholeUtf16(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && !(i + 1 < text.size() && text[i + 1].isLowSurrogate()))
            return false;
        if (text[i].isLowSurrogate() && !(i > 0 && text[i - 1].isHighSurrogate()))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    // Short cuts, to reach the cutting with small inputs, and now and then the real one.
    const qsizetype maxLength = size % 4 == 0 ? 4096 : qsizetype(size % 23) + 1;

    const QString text = DecodeNameText(bytes);
    NAMOREL_FUZZ_CHECK(isWholeUtf16(text));
    const std::vector<NameLine> lines = SplitNameLines(text, maxLength);
    NAMOREL_FUZZ_CHECK(CountNameLines(text) == qsizetype(lines.size()));
    qsizetype kept = 0;
    for (const NameLine &line : lines) {
        NAMOREL_FUZZ_CHECK(!line.Text.contains(u'\r') && !line.Text.contains(u'\n'));
        NAMOREL_FUZZ_CHECK(isWholeUtf16(line.Text));
        NAMOREL_FUZZ_CHECK(line.Length >= 0 && line.Length <= maxLength && line.Length <= line.Text.size());
        NAMOREL_FUZZ_CHECK(NameLength(line.Text) == line.Length);
        kept += line.Text.size();
    }
    NAMOREL_FUZZ_CHECK(kept <= text.size());

    // The scan of the same bytes as a file, read twice, with limits that the input can reach.
    if (!FuzzScratchFolder().isValid())
        return 0;
    const QString path = FuzzScratchFolder().filePath(QStringLiteral("fuzzg.nam"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), bytes.size()) != bytes.size())
        return 0;
    file.close();
    ScanLimits limits;
    limits.MaxFileBytes = 2048;
    limits.MaxLines = 64;
    limits.MaxChars = 1024;
    const ScopedScanLimits scoped(limits);
    const qint32 minLength = size > 0 ? data[0] % 8 : 1;
    const qint32 maxRecommended = size > 1 ? data[1] % 24 : 20;
    SearchResult result;
    try {
        ScanFiles({ path, path }, minLength, maxRecommended, result);
        NAMOREL_FUZZ_CHECK(result.ScannedCount == 2 * qint32(lines.size()));
        NAMOREL_FUZZ_CHECK(result.Recommended.size() + result.NotRecommended.size() == result.ScannedCount);
        for (const QString &name : result.Recommended) {
            const qsizetype length = NameLength(name);
            NAMOREL_FUZZ_CHECK(length >= minLength && length <= maxRecommended);
        }
    } catch (const SearchError &error) {
        NAMOREL_FUZZ_CHECK(error.message() == QStringLiteral("Unable to insert a line")
            || error.message() == QStringLiteral("Text exceeds memo capacity"));
        // A failure keeps the files read before the failing one, whole: here none or the first.
        NAMOREL_FUZZ_CHECK(result.ScannedCount == 0 || result.ScannedCount == qint32(lines.size()));
        NAMOREL_FUZZ_CHECK(result.Recommended.size() + result.NotRecommended.size() == result.ScannedCount);
    }
    return 0;
}
