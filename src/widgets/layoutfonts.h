#pragma once

class QWidget;

// The fonts the windows are laid out in: Verdana, or where it is not installed
// DejaVu Sans, whose metrics are close.
namespace LayoutFonts {

// Registers the substitutes and sets the program's default font.
void install();

// Gives the fonts the layout files set the fractional sizes the layouts are
// drawn in: a layout file holds whole points only, so its 8 and 10 stand for
// 8.25 and 9.75.
// Every attribute is set, so nothing of the desktop's font shows through.
void apply(QWidget *window);

} // namespace LayoutFonts
