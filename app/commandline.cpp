#include "commandline.h"

#include <cstdio>

namespace namorel {

std::optional<QString> CommandLineAnswer(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == u"--")
            break;
        if (argument == u"--help" || argument == u"-h")
            return HelpText();
        if (argument == u"--version")
            return VersionText();
    }
    return std::nullopt;
}

QString HelpText()
{
    return QStringLiteral("Usage: namorel [--help | --version]\n"
                          "\n"
                          "Namorel helps parents choose a first name for their baby. It opens a window\n"
                          "and needs a graphical desktop; without one, start it inside a virtual display\n"
                          "(Debian package xvfb): xvfb-run namorel\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help   show this help and exit\n"
                          "  --version    show the version and the licence and exit\n"
                          "\n"
                          "The window toolkit's own options, such as -platform <name>, are accepted too.\n");
}

QString VersionText()
{
    return QStringLiteral("Namorel " NAMOREL_VERSION "\n"
                          "Copyright (C) 2026 the Namorel developers\n"
                          "License GPL-3.0-or-later <https://www.gnu.org/licenses/gpl-3.0.html>\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n");
}

int PrintAnswer(const QString &answer)
{
    const QByteArray bytes = answer.toLocal8Bit();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return written && std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace namorel
