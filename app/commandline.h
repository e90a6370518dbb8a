#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace namorel {

/// The answer to a command line that asks for information rather than the window: the help for "--help"
/// or "-h", the version for "--version", whichever comes first; nothing after "--" counts. For any other
/// command line the result is empty and the program starts as usual, leaving the arguments to the window
/// toolkit.
std::optional<QString> CommandLineAnswer(const QStringList &arguments);

/// What "--help" prints.
QString HelpText();

/// What "--version" prints: the version, the copyright and the licence.
QString VersionText();

/// Writes an answer to standard output. Returns the process's exit code: 0, or 1 when the text could not be
/// written (a closed or full output).
int PrintAnswer(const QString &answer);

} // namespace namorel
