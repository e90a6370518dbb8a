#pragma once

namespace namorel {

/// Makes the program's own controls known to assistive tools: the oval button as a push button (named by
/// its caption, with a Press action, pressed and disabled states) and the hyperlink label as a link (named
/// by its address, with a Press action that opens it). Neither takes the keyboard focus for it. The
/// controls call this themselves; calling it again does nothing.
void InstallControlAccessibility();

} // namespace namorel
