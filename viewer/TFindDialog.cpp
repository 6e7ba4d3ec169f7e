#include <Orbalog/TFindDialog.h>

#include "ui_TFindDialog.h"

namespace Orbalog {

TFindDialog::TFindDialog(QWidget *Parent)
    : QDialog(Parent)
    , FUi(new Ui::TFindDialog)
{
    FUi->setupUi(this);
    setModal(false);
    connect(FUi->FindNextButton, &QPushButton::clicked, this, &TFindDialog::FindNext);
    connect(FUi->CancelButton, &QPushButton::clicked, this, &QDialog::hide);
    connect(FUi->FindEdit, &QLineEdit::textChanged, this, &TFindDialog::UpdateButtons);
    UpdateButtons();
}

TFindDialog::~TFindDialog()
{
    delete FUi;
}

QString TFindDialog::FindText() const
{
    return FUi->FindEdit->text();
}

void TFindDialog::SetFindText(const QString &Value)
{
    FUi->FindEdit->setText(Value);
}

bool TFindDialog::Down() const
{
    return FUi->DownRadio->isChecked();
}

void TFindDialog::SetDown(bool Value)
{
    (Value ? FUi->DownRadio : FUi->UpRadio)->setChecked(true);
}

bool TFindDialog::MatchCase() const
{
    return FUi->MatchCaseCheck->isChecked();
}

void TFindDialog::SetMatchCase(bool Value)
{
    FUi->MatchCaseCheck->setChecked(Value);
}

bool TFindDialog::WholeWord() const
{
    return FUi->WholeWordCheck->isChecked();
}

void TFindDialog::SetWholeWord(bool Value)
{
    FUi->WholeWordCheck->setChecked(Value);
}

void TFindDialog::FindNext()
{
    if (!FindText().isEmpty())
        OnFind(this);
}

void TFindDialog::UpdateButtons()
{
    FUi->FindNextButton->setEnabled(!FindText().isEmpty());
}

} // namespace Orbalog
