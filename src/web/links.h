#pragma once

#include <QString>

// Every web page of the maker's site is reached through one redirect address
// that carries a page key.
QString redirectAddress(const QString &pageKey);

// Asks the desktop to open the page; whatever happens, nothing is reported.
void OpenRedirectPage(const QString &pageKey);

void OpenHelpWebPage();
void OpenHomePage();
void OpenDownloadWebPage();
void OpenDonatePage();
void OpenFullyBrandedPage();
void OpenCoBrandPage();
