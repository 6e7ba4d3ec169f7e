#include <Orbalog/TQELAboutBox.h>

#include <Orbalog/ProductIcon.h>

#include "ui_TQELAboutBox.h"

#include <QPointer>
#include <QScopeGuard>
#include <QStyle>

namespace Orbalog {

TQELAboutBox *QELAboutBox = nullptr;

namespace {

QFont DesignFont(int PixelSize, bool Italic)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPixelSize(PixelSize);
    font.setBold(true);
    font.setItalic(Italic);
    return font;
}

void Colour(QLabel *Label, const QColor &Colour)
{
    QPalette palette = Label->palette();
    palette.setColor(QPalette::WindowText, Colour);
    Label->setPalette(palette);
}

} // namespace

TQELAboutBox::TQELAboutBox(QWidget *AOwner)
    : QDialog(AOwner)
    , FUi(new Ui::TQELAboutBox)
{
    FUi->setupUi(this);
    Panel1 = FUi->Panel1;
    OKButton = FUi->OKButton;
    ProgramIcon = FUi->ProgramIcon;
    ProductName = FUi->ProductName;
    Version = FUi->Version;
    Copyright = FUi->Copyright;
    Comments = FUi->Comments;
    Shadow = FUi->Shadow;
    Label1 = FUi->Label1;
    ApplyDesign();
}

TQELAboutBox::~TQELAboutBox()
{
    delete FUi;
}

void TQELAboutBox::ApplyDesign()
{
    QFont system;
    system.setFamilies({QStringLiteral("System"), QStringLiteral("Sans Serif")});
    system.setPixelSize(13);
    setFont(system);
    setFixedSize(298, 171);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(ProductIcon());

    Panel1->setLineWidth(1);
    ProgramIcon->setPixmap(ProductPixmap());
    for (QLabel *title : {Shadow, ProductName}) {
        title->setFont(DesignFont(13, true));
        title->setAttribute(Qt::WA_TranslucentBackground);
        title->setAutoFillBackground(false);
    }
    Colour(Shadow, QColor(128, 0, 0));
    Colour(ProductName, Qt::red);
    ProductName->raise();
    for (QLabel *line : {Version, Copyright, Comments}) {
        line->setFont(DesignFont(11, false));
        Colour(line, Qt::black);
    }
    Version->adjustSize();

    OKButton->setFont(DesignFont(11, false));
    OKButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    OKButton->setAutoDefault(true);
    OKButton->setFocus();
}

void TQELAboutBox::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    OKButton->setFocus();
}

void TQELAboutBox::Execute(QWidget *Owner, const std::function<void(QDialog &)> &Run)
{
    QPointer<TQELAboutBox> box = new TQELAboutBox(Owner);
    QELAboutBox = box;
    auto release = qScopeGuard([&box] {
        QELAboutBox = nullptr;
        delete box.data();
    });
    if (Run)
        Run(*box);
    else
        box->exec();
}

} // namespace Orbalog
