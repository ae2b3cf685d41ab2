#pragma once

#include <QColor>
#include <QImage>

#include <initializer_list>

class QLabel;
class QMenu;
class QPalette;
class QWidget;

// Small helpers for the fixed, hand-placed look that every window shares.
namespace WindowLook {

// The windows' colours.
inline const QColor Pink(255, 192, 255); // window and panel backgrounds
inline const QColor DeepPink(255, 128, 255); // the reading window around its panels
inline const QColor DarkPurple(64, 0, 64); // the forum link and the about title
inline const QColor ValuePurple(100, 0, 110); // reading values
inline const QColor LinkPurple(128, 0, 128); // the about window's links
inline const QColor LinkBlue(0, 0, 255); // promotional and report links

// Registers the fallbacks used where the layouts' fonts are not installed,
// and sets the program's default font and icon.
void installFontsAndIcon();

// The program icon as a square picture of the given side in device pixels.
QImage programIconImage(int pixels);

// The look every window keeps whatever the desktop's colours and fonts: a
// light palette with every role set, so no role of a dark desktop palette
// reaches the window, and the layouts' fonts made exact (see layoutFonts).
// Call once setupUi has run, before the window's own colours.
void fixLook(QWidget *window);

// The palette fixLook gives: dark text on light ground in every role.
QPalette fixedPalette();

// Gives the fonts the layout files set the face actually drawn (Verdana or
// its substitute) and the fractional sizes the layouts are drawn in: a layout
// file holds whole points only, so its 8 and 10 stand for 8.25 and 9.75.
void layoutFonts(QWidget *window);

void setColors(QWidget *widget, const QColor &text, const QColor &background = QColor());
void setBackground(QWidget *widget, const QColor &background);

// Gives the window a fixed client area of the size the area widget has,
// a non-resizable frame without minimise or maximise buttons.
void fixClientArea(QWidget *window, QWidget *clientArea);

// The two promotional links that share one place (bold underlined in the
// layouts): blue on the strip's colour, with the given one in front.
void stylePromotions(QLabel *cobrand, QLabel *fullbrand, const QColor &background, QLabel *front);

// Brings a widget in front of the siblings that share its place, and hides
// them, so neither the keyboard nor a screen reader finds what is covered.
void bringToFront(QWidget *widget);

// Gives a menu's separators their names, top to bottom.
void nameSeparators(QMenu *menu, std::initializer_list<const char *> names);

// Places a top-level window in the middle of the screen it will appear on.
void centreOnScreen(QWidget *window);

} // namespace WindowLook
