#include "errorreport.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace namorel {

QString ApplicationTitle()
{
    return QStringLiteral("Namorel");
}

namespace {

// Whether the window is on screen with the frame that the platform has put round it (title bar, borders).
bool shownInFrame(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle && handle->isExposed() && !handle->frameMargins().isNull();
}

void moveToCentre(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const auto centred = [&area](QSize outer) {
        return QPoint(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    };
    if (shownInFrame(window)) {
        // Placed by the frame that the platform reports now, not by what the widget last heard of it; the
        // inner area is placed, which window managers follow to the pixel.
        QWindow *handle = window->windowHandle();
        const QMargins frame = handle->frameMargins();
        handle->setPosition(centred(handle->size().grownBy(frame)) + QPoint(frame.left(), frame.top()));
    } else {
        // A window's position is that of its frame, as far as it is known.
        window->move(centred(window->frameGeometry().size()));
    }
}

// A window that is not on screen has no frame: the window manager puts one round it as it shows it, and a
// window placed by the frame it had before (or by none, before its first showing) may land off centre. This
// centres the window again, by its frame, once it shows in it.
class CentringByFrame : public QObject
{
public:
    static inline const QString kName = QStringLiteral("namorel-centring-by-frame");

    explicit CentringByFrame(QWidget *window)
        : QObject(window)
    {
        setObjectName(kName);
        window->installEventFilter(this);
    }

    static CentringByFrame *of(QWidget *window)
    {
        // The name marks the one object of this class among the window's children.
        auto *existing = window->findChild<QObject *>(kName, Qt::FindDirectChildrenOnly);
        return existing ? static_cast<CentringByFrame *>(existing) : new CentringByFrame(window);
    }

    void awaitFrame() { m_awaiting = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            if (auto *window = static_cast<QWidget *>(watched); m_awaiting && shownInFrame(window)) {
                m_awaiting = false;
                // Not in the middle of the event (a paint, say), but right after it.
                QMetaObject::invokeMethod(
                    this, [window] { moveToCentre(window); }, Qt::QueuedConnection);
            }
            break;
        case QEvent::Hide:
            m_awaiting = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool m_awaiting = false;
};

} // namespace

void CentreOnScreen(QWidget *window)
{
    moveToCentre(window);
    CentringByFrame::of(window)->awaitFrame();
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
