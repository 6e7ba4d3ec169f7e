#include <Orbalog/TKXVViewer.h>

#include <Orbalog/FixedPitchFont.h>
#include <Orbalog/ProductIcon.h>
#include <Orbalog/TFindDialog.h>
#include <Orbalog/TPrinterText.h>
#include <Orbalog/TQELAboutBox.h>
#include <Orbalog/TTextFileViewer.h>
#include <Orbalog/TViewerController.h>

#include "ui_TKXVViewer.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <limits>
#include <vector>

namespace Orbalog {

const char *const TKXVViewer::Title = "Orbalog Viewer";
const char *const TKXVViewer::OpenFilter = "Log files(*.LOG)|*.log|Error Log files(*.ERR)|*.err|All files(*.*)|*.*";

namespace {

QFont StatusFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPointSize(8);
    return font;
}

} // namespace

QStringList TKXVViewer::NameFilters(const QString &Filter)
{
    const QStringList parts = Filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << parts[i] + QStringLiteral(" (") + patterns.simplified() + u')';
    }
    return filters;
}

TKXVViewer::TKXVViewer(QObject *AOwner)
    : QMainWindow(qobject_cast<QWidget *>(AOwner), Qt::Window)
    , FUi(std::make_unique<Ui::TKXVViewer>())
    , FRunner(std::make_unique<TDialogRunner>())
    , FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , FOwner(AOwner)
{
    FUi->setupUi(this);
    TakeDesignedComponents();
    ApplyDesign();
    CreateDialogs();
    ConnectCommands();
    if (AOwner && !qobject_cast<QWidget *>(AOwner))
        connect(AOwner, &QObject::destroyed, this, [this] { delete this; });
}

TKXVViewer::~TKXVViewer() = default;

void TKXVViewer::TakeDesignedComponents()
{
    Ui::TKXVViewer &ui = *FUi;
    KXVStatusBar = ui.KXVStatusBar;
    KXVBevel1 = ui.KXVBevel1;
    KXVPosStatus = ui.KXVPosStatus;
    KXVBevel2 = ui.KXVBevel2;
    KXVLineCount = ui.KXVLineCount;
    KXVBevel3 = ui.KXVBevel3;
    KXVFileSize = ui.KXVFileSize;
    KXVFileViewer = ui.KXVFileViewer;
    KXVMainMenu = ui.KXVMainMenu;
    KXVFileCmd = ui.KXVFileCmd;
    KXVopen = ui.KXVopen;
    KXVPrint = ui.KXVPrint;
    KXVPrintSetup = ui.KXVPrintSetup;
    KXVExiting = ui.KXVExiting;
    KXVEditCmd = ui.KXVEditCmd;
    KXVCopy = ui.KXVCopy;
    KXVSelectAll = ui.KXVSelectAll;
    KXVSearch = ui.KXVSearch;
    KXVFind = ui.KXVFind;
    KXVFindnext = ui.KXVFindnext;
    KXVGotoLine = ui.KXVGotoLine;
    KXVOptionsCmd = ui.KXVOptionsCmd;
    KXVFont = ui.KXVFont;
    KXVHelp = ui.KXVHelp;
    KXVAbout = ui.KXVAbout;
    // The separators, in menu order.
    const QList<QAction *> file = KXVFileCmd->actions();
    KXVN1 = file.value(1);
    KXVN2 = file.value(4);
    KXVN3 = KXVSearch->actions().value(2);
    KXVN1->setObjectName(QStringLiteral("KXVN1"));
    KXVN2->setObjectName(QStringLiteral("KXVN2"));
    KXVN3->setObjectName(QStringLiteral("KXVN3"));
}

void TKXVViewer::ApplyDesign()
{
    setObjectName(QStringLiteral("KXVViewer"));
    setWindowIcon(ProductIcon());
    QFont system;
    system.setFamilies({QStringLiteral("System"), QStringLiteral("Sans Serif")});
    system.setPixelSize(13);
    setFont(system);
    for (QLabel *field : {KXVPosStatus, KXVLineCount, KXVFileSize}) {
        field->setFont(StatusFont());
        QPalette palette = field->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        field->setPalette(palette);
    }
    KXVPosStatus->setFixedWidth(59);

    KXVControler = new TViewerController(this);
    KXVControler->setObjectName(QStringLiteral("KXVControler"));
    KXVControler->SetEpochYear(1980);
    KXVFileViewer->SetController(KXVControler);
    KXVFileViewer->SetFixedFont(FixedPitchFont(QStringLiteral("Courier"), 8));
    KXVFileViewer->SetFixedFontColor(Qt::black);
    KXVFileViewer->setFocus();
}

