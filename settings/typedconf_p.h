#pragma once

// The typed configuration file that holds the settings where the platform has no registry. Internals of the
// settings store, shared with the tests.
//
// The file is line based, UTF-8, with LF line ends (CR LF is read too):
//
//     [Setup]
//     surname="Smith"
//     gender=dword:00000000
//
// A "[name]" line opens a section; the values below it have the keys "name/<value name>". A value is a
// string in double quotes, with \" for a quote, \\ for a backslash and \xHH for any byte (control characters
// are always written so); "dword:" and 8 hexadecimal digits, a signed 32-bit integer; or "hex:" with nothing
// after it, an untyped value that holds no data. Blank lines and lines starting with ';' or '#' are skipped.

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaType>
#include <QSettings>
#include <QStringList>

class QIODevice;

namespace namorel {

/// A value whose line has neither the string nor the integer form, such as a damaged or hand-edited line.
/// Reading it as either type is an error; writing the file writes it back as it was found.
struct MalformedValue
{
    QByteArray text; ///< what followed the '=', as found

    friend bool operator==(const MalformedValue &, const MalformedValue &) = default;
};

/// The values of a typed configuration file, keyed "section/name". Strings become QString, integers qint32,
/// an empty "hex:" an empty QByteArray and anything else a MalformedValue. Lines that hold no value are skipped,
/// so a damaged file yields whatever it still holds; the last of two equal keys counts.
QSettings::SettingsMap ParseTypedConf(QByteArrayView text);

/// Writes \a values as a typed configuration file into \a text: keys outside any section first, then one
/// block per section; within a section, the keys listed in \a keyOrder in that order, then the others by
/// name. Whatever ParseTypedConf() read reads back the same: every key, under the section and name that give
/// it back, and every value, a MalformedValue as it was found. A key that no file can hold (one with a line
/// break, say) is left out. Returns false, with \a text undefined, for a value of another type than QString,
/// qint32, empty QByteArray or MalformedValue.
bool FormatTypedConf(const QSettings::SettingsMap &values, const QStringList &keyOrder, QByteArray &text);

/// Reads a typed configuration file from \a device. Reads at most 1 MiB, the rest is ignored.
/// Always succeeds: a damaged file loads as far as it goes.
bool ReadTypedConf(QIODevice &device, QSettings::SettingsMap &values);

/// Writes \a text to \a device and, when it is a file, makes sure that the disk holds all of it: the device's
/// buffer flushed and the file synchronised. Returns false when any of it failed.
bool WriteWholly(QIODevice &device, QByteArrayView text);

} // namespace namorel

Q_DECLARE_METATYPE(namorel::MalformedValue)
