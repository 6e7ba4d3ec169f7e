#pragma once
// How a window runs its dialogs: modal ones (returning whether the user
// confirmed), modeless ones, and message boxes. The default runs the real
// dialogs; a replacement can answer them itself (tests do), while the window
// still builds and reads every dialog exactly as in use.
//
// Guard runs a command handler and reports whatever it raises in an error
// message box, so that no exception reaches the event loop.

#include <Orbalog/OrbalogExport.h>

#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace Orbalog {

class ORBALOG_EXPORT TDialogRunner
{
public:
    enum class TMessageType { Error, Information };

    virtual ~TDialogRunner();

    // Runs Dialog modally; true when the user confirmed.
    virtual bool Execute(QDialog &Dialog);
    // Shows Dialog beside its window and returns at once.
    virtual void Show(QDialog &Dialog);

    // A message box of Type with Text and an OK button, owned by Owner.
    void Message(QWidget *Owner, TMessageType Type, const QString &Text);
    // Runs Handler; an exception it raises is shown as an error message.
    void Guard(QWidget *Owner, const std::function<void()> &Handler);

    static QString MessageTitle(TMessageType Type);
};

} // namespace Orbalog
