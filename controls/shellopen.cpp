#include "shellopen.h"

#include <QDesktopServices>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

namespace namorel {

namespace {

void openWithDesktop(const QUrl &target, ShellShowMode mode)
{
#ifdef Q_OS_WIN
    // Only the Windows shell can be asked to show the opened program's window maximised.
    const QString what = target.isLocalFile() ? target.toLocalFile() : target.toString();
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t *>(what.utf16()), nullptr, nullptr,
        mode == ShellShowMode::Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
#else
    Q_UNUSED(mode);
    QDesktopServices::openUrl(target);
#endif
}

ShellOpenFunction &currentFunction()
{
    static ShellOpenFunction function;
    return function;
}

} // namespace

void ShellOpen(const QUrl &target, ShellShowMode mode)
{
    if (const ShellOpenFunction &function = currentFunction())
        function(target, mode);
    else
        openWithDesktop(target, mode);
}

ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function)
{
    return std::exchange(currentFunction(), std::move(function));
}

} // namespace namorel
