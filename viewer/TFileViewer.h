#pragma once
// A non-visual component that owns one trace file viewer window for its
// whole life. Show and Hide only change the window's visibility: its file,
// caption, status fields and find text stay while it is hidden.

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TComponent.h>

#include <QPointer>

namespace Orbalog {

class TKXVViewer;

class ORBALOG_EXPORT TFileViewer : public TComponent
{
    Q_OBJECT

public:
    explicit TFileViewer(QObject *AOwner = nullptr);
    ~TFileViewer() override;

    void Show();
    void Hide();

    TKXVViewer *ViewerForm() const;

private:
    QPointer<TKXVViewer> FViewerForm;
};

} // namespace Orbalog
