#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QSet>
#include <QWidget>

// Notes which top-level windows have been painted, so a measurement can run
// the event loop until a window is really on screen.
class PaintWatch : public QObject
{
public:
    PaintWatch() { QCoreApplication::instance()->installEventFilter(this); }

    // Windows are created and deleted between measurements and their
    // addresses reused, so each measurement starts from a clean slate.
    void forget() { m_painted.clear(); }

    // The paint event reaches the window before its children; the event
    // loop pass that delivered it returns only once the whole window is
    // painted and flushed.
    bool waitFor(const QWidget *window, int timeoutMs = 5000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!m_painted.contains(window)) {
            if (!window || deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        return true;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow())
            m_painted.insert(watched);
        return false;
    }

private:
    QSet<const QObject *> m_painted;
};

// Lets the deletions of closed windows happen, as the event loop would.
inline void settleDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
