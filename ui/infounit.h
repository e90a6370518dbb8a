#pragma once

#include <QDialog>

namespace namorel {

/// The About window: the program's name and version, its logo, a copyright notice and the ways to reach
/// its makers. Created once at start-up, hidden; "About..." shows it modally.
class TInfoForm : public QDialog
{
    Q_OBJECT

public:
    explicit TInfoForm(QWidget *parent = nullptr);
    ~TInfoForm() override;

    /// Shows the window modally, centred on the screen, and returns its modal result when it closes.
    int showModal();
};

/// The About window, created once at start-up.
extern TInfoForm *InfoForm;

} // namespace namorel
