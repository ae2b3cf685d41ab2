#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// The colours every window keeps whatever the desktop's colours are.
namespace Colours {

// The windows' colours.
inline const QColor Pink(255, 192, 255); // window and panel backgrounds
inline const QColor DeepPink(255, 128, 255); // the reading window around its panels
inline const QColor DarkPurple(64, 0, 64); // the forum link and the about title
inline const QColor ValuePurple(100, 0, 110); // reading values
inline const QColor LinkPurple(128, 0, 128); // the about window's links
inline const QColor LinkBlue(0, 0, 255); // promotional and report links

// A light palette with every role set, dark text on light ground, so no role
// of a dark desktop palette reaches a window. Set it once setupUi has run,
// before the window's own colours.
QPalette fixedPalette();

void setColors(QWidget *widget, const QColor &text, const QColor &background = QColor());
void setBackground(QWidget *widget, const QColor &background);

} // namespace Colours
