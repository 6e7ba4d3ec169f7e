#pragma once
// The trace file viewer window: a large-file viewer control with its key
// controller, a main menu (File, Edit, Search, Options, Help), a status bar
// with the caret position, the line count and the file size, and the open,
// find, font, print and printer setup dialogs.
//
// Menu items are enabled lazily: each top-level menu refreshes its items as
// it opens (and after an open or a search, as noted at the handlers). What a
// command raises is reported in an error message box by the dialog runner,
// so nothing escapes into the event loop.

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TDialogRunner.h>

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QFileDialog;
class QFontDialog;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPageSetupDialog;
class QPrintDialog;
class QPrinter;

namespace Ui {
class TKXVViewer;
}

namespace Orbalog {

class TFindDialog;
class TTextFileViewer;
class TViewerController;

class ORBALOG_EXPORT TKXVViewer : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int PrintLineBuffer = 1024;

    static const char *const Title;
    static const char *const OpenFilter;
    // The open dialog's filter ("description|pattern|..." entries) in the
    // form Qt's file dialog takes, one "description (patterns)" per entry.
    static QStringList NameFilters(const QString &Filter);

    // The window belongs to AOwner: a widget owner becomes its parent, any
    // other owner destroys it when it is destroyed itself.
    explicit TKXVViewer(QObject *AOwner = nullptr);
    ~TKXVViewer() override;

    QObject *Owner() const { return FOwner.data(); }

    // Shows Path as the open command does once its dialog has chosen it.
    // Returns false, after reporting "Unable to open File.", on failure;
    // the file shown before, if any, is then shown again.
    bool OpenFile(const QString &Path);

    TDialogRunner &DialogRunner() const { return *FRunner; }
    void SetDialogRunner(std::unique_ptr<TDialogRunner> Runner);
    // The printer that printing and the printer setup share.
    QPrinter &Printer() const { return *FPrinter; }
    // The print and printer setup dialogs, made at their first use.
    QPrintDialog &PrintDialog();
    QPageSetupDialog &PrinterSetupDialog();

    QFrame *KXVStatusBar = nullptr;
    QFrame *KXVBevel1 = nullptr;
    QLabel *KXVPosStatus = nullptr;
    QFrame *KXVBevel2 = nullptr;
    QLabel *KXVLineCount = nullptr;
    QFrame *KXVBevel3 = nullptr;
    QLabel *KXVFileSize = nullptr;
    TTextFileViewer *KXVFileViewer = nullptr;
    TViewerController *KXVControler = nullptr;
    QMenuBar *KXVMainMenu = nullptr;
    QMenu *KXVFileCmd = nullptr;
    QAction *KXVopen = nullptr;
    QAction *KXVN1 = nullptr;
    QAction *KXVPrint = nullptr;
    QAction *KXVPrintSetup = nullptr;
    QAction *KXVN2 = nullptr;
    QAction *KXVExiting = nullptr;
    QMenu *KXVEditCmd = nullptr;
    QAction *KXVCopy = nullptr;
    QAction *KXVSelectAll = nullptr;
    QMenu *KXVSearch = nullptr;
    QAction *KXVFind = nullptr;
    QAction *KXVFindnext = nullptr;
    QAction *KXVN3 = nullptr;
    QAction *KXVGotoLine = nullptr;
    QMenu *KXVOptionsCmd = nullptr;
    QAction *KXVFont = nullptr;
    QMenu *KXVHelp = nullptr;
    QAction *KXVAbout = nullptr;
    TFindDialog *KXVFindDialog = nullptr;
    QFileDialog *KXVOpenDialog = nullptr;
    QFontDialog *KXVFontDialog = nullptr;

public Q_SLOTS:
    // Menu refreshes, run as their menu opens.
    void KXVFileCmdClick(QObject *Sender = nullptr);
    void KXVEditCmdClick(QObject *Sender = nullptr);
    void KXVSearchClick(QObject *Sender = nullptr);

    void KXVopenClick(QObject *Sender = nullptr);
    void KXVPrintClick(QObject *Sender = nullptr);
    void KXVPrintSetupClick(QObject *Sender = nullptr);
    void KXVExitingClick(QObject *Sender = nullptr);
    void KXVCopyClick(QObject *Sender = nullptr);
    void KXVSelectAllClick(QObject *Sender = nullptr);
    void KXVFindClick(QObject *Sender = nullptr);
    void KXVFindnextClick(QObject *Sender = nullptr);
    void KXVGotoLineClick(QObject *Sender = nullptr);
    void KXVFontClick(QObject *Sender = nullptr);
    void KXVAboutClick(QObject *Sender = nullptr);
    void KXVFindDialogFind(QObject *Sender = nullptr);
    void KXVFileViewerShowStatus(QObject *Sender, int Line, int Column);
    // Closes the file shown (the window's close leaves it open).
    void FormClose(QObject *Sender = nullptr);

private:
    void TakeDesignedComponents();
    void ApplyDesign();
    void CreateDialogs();
    void ConnectCommands();
    void Connect(QAction *Action, void (TKXVViewer::*Handler)(QObject *));
    void Reopen(const QString &Path, int Line, int Column);
    void ShowFile();
    void ShowLineCount();
    void PrintLines(bool Selection, int FromLine, int FromColumn, int ToLine, int ToColumn);

    std::unique_ptr<Ui::TKXVViewer> FUi;
    std::unique_ptr<TDialogRunner> FRunner;
    std::unique_ptr<QPrinter> FPrinter;
    QPointer<QObject> FOwner;
    QPrintDialog *FPrintDialog = nullptr;
    QPageSetupDialog *FPrinterSetupDialog = nullptr;
};

} // namespace Orbalog
