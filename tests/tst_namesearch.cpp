#include "namefile_p.h"
#include "namesearch.h"
#include "testfiles.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace namorel;
using namespace namorel::testing;
using namespace Qt::StringLiterals;

// ---- Allocations that fail on purpose ----
// Every allocation through operator new in this program goes through here. Armed, it fails the allocation after
// the given number of others, or any allocation larger than the given size, so that the tests can see what a
// search does when memory runs out at any one point.

namespace {

std::atomic<qint64> g_allocationsBeforeFailure { -1 }; // -1: none fails by count
std::atomic<std::size_t> g_largestAllocation { 0 }; // 0: none fails by size

void *allocate(std::size_t size)
{
    const std::size_t largest = g_largestAllocation.load(std::memory_order_relaxed);
    if ((largest != 0 && size > largest)
        || (g_allocationsBeforeFailure.load(std::memory_order_relaxed) >= 0
            && g_allocationsBeforeFailure.fetch_sub(1, std::memory_order_relaxed) == 0))
        throw std::bad_alloc();
    if (void *memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void *allocate(std::size_t size, const std::nothrow_t &) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

// Arms the failure for as long as it lives.
class FailingAllocations
{
public:
    FailingAllocations(qint64 before, std::size_t largest)
    {
        g_largestAllocation = largest;
        g_allocationsBeforeFailure = before;
    }
    ~FailingAllocations() { disarm(); }
    FailingAllocations(const FailingAllocations &) = delete;
    FailingAllocations &operator=(const FailingAllocations &) = delete;

    /// Disarms it; returns whether the count ran out, that is, an allocation was failed by count.
    static bool disarm()
    {
        g_largestAllocation = 0;
        return g_allocationsBeforeFailure.exchange(-1) == -1;
    }
};

} // namespace

void *operator new(std::size_t size)
{
    return allocate(size);
}

void *operator new[](std::size_t size)
{
    return allocate(size);
}

void *operator new(std::size_t size, const std::nothrow_t &tag) noexcept
{
    return allocate(size, tag);
}

void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return allocate(size, tag);
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, const std::nothrow_t &) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory, const std::nothrow_t &) noexcept
{
    std::free(memory);
}

namespace {

QStringList L(std::initializer_list<const char16_t *> items)
{
    QStringList list;
    for (const char16_t *item : items)
        list.append(QStringView(item).toString());
    return list;
}

QStringList linesOf(const QByteArray &bytes, qsizetype maxLength = 4096)
{
    QStringList lines;
    for (const NameLine &line : SplitNameLines(DecodeNameText(bytes), maxLength))
        lines.append(line.Text);
    return lines;
}

// A program folder with a database folder of name files in a temporary directory.
class Database
{
public:
    Database()
    {
        QVERIFY(m_dir.isValid());
        m_programFolder = m_dir.path() + QStringLiteral("/Prögram Folder/");
        QVERIFY(QDir().mkpath(m_programFolder + QStringLiteral("database")));
    }

    QString programFolder() const { return m_programFolder; }
    QString path(const QString &fileName) const { return m_programFolder + QStringLiteral("database/") + fileName; }

    QString write(const QString &fileName, const QByteArray &bytes) const
    {
        QFile file(path(fileName));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write a test name file");
        return file.fileName();
    }

private:
    QTemporaryDir m_dir;
    QString m_programFolder;
};

// Sets locale variables for as long as it lives; an empty value unsets the variable.
class CollationSetting
{
public:
    explicit CollationSetting(std::initializer_list<std::pair<const char *, QByteArray>> values)
    {
        for (const char *name : { "LC_ALL", "LC_COLLATE", "LC_MESSAGES", "LANG" })
            m_saved.push_back({ name, qgetenv(name), qEnvironmentVariableIsSet(name) });
        for (const char *name : { "LC_ALL", "LC_COLLATE", "LC_MESSAGES", "LANG" })
            qunsetenv(name);
        for (const auto &[name, value] : values) {
            if (!value.isNull())
                qputenv(name, value);
        }
    }
    ~CollationSetting()
    {
        for (const Saved &saved : m_saved) {
            if (saved.WasSet)
                qputenv(saved.Name, saved.Value);
            else
                qunsetenv(saved.Name);
        }
    }
    CollationSetting(const CollationSetting &) = delete;
    CollationSetting &operator=(const CollationSetting &) = delete;

private:
    struct Saved
    {
        const char *Name;
        QByteArray Value;
        bool WasSet;
    };
    std::vector<Saved> m_saved;
};

} // namespace

class TestNameSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void originTableHasFortyOneOriginsInItsOwnOrder();
    void everyOriginAndGenderHasItsOwnFile();
    void nameFilePath_data();
    void nameFilePath();
    void buildFileList_data();
    void buildFileList();

    void lines_data();
    void lines();
    void longLinesAreCut_data();
    void longLinesAreCut();
    void nameLength_data();
    void nameLength();

    void classification_data();
    void classification();
    void countsEveryLineAndKeepsDuplicates();
    void newSearchReplacesTheOldResults();
    void noOriginReadsNothing();
    void searchReadsTheFilesOfTheQuery();
    void resultsAreSortedWithoutRegardToCase();

    void failures_data();
    void failures();
    void failureKeepsTheFilesReadBefore();
    void fileGrowingPastTheLimitIsRefused();
    void lineLimitIsExactlyTheLastLineAllowed();
    void memoryBudget_data();
    void memoryBudget();
    void linesAreCountedBeforeTheyAreMade();
    void runningOutOfMemoryAnywhereEndsWithOwnMessage();

    void sortOrder_data();
    void sortOrder();
    void orderFollowsTheCollationSetting_data();
    void orderFollowsTheCollationSetting();
    void sortMatchesAPlainReferenceSort_data();
    void sortMatchesAPlainReferenceSort();

    void summaryText_data();
    void summaryText();
    void signature_data();
    void signature();
    void initials_data();
    void initials();
};

void TestNameSearch::initTestCase()
{
    // The order of names follows the collation setting; the tests fix it.
    qputenv("LC_ALL", "en_US.UTF-8");
}