void TKXVViewer::CreateDialogs()
{
    KXVFindDialog = new TFindDialog(this);
    KXVFindDialog->setObjectName(QStringLiteral("KXVFindDialog"));
    KXVFindDialog->SetDown(true);
    KXVFindDialog->OnFind = [this](QObject *Sender) {
        FRunner->Guard(this, [this, Sender] { KXVFindDialogFind(Sender); });
    };

    KXVOpenDialog = new QFileDialog(this, QString::fromLatin1(Title));
    KXVOpenDialog->setObjectName(QStringLiteral("KXVOpenDialog"));
    KXVOpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    KXVOpenDialog->setFileMode(QFileDialog::ExistingFile);
    KXVOpenDialog->setNameFilters(NameFilters(QString::fromLatin1(OpenFilter)));
    KXVOpenDialog->selectNameFilter(KXVOpenDialog->nameFilters().value(0));

    KXVFontDialog = new QFontDialog(this);
    KXVFontDialog->setObjectName(QStringLiteral("KXVFontDialog"));
    KXVFontDialog->setOption(QFontDialog::MonospacedFonts, true);
}

QPrintDialog &TKXVViewer::PrintDialog()
{
    if (!FPrintDialog) {
        FPrintDialog = new QPrintDialog(FPrinter.get(), this);
        FPrintDialog->setObjectName(QStringLiteral("KXVPrintDialog"));
    }
    return *FPrintDialog;
}

QPageSetupDialog &TKXVViewer::PrinterSetupDialog()
{
    if (!FPrinterSetupDialog) {
        FPrinterSetupDialog = new QPageSetupDialog(FPrinter.get(), this);
        FPrinterSetupDialog->setObjectName(QStringLiteral("KXVPrinterSetupDialog"));
    }
    return *FPrinterSetupDialog;
}

void TKXVViewer::SetDialogRunner(std::unique_ptr<TDialogRunner> Runner)
{
    FRunner = Runner ? std::move(Runner) : std::make_unique<TDialogRunner>();
}

void TKXVViewer::Connect(QAction *Action, void (TKXVViewer::*Handler)(QObject *))
{
    connect(Action, &QAction::triggered, this, [this, Action, Handler] {
        FRunner->Guard(this, [this, Action, Handler] { (this->*Handler)(Action); });
    });
}

void TKXVViewer::ConnectCommands()
{
    const auto refresh = [this](QMenu *Menu, void (TKXVViewer::*Handler)(QObject *)) {
        connect(Menu, &QMenu::aboutToShow, this, [this, Menu, Handler] {
            FRunner->Guard(this, [this, Menu, Handler] { (this->*Handler)(Menu); });
        });
    };
    refresh(KXVFileCmd, &TKXVViewer::KXVFileCmdClick);
    refresh(KXVEditCmd, &TKXVViewer::KXVEditCmdClick);
    refresh(KXVSearch, &TKXVViewer::KXVSearchClick);
    Connect(KXVopen, &TKXVViewer::KXVopenClick);
    Connect(KXVPrint, &TKXVViewer::KXVPrintClick);
    Connect(KXVPrintSetup, &TKXVViewer::KXVPrintSetupClick);
    Connect(KXVExiting, &TKXVViewer::KXVExitingClick);
    Connect(KXVCopy, &TKXVViewer::KXVCopyClick);
    Connect(KXVSelectAll, &TKXVViewer::KXVSelectAllClick);
    Connect(KXVFind, &TKXVViewer::KXVFindClick);
    Connect(KXVFindnext, &TKXVViewer::KXVFindnextClick);
    Connect(KXVGotoLine, &TKXVViewer::KXVGotoLineClick);
    Connect(KXVFont, &TKXVViewer::KXVFontClick);
    Connect(KXVAbout, &TKXVViewer::KXVAboutClick);
    KXVFileViewer->OnShowStatus = [this](QObject *Sender, int Line, int Column) {
        KXVFileViewerShowStatus(Sender, Line, Column);
    };
    connect(KXVFileViewer, &TTextFileViewer::LineCountProgress, this, [this] { ShowLineCount(); });
    connect(KXVFileViewer, &TTextFileViewer::LineCountSettled, this, [this] { ShowLineCount(); });
}

