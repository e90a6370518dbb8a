#include "errorreport.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace namorel {

QString ApplicationTitle()
{
    return QStringLiteral("Namorel");
}

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // A window's position is that of its frame. The frame's size is known once the window has been shown;
    // before that it is taken to be the window's own.
    const QSize outer = window->frameGeometry().size();
    window->move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

QString ErrorReportText(const QString &message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

QString ErrorMessage(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

MessageWindow::MessageWindow(QMessageBox::Icon icon, const QString &text, QWidget *parent)
    : QMessageBox(icon, ApplicationTitle(), QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        QMessageBox::Ok, parent)
{
    // The text is shown as it is, never read as markup.
    setTextFormat(Qt::PlainText);
}

void MessageWindow::showEvent(QShowEvent *event)
{
    // The box has its final size only once it is about to be shown.
    QMessageBox::showEvent(event);
    CentreOnScreen(this);
}

void ShowErrorReport(const QString &message)
{
    MessageWindow box(QMessageBox::Critical, ErrorReportText(message), QApplication::activeWindow());
    box.exec();
}

} // namespace namorel
