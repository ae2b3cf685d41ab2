#pragma once

#include <QString>

// A fixed shift of every 8-bit character code; characters that would leave
// 0..255 are dropped. Kept below 134 so that digits and ASCII letters always
// come back unchanged.
constexpr int ScrambleShift = 9;

QString ScrambleText(const QString &text);
QString UnscrambleText(const QString &text);
