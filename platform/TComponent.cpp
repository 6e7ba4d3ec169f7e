#include <Orbalog/TComponent.h>

#include <QVariant>

namespace Orbalog {

namespace {
constexpr const char *DesigningProperty = "_orbalog_designing";
}

TComponent::TComponent(QObject *AOwner)
    : QObject(AOwner)
{
}

TComponent::~TComponent() = default;

void SetDesigning(QObject *Component, bool Value)
{
    if (Component)
        Component->setProperty(DesigningProperty, Value ? QVariant(true) : QVariant());
}

bool IsDesigning(const QObject *Component)
{
    for (const QObject *o = Component; o; o = o->parent()) {
        if (o->property(DesigningProperty).toBool())
            return true;
    }
    return false;
}

} // namespace Orbalog