void TKXVViewer::KXVFileCmdClick(QObject *)
{
    KXVPrint->setEnabled(KXVFileViewer->LineCount() > 0);
}

void TKXVViewer::KXVEditCmdClick(QObject *)
{
    int l1 = 0, c1 = 0, l2 = 0, c2 = 0;
    KXVSelectAll->setEnabled(KXVFileViewer->LineCount() > 0);
    KXVCopy->setEnabled(KXVFileViewer->GetSelection(l1, c1, l2, c2));
}

void TKXVViewer::KXVSearchClick(QObject *)
{
    const bool hasLines = KXVFileViewer->LineCount() > 0;
    KXVFind->setEnabled(hasLines);
    KXVFindnext->setEnabled(hasLines && !KXVFindDialog->FindText().isEmpty());
    KXVGotoLine->setEnabled(hasLines);
}

void TKXVViewer::KXVopenClick(QObject *)
{
    if (!FRunner->Execute(*KXVOpenDialog))
        return;
    const QString chosen = KXVOpenDialog->selectedFiles().value(0);
    if (!chosen.isEmpty())
        OpenFile(chosen);
}

bool TKXVViewer::OpenFile(const QString &Path)
{
    const QString previous = KXVFileViewer->GetFileName();
    const bool wasOpen = KXVFileViewer->IsOpen();
    const int line = KXVFileViewer->CaretLine();
    const int column = KXVFileViewer->CaretColumn();
    try {
        KXVFileViewer->SetFileName(Path);
        KXVFileViewer->SetIsOpen(true);
        ShowFile();
        KXVSearchClick(this);
        KXVEditCmdClick(this);
        return true;
    } catch (...) {
    }
    if (wasOpen)
        Reopen(previous, line, column);
    FRunner->Message(this, TDialogRunner::TMessageType::Error, QStringLiteral("Unable to open File."));
    return false;
}

void TKXVViewer::Reopen(const QString &Path, int Line, int Column)
{
    // The caption and the fields still name the file shown before, so the
    // view goes back to it, with its caret where it was.
    try {
        KXVFileViewer->SetFileName(Path);
        KXVFileViewer->SetIsOpen(true);
        KXVFileViewer->SetCaretActualPos(Line, Column);
    } catch (...) {
        // Gone meanwhile: the view stays empty.
    }
}

void TKXVViewer::ShowFile()
{
    setWindowTitle(QString::fromLatin1(Title) + QStringLiteral(" - ") + KXVFileViewer->GetFileName());
    ShowLineCount();
    KXVFileSize->setText(QStringLiteral("Size: %1 bytes").arg(KXVFileViewer->FileSize()));
}

void TKXVViewer::ShowLineCount()
{
    if (!KXVFileViewer->IsOpen())
        return;
    const int count = KXVFileViewer->LineCount();
    // While the control is still counting, the field shows how far it got.
    if (count == TTextFileViewer::NotCounted)
        KXVLineCount->setText(QStringLiteral("Lines: %1 so far").arg(KXVFileViewer->LineCount64()));
    else
        KXVLineCount->setText(QStringLiteral("Lines: %1").arg(count));
}

void TKXVViewer::KXVPrintClick(QObject *)
{
    int l1 = 0, c1 = 0, l2 = 0, c2 = 0;
    const bool selected = KXVFileViewer->GetSelection(l1, c1, l2, c2);
    QPrintDialog &dialog = PrintDialog();
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selected);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (!FRunner->Execute(dialog))
        return;
    PrintLines(selected && dialog.printRange() == QAbstractPrintDialog::Selection, l1, c1, l2, c2);
}