void TestNameSearch::init()
{
    SetScanLimits(ScanLimits());
}

void TestNameSearch::originTableHasFortyOneOriginsInItsOwnOrder()
{
    const QStringList &table = OriginTable();
    QCOMPARE(table.size(), 41);
    QCOMPARE(table.first(), u"African"_s);
    QCOMPARE(table.indexOf(u"Arthurian Legand"_s), 4);
    // Not alphabetical: "Popular" stands between "Latin" and "Native American".
    QCOMPARE(table.indexOf(u"Latin"_s), 25);
    QCOMPARE(table.indexOf(u"Popular"_s), 26);
    QCOMPARE(table.indexOf(u"Native American"_s), 27);
    QCOMPARE(table.last(), u"Welsh"_s);
    QCOMPARE(&OriginTable(), &table);
}

void TestNameSearch::everyOriginAndGenderHasItsOwnFile()
{
    QSet<QString> paths;
    for (const QString &origin : OriginTable()) {
        QVERIFY2(origin.size() >= 5, qPrintable(origin));
        paths.insert(NameFilePath(QString(), origin, 0));
        paths.insert(NameFilePath(QString(), origin, 1));
    }
    QCOMPARE(paths.size(), 82);
}

void TestNameSearch::nameFilePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("origin");
    QTest::addColumn<qint32>("gender");
    QTest::addColumn<QString>("expected");

    QTest::newRow("female is g") << u"/opt/namorel/"_s << u"Celtic"_s << 0 << u"/opt/namorel/database/celtig.nam"_s;
    QTest::newRow("male is b") << u"/opt/namorel/"_s << u"Celtic"_s << 1 << u"/opt/namorel/database/celtib.nam"_s;
    QTest::newRow("no gender chosen is b") << u"/p/"_s << u"Welsh"_s << -1 << u"/p/database/welshb.nam"_s;
    QTest::newRow("any other gender is b") << u"/p/"_s << u"Welsh"_s << 7 << u"/p/database/welshb.nam"_s;
    QTest::newRow("code cut from a mixed-case name") << u"/p/"_s << u"AfroUSA"_s << 0 << u"/p/database/afroug.nam"_s;
    QTest::newRow("code cut before a space") << u"/p/"_s << u"Native American"_s << 1 << u"/p/database/nativb.nam"_s;
    QTest::newRow("code cut before a hyphen") << u"/p/"_s << u"Anglo-Saxon"_s << 0 << u"/p/database/anglog.nam"_s;
    QTest::newRow("program folder keeps its case")
        << u"/Home/Ann/Namorel/"_s << u"Greek"_s << 0 << u"/Home/Ann/Namorel/database/greekg.nam"_s;
    QTest::newRow("accented letters are left alone")
        << u"/p/"_s << u"ÉGYPTian"_s << 0 << u"/p/database/Égyptg.nam"_s;
    QTest::newRow("short display name is its own code") << u"/p/"_s << u"Abc"_s << 0 << u"/p/database/abcg.nam"_s;
    QTest::newRow("empty program folder") << QString() << u"Dutch"_s << 0 << u"database/dutchg.nam"_s;
    QTest::newRow("a character beyond the basic plane is not cut in half")
        << u"/p/"_s << u"Abcd\U0001D49Cef"_s << 0 << u"/p/database/abcd\U0001D49Cg.nam"_s;
}

void TestNameSearch::nameFilePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, origin);
    QFETCH(qint32, gender);
    QFETCH(QString, expected);
    QCOMPARE(NameFilePath(folder, origin, gender), expected);
}

void TestNameSearch::buildFileList_data()
{
    QTest::addColumn<QStringList>("origins");
    QTest::addColumn<qint32>("gender");
    QTest::addColumn<QStringList>("expected");

    QStringList allFemale;
    for (const QString &origin : OriginTable())
        allFemale.append(NameFilePath(u"/p/"_s, origin, 0));

    QTest::newRow("no origin ticked") << QStringList() << 0 << QStringList();
    QTest::newRow("all origins, female") << OriginTable() << 0 << allFemale;
    QTest::newRow("table order, whatever the order given")
        << L({ u"Welsh", u"Popular", u"African" }) << 1
        << L({ u"/p/database/africb.nam", u"/p/database/populb.nam", u"/p/database/welshb.nam" });
    QTest::newRow("unknown origins are skipped")
        << L({ u"Martian", u"Latin", u"latin" }) << 0 << L({ u"/p/database/lating.nam" });
    QTest::newRow("an origin given twice is read once")
        << L({ u"Greek", u"Greek" }) << -1 << L({ u"/p/database/greekb.nam" });
}

void TestNameSearch::buildFileList()
{
    QFETCH(QStringList, origins);
    QFETCH(qint32, gender);
    QFETCH(QStringList, expected);
    const QStringList paths = BuildFileList(origins, gender, u"/p/"_s);
    QCOMPARE(paths, expected);
    if (paths.size() == 41) {
        QCOMPARE(paths.first(), u"/p/database/africg.nam"_s);
        QCOMPARE(paths.last(), u"/p/database/welshg.nam"_s);
    }
}

