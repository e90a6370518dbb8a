#pragma once

namespace namorel {

/// Makes the faces that the windows name ("MS Sans Serif", "Arial", "Times New Roman") fall back to
/// faces of the same measure where they are missing (Liberation Sans and Serif). Safe to call repeatedly.
void InstallFontSubstitutes();

} // namespace namorel