void TKXVViewer::PrintLines(bool Selection, int FromLine, int FromColumn, int ToLine, int ToColumn)
{
    std::vector<QChar> buffer(PrintLineBuffer);
    const auto fetch = [this, &buffer](int Line) {
        const int length = KXVFileViewer->GetPrintableLine(Line, buffer.data(), int(buffer.size()));
        return QString(buffer.data(), length);
    };
    TPrinterText channel(*FPrinter);
    try {
        channel.Rewrite();
        channel.SetFont(KXVFileViewer->FixedFont(), KXVFileViewer->FixedFontColor());
        if (!Selection) {
            if (KXVFileViewer->LineCount() == TTextFileViewer::NotCounted)
                KXVFileViewer->CountLines();
            const int count = KXVFileViewer->LineCount();
            for (int line = 0; line < count; ++line)
                channel.WriteLine(fetch(line));
        } else {
            for (int line = FromLine; line <= ToLine; ++line) {
                QString text = fetch(line);
                if (line == ToLine && text.size() > ToColumn)
                    text.truncate(std::max(ToColumn, 0));
                if (line == FromLine)
                    std::fill_n(text.begin(), std::clamp<qsizetype>(FromColumn, 0, text.size()), QChar(u' '));
                channel.WriteLine(text);
            }
        }
    } catch (...) {
        channel.CloseQuietly();
        throw;
    }
    channel.Close();
}

void TKXVViewer::KXVPrintSetupClick(QObject *)
{
    FRunner->Execute(PrinterSetupDialog());
}

void TKXVViewer::KXVExitingClick(QObject *)
{
    close();
}

void TKXVViewer::KXVCopyClick(QObject *)
{
    KXVFileViewer->CopyToClipboard();
}

void TKXVViewer::KXVSelectAllClick(QObject *)
{
    KXVFileViewer->SelectAll(false);
}

void TKXVViewer::KXVFindClick(QObject *)
{
    FRunner->Show(*KXVFindDialog);
}

void TKXVViewer::KXVFindnextClick(QObject *)
{
    KXVFindDialogFind(KXVFindDialog);
}

void TKXVViewer::KXVFindDialogFind(QObject *)
{
    TSearchOptions options;
    options.Backward = !KXVFindDialog->Down();
    options.MatchCase = KXVFindDialog->MatchCase();
    options.WholeWord = KXVFindDialog->WholeWord();
    const QString text = KXVFindDialog->FindText();
    if (!KXVFileViewer->Search(text, options))
        FRunner->Message(this, TDialogRunner::TMessageType::Information,
                         QStringLiteral("Search string '") + text + QStringLiteral("' not found"));
    KXVSearchClick(this);
}

void TKXVViewer::KXVGotoLineClick(QObject *)
{
    QInputDialog dialog(this);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QStringLiteral("Go to Line Number"));
    dialog.setLabelText(QStringLiteral("Enter Line Number (1 to %1)").arg(KXVFileViewer->LineCount()));
    dialog.setTextValue(QString());
    if (!FRunner->Execute(dialog))
        return;
    bool valid = false;
    const int number = dialog.textValue().trimmed().toInt(&valid);
    if (!valid)
        return;
    // Line numbers count from 1; the lowest number still maps to the lowest line index.
    const qint64 index = std::max<qint64>(qint64(number) - 1, std::numeric_limits<int>::min());
    KXVFileViewer->SetCaretActualPos(int(index), 0);
}

void TKXVViewer::KXVFontClick(QObject *)
{
    KXVFontDialog->setCurrentFont(KXVFileViewer->FixedFont());
    if (FRunner->Execute(*KXVFontDialog))
        KXVFileViewer->SetFixedFont(KXVFontDialog->selectedFont());
}

void TKXVViewer::KXVAboutClick(QObject *)
{
    TQELAboutBox::Execute(this, [this](QDialog &Box) { FRunner->Execute(Box); });
}

void TKXVViewer::KXVFileViewerShowStatus(QObject *, int Line, int Column)
{
    KXVPosStatus->setText(QStringLiteral("%1 : %2").arg(qint64(Line) + 1).arg(qint64(Column) + 1));
}

void TKXVViewer::FormClose(QObject *)
{
    KXVFileViewer->SetIsOpen(false);
}

} // namespace Orbalog
