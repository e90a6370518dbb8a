#include "settingsstore.h"
#include "typedconf_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

namespace namorel {

namespace {

// How a value read from the store becomes the window's value.
enum class LoadRule {
    AsStored,
    BlankIsDefault, // nothing but spaces and control characters: the default instead
    OutsideRangeIsNone, // outside [low, high]: -1, nothing selected
    Clamped, // brought into [low, high]
    Flag, // anything but 0 is 1
};

// One stored value. Exactly one of text and number is set, and that is its type: string or 32-bit integer.
struct Field
{
    const char *name;
    QString UserEntries::*text;
    qint32 UserEntries::*number;
    const char16_t *defaultText;
    qint32 defaultNumber;
    LoadRule rule;
    qint32 low;
    qint32 high;
};

// The values, in the order in which they are read and written. The filters' values came later and follow the
// original five: a store written before them loads those five, reads the missing letter fields as empty and
// stops at "balance", so every filter stays off.
constexpr std::array<Field, 10> kFields { {
    { "surname", &UserEntries::Surname, nullptr, u"Smith", 0, LoadRule::BlankIsDefault, 0, 0 },
    { "middlename", &UserEntries::MiddleName, nullptr, u"", 0, LoadRule::AsStored, 0, 0 },
    { "gender", nullptr, &UserEntries::GenderIndex, nullptr, 0, LoadRule::OutsideRangeIsNone, 0, 1 },
    { "min", nullptr, &UserEntries::MinLength, nullptr, 1, LoadRule::Clamped, 1, 20 },
    { "max", nullptr, &UserEntries::MaxLength, nullptr, 20, LoadRule::Clamped, 3, 20 },
    { "exclude", &UserEntries::ExcludeLetters, nullptr, u"", 0, LoadRule::AsStored, 0, 0 },
    { "include", &UserEntries::IncludeLetters, nullptr, u"", 0, LoadRule::AsStored, 0, 0 },
    { "balance", nullptr, &UserEntries::BalanceFilter, nullptr, 0, LoadRule::Flag, 0, 1 },
    { "rhythm", nullptr, &UserEntries::RhythmFilter, nullptr, 0, LoadRule::Flag, 0, 1 },
    { "alliteration", nullptr, &UserEntries::Alliteration, nullptr, 0, LoadRule::Flag, 0, 1 },
} };

constexpr qint32 kNoneSelected = -1;

#ifdef Q_OS_WIN
constexpr auto kRegistryPath = u"HKEY_CURRENT_USER\\Software\\Tessaly\\Nomigraph";
#endif
constexpr auto kFileInConfigFolder = u"/Tessaly/Nomigraph.conf";

// Saves of the typed file are serialised by a lock file beside it, "<file>.lock", the one QSettings uses too. A
// lock whose owner has died is taken over at once; one that names no owner (its writer was killed before it wrote
// its process id) once it is this old; a save holds the lock for milliseconds.
constexpr int kAbandonedLockAgeMs = 1000;
// How long a save waits for the lock. A lock that can never be taken (an abandoned one in a folder where it cannot
// be removed) must not freeze the window's close, nor the end of the session: the save gives up instead, well
// within three seconds.
constexpr int kLockWaitMs = 2000;
// A save's temporary file lives for milliseconds; one that has stayed this long was left by a copy that died.
constexpr int kStrayTemporaryAgeSecs = 60;

QString keyOf(const Field &field)
{
    return QStringLiteral("Setup/") + QLatin1StringView(field.name);
}

const QStringList &keyOrder()
{
    static const QStringList keys = [] {
        QStringList list;
        for (const Field &field : kFields)
            list.append(keyOf(field));
        return list;
    }();
    return keys;
}

// A string value: missing reads as empty, so does an untyped value without data; any other type is an error.
// Like the registry's strings, the text ends at its first NUL.
std::optional<QString> readString(const QSettings::SettingsMap &values, const QString &key)
{
    if (!values.contains(key))
        return QString();
    const QVariant value = values.value(key);
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString();
        const qsizetype nul = text.indexOf(QChar::Null);
        if (nul >= 0)
            text.truncate(nul);
        return text;
    }
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().isEmpty())
        return QString();
    return std::nullopt;
}

