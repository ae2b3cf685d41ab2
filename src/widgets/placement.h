#pragma once

class QWidget;

// Where a window or a widget shows.
namespace Placement {

// Places a top-level window in the middle of the screen it will appear on.
void centreOnScreen(QWidget *window);

// Brings a widget in front of the siblings that share its place, and hides
// them, so neither the keyboard nor a screen reader finds what is covered.
void bringToFront(QWidget *widget);

} // namespace Placement
