#include "settingsstore.h"
#include "testfiles.h"
#include "typedconf_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <climits>
#include <cstdio>

using namespace namorel;
using namespace Qt::StringLiterals;

namespace namorel {

bool operator==(const UserEntries &a, const UserEntries &b)
{
    return a.Surname == b.Surname && a.MiddleName == b.MiddleName && a.GenderIndex == b.GenderIndex
        && a.MinLength == b.MinLength && a.MaxLength == b.MaxLength && a.ExcludeLetters == b.ExcludeLetters
        && a.IncludeLetters == b.IncludeLetters && a.BalanceFilter == b.BalanceFilter
        && a.RhythmFilter == b.RhythmFilter && a.Alliteration == b.Alliteration;
}

QString describe(const UserEntries &entries)
{
    return QStringLiteral("{\"%1\", \"%2\", %3, %4, %5, \"%6\", \"%7\", %8, %9, %10}")
        .arg(entries.Surname, entries.MiddleName)
        .arg(entries.GenderIndex)
        .arg(entries.MinLength)
        .arg(entries.MaxLength)
        .arg(entries.ExcludeLetters, entries.IncludeLetters)
        .arg(entries.BalanceFilter)
        .arg(entries.RhythmFilter)
        .arg(entries.Alliteration);
}

char *toString(const UserEntries &entries)
{
    return QTest::toString(describe(entries));
}

} // namespace namorel

