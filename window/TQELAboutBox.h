#pragma once
// The about box: the product's title (with its shadow), version, rights
// notice, maker and contact line beside the product icon, and an OK button.
// It is created for each showing with the calling window as owner, reached
// through QELAboutBox while it is shown, and freed when it closes.

#include <Orbalog/OrbalogExport.h>

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace Ui {
class TQELAboutBox;
}

namespace Orbalog {

class ORBALOG_EXPORT TQELAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TQELAboutBox(QWidget *AOwner = nullptr);
    ~TQELAboutBox() override;

    // Creates the box with Owner as its owner, publishes it in QELAboutBox,
    // runs it modally through Run (exec() when none is given) and frees it.
    static void Execute(QWidget *Owner, const std::function<void(QDialog &)> &Run = {});

    QFrame *Panel1;
    QPushButton *OKButton;
    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *Copyright;
    QLabel *Comments;
    QLabel *Shadow;
    QLabel *Label1;

protected:
    void showEvent(QShowEvent *Event) override;

private:
    void ApplyDesign();

    Ui::TQELAboutBox *FUi;
};

// The about box while it is shown; null otherwise.
ORBALOG_EXPORT extern TQELAboutBox *QELAboutBox;

} // namespace Orbalog
