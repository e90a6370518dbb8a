#pragma once

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>

#include <thread>

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

/// \a designed as this system draws it, at its own size: where its face is missing, the face that replaces it
/// is named instead. Text measures the same in both; naming the face that draws it spares the search for a
/// missing face's replacements.
QFont DesignedFontAsDrawn(const QFont &designed);

/// How many pixels higher a line of text is in \a designed than in the font \a widget shows, where that font is
/// the stand-in of \a designed. The designed size is measured with the face the widget already draws in, taken
/// at that size: loading the face anew for another size would first ask the system's font configuration how to
/// draw it there, which is most of what a new size costs.
int DesignedLineHeightGain(const QFont &designed, const QWidget *widget);

/// Gives \a window and every control on it that names a face of its own the font that stands in for it,
/// the captions of oval buttons included.
void UseStandInFonts(QWidget *window);

/// Loads the system's font configuration on a thread of its own, from the moment it is made. The first text the
/// program measures would otherwise load it on the way to the first paint; made before the application object,
/// the loading runs beside the application's own start, its connection to the display. Where no thread can be
/// started, the configuration is loaded as before, when first needed.
class FontConfigurationLoading
{
public:
    FontConfigurationLoading();
    ~FontConfigurationLoading();

    FontConfigurationLoading(const FontConfigurationLoading &) = delete;
    FontConfigurationLoading &operator=(const FontConfigurationLoading &) = delete;

    /// Returns once the loading has ended (at once where it could not be started).
    void wait();

private:
    std::thread m_loading;
};

/// While it lives, gives \a window the stand-in of the font its layout sets on it, the moment the layout sets
/// it. The controls that the layout then builds on the window take the stand-in from the start, so their text is
/// measured once, with the face that is shown, not first with the designed face and again after UseStandInFonts.
/// The same holds for the pages that a layout builds apart from the window and then places on it (the pages of
/// a tab control): while they are built they take the window's font, and they follow the window again once it
/// is built.
class StandInFontWhileBuilding : public QObject
{
public:
    explicit StandInFontWhileBuilding(QWidget *window);
    ~StandInFontWhileBuilding() override;

    StandInFontWhileBuilding(const StandInFontWhileBuilding &) = delete;
    StandInFontWhileBuilding &operator=(const StandInFontWhileBuilding &) = delete;

    /// The font the layout set on the window, before its stand-in took its place.
    QFont designedFont() const { return m_designed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QFont m_designed;
    QList<QPointer<QWidget>> m_pages;
};

} // namespace namorel