namespace {

// What the window shows before loading: other than the defaults, so that a value the load must leave alone
// cannot pass for one it set.
UserEntries shown()
{
    return { u"Shown"_s, u"Shown middle"_s, 1, 7, 9 };
}

// The filters' values as saved when every filter is off.
constexpr char kFiltersOff[] = "exclude=\"\"\n"
                               "include=\"\"\n"
                               "balance=dword:00000000\n"
                               "rhythm=dword:00000000\n"
                               "alliteration=dword:00000000\n";

// What a load gives when it stops at "gender" after reading no strings: the first run.
UserEntries nothingReadable()
{
    return { u"Smith"_s, QString(), 1, 7, 9 };
}

QString saveError(const SettingsStore &store, const UserEntries &entries)
{
    try {
        store.save(entries);
    } catch (const SettingsError &error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

// A settings file in a temporary configuration folder. The Tessaly folder only exists once something is written.
class ScratchStore
{
public:
    ScratchStore()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Tessaly/Nomigraph.conf"));
    }

    QString folder() const { return QFileInfo(m_path).path(); }
    QString path() const { return m_path; }
    QString lockPath() const { return m_path + QStringLiteral(".lock"); }
    SettingsStore store() const { return SettingsStore(m_path); }

    void write(const QByteArray &text) const
    {
        QDir().mkpath(folder());
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write a test settings file");
    }

    QByteArray read() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    UserEntries loaded(UserEntries entries = shown()) const
    {
        store().load(entries);
        return entries;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// ---- Copies of the program that save, run as child processes ----

using testing::reportedTimes;
using testing::startChild;

// Save number i of a copy. Every value depends on the number and the surname's length varies with it, so a file
// that mixed two saves, or held part of one, would show.
UserEntries numbered(const QString &tag, int i)
{
    return { tag + u'-' + QString::number(i) + QString(i % 7, u'~'), tag + u'/' + QString::number(i), i, 1000 + i, -i };
}

// The number of the save of copy \a tag whose five values \a text holds, all of them and nothing else, or -1.
int completeSave(const QByteArray &text, const QString &tag)
{
    const QSettings::SettingsMap values = ParseTypedConf(text);
    const QVariant gender = values.value(QStringLiteral("Setup/gender"));
    if (values.size() != 10 || gender.typeId() != QMetaType::Int)
        return -1;
    const UserEntries expected = numbered(tag, gender.toInt());
    const auto holds = [&values](const char16_t *key, const QVariant &value) {
        const QVariant stored = values.value(QStringView(key).toString());
        return stored.typeId() == value.typeId() && stored == value;
    };
    const bool complete = holds(u"Setup/surname", expected.Surname) && holds(u"Setup/middlename", expected.MiddleName)
        && holds(u"Setup/min", expected.MinLength) && holds(u"Setup/max", expected.MaxLength);
    return complete ? gender.toInt() : -1;
}

QString stopPath(const QString &storePath)
{
    return storePath + QStringLiteral(".stop");
}

// Reads the store's file over and over until a stop file appears beside it, and reports how often it read it
// and how often the file held anything but one complete save of one of the copies \a tags.
int watchFile(const QString &path, const QStringList &tags)
{
    long long looks = 0;
    long long torn = 0;
    std::printf("ready\n");
    std::fflush(stdout);
    while (!QFileInfo::exists(stopPath(path))) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue; // not saved yet
        const QByteArray text = file.readAll();
        ++looks;
        if (std::none_of(tags.begin(), tags.end(), [&](const QString &tag) { return completeSave(text, tag) >= 0; })) {
            ++torn;
            std::fprintf(stderr, "torn file:\n%s\n", text.constData());
        }
    }
    std::printf("looked %lld torn %lld\n", looks, torn);
    return 0;
}

// The child's side: "loop" saves numbered entries until it is killed, "once" saves number 0, "burst" waits for a
// line on its input and then saves the given count; each save is reported by a line on the output. "watch"
// runs watchFile.
int runChild(const testing::ChildTask &task)
{
    if (task.Role == "watch")
        return watchFile(task.Path, task.Tag.split(u','));
    const SettingsStore store(task.Path);
    const auto save = [&](int i) { testing::reportStep("saved", i, [&] { store.save(numbered(task.Tag, i)); }); };
    try {
        if (task.Role == "loop") {
            for (int i = 0;; ++i)
                save(i);
        } else if (task.Role == "once") {
            save(0);
        } else if (task.Role == "burst") {
            std::printf("ready\n");
            std::fflush(stdout);
            char line[16];
            if (!std::fgets(line, sizeof line, stdin))
                return 2;
            for (int i = 0; i < task.Count; ++i)
                save(i);
        } else {
            return 2;
        }
    } catch (const SettingsError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(namorel::UserEntries)

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void savedText_data();
    void savedText();
    void valueForms_data();
    void valueForms();
    void fileLayout_data();
    void fileLayout();

    void load_data();
    void load();
    void filters_data();
    void filters();
    void roundTrip_data();
    void roundTrip();
    void truncatedFile();
    void everyLoadReadsTheFileAfresh();
    void damagedFile_data();
    void damagedFile();
    void unwritableStore_data();
    void unwritableStore();
    void userStore();

    void abandonedLock();
    void killedWhileSaving();
    void strayTemporaries();
    void concurrentSaves();

private:
    QTemporaryDir m_home;
};

void TestSettingsStore::initTestCase()
{
    // The user's store is only ever used inside a throw-away configuration folder.
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
#ifndef Q_OS_WIN
    QVERIFY2(SettingsStore::userFilePath().startsWith(m_home.path() + u'/'), "the user's real settings are in reach");
#endif
}

// ---- The file's text ----

void TestSettingsStore::savedText_data()
{
    QTest::addColumn<UserEntries>("entries");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("the window's design values") << SettingsStore::defaults()
                                                << QByteArray("[Setup]\n"
                                                              "surname=\"Smith\"\n"
                                                              "middlename=\"\"\n"
                                                              "gender=dword:00000000\n"
                                                              "min=dword:00000001\n"
                                                              "max=dword:00000014\n"
                                                       + QByteArray(kFiltersOff));
    QTest::newRow("no gender is ffffffff and lengths are stored as typed")
        << UserEntries { u"Lee"_s, u"Ann"_s, -1, 0, 99 }
        << QByteArray("[Setup]\n"
                      "surname=\"Lee\"\n"
                      "middlename=\"Ann\"\n"
                      "gender=dword:ffffffff\n"
                      "min=dword:00000000\n"
                      "max=dword:00000063\n"
               + QByteArray(kFiltersOff));
    QTest::newRow("quotes, backslashes and control characters are escaped")
        << UserEntries { u"O\"Neil\\x41"_s, u"a\tb\nc\u007f\r"_s, 1, 20, 3 }
        << QByteArray("[Setup]\n"
                      "surname=\"O\\\"Neil\\\\x41\"\n"
                      "middlename=\"a\\x09b\\x0ac\\x7f\\x0d\"\n"
                      "gender=dword:00000001\n"
                      "min=dword:00000014\n"
                      "max=dword:00000003\n"
               + QByteArray(kFiltersOff));
    QTest::newRow("other characters are UTF-8 and the integers span 32 bits")
        << UserEntries { u"Zoë Łukasz"_s, u"日本"_s, 0, INT_MIN, INT_MAX }
        << QByteArray("[Setup]\n"
                      "surname=\"Zo\xc3\xab \xc5\x81ukasz\"\n"
                      "middlename=\"\xe6\x97\xa5\xe6\x9c\xac\"\n"
                      "gender=dword:00000000\n"
                      "min=dword:80000000\n"
                      "max=dword:7fffffff\n"
               + QByteArray(kFiltersOff));
    QTest::newRow("the filters follow the first five values")
        << UserEntries { u"Lee"_s, QString(), 0, 1, 20, u" ae\""_s, u"ø"_s, 1, 0, 1 }
        << QByteArray("[Setup]\n"
                      "surname=\"Lee\"\n"
                      "middlename=\"\"\n"
                      "gender=dword:00000000\n"
                      "min=dword:00000001\n"
                      "max=dword:00000014\n"
                      "exclude=\" ae\\\"\"\n"
                      "include=\"\xc3\xb8\"\n"
                      "balance=dword:00000001\n"
                      "rhythm=dword:00000000\n"
                      "alliteration=dword:00000001\n");
}

void TestSettingsStore::savedText()
{
    QFETCH(UserEntries, entries);
    QFETCH(QByteArray, expected);

    ScratchStore scratch; // no Tessaly folder yet: the first save creates it
    QCOMPARE(saveError(scratch.store(), entries), QString());
    QCOMPARE(scratch.read(), expected);
}

void TestSettingsStore::valueForms_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariant>("expected"); // invalid: a value of neither type

    const QVariant malformed;
    QTest::newRow("a quoted string") << QByteArray("\"Smith\"") << QVariant(u"Smith"_s);
    QTest::newRow("an empty string") << QByteArray("\"\"") << QVariant(QString());
    QTest::newRow("escaped quote and backslash")
        << QByteArray("\"say \\\"hi\\\" C:\\\\x\"") << QVariant(u"say \"hi\" C:\\x"_s);
    QTest::newRow("\\x escapes in either case") << QByteArray("\"\\x41\\x6a\\x4A\"") << QVariant(u"AjJ"_s);
    QTest::newRow("escaped UTF-8 bytes make one character") << QByteArray("\"\\xc3\\xa9\"") << QVariant(u"é"_s);
    QTest::newRow("a stored NUL") << QByteArray("\"a\\x00b\"") << QVariant(QStringView(u"a\0b", 3).toString());
    QTest::newRow("blanks around the value do not count") << QByteArray("\"ab\" \t") << QVariant(u"ab"_s);
    QTest::newRow("an unescaped quote inside") << QByteArray("\"a\"b\"") << malformed;
    QTest::newRow("text after the closing quote") << QByteArray("\"ab\"c") << malformed;
    QTest::newRow("no closing quote") << QByteArray("\"abc") << malformed;
    QTest::newRow("the closing quote escaped") << QByteArray("\"ab\\\"") << malformed;
    QTest::newRow("an unknown escape") << QByteArray("\"a\\q\"") << malformed;
    QTest::newRow("\\x with one digit") << QByteArray("\"a\\x4\"") << malformed;
    QTest::newRow("bytes that are not UTF-8") << QByteArray("\"\\xff\"") << malformed;
    QTest::newRow("Latin-1 bytes") << QByteArray("\"Zo\xeb\"") << malformed;
    QTest::newRow("an unquoted word") << QByteArray("Smith") << malformed;

    QTest::newRow("dword zero") << QByteArray("dword:00000000") << QVariant(0);
    QTest::newRow("dword with upper-case digits") << QByteArray("dword:0000002A") << QVariant(42);
    QTest::newRow("dword ffffffff is -1") << QByteArray("dword:ffffffff") << QVariant(-1);
    QTest::newRow("dword 80000000 is the lowest") << QByteArray("dword:80000000") << QVariant(INT_MIN);
    QTest::newRow("dword 7fffffff is the highest") << QByteArray("dword:7fffffff") << QVariant(INT_MAX);
    QTest::newRow("dword with 9 digits") << QByteArray("dword:00000002a") << malformed;
    QTest::newRow("dword with 7 digits, as cut short") << QByteArray("dword:0000002") << malformed;
    QTest::newRow("dword with a sign") << QByteArray("dword:-0000001") << malformed;
    QTest::newRow("dword with a non-digit") << QByteArray("dword:0000002g") << malformed;

    QTest::newRow("empty hex is the untyped value without data") << QByteArray("hex:") << QVariant(QByteArray());
    QTest::newRow("hex with data") << QByteArray("hex:00") << malformed;
}

void TestSettingsStore::valueForms()
{
    QFETCH(QByteArray, text);
    QFETCH(QVariant, expected);

    const QSettings::SettingsMap values = ParseTypedConf("[Setup]\nvalue=" + text + '\n');
    QCOMPARE(values.keys(), QStringList { u"Setup/value"_s });
    const QVariant value = values.first();
    if (!expected.isValid()) {
        QCOMPARE(value.metaType(), QMetaType::fromType<MalformedValue>());
        return;
    }
    QCOMPARE(value.metaType(), expected.metaType());
    QCOMPARE(value, expected);
}

void TestSettingsStore::fileLayout_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariantMap>("expected");

    const QVariantMap smith { { u"Setup/surname"_s, u"Smith"_s } };
    QTest::newRow("one value") << QByteArray("[Setup]\nsurname=\"Smith\"\n") << smith;
    QTest::newRow("no line end at the end") << QByteArray("[Setup]\nsurname=\"Smith\"") << smith;
    QTest::newRow("CR LF line ends") << QByteArray("[Setup]\r\nsurname=\"Smith\"\r\n") << smith;
    QTest::newRow("a byte-order mark") << QByteArray("\xEF\xBB\xBF[Setup]\nsurname=\"Smith\"\n") << smith;
    QTest::newRow("blank lines and comments")
        << QByteArray("\n; made by hand\n[Setup]\n\n# surname=\"Jones\"\nsurname=\"Smith\"\n\n") << smith;
    QTest::newRow("blanks around names and sections")
        << QByteArray("  [ Setup ]  \n\t surname = \"Smith\" \n") << smith;
    QTest::newRow("the last of two equal keys counts")
        << QByteArray("[Setup]\nsurname=\"Jones\"\nsurname=\"Smith\"\n") << smith;
    QTest::newRow("keys outside the section and in others are theirs")
        << QByteArray("surname=\"Top\"\n[Other]\nsurname=\"Other\"\n[Setup]\nsurname=\"Smith\"\n")
        << QVariantMap { { u"surname"_s, u"Top"_s }, { u"Other/surname"_s, u"Other"_s },
               { u"Setup/surname"_s, u"Smith"_s } };
    QTest::newRow("lines that hold no value are skipped")
        << QByteArray("[Setup]\nsurname\n=\"x\"\n[Setup\n[x]y=\"z\"\nsurname=\"Smith\"\n") << smith;
    QTest::newRow("an empty file") << QByteArray() << QVariantMap();
    QTest::newRow("a leading slash is part of a key outside any section")
        << QByteArray("/k=\"a\"\nk=\"b\"\n") << QVariantMap { { u"/k"_s, u"a"_s }, { u"k"_s, u"b"_s } };
    QTest::newRow("a byte-order mark starting a name is text, after the file's own")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFk=\"a\"\n[\xEF\xBB\xBFS]\n\xEF\xBB\xBFn=\"b\"\n")
        << QVariantMap { { u"\uFEFFk"_s, u"a"_s }, { u"\uFEFFS/\uFEFFn"_s, u"b"_s } };
    QTest::newRow("a section with a slash and blanks in it")
        << QByteArray("[ Other /x ]\n y/z =\"v\"\n") << QVariantMap { { u"Other /x/y/z"_s, u"v"_s } };
    QTest::newRow("values of neither type are kept as found")
        << QByteArray("[O]\nk=hex:ff\nm= \"a\n")
        << QVariantMap { { u"O/k"_s, QVariant::fromValue(MalformedValue { "hex:ff" }) },
               { u"O/m"_s, QVariant::fromValue(MalformedValue { "\"a" }) } };
}

void TestSettingsStore::fileLayout()
{
    QFETCH(QByteArray, text);
    QFETCH(QVariantMap, expected);

    QCOMPARE(ParseTypedConf(text), expected);
    // Written back, it reads the same.
    QByteArray written;
    QVERIFY(FormatTypedConf(expected, {}, written));
    QCOMPARE(ParseTypedConf(written), expected);
}

// ---- Loading ----

void TestSettingsStore::load_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<UserEntries>("expected");

