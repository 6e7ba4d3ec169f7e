#pragma once

#include <Orbalog/OrbalogExport.h>

#include <QString>

namespace Orbalog {

// The application's title: the Qt application's display name (its name when
// no display name is set); empty without an application object.
ORBALOG_EXPORT QString ApplicationTitle();

} // namespace Orbalog
