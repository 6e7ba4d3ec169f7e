#pragma once
// A dialog runner that answers the window's dialogs from the test: message
// boxes are recorded and confirmed, every other modal dialog is handed to
// the next queued answer (a dialog nobody expected is cancelled and counted).

#include <Orbalog/TDialogRunner.h>

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

#include <deque>
#include <functional>

struct TScriptedRunner : Orbalog::TDialogRunner
{
    using TAnswer = std::function<bool(QDialog &)>;

    std::deque<TAnswer> Answers;
    QStringList Messages;
    QList<QMessageBox::Icon> MessageIcons;
    QStringList MessageTitles;
    int Unexpected = 0;
    QPointer<QDialog> LastShown;

    bool Execute(QDialog &Dialog) override
    {
        if (auto *box = qobject_cast<QMessageBox *>(&Dialog)) {
            Messages << box->text();
            MessageIcons << box->icon();
            MessageTitles << box->windowTitle();
            return true;
        }
        if (Answers.empty()) {
            ++Unexpected;
            return false;
        }
        const TAnswer answer = std::move(Answers.front());
        Answers.pop_front();
        return answer(Dialog);
    }

    void Show(QDialog &Dialog) override
    {
        LastShown = &Dialog;
        TDialogRunner::Show(Dialog);
    }
};