    const auto file
        = [](const char *surname, const char *middle, const char *gender, const char *min, const char *max) {
              QByteArray text("[Setup]\n");
              const std::pair<const char *, const char *> lines[] = { { "surname", surname }, { "middlename", middle },
                  { "gender", gender }, { "min", min }, { "max", max } };
              for (const auto &[name, value] : lines) {
                  if (value)
                      text.append(name).append('=').append(value).append('\n');
              }
              return text;
          };
    const char *none = nullptr;

    QTest::newRow("first run: no file") << QByteArray() << nothingReadable();
    QTest::newRow("the file of a first save") << file("\"Smith\"", "\"\"", "dword:00000000", "dword:00000001",
        "dword:00000014") << UserEntries { u"Smith"_s, QString(), 0, 1, 20 };
    QTest::newRow("a file written by hand") << QByteArray("; written by hand\r\n"
                                                          "[Setup]\r\n"
                                                          "max = dword:0000000C\r\n"
                                                          "surname = \"O\\\"Brien-M\\xc3\\xbcller \\\\ \"\r\n"
                                                          "gender = dword:00000001\r\n"
                                                          "middlename = \"Ad\xc3\xa1\"\r\n"
                                                          "min = dword:00000004\r\n")
                                            << UserEntries { u"O\"Brien-Müller \\ "_s, u"Adá"_s, 1, 4, 12 };

