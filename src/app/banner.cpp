#include "banner.h"

#include "app/appstate.h"
#include "app/frmmain.h"
#include "platform/platform.h"
#include "widgets/colours.h"
#include "widgets/placement.h"

#include <QLabel>

#include <cfenv>
#include <cmath>

int coBrandNumber(float r)
{
    // Single precision throughout; nearbyint rounds halves to even in the default mode.
    const float scaled = r * 6.0f + 1.0f;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const int number = static_cast<int>(std::nearbyint(scaled));
    std::fesetround(previous);
    return number;
}

BannerFront bannerFront(int coBrandNumber)
{
    switch (coBrandNumber) {
    case 1:
    case 3:
    case 5:
        return BannerFront::CoBrand;
    case 2:
    case 4:
    case 6:
        return BannerFront::FullBrand;
    default:
        return BannerFront::Unchanged;
    }
}

void CoBrand_Randomize(frmMain *mainWindow)
{
    const int number = coBrandNumber(platform().nextRandom());
    appState().intCoBrandRandomNumber = static_cast<qint16>(number);
    if (!mainWindow)
        return;
    const BannerFront front = bannerFront(number);
    if (front == BannerFront::Unchanged)
        return;
    const auto *name = front == BannerFront::CoBrand ? "lblCobrand" : "lblFullBrand";
    if (auto *label = mainWindow->findChild<QLabel *>(QLatin1String(name)))
        Placement::bringToFront(label);
}

void stylePromotions(QLabel *cobrand, QLabel *fullbrand, const QColor &background, QLabel *front)
{
    for (QLabel *label : {cobrand, fullbrand}) {
        Colours::setColors(label, Colours::LinkBlue, background);
        // The strips start at or just left of their window's edge; keep the text inside.
        label->setContentsMargins(4, 0, 4, 0);
    }
    Placement::bringToFront(front);
}
