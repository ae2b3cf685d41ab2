#pragma once

class QWidget;

// Return and Enter press the push button that has the focus, as Space does,
// on every push button of the window; other controls keep their own keys.
// Qt leaves this to dialogs' auto-default buttons, whose look differs.
void pressButtonsWithEnter(QWidget *window);