// An integer value: it must exist and be a 32-bit integer.
std::optional<qint32> readInteger(const QSettings::SettingsMap &values, const QString &key)
{
    if (!values.contains(key))
        return std::nullopt;
    const QVariant value = values.value(key);
    if (value.typeId() != QMetaType::Int)
        return std::nullopt;
    return value.toInt();
}

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 32; });
}

QString loadedText(const Field &field, QString text)
{
    if (field.rule == LoadRule::BlankIsDefault && isBlank(text))
        return QString::fromUtf16(field.defaultText);
    return text;
}

qint32 loadedNumber(const Field &field, qint32 number)
{
    switch (field.rule) {
    case LoadRule::Clamped:
        return std::clamp(number, field.low, field.high);
    case LoadRule::OutsideRangeIsNone:
        return number < field.low || number > field.high ? kNoneSelected : number;
    case LoadRule::Flag:
        return number != 0 ? field.high : field.low;
    case LoadRule::AsStored:
    case LoadRule::BlankIsDefault:
        break;
    }
    return number;
}

bool isRegularFileOrAbsent(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

// The registry key opened for one load or one save, or nothing when it cannot be opened.
std::unique_ptr<QSettings> openRegistry(const QString &location)
{
    auto settings = std::make_unique<QSettings>(location, QSettings::NativeFormat);
    if (settings->status() != QSettings::NoError)
        return nullptr;
    return settings;
}

// Whether a running process has the file open. Only Linux tells, through /proc; elsewhere the age of a file must do.
bool isOpenInSomeProcess(const QString &path)
{
#ifdef Q_OS_LINUX
    struct stat file = {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0)
        return false;
    const QDir processes(QStringLiteral("/proc"));
    for (const QString &pid : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit())
            continue;
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
        for (const QString &fd : QDir(fds).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            struct stat open = {};
            if (::stat(QFile::encodeName(fds + u'/' + fd).constData(), &open) == 0 && open.st_dev == file.st_dev
                && open.st_ino == file.st_ino)
                return true;
        }
    }
#else
    Q_UNUSED(path);
#endif
    return false;
}

// A save writes the new text into a temporary file beside the settings, "Nomigraph.conf.XXXXXX", and renames it
// over them. A copy killed between the two leaves the temporary behind. Called with the lock held: what is older
// than kStrayTemporaryAgeSecs and open in no process is such a leftover, and is removed.
void removeStrayTemporaries(const QString &path)
{
    const QFileInfo settings(path);
    const QRegularExpression temporaryName(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(settings.fileName())));
    const QDateTime cutOff = QDateTime::currentDateTimeUtc().addSecs(-kStrayTemporaryAgeSecs);
    const QFileInfoList candidates = settings.dir().entryInfoList(
        { settings.fileName() + QStringLiteral(".*") }, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &candidate : candidates) {
        if (temporaryName.match(candidate.fileName()).hasMatch() && candidate.lastModified() < cutOff
            && !isOpenInSomeProcess(candidate.filePath()))
            QFile::remove(candidate.filePath());
    }
}

QVariant valueOf(const Field &field, const UserEntries &entries)
{
    return field.text ? QVariant(entries.*field.text) : QVariant(entries.*field.number);
}

// The values of the typed file at \a path, or nothing when it exists but cannot be read: a save must not drop
// what it could not see.
std::optional<QSettings::SettingsMap> readTypedFile(const QString &path)
{
    QSettings::SettingsMap values;
    if (!QFileInfo::exists(path))
        return values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !ReadTypedConf(file, values))
        return std::nullopt;
    return values;
}

// What the store holds now, read afresh, or nothing when it cannot be read. A path that is not a regular file counts
// as a store that cannot be read: reading a pipe there would block for ever. (QSettings would keep the values of an
// earlier load of the file, and take them for the current ones whenever the file's size and modification time in
// milliseconds have not changed.)
std::optional<QSettings::SettingsMap> storedValues(bool typedFile, const QString &location)
{
    if (location.isEmpty())
        return std::nullopt;
    if (typedFile) {
        if (!isRegularFileOrAbsent(location))
            return std::nullopt;
        return readTypedFile(location);
    }
    const std::unique_ptr<QSettings> registry = openRegistry(location);
    if (!registry)
        return std::nullopt;
    QSettings::SettingsMap values;
    for (const QString &key : registry->allKeys())
        values.insert(key, registry->value(key));
    return values;
}