void TestNameSearch::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("an empty file has no lines") << QByteArray() << QStringList();
    QTest::newRow("a lone line end is one empty line") << QByteArray("\r\n") << L({ u"" });
    QTest::newRow("CR LF ends a line") << QByteArray("Ann\r\nBob\r\n") << L({ u"Ann", u"Bob" });
    QTest::newRow("the last line needs no line end") << QByteArray("Ann\r\nBob") << L({ u"Ann", u"Bob" });
    QTest::newRow("a lone LF ends a line") << QByteArray("Ann\nBob\n") << L({ u"Ann", u"Bob" });
    QTest::newRow("a lone CR ends a line") << QByteArray("Ann\rBob\r") << L({ u"Ann", u"Bob" });
    QTest::newRow("LF then CR is two line ends") << QByteArray("Ann\n\rBob") << L({ u"Ann", u"", u"Bob" });
    QTest::newRow("CR then CR LF is two line ends") << QByteArray("Ann\r\r\nBob") << L({ u"Ann", u"", u"Bob" });
    QTest::newRow("two line ends at the end make one empty line") << QByteArray("Ann\n\n") << L({ u"Ann", u"" });
    QTest::newRow("empty lines inside are kept")
        << QByteArray("\nAnn\n\n\nBob") << L({ u"", u"Ann", u"", u"", u"Bob" });
    QTest::newRow("spaces and tabs are part of the name") << QByteArray(" Ann \t\n\t\n") << L({ u" Ann \t", u"\t" });
    QTest::newRow("the text ends at the first NUL") << QByteArray("Ann\nBo\0b\nCy\n", 13) << L({ u"Ann", u"Bo" });
    QTest::newRow("a NUL first leaves nothing") << QByteArray("\0Ann\n", 5) << QStringList();
    QTest::newRow("NUL right after a line end") << QByteArray("Ann\n\0\n", 6) << L({ u"Ann" });
    QTest::newRow("UTF-8") << QByteArray("Zo\xC3\xAB\nS\xC3\xB8ren\n") << L({ u"Zoë", u"Søren" });
    QTest::newRow("a UTF-8 byte-order mark is not text") << QByteArray("\xEF\xBB\xBFZo\xC3\xAB\n") << L({ u"Zoë" });
    QTest::newRow("a byte-order mark alone is an empty file") << QByteArray("\xEF\xBB\xBF") << QStringList();
    QTest::newRow("a byte-order mark inside is text") << QByteArray("Ann\n\xEF\xBB\xBF") << L({ u"Ann", u"\uFEFF" });
    QTest::newRow("only the first of two byte-order marks is not text") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                                                      "Ann")
                                                                        << L({ u"\uFEFFAnn" });
    QTest::newRow("not UTF-8 is Windows-1252") << QByteArray("Zo\xEB\nH\xE9l\xE8ne\n") << L({ u"Zoë", u"Hélène" });
    QTest::newRow("Windows-1252 punctuation") << QByteArray("\x80\x8A\x8C\x92\x9F\n") << L({ u"€ŠŒ’Ÿ" });
    QTest::newRow("undefined Windows-1252 bytes keep their number")
        << QByteArray("\x81\x8D\x8F\x90\x9D") << L({ u"\u0081\u008D\u008F\u0090\u009D" });
    QTest::newRow("one bad byte makes the whole file Windows-1252")
        << QByteArray("Zo\xC3\xAB\nZo\xEB\n") << L({ u"ZoÃ«", u"Zoë" });
    QTest::newRow("byte-order mark then Windows-1252") << QByteArray("\xEF\xBB\xBFZo\xEB") << L({ u"Zoë" });
    QTest::newRow("overlong UTF-8 is not UTF-8") << QByteArray("\xC0\xAF") << L({ u"À¯" });
    QTest::newRow("an encoded surrogate is not UTF-8") << QByteArray("\xED\xA0\x80") << L({ u"í\u00A0€" });
    QTest::newRow("a cut-off sequence is not UTF-8") << QByteArray("Ann\n\xC3") << L({ u"Ann", u"Ã" });
    QTest::newRow("characters beyond the basic plane") << QByteArray("\xF0\x9F\x98\x80\n") << L({ u"\U0001F600" });
}

void TestNameSearch::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QCOMPARE(linesOf(bytes), expected);
    // The lines are counted as they are made.
    QCOMPARE(CountNameLines(DecodeNameText(bytes)), expected.size());
}

void TestNameSearch::longLinesAreCut_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qsizetype>("length");

    const QString a4095(4095, u'a');
    const QString a4096(4096, u'a');
    QTest::newRow("4,096 characters are kept") << a4096 << a4096 << qsizetype(4096);
    QTest::newRow("the 4,097th is cut") << a4096 + u'b' << a4096 << qsizetype(4096);
    QTest::newRow("a very long line") << QString(100000, u'x') << QString(4096, u'x') << qsizetype(4096);
    QTest::newRow("a combining mark stays with its letter")
        << a4095 + u"e\u0301xyz"_s << a4095 + u"e\u0301"_s << qsizetype(4096);
    QTest::newRow("a pair of surrogates is one character")
        << a4095 + u"\U0001F600\U0001F600"_s << a4095 + u"\U0001F600"_s << qsizetype(4096);
    QTest::newRow("emoji between Indic letters are not cut in half")
        << u"\U0001F600\u0915"_s.repeated(2049) << u"\U0001F600\u0915"_s.repeated(2048) << qsizetype(4096);
    QTest::newRow("short accented lines are not touched") << u"Zoe\u0301"_s << u"Zoe\u0301"_s << qsizetype(3);
}

void TestNameSearch::longLinesAreCut()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QFETCH(qsizetype, length);
    const std::vector<NameLine> lines = SplitNameLines(line + u'\n' + line, 4096);
    QCOMPARE(lines.size(), size_t(2));
    for (const NameLine &cut : lines) {
        QCOMPARE(cut.Text, expected);
        QCOMPARE(cut.Length, length);
    }
}

void TestNameSearch::nameLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qsizetype>("length");

    QTest::newRow("empty") << QString() << qsizetype(0);
    QTest::newRow("plain letters") << u"Anna"_s << qsizetype(4);
    QTest::newRow("spaces and tabs count") << u" Ann\t"_s << qsizetype(5);
    QTest::newRow("a precomposed accent is one character") << u"Zoë"_s << qsizetype(3);
    QTest::newRow("a combining accent is part of its letter") << u"Zoe\u0308"_s << qsizetype(3);
    QTest::newRow("two combining marks") << u"A\u0301\u0323na"_s << qsizetype(3);
    QTest::newRow("a character beyond the basic plane") << u"\U0001D49CAnn"_s << qsizetype(4);
    QTest::newRow("a joined emoji sequence") << u"\U0001F469\u200D\U0001F467"_s << qsizetype(1);
    QTest::newRow("a flag") << u"\U0001F1EE\U0001F1EA"_s << qsizetype(1);
    QTest::newRow("Devanagari syllables") << u"\u0905\u0928\u093F\u0932"_s << qsizetype(3);
    QTest::newRow("an emoji, then Devanagari, Thai, Khmer and Bengali letters")
        << u"\U0001F600\u0915\U0001F600\u0E01\U0001F600\u1780\U0001F600\u0995"_s << qsizetype(8);
    QTest::newRow("Hangul jamo make one syllable") << u"\u1100\u1161"_s << qsizetype(1);
    QTest::newRow("Windows-1252 letters") << u"Œ€’"_s << qsizetype(3);
}

