#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace Placement {

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void bringToFront(QWidget *widget)
{
    if (!widget || !widget->parentWidget())
        return;
    for (QObject *object : widget->parentWidget()->children()) {
        auto *sibling = qobject_cast<QWidget *>(object);
        if (sibling && sibling != widget && sibling->geometry() == widget->geometry())
            sibling->hide();
    }
    widget->show();
    widget->raise();
}

} // namespace Placement
