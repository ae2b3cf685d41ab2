#pragma once

#include <QImage>

// The program's icon, from the drawings in resources/icon/.
namespace ProgramIcon {

// Makes it every window's icon.
void install();

// The icon as a square picture of the given side in device pixels.
QImage image(int pixels);

} // namespace ProgramIcon
