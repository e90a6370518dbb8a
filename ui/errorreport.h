#pragma once

#include <QMessageBox>
#include <QString>

#include <exception>

class QWidget;

namespace namorel {

/// The title of the application, "Namorel": the caption of its message boxes.
QString ApplicationTitle();

/// Moves a window, by its frame, to the centre of the screen it is on. A window whose frame is not known
/// yet (one that has never been shown) is centred again as soon as the platform has put its frame round it.
void CentreOnScreen(QWidget *window);

/// The text that the error report shows for \a message: the message, with a full stop added when its
/// last character has a higher code than the full stop (a letter or a digit, say, but not ".", ")" or a space).
QString ErrorReportText(const QString &message);

/// The message of an exception as the user reads it.
QString ErrorMessage(const std::exception &error);

/// A modal message box with the application title as caption and one OK button, centred on the screen.
/// The program's CR LF line breaks are shown as line breaks.
class MessageWindow : public QMessageBox
{
    Q_OBJECT

public:
    MessageWindow(QMessageBox::Icon icon, const QString &text, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
};

/// Shows the error report for \a message: the error icon, the text of ErrorReportText(), one OK button,
/// the application title as caption. Returns when the user has closed it.
void ShowErrorReport(const QString &message);

/// Runs \a handler; an exception that escapes it is shown in the error report, and the program carries on.
/// Returns whether the handler completed.
template<typename Handler> bool RunGuarded(Handler &&handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        ShowErrorReport(ErrorMessage(error));
    }
    return false;
}

} // namespace namorel
