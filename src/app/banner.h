#pragma once

class QColor;
class QLabel;
class frmMain;

// Which promotional label the start-up draw brings to the front.
enum class BannerFront { CoBrand, FullBrand, Unchanged };

// r is a draw in [0, 1); the result is r * 6 + 1 rounded half to even, 1..7.
int coBrandNumber(float r);
BannerFront bannerFront(int coBrandNumber);

// The draw made once per run on the first main window.
void CoBrand_Randomize(frmMain *mainWindow);

// The two promotional links that share one place (bold underlined in the
// layouts): blue on the strip's colour, with the given one in front.
void stylePromotions(QLabel *cobrand, QLabel *fullbrand, const QColor &background, QLabel *front);