    QTest::newRow("an empty surname loads as Smith") << file("\"\"", "\"M\"", "dword:00000000", "dword:00000001",
        "dword:00000014") << UserEntries { u"Smith"_s, u"M"_s, 0, 1, 20 };
    QTest::newRow("a surname of spaces loads as Smith") << file("\"   \"", "\"M\"", "dword:00000000", "dword:00000001",
        "dword:00000014") << UserEntries { u"Smith"_s, u"M"_s, 0, 1, 20 };
    QTest::newRow("a surname of control characters loads as Smith") << file("\"\\x09 \\x01\\x1f\\x0a\"", "\"M\"",
        "dword:00000000", "dword:00000001", "dword:00000014") << UserEntries { u"Smith"_s, u"M"_s, 0, 1, 20 };
    QTest::newRow("a surname with spaces around it stays as stored") << file("\"  Lee \\x09\"", "\"M\"",
        "dword:00000000", "dword:00000001", "dword:00000014") << UserEntries { u"  Lee \t"_s, u"M"_s, 0, 1, 20 };
    QTest::newRow("a no-break space is not blank") << file("\"\xc2\xa0\"", "\"M\"", "dword:00000000", "dword:00000001",
        "dword:00000014") << UserEntries { u"\u00a0"_s, u"M"_s, 0, 1, 20 };
    QTest::newRow("a blank middle name stays blank") << file("\"Lee\"", "\"  \"", "dword:00000000", "dword:00000001",
        "dword:00000014") << UserEntries { u"Lee"_s, u"  "_s, 0, 1, 20 };
    QTest::newRow("a text ends at its first NUL") << file("\"Ann\\x00ie\"", "\"\\x00M\"", "dword:00000000",
        "dword:00000001", "dword:00000014") << UserEntries { u"Ann"_s, QString(), 0, 1, 20 };

    QTest::newRow("min 0 loads as 1") << file("\"A\"", "\"B\"", "dword:00000001", "dword:00000000", "dword:0000000a")
                                      << UserEntries { u"A"_s, u"B"_s, 1, 1, 10 };
    QTest::newRow("min 21 loads as 20") << file("\"A\"", "\"B\"", "dword:00000001", "dword:00000015", "dword:0000000a")
                                        << UserEntries { u"A"_s, u"B"_s, 1, 20, 10 };
    QTest::newRow("max 99 loads as 20") << file("\"A\"", "\"B\"", "dword:00000001", "dword:00000002", "dword:00000063")
                                        << UserEntries { u"A"_s, u"B"_s, 1, 2, 20 };
    QTest::newRow("max 1 loads as 3") << file("\"A\"", "\"B\"", "dword:00000001", "dword:00000002", "dword:00000001")
                                      << UserEntries { u"A"_s, u"B"_s, 1, 2, 3 };
    QTest::newRow("max at the lowest integer loads as 3") << file("\"A\"", "\"B\"", "dword:00000001", "dword:7fffffff",
        "dword:80000000") << UserEntries { u"A"_s, u"B"_s, 1, 20, 3 };
    QTest::newRow("min above max is kept as it is") << file("\"A\"", "\"B\"", "dword:00000001", "dword:00000014",
        "dword:00000003") << UserEntries { u"A"_s, u"B"_s, 1, 20, 3 };

    QTest::newRow("gender 0 is female") << file("\"A\"", "\"B\"", "dword:00000000", "dword:00000002", "dword:00000005")
                                        << UserEntries { u"A"_s, u"B"_s, 0, 2, 5 };
    QTest::newRow("gender 5 selects none") << file("\"A\"", "\"B\"", "dword:00000005", "dword:00000002",
        "dword:00000005") << UserEntries { u"A"_s, u"B"_s, -1, 2, 5 };
    QTest::newRow("gender -1 selects none") << file("\"A\"", "\"B\"", "dword:ffffffff", "dword:00000002",
        "dword:00000005") << UserEntries { u"A"_s, u"B"_s, -1, 2, 5 };

