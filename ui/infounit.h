#pragma once

#include <QDialog>
#include <QUrl>

#include <memory>

namespace Ui {
class TInfoForm;
}

namespace namorel {

/// The About window: the program's name and version, its logo, a copyright notice and the ways to reach
/// its makers. Created once at start-up, hidden; "About..." shows it modally.
class TInfoForm : public QDialog
{
    Q_OBJECT

public:
    /// The modal result after "Close".
    static constexpr int kAbortResult = 3;
    /// The modal result after the close box, the system menu's close command or Alt+F4.
    static constexpr int kCancelResult = 2;

    /// The makers' customer-care page, opened by "Support".
    static QUrl customerCareUrl();
    /// The logo as the window's layout stores it, from the program's resources.
    static QString logoResource();

    /// Builds the window from its layout, hidden. Reads the logo's header; its pixels wait for the first
    /// paint.
    explicit TInfoForm(QWidget *parent = nullptr);
    ~TInfoForm() override;

    /// The controls, for the program and its tests; they keep the names of the window's layout.
    Ui::TInfoForm &controls() const { return *m_ui; }

    /// Shows the window modally, centred on the screen, and returns its modal result when it closes.
    int showModal();

public slots:
    void BitBtn3Click();
    void OvalButton1Click();
    /// Ends the showing with kCancelResult: the close box, the system menu and Alt+F4 come here.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::TInfoForm> m_ui;
};

/// The About window, created once at start-up.
extern TInfoForm *InfoForm;

} // namespace namorel
