#include <Orbalog/Application.h>

#include <QCoreApplication>
#include <QVariant>

namespace Orbalog {

QString ApplicationTitle()
{
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return QCoreApplication::applicationName();
    // A GUI application publishes its display name as a property; reading it
    // here keeps this layer on Qt Core.
    const QVariant display = app->property("applicationDisplayName");
    if (display.isValid() && !display.toString().isEmpty())
        return display.toString();
    return QCoreApplication::applicationName();
}

} // namespace Orbalog