void TestNameSearch::nameLength()
{
    QFETCH(QString, name);
    QFETCH(qsizetype, length);
    QCOMPARE(NameLength(name), length);
    // The scan measures lines the same way.
    const std::vector<NameLine> lines = SplitNameLines(name + u"\nx"_s, 4096);
    QCOMPARE(lines.front().Length, length);
}

void TestNameSearch::classification_data()
{
    QTest::addColumn<qint32>("minLength");
    QTest::addColumn<qint32>("maxLength");
    QTest::addColumn<QStringList>("recommended");

    // The file holds "Al", "Ann", "Anna", "Annie ", "Annabel", "" and "Zoë" (3 characters in 4 bytes).
    QTest::newRow("the whole window") << 1 << 20 << L({ u"Al", u"Ann", u"Anna", u"Annabel", u"Annie ", u"Zoë" });
    QTest::newRow("a length equal to the minimum is in")
        << 3 << 20 << L({ u"Ann", u"Anna", u"Annabel", u"Annie ", u"Zoë" });
    QTest::newRow("a length equal to the maximum is in") << 1 << 4 << L({ u"Al", u"Ann", u"Anna", u"Zoë" });
    QTest::newRow("one window of one length") << 4 << 4 << L({ u"Anna" });
    QTest::newRow("a trailing space counts") << 6 << 6 << L({ u"Annie " });
    QTest::newRow("an accented letter is one character") << 3 << 3 << L({ u"Ann", u"Zoë" });
    QTest::newRow("minimum above maximum recommends nothing") << 20 << 3 << QStringList();
    QTest::newRow("a zero minimum takes the empty line") << 0 << 2 << L({ u"", u"Al" });
    QTest::newRow("negative bounds are compared as signed") << -5 << -1 << QStringList();
}

void TestNameSearch::classification()
{
    QFETCH(qint32, minLength);
    QFETCH(qint32, maxLength);
    QFETCH(QStringList, recommended);

    Database db;
    const QString path = db.write(u"testsg.nam"_s, QByteArray("Annabel\nAnn\nAl\n\nAnna\nAnnie \nZo\xC3\xAB\n"));
    SearchResult result;
    ScanFiles({ path }, minLength, maxLength, result);

    QCOMPARE(result.Recommended, recommended);
    QCOMPARE(result.ScannedCount, 7);
    QCOMPARE(result.Recommended.size() + result.NotRecommended.size(), 7);
    QStringList all = result.Recommended + result.NotRecommended;
    SortNames(all);
    QCOMPARE(all, L({ u"", u"Al", u"Ann", u"Anna", u"Annabel", u"Annie ", u"Zoë" }));
}

void TestNameSearch::countsEveryLineAndKeepsDuplicates()
{
    Database db;
    const QString first = db.write(u"afirsg.nam"_s, QByteArray("Ann\r\nAnn\r\nBo\r\n\r\n"));
    const QString empty = db.write(u"emptyg.nam"_s, QByteArray());
    const QString second = db.write(u"bseccg.nam"_s, QByteArray("Ann\nCarl"));
    SearchResult result;
    ScanFiles({ first, empty, second }, 3, 20, result);
    QCOMPARE(result.ScannedCount, 6);
    QCOMPARE(result.Recommended, L({ u"Ann", u"Ann", u"Ann", u"Carl" }));
    QCOMPARE(result.NotRecommended, L({ u"", u"Bo" }));
}

void TestNameSearch::newSearchReplacesTheOldResults()
{
    Database db;
    const QString path = db.write(u"oneg.nam"_s, QByteArray("Ann\n"));
    SearchResult result;
    result.Recommended = L({ u"Old" });
    result.NotRecommended = L({ u"Older" });
    result.ScannedCount = 99;
    ScanFiles({ path }, 1, 20, result);
    ScanFiles({ path }, 1, 20, result);
    QCOMPARE(result.Recommended, L({ u"Ann" }));
    QCOMPARE(result.NotRecommended, QStringList());
    QCOMPARE(result.ScannedCount, 1);
}

void TestNameSearch::noOriginReadsNothing()
{
    NameQuery query;
    query.ProgramFolder = u"/nonexistent/folder/"_s;
    const SearchResult result = RunSearch(query);
    QCOMPARE(result.ScannedCount, 0);
    QVERIFY(result.Recommended.isEmpty());
    QVERIFY(result.NotRecommended.isEmpty());
    QCOMPARE(
        SummaryText(result), u"Search Complete!\r\n\r\nScanned Names in Database: 0\r\nRelevent Names displayed: 0"_s);
}

void TestNameSearch::searchReadsTheFilesOfTheQuery()
{
    Database db;
    db.write(u"celtig.nam"_s, QByteArray("Brigid\nAoife\n"));
    db.write(u"celtib.nam"_s, QByteArray("Brendan\n"));
    db.write(u"greekg.nam"_s, QByteArray("Zoe\nAlexandra\n"));
    db.write(u"welshb.nam"_s, QByteArray("Dafydd\n"));

    NameQuery query;
    query.Origins = L({ u"Greek", u"Celtic" });
    query.GenderIndex = 0;
    query.MinLength = 4;
    query.MaxLength = 6;
    query.ProgramFolder = db.programFolder();
    SearchResult result = RunSearch(query);
    QCOMPARE(result.Recommended, L({ u"Aoife", u"Brigid" }));
    QCOMPARE(result.NotRecommended, L({ u"Alexandra", u"Zoe" }));
    QCOMPARE(result.ScannedCount, 4);

    query.Origins = L({ u"Celtic", u"Welsh" });
    query.GenderIndex = -1;
    result = RunSearch(query);
    QCOMPARE(result.Recommended, L({ u"Dafydd" }));
    QCOMPARE(result.NotRecommended, L({ u"Brendan" }));
}

