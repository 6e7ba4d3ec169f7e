#pragma once
// The component base: an owner that destroys it (the QObject parent), a Name
// (the objectName), and the design-mode flag the form designer sets.

#include <Orbalog/OrbalogExport.h>

#include <QObject>
#include <QString>

namespace Orbalog {

class ORBALOG_EXPORT TComponent : public QObject
{
    Q_OBJECT

public:
    explicit TComponent(QObject *AOwner = nullptr);
    ~TComponent() override;

    QObject *Owner() const { return parent(); }
    QString Name() const { return objectName(); }
    void SetName(const QString &Value) { setObjectName(Value); }
};

// Design mode: an object placed on a form in the designer holds its property
// values and does nothing else. The flag is kept on the object (or inherited
// from any ancestor), so widgets that are not TComponents share it.
ORBALOG_EXPORT void SetDesigning(QObject *Component, bool Value);
ORBALOG_EXPORT bool IsDesigning(const QObject *Component);

} // namespace Orbalog
