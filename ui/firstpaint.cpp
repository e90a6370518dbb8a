#include "firstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace namorel {

namespace {

// Waits for the first paint of a window, then runs its work once the paint is done.
class FirstPaintWatcher : public QObject
{
public:
    FirstPaintWatcher(QWidget *window, std::function<void()> work)
        : QObject(window)
        , m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                const std::function<void()> work = std::move(m_work);
                deleteLater();
                work();
            });
        }
        return false;
    }

private:
    std::function<void()> m_work;
};

} // namespace

void RunAfterFirstPaint(QWidget *window, std::function<void()> work)
{
    new FirstPaintWatcher(window, std::move(work));
}

} // namespace namorel