// Writes the values into the typed file at \a path, keeping every other value it holds. The file is replaced
// whole, and only once the new text is known to be on the disk in full: a full disk or a refused write leaves the
// old file as it was. Never waits longer than kLockWaitMs for another save.
bool saveTypedFile(const QString &path, const UserEntries &entries)
{
    const QString lockPath = path + QStringLiteral(".lock");
    // A path that is not a regular file can never be replaced, and a lock path that is not one can never be taken.
    if (path.isEmpty() || !isRegularFileOrAbsent(path) || !isRegularFileOrAbsent(lockPath))
        return false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;

    QLockFile lock(lockPath);
    lock.setStaleLockTime(kAbandonedLockAgeMs);
    if (!lock.tryLock(kLockWaitMs))
        return false;

    removeStrayTemporaries(path);
    std::optional<QSettings::SettingsMap> values = readTypedFile(path);
    if (!values)
        return false;
    for (const Field &field : kFields)
        values->insert(keyOf(field), valueOf(field, entries));
    QByteArray text;
    if (!FormatTypedConf(*values, keyOrder(), text))
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteWholly(file, text) || !file.commit())
        return false;
    // The rename is the last step; check that it put the whole text in place rather than trust it did.
    return QFileInfo(path).size() == text.size();
}

} // namespace

SettingsError::SettingsError(const QString &valueName)
    : std::runtime_error(QStringLiteral("Failed to set data for '%1'").arg(valueName).toStdString())
    , m_valueName(valueName)
{ }

QString SettingsError::message() const
{
    return QString::fromUtf8(what());
}

SettingsStore::SettingsStore()
#ifdef Q_OS_WIN
    : SettingsStore(Kind::Registry, QString::fromUtf16(kRegistryPath))
#else
    : SettingsStore(Kind::TypedFile, userFilePath())
#endif
{ }

SettingsStore::SettingsStore(const QString &filePath)
    : SettingsStore(Kind::TypedFile, filePath)
{ }

SettingsStore::SettingsStore(Kind kind, const QString &location)
    : m_kind(kind)
    , m_location(location)
{ }

UserEntries SettingsStore::defaults()
{
    UserEntries entries {};
    for (const Field &field : kFields) {
        if (field.text)
            entries.*field.text = QString::fromUtf16(field.defaultText);
        else
            entries.*field.number = field.defaultNumber;
    }
    return entries;
}

QString SettingsStore::userFilePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder.isEmpty() ? QString() : folder + QString::fromUtf16(kFileInConfigFolder);
}

void SettingsStore::load(UserEntries &entries) const noexcept
{
    try {
        // A store that cannot be read (on the first run there is none) reads as one without values.
        const QSettings::SettingsMap values
            = storedValues(m_kind == Kind::TypedFile, m_location).value_or(QSettings::SettingsMap());
        for (const Field &field : kFields) {
            const QString key = keyOf(field);
            if (field.text) {
                std::optional<QString> text = readString(values, key);
                if (!text)
                    return;
                entries.*field.text = loadedText(field, *std::move(text));
            } else {
                const std::optional<qint32> number = readInteger(values, key);
                if (!number)
                    return;
                entries.*field.number = loadedNumber(field, *number);
            }
        }
    } catch (...) {
        // Loading never fails: whatever was not read keeps the window's value.
    }
}

void SettingsStore::save(const UserEntries &entries) const
{
    // When the store cannot be opened or created, the first write is the one that fails.
    const SettingsError cannotOpen(QLatin1StringView(kFields.front().name));
    if (m_kind == Kind::TypedFile) {
        if (!saveTypedFile(m_location, entries))
            throw cannotOpen;
        return;
    }

    const std::unique_ptr<QSettings> settings = m_location.isEmpty() ? nullptr : openRegistry(m_location);
    if (!settings || !settings->isWritable())
        throw cannotOpen;
    for (const Field &field : kFields) {
        settings->setValue(keyOf(field), valueOf(field, entries));
        // The registry writes each value at once.
        if (settings->status() != QSettings::NoError)
            throw SettingsError(QLatin1StringView(field.name));
    }
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw cannotOpen;
}

void LoadSettings(UserEntries &entries)
{
    try {
        SettingsStore().load(entries);
    } catch (...) {
        // Not even the store's location could be made out: nothing is loaded.
    }
}

void SaveSettings(const UserEntries &entries)
{
    SettingsStore().save(entries);
}

} // namespace namorel
