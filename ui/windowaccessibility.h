#pragma once

namespace namorel {

/// Makes the windows' drop-down lists known to assistive tools by what they choose ("Gender"), their
/// accessible name or the label that is their buddy, with the chosen entry as their value; left to the
/// platform, a drop-down list would be named by its chosen entry. Calling it again does nothing.
void InstallWindowAccessibility();

} // namespace namorel
