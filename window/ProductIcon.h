#pragma once
// The product icon shown by the tracing window, the options dialog, the
// viewer window and the about box: 32 x 32 pixels in the 16 standard colours
// (a page of text lines in a blue-framed window over a green striped base).

#include <Orbalog/OrbalogExport.h>

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace Orbalog {

// The resource path of the icon's image.
ORBALOG_EXPORT QString ProductIconPath();
ORBALOG_EXPORT QPixmap ProductPixmap();
ORBALOG_EXPORT QIcon ProductIcon();

} // namespace Orbalog