    QTest::newRow("gender missing: the texts load, the rest keeps the window's") << file(
        "\"A\"", "\"B\"", none, "dword:00000002", "dword:00000005") << UserEntries { u"A"_s, u"B"_s, 1, 7, 9 };
    QTest::newRow("texts missing read as empty") << file(none, none, "dword:00000000", "dword:00000002",
        "dword:00000005") << UserEntries { u"Smith"_s, QString(), 0, 2, 5 };
    QTest::newRow("a surname of integer type stops the load at once")
        << file("dword:00000001", "\"B\"", "dword:00000000", "dword:00000002", "dword:00000005") << shown();
    QTest::newRow("a middle name of integer type stops the load there")
        << file("\"  \"", "dword:00000001", "dword:00000000", "dword:00000002", "dword:00000005")
        << UserEntries { u"Smith"_s, u"Shown middle"_s, 1, 7, 9 };
    QTest::newRow("min of string type: surname, middle name and gender load") << file(
        "\"A\"", "\"B\"", "dword:00000000", "\"4\"", "dword:00000005") << UserEntries { u"A"_s, u"B"_s, 0, 7, 9 };
    QTest::newRow("gender as an untyped empty value is no integer") << file("\"A\"", "\"B\"", "hex:", "dword:00000002",
        "dword:00000005") << UserEntries { u"A"_s, u"B"_s, 1, 7, 9 };
    QTest::newRow("texts as untyped empty values read as empty") << file("hex:", "hex:", "dword:00000000",
        "dword:00000002", "dword:00000005") << UserEntries { u"Smith"_s, QString(), 0, 2, 5 };
    QTest::newRow("a surname of neither type stops the load at once")
        << file("hex:00", "\"B\"", "dword:00000000", "dword:00000002", "dword:00000005") << shown();
    QTest::newRow("values of another section are not ours")
        << QByteArray("surname=\"Top\"\ngender=dword:00000000\n[Other]\nsurname=\"Other\"\n") << nothingReadable();
}

void TestSettingsStore::load()
{
    QFETCH(QByteArray, file);
    QFETCH(UserEntries, expected);

    ScratchStore scratch;
    if (!file.isNull())
        scratch.write(file);
    QCOMPARE(scratch.loaded(), expected);
}

void TestSettingsStore::filters_data()
{
    QTest::addColumn<QByteArray>("filters"); // the lines after the first five values
    QTest::addColumn<UserEntries>("expected");

    // The window shows every filter on before loading, so that a value the load must leave alone shows.
    const UserEntries lee { u"Lee"_s, QString(), 0, 1, 20 };
    const auto with
        = [&lee](const QString &exclude, const QString &include, qint32 balance, qint32 rhythm, qint32 alliteration) {
              UserEntries entries = lee;
              entries.ExcludeLetters = exclude;
              entries.IncludeLetters = include;
              entries.BalanceFilter = balance;
              entries.RhythmFilter = rhythm;
              entries.Alliteration = alliteration;
              return entries;
          };

    QTest::newRow("a store from before the filters: letters empty, ticks as the window has them")
        << QByteArray() << with(QString(), QString(), 1, 1, 1);
    QTest::newRow("every filter stored") << QByteArray("exclude=\"xq\"\ninclude=\" a-E \"\nbalance=dword:00000001\n"
                                                       "rhythm=dword:00000000\nalliteration=dword:00000001\n")
                                         << with(u"xq"_s, u" a-E "_s, 1, 0, 1);
    QTest::newRow("a tick other than 0 is 1") << QByteArray("balance=dword:00000005\nrhythm=dword:ffffffff\n"
                                                            "alliteration=dword:00000000\n")
                                              << with(QString(), QString(), 1, 1, 0);
}

void TestSettingsStore::filters()
{
    QFETCH(QByteArray, filters);
    QFETCH(UserEntries, expected);

    ScratchStore scratch;
    scratch.write(QByteArray("[Setup]\nsurname=\"Lee\"\nmiddlename=\"\"\ngender=dword:00000000\n"
                             "min=dword:00000001\nmax=dword:00000014\n")
        + filters);
    UserEntries entries { u"Shown"_s, u"Shown middle"_s, 1, 7, 9, u"shown"_s, u"shown"_s, 1, 1, 1 };
    QCOMPARE(scratch.loaded(entries), expected);
}

void TestSettingsStore::roundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("quotes") << u"O\"Neil \"Jr\""_s;
    QTest::newRow("backslashes") << u"C:\\new\\table\\"_s;
    QTest::newRow("text that looks like escapes") << u"\\\" \\\\ \\x41 \\x4"_s;
    QTest::newRow("control characters") << u"A\tB\rC\nD\u0001E\u001fF\u007fG"_s;
    QTest::newRow("non-ASCII") << u"Ñúñez-Øster Æ 日本 😀"_s;
    QTest::newRow("a byte-order mark first") << u"\ufeffLee"_s;
    QTest::newRow("100 characters") << u"Ab\"\\é"_s.repeated(20);
    QTest::newRow("empty") << QString();
    QTest::newRow("only spaces") << u"   "_s;
    QTest::newRow("spaces around it") << u"  Lee  "_s;
    QTest::newRow("text that looks like the file") << u"\"]\n[Setup]\nsurname=\"Evil"_s;
    QTest::newRow("text that looks like an integer") << u"dword:00000001"_s;
    QTest::newRow("text that looks like a comment") << u"; a=b # c"_s;
}

