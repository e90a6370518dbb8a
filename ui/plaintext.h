#pragma once

#include <QString>

namespace namorel {

/// \a text as a tool tip shows it, character for character and with its line breaks. A tool tip takes any text
/// that looks like markup for markup, so text from outside the program (a partner's note, a name) would
/// otherwise be rendered: pictures loaded from any path, tags applied.
inline QString PlainToolTip(const QString &text)
{
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace namorel
