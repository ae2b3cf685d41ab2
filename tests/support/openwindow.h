#pragma once

#include <QApplication>
#include <QWidget>

// The window of class T on the screen, if any, found among the open windows
// as a user would find it. Shared by the tests, the benchmarks and the
// screenshot tool.
template<typename T>
T *openWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *found = qobject_cast<T *>(window);
        if (found && found->isVisible())
            return found;
    }
    return nullptr;
}