void TestSettingsStore::roundTrip()
{
    QFETCH(QString, text);

    ScratchStore scratch;
    const UserEntries saved { text, text, 1, 3, 17, text, text, 0, 1, 0 };
    QCOMPARE(saveError(scratch.store(), saved), QString());

    // The file holds the text exactly; the load then applies its rules to the surname.
    const QSettings::SettingsMap values = ParseTypedConf(scratch.read());
    for (const char16_t *key : { u"Setup/surname", u"Setup/middlename", u"Setup/exclude", u"Setup/include" })
        QCOMPARE(values.value(QStringView(key).toString()), QVariant(text));
    const bool blank = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 32; });
    QCOMPARE(scratch.loaded(), (UserEntries { blank ? u"Smith"_s : text, text, 1, 3, 17, text, text, 0, 1, 0 }));
}

void TestSettingsStore::truncatedFile()
{
    // A file cut short anywhere loads the values before the cut and then stops: no value that was not stored,
    // no value after one that was not loaded.
    const QByteArray full("[Setup]\n"
                          "surname=\"Okafor\"\n"
                          "middlename=\"Ngozi\"\n"
                          "gender=dword:00000000\n"
                          "min=dword:00000004\n"
                          "max=dword:0000000c\n");
    const QList<UserEntries> stops = {
        shown(), // surname cut inside its value
        nothingReadable(), // cut before or inside the name "surname"
        { u"Okafor"_s, u"Shown middle"_s, 1, 7, 9 }, // middle name cut inside its value
        { u"Okafor"_s, QString(), 1, 7, 9 }, // cut before its value
        { u"Okafor"_s, u"Ngozi"_s, 1, 7, 9 },
        { u"Okafor"_s, u"Ngozi"_s, 0, 7, 9 },
        { u"Okafor"_s, u"Ngozi"_s, 0, 4, 9 },
        { u"Okafor"_s, u"Ngozi"_s, 0, 4, 12 },
    };
    ScratchStore scratch;
    for (qsizetype length = 0; length <= full.size(); ++length) {
        scratch.write(full.first(length));
        const UserEntries loaded = scratch.loaded();
        QVERIFY2(stops.contains(loaded),
            qPrintable(QStringLiteral("cut after %1 bytes: %2").arg(length).arg(describe(loaded))));
    }
    scratch.write(full.chopped(1)); // only the last line end missing
    QCOMPARE(scratch.loaded(), stops.last());
}

void TestSettingsStore::everyLoadReadsTheFileAfresh()
{
    // Another copy may replace the file between two loads with one of the same size and time stamp (saves come
    // within a millisecond): the second load still reads what the file holds then.
    ScratchStore scratch;
    const QDateTime stamp = QDateTime::currentDateTimeUtc().addSecs(-10);
    for (const char *surname : { "Aaaa", "Bbbb" }) {
        scratch.write(QByteArray("[Setup]\nsurname=\"") + surname + "\"\n");
        QFile file(scratch.path());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(stamp, QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(scratch.loaded().Surname, QString::fromLatin1(surname));
    }
}

void TestSettingsStore::damagedFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<UserEntries>("expected");

    QByteArray noise(4096, Qt::Uninitialized);
    QRandomGenerator random(20240607);
    for (char &byte : noise)
        byte = static_cast<char>(random.bounded(256));
    QTest::newRow("random bytes") << noise << nothingReadable();
    QTest::newRow("NUL bytes") << QByteArray(1000, '\0') << nothingReadable();
    QTest::newRow("a line of 2 MiB") << QByteArray(2 * 1024 * 1024, 'x') << nothingReadable();
    QTest::newRow("values past the first MiB are not read") << QByteArray(1024 * 1024, '\n')
            + "[Setup]\nsurname=\"Late\"\n" << nothingReadable();
    QTest::newRow("only the section header") << QByteArray("[Setup]\n") << nothingReadable();
    QTest::newRow("every value of the wrong type") << QByteArray(
        "[Setup]\nsurname=dword:00000001\nmiddlename=dword:00000002\ngender=\"0\"\nmin=\"1\"\nmax=\"20\"\n")
                                                   << shown();
    QTest::newRow("lines of neither type and unreadable keys")
        << QByteArray("[Setup]\nsurname=\"A\nmiddlename=hex:ff\n[ Other /x ]\n y =\"z\"\n") << shown();
}

void TestSettingsStore::damagedFile()
{
    QFETCH(QByteArray, file);
    QFETCH(UserEntries, expected);

    ScratchStore scratch;
    scratch.write(file);
    QCOMPARE(scratch.loaded(), expected);

    // The next save writes its values and keeps everything else that was read (the first MiB), also what is of
    // neither type.
    QCOMPARE(saveError(scratch.store(), SettingsStore::defaults()), QString());
    QSettings::SettingsMap expectedFile = ParseTypedConf(file.first(qMin(file.size(), 1024 * 1024)));
    expectedFile.insert(ParseTypedConf(QByteArray("[Setup]\n"
                                                  "surname=\"Smith\"\n"
                                                  "middlename=\"\"\n"
                                                  "gender=dword:00000000\n"
                                                  "min=dword:00000001\n"
                                                  "max=dword:00000014\n")
        + QByteArray(kFiltersOff)));
    QCOMPARE(ParseTypedConf(scratch.read()), expectedFile);
}

// ---- Saving where it cannot be done ----

enum class Obstacle { FileForFolder, FolderForFile, FolderForLock, ReadOnlyFolder, ReadOnlyFile };
Q_DECLARE_METATYPE(Obstacle)

