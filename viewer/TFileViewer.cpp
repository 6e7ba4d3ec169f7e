#include <Orbalog/TFileViewer.h>

#include <Orbalog/TKXVViewer.h>

namespace Orbalog {

TFileViewer::TFileViewer(QObject *AOwner)
    : TComponent(AOwner)
    , FViewerForm(new TKXVViewer(this))
{
}

TFileViewer::~TFileViewer()
{
    delete FViewerForm.data();
}

TKXVViewer *TFileViewer::ViewerForm() const
{
    return FViewerForm.data();
}

void TFileViewer::Show()
{
    if (FViewerForm)
        FViewerForm->setVisible(true);
}

void TFileViewer::Hide()
{
    if (FViewerForm)
        FViewerForm->setVisible(false);
}

} // namespace Orbalog