void TestNameSearch::resultsAreSortedWithoutRegardToCase()
{
    Database db;
    const QString path = db.write(u"mixg.nam"_s, QByteArray("bella\nAnna\nZoe\nanna\nBella\nalma\nAnna\n"));
    SearchResult result;
    ScanFiles({ path }, 1, 20, result);
    QCOMPARE(result.Recommended.size(), 7);
    QCOMPARE(result.Recommended.mid(0, 1), L({ u"alma" }));
    QCOMPARE(result.Recommended.mid(1, 3).join(u',').toLower(), u"anna,anna,anna"_s);
    QCOMPARE(result.Recommended.mid(4, 2).join(u',').toLower(), u"bella,bella"_s);
    QCOMPARE(result.Recommended.last(), u"Zoe"_s);
}

void TestNameSearch::failures_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a missing file") << u"missing.nam"_s << u"Cannot open file %1"_s;
    QTest::newRow("a folder") << u"folder.nam"_s << u"Cannot open file %1"_s;
    QTest::newRow("a dangling link") << u"dangling.nam"_s << u"Cannot open file %1"_s;
    QTest::newRow("a character device") << u"/dev/null"_s << u"Cannot open file %1"_s;
#ifdef Q_OS_LINUX
    // A regular file whose reading fails, even for root.
    QTest::newRow("a file that cannot be read") << u"/proc/self/mem"_s << u"Cannot open file %1"_s;
#endif
    QTest::newRow("a socket") << u"socket.nam"_s << u"Cannot open file %1"_s;
    // Opening a pipe with no writer for reading would wait for ever.
    QTest::newRow("a pipe with no writer") << u"pipe.nam"_s << u"Cannot open file %1"_s;
    QTest::newRow("a file the user may not read") << u"secret.nam"_s << u"Cannot open file %1"_s;
    QTest::newRow("an empty path") << QString() << u"Cannot open file %1"_s;
    QTest::newRow("a path with a NUL in it") << QString::fromUtf16(u"good.nam\0bad", 12) << u"Cannot open file %1"_s;
    QTest::newRow("a file over the size limit") << u"large.nam"_s << u"Text exceeds memo capacity"_s;
    QTest::newRow("more lines than the lists can take") << u"many.nam"_s << u"Unable to insert a line"_s;
}

void TestNameSearch::failures()
{
    QFETCH(QString, fileName);
    QFETCH(QString, expected);
#ifdef Q_OS_UNIX
    if (fileName == u"secret.nam" && ::geteuid() == 0)
        QSKIP("root reads every file");
#endif

    Database db;
    const QString before = db.write(u"before.nam"_s, QByteArray("Zelda\nAnn\nBo\n"));
    db.write(u"good.nam"_s, QByteArray("Ann\n"));
    db.write(u"large.nam"_s, QByteArray(1025, 'a'));
    db.write(u"many.nam"_s, QByteArray("a\nb\nc\nd\ne\nf\ng\nh\n"));
    QVERIFY(QDir().mkdir(db.path(u"folder.nam"_s)));
    QVERIFY(QFile::link(db.path(u"nowhere.nam"_s), db.path(u"dangling.nam"_s)));
#ifdef Q_OS_UNIX
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(socketFd >= 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(db.path(u"socket.nam"_s));
    if (size_t(socketPath.size()) >= sizeof(address.sun_path))
        QSKIP("the temporary folder's path is too long for a socket");
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(db.path(u"pipe.nam"_s)).constData(), 0600), 0);
#endif
    QVERIFY(QFile::setPermissions(db.write(u"secret.nam"_s, QByteArray("Ann\n")), QFileDevice::WriteOwner));

    ScanLimits limits;
    limits.MaxFileBytes = 1024;
    limits.MaxLines = 10;
    const ScopedScanLimits scoped(limits);

    const QString failing = fileName.startsWith(u'/') || fileName.isEmpty() ? fileName : db.path(fileName);
    SearchResult result;
    const QString error = errorOf<SearchError>([&] { ScanFiles({ before, failing, before }, 3, 20, result); });
#ifdef Q_OS_UNIX
    ::close(socketFd);
#endif
    QCOMPARE(error, expected.contains(u'%') ? expected.arg(failing) : expected);

    // The files read before the failing one stay, in reading order; the failing one adds nothing.
    QCOMPARE(result.Recommended, L({ u"Zelda", u"Ann" }));
    QCOMPARE(result.NotRecommended, L({ u"Bo" }));
    QCOMPARE(result.ScannedCount, 3);
}

void TestNameSearch::failureKeepsTheFilesReadBefore()
{
    // With every origin ticked and one female file missing, the search stops there and the error names
    // the file's path as built.
    Database db;
    for (const QString &origin : OriginTable()) {
        if (origin != u"Hebrew"_s)
            db.write(NameFilePath(QString(), origin, 0).mid(9), origin.toUtf8() + "\n");
    }
    SearchResult result;
    const QStringList paths = BuildFileList(OriginTable(), 0, db.programFolder());
    const QString error = errorOf<SearchError>([&] { ScanFiles(paths, 1, 20, result); });
    QCOMPARE(error, u"Cannot open file %1"_s.arg(db.programFolder() + u"database/hebreg.nam"_s));
    QVERIFY(error.contains(u"/Prögram Folder/database/hebreg.nam"_s));
    // The message reaches the user through what(), in UTF-8.
    QCOMPARE(result.ScannedCount, 18);
    QCOMPARE(result.Recommended + result.NotRecommended, OriginTable().mid(0, 18));
    try {
        ScanFiles(paths, 1, 20, result);
        QFAIL("the search went past the missing file");
    } catch (const std::exception &thrown) {
        QCOMPARE(QByteArray(thrown.what()), error.toUtf8());
    }
}