void TestSettingsStore::unwritableStore_data()
{
    QTest::addColumn<Obstacle>("obstacle");

    QTest::newRow("a file where the Tessaly folder belongs") << Obstacle::FileForFolder;
    QTest::newRow("a folder where the settings file belongs") << Obstacle::FolderForFile;
    QTest::newRow("a folder where the lock file belongs") << Obstacle::FolderForLock;
    QTest::newRow("a read-only Tessaly folder") << Obstacle::ReadOnlyFolder;
    QTest::newRow("a read-only settings file") << Obstacle::ReadOnlyFile;
}

void TestSettingsStore::unwritableStore()
{
    QFETCH(Obstacle, obstacle);

    ScratchStore scratch;
    const QByteArray before("[Setup]\nsurname=\"Kept\"\nmiddlename=\"\"\n");
    UserEntries expectedLoad { u"Kept"_s, QString(), 1, 7, 9 };
    const auto makeReadOnly
        = [](const QString &path) { QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner); };
    switch (obstacle) {
    case Obstacle::FileForFolder: {
        QFile file(scratch.folder());
        QVERIFY(file.open(QIODevice::WriteOnly));
        expectedLoad = nothingReadable();
        break;
    }
    case Obstacle::FolderForFile:
        QVERIFY(QDir().mkpath(scratch.path()));
        expectedLoad = nothingReadable();
        break;
    case Obstacle::FolderForLock:
        scratch.write(before);
        QVERIFY(QDir().mkpath(scratch.lockPath()));
        break;
    case Obstacle::ReadOnlyFolder:
        scratch.write(before);
        makeReadOnly(scratch.folder());
        break;
    case Obstacle::ReadOnlyFile:
        scratch.write(before);
        makeReadOnly(scratch.path());
        break;
    }
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(scratch.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner);
    });
    if (obstacle == Obstacle::ReadOnlyFolder || obstacle == Obstacle::ReadOnlyFile) {
        QFile probe(obstacle == Obstacle::ReadOnlyFile ? scratch.path() : scratch.folder() + QStringLiteral("/probe"));
        if (probe.open(QIODevice::ReadWrite))
            QSKIP("file permissions do not bind this user");
    }

    // Loading is not hindered beyond what the obstacle hides.
    QCOMPARE(scratch.loaded(), expectedLoad);
    // Every attempt to save fails alike, naming the first value, and leaves the store as it was.
    const QString expectedError = u"Failed to set data for 'surname'"_s;
    QCOMPARE(saveError(scratch.store(), SettingsStore::defaults()), expectedError);
    QCOMPARE(saveError(scratch.store(), SettingsStore::defaults()), expectedError);
    if (obstacle == Obstacle::FileForFolder)
        QVERIFY(QFileInfo(scratch.folder()).isFile());
    else if (obstacle == Obstacle::FolderForFile)
        QVERIFY(QFileInfo(scratch.path()).isDir());
    else
        QCOMPARE(scratch.read(), before);
}

// ---- The current user's store ----

void TestSettingsStore::userStore()
{
#ifdef Q_OS_WIN
    QSKIP("the user's store is the registry here");
#endif
    const QString expectedPath = m_home.path() + u"/Tessaly/Nomigraph.conf"_s;
    QCOMPARE(SettingsStore().location(), expectedPath);

    UserEntries entries = shown();
    LoadSettings(entries);
    QCOMPARE(entries, nothingReadable());

    const UserEntries saved { u"Lee"_s, u"Ann"_s, 1, 2, 12 };
    SaveSettings(saved);
    QVERIFY(QFileInfo(expectedPath).isFile());
    entries = shown();
    LoadSettings(entries);
    QCOMPARE(entries, saved);
    QVERIFY(QFile::remove(expectedPath));
}

// ---- Crashes and concurrent copies ----

void TestSettingsStore::abandonedLock()
{
    // A copy killed right after creating the lock file leaves it empty, without the process id by which a
    // dead owner is recognised. The next save must not wait for it (Qt itself would, for 30 seconds).
    ScratchStore scratch;
    scratch.write("[Setup]\nsurname=\"Old\"\n");
    QFile lock(scratch.lockPath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();

    QProcess child;
    QVERIFY(startChild(child, "once", scratch.path(), u"L"_s));
    // A generous bound that still lies well below the 30 seconds.
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(completeSave(scratch.read(), u"L"_s), 0);
    QVERIFY(!QFileInfo::exists(scratch.lockPath()));
}

void TestSettingsStore::killedWhileSaving()
{
    // A copy saving in a loop is killed at a random moment, again and again: the file always holds one complete
    // save, at least as recent as the last one the copy reported. (The long run sets a thousand rounds.)
    const int kRounds = qEnvironmentVariableIsSet("NAMOREL_TEST_KILL_ROUNDS")
        ? qEnvironmentVariableIntValue("NAMOREL_TEST_KILL_ROUNDS")
        : 20;
    ScratchStore scratch;
    int killedWhileLocked = 0;
    for (int round = 0; round < kRounds; ++round) {
        const QString tag = QStringLiteral("K%1").arg(round);
        QProcess child;
        QVERIFY(startChild(child, "loop", scratch.path(), tag));
        // How many saves to let pass varies; where in a save the kill lands depends on when the wait notices.
        const int wanted = 1 + QRandomGenerator::global()->bounded(3);
        int reported = 0;
        const auto reportedSaves = [&] { return reported += child.readAllStandardOutput().count("saved"); };
        QTRY_VERIFY(reportedSaves() >= wanted);
        child.kill();
        QVERIFY(child.waitForFinished());
        reportedSaves();

        if (QFileInfo::exists(scratch.lockPath()))
            ++killedWhileLocked;
        const QByteArray text = scratch.read();
        const int save = completeSave(text, tag);
        QVERIFY2(save >= reported - 1,
            qPrintable(QStringLiteral("round %1, %2 saves reported, file:\n%3")
                           .arg(round)
                           .arg(reported)
                           .arg(QString::fromUtf8(text))));
        QCOMPARE(scratch.loaded().Surname, numbered(tag, save).Surname);
    }
    // Kills between writing the temporary file and renaming it leave the temporary behind.
    const auto strays = [&scratch] {
        return QDir(scratch.folder())
            .entryList({ u"Nomigraph.conf.*"_s }, QDir::Files)
            .filter(QRegularExpression(u"^Nomigraph\\.conf\\.(?!lock$)"_s));
    };
    qInfo("%d of %d kills struck while the copy held the store's lock; %lld stray files", killedWhileLocked, kRounds,
        static_cast<long long>(strays().size()));

    // Whatever the kills left behind, saving goes on, and clears the leftovers once they are old.
    for (const QString &stray : strays()) {
        QFile file(scratch.folder() + u'/' + stray);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-120), QFileDevice::FileModificationTime));
    }
    QCOMPARE(saveError(scratch.store(), numbered(u"after"_s, 3)), QString());
    QCOMPARE(completeSave(scratch.read(), u"after"_s), 3);
    QCOMPARE(strays(), QStringList());
}

