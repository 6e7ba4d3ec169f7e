#include <Orbalog/TDialogRunner.h>

#include <QDialog>

#include <exception>

namespace Orbalog {

TDialogRunner::~TDialogRunner() = default;

bool TDialogRunner::Execute(QDialog &Dialog)
{
    return Dialog.exec() == QDialog::Accepted;
}

void TDialogRunner::Show(QDialog &Dialog)
{
    Dialog.show();
    Dialog.raise();
    Dialog.activateWindow();
}

QString TDialogRunner::MessageTitle(TMessageType Type)
{
    return Type == TMessageType::Error ? QStringLiteral("Error") : QStringLiteral("Information");
}

void TDialogRunner::Message(QWidget *Owner, TMessageType Type, const QString &Text)
{
    const QMessageBox::Icon icon = Type == TMessageType::Error ? QMessageBox::Critical : QMessageBox::Information;
    QMessageBox box(icon, MessageTitle(Type), Text, QMessageBox::Ok, Owner);
    Execute(box);
}

void TDialogRunner::Guard(QWidget *Owner, const std::function<void()> &Handler)
{
    QString failure;
    try {
        Handler();
        return;
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    } catch (...) {
        failure = QStringLiteral("An unknown error occurred.");
    }
    Message(Owner, TMessageType::Error, failure);
}

} // namespace Orbalog
