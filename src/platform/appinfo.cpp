#include "appinfo.h"

// Here, not in the header: the fuzz targets build readers that include it
// without the version.
const QString AppInfo::Caption = AppInfo::Title + QStringLiteral(" v" ORRA_VERSION);
