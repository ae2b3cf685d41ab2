#pragma once

#include <QString>

// Names and texts that several windows share.
namespace AppInfo {
inline const QString Title = QStringLiteral("Orra Native American Astrology");
// Every window's caption; the version is the project's, from the build.
inline const QString Caption = Title + QStringLiteral(" v" ORRA_VERSION);
// Settings store and single-instance lock are keyed by the executable's name.
inline const QString ExecutableName = QStringLiteral("OrraFreeNativeAmericanAstrology");
// The maker's web site; every link and footer is built from it.
inline const QString Host = QStringLiteral("www.orra-astro.example");
} // namespace AppInfo
