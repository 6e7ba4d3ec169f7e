#pragma once

#include <Orbalog/OrbalogExport.h>

#include <QFont>

namespace Orbalog {

// The named font at that size when the system has it (or a fixed-pitch
// stand-in for it), otherwise the system's fixed-pitch font at that size:
// trace lines and dumps line up only in a fixed-pitch font.
ORBALOG_EXPORT QFont FixedPitchFont(const QString &Family, int PointSize);

} // namespace Orbalog
