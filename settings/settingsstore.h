#pragma once

#include <QString>
#include <QtGlobal>

#include <stdexcept>

namespace namorel {

/// The entries of the main window that are kept between runs.
struct UserEntries
{
    QString Surname; ///< text of the surname box
    QString MiddleName; ///< text of the middle-name box
    qint32 GenderIndex; ///< 0 female, 1 male, -1 none selected
    qint32 MinLength; ///< shortest recommended name length
    qint32 MaxLength; ///< longest recommended name length
    QString ExcludeLetters {}; ///< text of "Exclude..."
    QString IncludeLetters {}; ///< text of "Include..."
    qint32 BalanceFilter = 0; ///< 1 ticked, 0 not
    qint32 RhythmFilter = 0; ///< 1 ticked, 0 not
    qint32 Alliteration = 0; ///< 1 ticked, 0 not
};

/// A save that failed. what() is the message for the user, in UTF-8: "Failed to set data for '<value>'".
class SettingsError : public std::runtime_error
{
public:
    explicit SettingsError(const QString &valueName);

    /// The name of the value that could not be written, such as "surname".
    QString valueName() const { return m_valueName; }
    /// The message as the user sees it.
    QString message() const;

private:
    QString m_valueName;
};

/// The per-user settings store: typed values in the group "Setup", "surname" and "middlename" (strings),
/// "gender", "min" and "max" (32-bit integers), and the filters' state after them: "exclude" and "include"
/// (strings), "balance", "rhythm" and "alliteration" (32-bit integers, 1 ticked, 0 not). On Windows they live in the
/// registry key HKEY_CURRENT_USER\Software\Tessaly\Nomigraph\Setup; elsewhere in Tessaly/Nomigraph.conf in the user's
/// configuration folder, a text file that keeps each value's type. Every load and save opens the store afresh;
/// nothing is cached in between.
class SettingsStore
{
public:
    /// The current user's store.
    SettingsStore();

    /// A store kept in the typed configuration file at \a filePath, on every platform, so that tests can put
    /// it in a temporary folder.
    explicit SettingsStore(const QString &filePath);

    /// Where the values live: a file path, or a registry path on Windows. Empty when the user has no
    /// configuration folder.
    QString location() const { return m_location; }

    /// Reads the values in their fixed order into \a entries. The first value that is missing (only for the
    /// integers; a missing string reads as empty) or of the wrong type ends the load silently, and it and all
    /// after it keep what \a entries held. A surname of nothing but spaces and control characters loads as
    /// "Smith"; a gender other than 0 or 1 as -1; the minimum is brought into 1..20 and the maximum into 3..20;
    /// a filter's tick other than 0 as 1. A store written before the filters existed stops at "balance", so
    /// the filters keep what \a entries held. Never throws.
    void load(UserEntries &entries) const noexcept;

    /// Writes all the values, in their fixed order, as given, and keeps every other value of the store. Throws
    /// SettingsError naming the value that could not be written, "surname" when the store cannot be opened or
    /// created. The file is replaced as a whole once the new text is on the disk, never left half-written or
    /// emptied; with several copies saving at once, the file holds one copy's values. A save waits at most
    /// 2 seconds for another one, and fails rather than wait longer.
    void save(const UserEntries &entries) const;

    /// What the main window shows when nothing has been loaded: "Smith", empty, female, 1 and 20, and every
    /// filter off.
    static UserEntries defaults();

    /// The current user's typed configuration file, Tessaly/Nomigraph.conf in the user's configuration
    /// folder, whether or not it exists; empty when there is no such folder.
    static QString userFilePath();

private:
    enum class Kind { TypedFile, Registry };

    SettingsStore(Kind kind, const QString &location);

    Kind m_kind;
    QString m_location;
};

/// Loads the current user's stored entries into \a entries, as SettingsStore::load does. Never throws; values
/// that cannot be read stay as passed in.
void LoadSettings(UserEntries &entries);

/// Saves \a entries as the current user's stored entries, as SettingsStore::save does. Throws SettingsError,
/// what() = "Failed to set data for '<name>'". Synchronous and free of any event processing, so it may also
/// be called while the desktop session ends.
void SaveSettings(const UserEntries &entries);

} // namespace namorel