void TestNameSearch::fileGrowingPastTheLimitIsRefused()
{
    Database db;
    ScanLimits limits;
    limits.MaxFileBytes = 8;
    const ScopedScanLimits scoped(limits);
    const QString exact = db.write(u"exact.nam"_s, QByteArray("1234567\n"));
    const QString over = db.write(u"over.nam"_s, QByteArray("12345678\n"));
    QCOMPARE(ReadNameFile(exact, 8), QByteArray("1234567\n"));
    QCOMPARE(errorOf<SearchError>([&] { ReadNameFile(over, 8); }), u"Text exceeds memo capacity"_s);
#ifdef Q_OS_UNIX
    // A file whose size is not known in advance, like those of /proc, is still held to the limit.
    if (QFileInfo::exists(u"/proc/self/status"_s)) {
        QCOMPARE(errorOf<SearchError>([&] { ReadNameFile(u"/proc/self/status"_s, 8); }), u"Text exceeds memo capacity"_s);
        QVERIFY(ReadNameFile(u"/proc/self/status"_s, 1 << 20).contains("Name:"));
    }
#endif
}

void TestNameSearch::lineLimitIsExactlyTheLastLineAllowed()
{
    Database db;
    const QString three = db.write(u"threeg.nam"_s, QByteArray("Ann\nBo\nCy\n"));
    ScanLimits limits;
    limits.MaxLines = 6;
    const ScopedScanLimits scoped(limits);

    SearchResult result;
    ScanFiles({ three, three }, 1, 20, result);
    QCOMPARE(result.ScannedCount, 6);

    QCOMPARE(errorOf<SearchError>([&] { ScanFiles({ three, three, three }, 1, 20, result); }), u"Unable to insert a line"_s);
    QCOMPARE(result.ScannedCount, 6);
    QCOMPARE(result.Recommended.size(), 6);
}

void TestNameSearch::memoryBudget_data()
{
    QTest::addColumn<QByteArray>("hostile");
    QTest::addColumn<QString>("expected"); // empty: the file is read

    // A budget of 1 MiB holds 4,096 lines, 131,072 characters and a file of 256 KiB.
    QTest::newRow("more short lines than the budget holds")
        << QByteArray("a\n").repeated(5000) << u"Unable to insert a line"_s;
    QTest::newRow("lines long enough to take more memory than the budget")
        << (QByteArray(4096, 'x') + '\n').repeated(40) << u"Unable to insert a line"_s;
    QTest::newRow("a file too large to be held") << QByteArray(300 * 1024, 'x') << u"Text exceeds memo capacity"_s;
    QTest::newRow("a file within the budget") << QByteArray("Ann\n").repeated(4000) << QString();
}

void TestNameSearch::memoryBudget()
{
    QFETCH(QByteArray, hostile);
    QFETCH(QString, expected);

    // The budget a search runs with by default: a quarter of the memory, at most 4 GiB.
    const qint64 budget = SearchMemoryBudget();
    QVERIFY(budget > 0 && budget <= qint64(4) << 30);
#ifdef Q_OS_UNIX
    QVERIFY(budget <= qint64(::sysconf(_SC_PHYS_PAGES)) * ::sysconf(_SC_PAGESIZE) / 4);
#endif

    Database db;
    const QString before = db.write(u"beforeg.nam"_s, QByteArray("Zelda\nBo\n"));
    const QString path = db.write(u"hostileg.nam"_s, hostile);
    const ScopedScanLimits scoped(ScanLimits::forMemoryBudget(qint64(1) << 20));
    SearchResult result;
    QCOMPARE(errorOf<SearchError>([&] { ScanFiles({ before, path }, 3, 20, result); }), expected);
    if (!expected.isEmpty()) {
        // The hostile file adds nothing.
        QCOMPARE(result.Recommended, L({ u"Zelda" }));
        QCOMPARE(result.NotRecommended, L({ u"Bo" }));
        QCOMPARE(result.ScannedCount, 2);
    }
}

void TestNameSearch::linesAreCountedBeforeTheyAreMade()
{
    // A file of a million empty lines is refused before a line is made: making them would take far more memory
    // than the file itself.
    Database db;
    const QString path = db.write(u"emptyg.nam"_s, QByteArray(1000000, '\n'));
    ScanLimits limits;
    limits.MaxLines = 10;
    const ScopedScanLimits scoped(limits);
    SearchResult result;
    QString error;
    {
        const FailingAllocations tight(-1, 4 * 1024 * 1024);
        error = errorOf<SearchError>([&] { ScanFiles({ path }, 1, 20, result); });
    }
    QCOMPARE(error, u"Unable to insert a line"_s);
    QCOMPARE(result.ScannedCount, 0);
}

void TestNameSearch::runningOutOfMemoryAnywhereEndsWithOwnMessage()
{
    // Memory runs out at the first allocation, then at the second, and so on until a search gets through: each
    // time the search ends with one of its own messages, and the lists hold exactly the lines of the files read
    // before the failing one (all of them when the sort failed).
    Database db;
    const QList<QStringList> files = { L({ u"Zoë", u"ann", u"Bo" }), L({ u"Carl", u"", u"Ann" }),
        L({ u"Dafydd", u"e\u0301lodie", u"\U0001F600", u"Al" }) };
    QStringList paths;
    for (const QStringList &names : files)
        paths.append(db.write(QStringLiteral("f%1g.nam").arg(paths.size()), names.join(u'\n').toUtf8()));
    const QStringList messages = { u"Unable to insert a line"_s, u"Text exceeds memo capacity"_s };
    SearchResult complete;
    ScanFiles(paths, 3, 20, complete);

    qint64 failAfter = 0;
    for (;; ++failAfter) {
        QVERIFY2(failAfter < 100000, "a search that never gets through");
        SearchResult result;
        QString error;
        bool failed = false;
        try {
            const FailingAllocations failing(failAfter, 0);
            try {
                ScanFiles(paths, 3, 20, result);
            } catch (const SearchError &searchError) {
                error = searchError.message();
            }
            failed = FailingAllocations::disarm();
        } catch (const std::exception &other) {
            FailingAllocations::disarm();
            QFAIL(qPrintable(
                QStringLiteral("allocation %1 failed: %2").arg(failAfter).arg(QString::fromUtf8(other.what()))));
        }
        if (error.isEmpty()) {
            // Some allocations have a way round them, like the sort's spare room.
            QCOMPARE(result.Recommended, complete.Recommended);
            QCOMPARE(result.NotRecommended, complete.NotRecommended);
            QCOMPARE(result.ScannedCount, complete.ScannedCount);
            if (!failed)
                break;
            continue;
        }
        QVERIFY2(
            messages.contains(error), qPrintable(QStringLiteral("allocation %1: \"%2\"").arg(failAfter).arg(error)));
        QStringList expected;
        qint32 expectedCount = 0;
        QStringList found = result.Recommended + result.NotRecommended;
        std::sort(found.begin(), found.end());
        for (const QStringList &names : files) {
            if (found == expected)
                break;
            expected += names;
            expectedCount += qint32(names.size());
            std::sort(expected.begin(), expected.end());
        }
        QVERIFY2(found == expected, qPrintable(QStringLiteral("allocation %1: a file read in part").arg(failAfter)));
        QCOMPARE(result.ScannedCount, expectedCount);
    }
    qInfo("a search took %lld allocations that could fail", failAfter);
}

