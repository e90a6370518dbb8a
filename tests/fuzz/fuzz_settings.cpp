// The settings file: bytes to values; whatever is read, written back and read again, is the same, for every key;
// and a load, a save and another load through the store agree.

#include "fuzzcheck.h"
#include "settingsstore.h"
#include "typedconf_p.h"

#include <QFile>

#include <algorithm>
#include <cstdint>

using namespace namorel;

namespace {

// The keys that a save writes: those of a save into an empty file.
const QStringList &storeKeys()
{
    static const QStringList keys = [] {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Nomigraph.conf"));
        SettingsStore(path).save(SettingsStore::defaults());
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? ParseTypedConf(file.readAll()).keys() : QStringList();
    }();
    return keys;
}

bool operator==(const UserEntries &a, const UserEntries &b)
{
    return a.Surname == b.Surname && a.MiddleName == b.MiddleName && a.GenderIndex == b.GenderIndex
        && a.MinLength == b.MinLength && a.MaxLength == b.MaxLength && a.ExcludeLetters == b.ExcludeLetters
        && a.IncludeLetters == b.IncludeLetters && a.BalanceFilter == b.BalanceFilter
        && a.RhythmFilter == b.RhythmFilter && a.Alliteration == b.Alliteration;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QSettings::SettingsMap read = ParseTypedConf(bytes);
    QByteArray written;
    NAMOREL_FUZZ_CHECK(!storeKeys().isEmpty() && FormatTypedConf(read, storeKeys(), written));
    NAMOREL_FUZZ_CHECK(ParseTypedConf(written) == read);

    // Through the store: what a load gives is within the load rules, and saving it loads the same again, with
    // every other value of the file kept.
    if (!FuzzScratchFolder().isValid())
        return 0;
    const QString path = FuzzScratchFolder().filePath(QStringLiteral("Nomigraph.conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), bytes.size()) != bytes.size())
        return 0;
    file.close();
    const SettingsStore store(path);
    UserEntries loaded { QStringLiteral("Shown"), QStringLiteral("Shown"), 1, 7, 9 };
    store.load(loaded);
    NAMOREL_FUZZ_CHECK(loaded.GenderIndex >= -1 && loaded.GenderIndex <= 1);
    NAMOREL_FUZZ_CHECK(loaded.MinLength >= 1 && loaded.MinLength <= 20);
    NAMOREL_FUZZ_CHECK(loaded.MaxLength >= 3 && loaded.MaxLength <= 20);
    for (const qint32 tick : { loaded.BalanceFilter, loaded.RhythmFilter, loaded.Alliteration })
        NAMOREL_FUZZ_CHECK(tick == 0 || tick == 1);
    NAMOREL_FUZZ_CHECK(std::any_of(loaded.Surname.begin(), loaded.Surname.end(), [](QChar c) { return c > u' '; }));
    try {
        store.save(loaded);
    } catch (const SettingsError &) {
        NAMOREL_FUZZ_CHECK(false);
    }
    UserEntries again {};
    store.load(again);
    NAMOREL_FUZZ_CHECK(again == loaded);
    QFile saved(path);
    NAMOREL_FUZZ_CHECK(saved.open(QIODevice::ReadOnly));
    QSettings::SettingsMap expected = ParseTypedConf(bytes.first(qMin(bytes.size(), qsizetype(1024 * 1024))));
    for (const QString &key : storeKeys())
        expected.remove(key);
    QSettings::SettingsMap after = ParseTypedConf(saved.readAll());
    for (const QString &key : storeKeys())
        after.remove(key);
    NAMOREL_FUZZ_CHECK(after == expected);
    return 0;
}