void TestSettingsStore::strayTemporaries()
{
    // A copy killed between writing its temporary file and renaming it over the settings leaves the temporary
    // behind. The next save removes those that are old and that no process has open, and nothing else.
    ScratchStore scratch;
    scratch.write("[Setup]\nsurname=\"Old\"\n");
    const auto make = [&](const char16_t *name, bool old) {
        QFile file(scratch.folder() + u'/' + QStringView(name).toString());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Setup]\n") == 8 && file.flush());
        if (old)
            QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-120), QFileDevice::FileModificationTime));
    };
    make(u"Nomigraph.conf.a1B2c3", true); // left by a killed copy
    make(u"Nomigraph.conf.Fresh1", false); // a save under way
    make(u"Nomigraph.conf.bak", true); // not a temporary file
    QStringList kept { u"Nomigraph.conf"_s, u"Nomigraph.conf.Fresh1"_s, u"Nomigraph.conf.bak"_s };
#ifdef Q_OS_LINUX
    make(u"Nomigraph.conf.Open99", true); // still being written by a copy that stalled
    QFile held(scratch.folder() + u"/Nomigraph.conf.Open99"_s);
    QVERIFY(held.open(QIODevice::ReadOnly));
    kept.append(u"Nomigraph.conf.Open99"_s);
#endif

    QCOMPARE(saveError(scratch.store(), SettingsStore::defaults()), QString());
    kept.sort();
    QCOMPARE(QDir(scratch.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(u' '), kept.join(u' '));
}

void TestSettingsStore::concurrentSaves()
{
    // Two copies, started on the same signal, save over and over while a third reads the file in a tight loop.
    // Every read, and the file at the end, finds the complete values of one save of one copy; at the end, one
    // copy's last. Should the two never have been saving at the same moment, the round proved nothing and is
    // run again.
    constexpr int kSaves = 8;
    constexpr int kMaxRounds = 5;
    const QString tags[2] = { u"A"_s, u"B"_s };
    int overlaps = 0;
    QByteArray watched;
    for (int round = 0; round < kMaxRounds && overlaps == 0; ++round) {
        ScratchStore scratch;
        QProcess copies[2];
        QProcess watcher;
        for (int i = 0; i < 2; ++i)
            QVERIFY(startChild(copies[i], "burst", scratch.path(), tags[i], kSaves));
        QVERIFY(startChild(watcher, "watch", scratch.path(), tags[0] + u',' + tags[1]));
        QByteArray output[3];
        QProcess *const children[3] = { &copies[0], &copies[1], &watcher };
        const auto readOutput = [&] {
            for (int i = 0; i < 3; ++i)
                output[i] += children[i]->readAllStandardOutput();
            return std::all_of(std::begin(output), std::end(output),
                [](const QByteArray &text) { return text.startsWith("ready\n"); });
        };
        QTRY_VERIFY(readOutput());
        for (QProcess &copy : copies) {
            copy.write("go\n");
            copy.waitForBytesWritten();
        }
        for (QProcess &copy : copies) {
            QVERIFY(copy.waitForFinished(30000));
            QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
            QVERIFY2(copy.exitCode() == 0, copy.readAllStandardError().constData());
        }
        QFile stop(stopPath(scratch.path()));
        QVERIFY(stop.open(QIODevice::WriteOnly));
        QVERIFY(watcher.waitForFinished(30000));
        readOutput();
        watched = output[2].mid(qstrlen("ready\n")).trimmed();
        QVERIFY2(watched.endsWith(" torn 0"), watcher.readAllStandardError().left(2000).constData());

        const QByteArray text = scratch.read();
        QVERIFY2(
            completeSave(text, tags[0]) == kSaves - 1 || completeSave(text, tags[1]) == kSaves - 1, text.constData());

        const auto timesA = reportedTimes(output[0], "saved");
        const auto timesB = reportedTimes(output[1], "saved");
        QCOMPARE(timesA.size(), kSaves);
        QCOMPARE(timesB.size(), kSaves);
        for (const auto &[startA, endA] : timesA) {
            for (const auto &[startB, endB] : timesB)
                overlaps += startA < endB && startB < endA;
        }
    }
    QVERIFY2(overlaps > 0, "the two copies never saved at the same time");
    qInfo("%d pairs of saves overlapped in time; the watching copy %s", overlaps, watched.constData());
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The crash and concurrency tests start this program again as the copy that saves.
    if (const testing::ChildTask task = testing::childTask(); !task.Role.isEmpty())
        return runChild(task);
    TestSettingsStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsstore.moc"