void TestNameSearch::sortOrder_data()
{
    QTest::addColumn<QByteArray>("collation");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("accents sort with their letter")
        << QByteArray("en_US.UTF-8") << L({ u"Emma", u"Zoë", u"Éva", u"Eve", u"Émile", u"Zoe" })
        << L({ u"Émile", u"Emma", u"Éva", u"Eve", u"Zoe", u"Zoë" });
    QTest::newRow("empty and blank names come first")
        << QByteArray("en_US.UTF-8") << L({ u"Bo", u" Ann", u"", u"Al" }) << L({ u"", u" Ann", u"Al", u"Bo" });
    QTest::newRow("Danish puts Å and Aa after Z")
        << QByteArray("da_DK.UTF-8") << L({ u"Åse", u"Zenia", u"Aage", u"Bente", u"Ada" })
        << L({ u"Ada", u"Bente", u"Zenia", u"Aage", u"Åse" });
    QTest::newRow("Swedish puts Ö after Z") << QByteArray("sv_SE.UTF-8") << L({ u"Örjan", u"Oskar", u"Zacharias" })
                                            << L({ u"Oskar", u"Zacharias", u"Örjan" });
    QTest::newRow("numbers are not read as numbers")
        << QByteArray("en_US.UTF-8") << L({ u"Ann10", u"Ann9", u"Ann1" }) << L({ u"Ann1", u"Ann10", u"Ann9" });
    QTest::newRow("the C locale sorts as English, case ignored")
        << QByteArray("C") << L({ u"bob", u"Carl", u"anna", u"Bea", u"Ann", u"Åsa" })
        << L({ u"Ann", u"anna", u"Åsa", u"Bea", u"bob", u"Carl" });
    QTest::newRow("equal names keep their order")
        << QByteArray("en_US.UTF-8") << L({ u"anna", u"Bo", u"ANNA", u"Anna", u"bo", u"anna" })
        << L({ u"anna", u"ANNA", u"Anna", u"anna", u"Bo", u"bo" });
}

void TestNameSearch::sortOrder()
{
    QFETCH(QByteArray, collation);
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    const CollationSetting setting({ { "LC_ALL", collation } });
    SortNames(names);
    QCOMPARE(names, expected);
}

void TestNameSearch::orderFollowsTheCollationSetting_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcCollate");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<bool>("swedish");

    QTest::newRow("LC_COLLATE over LANG")
        << QByteArray() << QByteArray("sv_SE.UTF-8") << QByteArray() << QByteArray("en_US.UTF-8") << true;
    QTest::newRow("the language of messages does not count")
        << QByteArray() << QByteArray() << QByteArray("sv_SE.UTF-8") << QByteArray("en_US.UTF-8") << false;
    QTest::newRow("LC_ALL over LC_COLLATE")
        << QByteArray("en_GB.UTF-8") << QByteArray("sv_SE.UTF-8") << QByteArray() << QByteArray() << false;
    QTest::newRow("LC_ALL alone") << QByteArray("sv_SE.UTF-8") << QByteArray() << QByteArray() << QByteArray() << true;
    QTest::newRow("LANG alone") << QByteArray() << QByteArray() << QByteArray() << QByteArray("sv_SE") << true;
    QTest::newRow("an empty LC_ALL counts as unset")
        << QByteArray("") << QByteArray("sv_SE.UTF-8") << QByteArray() << QByteArray("en_US.UTF-8") << true;
    QTest::newRow("POSIX collation under a Swedish LANG sorts as English")
        << QByteArray() << QByteArray("POSIX") << QByteArray() << QByteArray("sv_SE.UTF-8") << false;
    QTest::newRow("an unknown locale sorts as English")
        << QByteArray("xx_YY.UTF-8") << QByteArray("sv_SE.UTF-8") << QByteArray() << QByteArray() << false;
    QTest::newRow("nothing set sorts as English")
        << QByteArray() << QByteArray() << QByteArray() << QByteArray() << false;
}

void TestNameSearch::orderFollowsTheCollationSetting()
{
#if !defined(Q_OS_UNIX) || defined(Q_OS_DARWIN)
    QSKIP("the collation setting comes from the environment on Unix only");
#endif
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcCollate);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(bool, swedish);
    const CollationSetting setting(
        { { "LC_ALL", lcAll }, { "LC_COLLATE", lcCollate }, { "LC_MESSAGES", lcMessages }, { "LANG", lang } });

    // Swedish puts Å after Z; English sorts it with A.
    QStringList names = L({ u"Zara", u"Åsa", u"Bo", u"Asta" });
    SortNames(names);
    QCOMPARE(names, swedish ? L({ u"Asta", u"Bo", u"Zara", u"Åsa" }) : L({ u"Åsa", u"Asta", u"Bo", u"Zara" }));
}

void TestNameSearch::sortMatchesAPlainReferenceSort_data()
{
    QTest::addColumn<QByteArray>("collation");
    QTest::addColumn<int>("count");
    // Small lists are sorted on one thread; the keys of larger ones are made in chunks on several.
    QTest::newRow("one name") << QByteArray("en_US.UTF-8") << 1;
    QTest::newRow("a few thousand, English") << QByteArray("en_US.UTF-8") << 5000;
    QTest::newRow("a few thousand, Swedish") << QByteArray("sv_SE.UTF-8") << 5000;
    QTest::newRow("a few thousand, Turkish") << QByteArray("tr_TR.UTF-8") << 5000;
    QTest::newRow("many, in chunks on several threads, Danish") << QByteArray("da_DK.UTF-8") << 70000;
}

