#pragma once

#include <QString>

// Names and texts that several windows share.
namespace AppInfo {
inline const QString Title = QStringLiteral("Orra Native American Astrology");
// Every window's caption, with the project's version (appinfo.cpp).
extern const QString Caption;
// Settings store and single-instance lock are keyed by the executable's name.
inline const QString ExecutableName = QStringLiteral("OrraFreeNativeAmericanAstrology");
// The maker's web site; every link and footer is built from it.
inline const QString Host = QStringLiteral("www.orra-astro.example");
} // namespace AppInfo
