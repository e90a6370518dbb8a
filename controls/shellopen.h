#pragma once

#include <QUrl>

#include <functional>

namespace namorel {

/// How the program that opens a target should show its window, where the platform lets us ask.
enum class ShellShowMode { Normal, Maximized };

/// Asks the desktop to open a document, a web address or a mail address with the user's program for it.
/// What comes of it is not examined: nothing is reported when the target cannot be opened.
void ShellOpen(const QUrl &target, ShellShowMode mode = ShellShowMode::Normal);

using ShellOpenFunction = std::function<void(const QUrl &target, ShellShowMode mode)>;

/// Replaces what ShellOpen does, so that tests can record the requests instead of opening anything;
/// an empty function puts the desktop's back. Returns the function that was in use.
ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function);

} // namespace namorel
