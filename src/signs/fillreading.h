#pragma once

#include <QString>

class QWidget;

// The sign of the most recent determination in this run; empty before the first.
QString &SignName();

// Resource path of the sign's picture, zodiac order.
QString signPicture(int signIndex);

// Determines the sign from the stored birth month and day and writes the
// sign's twenty values and its picture into the reading window. When no sign
// can be found (an unknown month before any earlier reading) the window keeps
// what it shows.
void FillReading(QWidget *readingWindow);
