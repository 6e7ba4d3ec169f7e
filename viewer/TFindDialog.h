#pragma once
// A modeless find dialog: the text to find, the direction (up or down),
// match case and whole word. Each press of Find Next (or Enter) raises
// OnFind; Cancel and the close box only hide the dialog, which keeps its
// text and options for the next use.

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TNotifyEvent.h>

#include <QDialog>
#include <QString>

namespace Ui {
class TFindDialog;
}

namespace Orbalog {

class ORBALOG_EXPORT TFindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TFindDialog(QWidget *Parent = nullptr);
    ~TFindDialog() override;

    QString FindText() const;
    void SetFindText(const QString &Value);
    // Searching downward (the frDown option); upward when clear.
    bool Down() const;
    void SetDown(bool Value);
    bool MatchCase() const;
    void SetMatchCase(bool Value);
    bool WholeWord() const;
    void SetWholeWord(bool Value);

    // Presses Find Next, as the user would.
    void FindNext();

    TNotifyEvent OnFind;

private:
    void UpdateButtons();

    Ui::TFindDialog *FUi;
};

} // namespace Orbalog
