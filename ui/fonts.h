#pragma once

#include <QFont>

class QWidget;

namespace namorel {

/// Makes the faces that the windows name ("MS Sans Serif", "Arial", "Times New Roman") fall back to
/// faces of the same measure where they are missing (Liberation Sans and Serif). Safe to call repeatedly.
void InstallFontSubstitutes();

/// The font that stands in for \a designed on this system. Arial and Times New Roman have stand-ins of the
/// same measure, so they keep their size. "MS Sans Serif", where it is missing, becomes Liberation Sans at
/// 15/16 of the size: at 8 points that is 10 pixels, as high as the designed face's 11-pixel characters
/// stand on screen and no wider than its captions, which the layouts fit to the pixel.
QFont StandInFont(const QFont &designed);

/// Gives \a window and every control on it that names a face of its own the font that stands in for it,
/// the captions of oval buttons included.
void UseStandInFonts(QWidget *window);

} // namespace namorel
