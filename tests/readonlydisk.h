#pragma once

// A folder that a test makes read-only in a way that binds root too.

#include <QFile>
#include <QString>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace namorel::testing {

/// A small disk of its own, mounted on a folder, that seal() makes read-only: then not even root may change
/// anything on it. For a test run by another user, the folder's permissions do the same. The disk is unmounted,
/// with all on it, when this goes.
class ReadOnlyDisk
{
public:
    ReadOnlyDisk() = default;
    ReadOnlyDisk(const ReadOnlyDisk &) = delete;
    ReadOnlyDisk &operator=(const ReadOnlyDisk &) = delete;
    ~ReadOnlyDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
        else if (!m_folder.isEmpty())
            ::chmod(m_folder.constData(), 0700);
    }

    /// Puts the disk on \a folder, which must exist. False when no disk can be mounted (only root may, and not
    /// in every container).
    [[nodiscard]] bool mount(const QString &folder)
    {
        m_folder = QFile::encodeName(folder);
        if (::geteuid() != 0)
            return true;
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=4m,mode=0755") == 0;
        return m_mounted;
    }

    /// Makes the disk read-only. False when it cannot be.
    [[nodiscard]] bool seal()
    {
        if (!m_mounted)
            return ::chmod(m_folder.constData(), 0500) == 0;
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

} // namespace namorel::testing
