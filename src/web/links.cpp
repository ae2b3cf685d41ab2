#include "links.h"

#include "platform/appinfo.h"
#include "platform/platform.h"

#include <QUrl>

QString redirectAddress(const QString &pageKey)
{
    return QStringLiteral("http://") + AppInfo::Host
        + QStringLiteral("/orra-free-native-american-astrology/ssd.php?page=") + pageKey;
}

void OpenRedirectPage(const QString &pageKey)
{
    // Keys are plain ASCII words; the address is used exactly as built.
    platform().openUrl(QUrl(redirectAddress(pageKey), QUrl::StrictMode));
}

void OpenHelpWebPage()
{
    OpenRedirectPage(QStringLiteral("help-web-page"));
}
void OpenHomePage()
{
    OpenRedirectPage(QStringLiteral("home-page"));
}
void OpenDownloadWebPage()
{
    OpenRedirectPage(QStringLiteral("download-web-page"));
}
void OpenDonatePage()
{
    OpenRedirectPage(QStringLiteral("donate"));
}
void OpenFullyBrandedPage()
{
    OpenRedirectPage(QStringLiteral("fully-branded"));
}
void OpenCoBrandPage()
{
    OpenRedirectPage(QStringLiteral("co-brand"));
}
