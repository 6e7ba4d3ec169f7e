#include <Orbalog/ProductIcon.h>

namespace Orbalog {

QString ProductIconPath()
{
    return QStringLiteral(":/orbalog/ProductIcon.xpm");
}

QPixmap ProductPixmap()
{
    return QPixmap(ProductIconPath());
}

QIcon ProductIcon()
{
    return QIcon(ProductPixmap());
}

} // namespace Orbalog