void TestNameSearch::sortMatchesAPlainReferenceSort()
{
    QFETCH(QByteArray, collation);
    QFETCH(int, count);
    const CollationSetting setting({ { "LC_ALL", collation } });

    // Names of mixed case and accents, short and long (past the part of a key that the sort keeps at hand),
    // with many exact and case-blind duplicates, in alphabets that the locales treat differently, and accents
    // written as combining marks in either order as well as precomposed.
    const QStringList parts = L({ u"an", u"An", u"bé", u"Bo", u"ca", u"Ço", u"dé", u"el", u"Él", u"zo", u"ø", u"", u"ı",
        u"İ", u"ö", u"Aa", u"å", u"-", u" ", u"stina", u"e\u0301", u"a\u0323\u0302", u"a\u0302\u0323", u"\u1EAD" });
    QStringList names;
    quint32 state = 12345;
    for (int i = 0; i < count; ++i) {
        QString name;
        state = state * 1103515245u + 12345u;
        const int length = 1 + int((state >> 16) % 6);
        for (int p = 0; p < length; ++p) {
            state = state * 1103515245u + 12345u;
            name += parts[qsizetype((state >> 16) % quint32(parts.size()))];
        }
        // Now and then a long name, whose key does not fit the sort's small buffer.
        names.append(i % 97 == 3 ? name.repeated(80) : name);
    }
    QStringList sorted = names;
    SortNames(sorted);

    // The plain way: compare two names at a time, keeping equal ones in the order they came in.
    QCollator collator(QLocale(QString::fromLatin1(collation)));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        names.begin(), names.end(), [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    QCOMPARE(sorted, names);
}

void TestNameSearch::summaryText_data()
{
    QTest::addColumn<qint32>("scanned");
    QTest::addColumn<int>("recommended");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing")
        << 0 << 0 << u"Search Complete!\r\n\r\nScanned Names in Database: 0\r\nRelevent Names displayed: 0"_s;
    QTest::newRow("no separators in large numbers")
        << 1234567 << 2
        << u"Search Complete!\r\n\r\nScanned Names in Database: 1234567\r\nRelevent Names displayed: 2"_s;
    QTest::newRow("the largest count") << 2147483647 << 1
                                       << u"Search Complete!\r\n\r\nScanned Names in Database: 2147483647\r\n"
                                            u"Relevent Names displayed: 1"_s;
}

void TestNameSearch::summaryText()
{
    QFETCH(qint32, scanned);
    QFETCH(int, recommended);
    QFETCH(QString, expected);
    SearchResult result;
    result.ScannedCount = scanned;
    for (int i = 0; i < recommended; ++i)
        result.Recommended.append(u"Ann"_s);
    QCOMPARE(SummaryText(result), expected);
}

void TestNameSearch::signature_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("expected");

    QTest::newRow("name and surname") << u"Anna"_s << u"Smith"_s << u"\r\nAnna Smith"_s;
    QTest::newRow("an empty surname leaves the space") << u"Anna"_s << QString() << u"\r\nAnna "_s;
    QTest::newRow("letter case as given") << u"aNNa"_s << u"mcDonald"_s << u"\r\naNNa mcDonald"_s;
    QTest::newRow("spaces are kept") << u" Ann "_s << u" Smith"_s << u"\r\n Ann   Smith"_s;
}

void TestNameSearch::signature()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(QString, expected);
    QCOMPARE(ComposeSignature(name, surname), expected);
}

void TestNameSearch::initials_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middleName");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("expected");

    QTest::newRow("three parts") << u"Anna"_s << u"Marie"_s << u"Smith"_s << u"\r\nA.M.S."_s;
    QTest::newRow("no middle name") << u"Anna"_s << QString() << u"Smith"_s << u"\r\nA.S."_s;
    QTest::newRow("no surname") << u"Anna"_s << u"Marie"_s << QString() << u"\r\nA.M."_s;
    QTest::newRow("name only") << u"Anna"_s << QString() << QString() << u"\r\nA."_s;
    QTest::newRow("lower case is raised") << u"anna"_s << u"marie"_s << u"smith"_s << u"\r\nA.M.S."_s;
    QTest::newRow("an accented letter stays as it is") << u"élodie"_s << u"ève"_s << u"Ørsted"_s << u"\r\né.è.Ø."_s;
    QTest::newRow("a combining accent stays with its letter")
        << u"e\u0301lodie"_s << QString() << u"smith"_s << u"\r\ne\u0301.S."_s;
    QTest::newRow("a letter is raised also when a variation selector follows it")
        << u"a\uFE0Fnna"_s << u"m\U000E0100"_s << QString() << u"\r\nA\uFE0F.M\U000E0100."_s;
    QTest::newRow("a letter is raised also when a joiner follows it")
        << u"a\u200Dnna"_s << u"m\u200Cx"_s << QString() << u"\r\nA\u200D.M\u200C."_s;
    QTest::newRow("a character beyond the basic plane is whole")
        << u"\U0001D49Cnn"_s << QString() << QString() << u"\r\n\U0001D49C."_s;
    QTest::newRow("a leading space gives a space") << u"Anna"_s << u" Marie"_s << u"Smith"_s << u"\r\nA. .S."_s;
    QTest::newRow("no name, no line break") << QString() << u"marie"_s << u"smith"_s << u"M.S."_s;
    QTest::newRow("nothing at all") << QString() << QString() << QString() << QString();
    QTest::newRow("digits and marks unchanged") << u"1st"_s << u"-x"_s << u"'t"_s << u"\r\n1.-.'."_s;
}

void TestNameSearch::initials()
{
    QFETCH(QString, name);
    QFETCH(QString, middleName);
    QFETCH(QString, surname);
    QFETCH(QString, expected);
    QCOMPARE(ComposeInitials(name, middleName, surname), expected);
}

QTEST_GUILESS_MAIN(TestNameSearch)
#include "tst_namesearch.moc"
