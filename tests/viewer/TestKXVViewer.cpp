// The viewer window driven through its menus, shortcuts and dialogs.

#include "PdfText.h"
#include "ScriptedDialogs.h"
#include "ViewerTestFiles.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TFindDialog.h>
#include <Orbalog/TKXVViewer.h>
#include <Orbalog/TQELAboutBox.h>
#include <Orbalog/TTextFileViewer.h>
#include <Orbalog/TViewerController.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QProcess>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Orbalog;

namespace {

const QStringList TraceText = {
    QStringLiteral("------  03/07/2024 10:15:10 ------"),
    QStringLiteral("     0  Request 0 handled by worker 0"),
    QStringLiteral("     1  Request 7 handled by worker 1"),
    QStringLiteral("  indented    text   with   inner blanks"),
    QStringLiteral("xyzzy record four"),
    QStringLiteral("     2  Request 14 handled by worker 2"),
    QStringLiteral("     3  Request 21 handled by Worker 0"),
    QStringLiteral("------  03/07/2024 10:15:11 ------"),
    QStringLiteral("     4  Request 28 handled by worker 1"),
    QStringLiteral("     5  Request 35 it's  done"),
    QStringLiteral("     6  Request 42 handled by worker 0"),
    QStringLiteral("     7  last record"),
};

QByteArray TraceBytes()
{
    return TraceText.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

struct TSelection
{
    bool Selected = false;
    int L1 = 0, C1 = 0, L2 = 0, C2 = 0;
};

TSelection SelectionOf(TTextFileViewer &Viewer)
{
    TSelection s;
    s.Selected = Viewer.GetSelection(s.L1, s.C1, s.L2, s.C2);
    return s;
}

// Opens Menu as the user does and closes it again.
void OpenMenu(QMenu *Menu)
{
    Menu->popup(QPoint(0, 0));
    QTRY_VERIFY(Menu->isVisible());
    Menu->hide();
}

} // namespace

class TestKXVViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void initialState();
    void menuTable_data();
    void menuTable();
    void nameFilters_data();
    void nameFilters();
    void menusRefreshBeforeAndAfterOpen();
    void findNextNeedsFindText();
    void openShowsCaptionAndFields();
    void openFailureKeepsCaptionAndFields();
    void openThroughRealDialogs();
    void realDialogsCanBeCancelled();
    void search_data();
    void search();
    void findDialogIsModelessAndKept();
    void gotoLine_data();
    void gotoLine();
    void uncountedFileShowsProgressThenCount();
    void caretField();
    void printWholeFile();
    void printSelection();
    void printUncountedFileCountsFirst();
    void printFailureClosesChannelAndReports();
    void printSetupServesLaterPrinting();
    void shortcutsRunTheirCommands();
    void copyToClipboard();
    void fontReachesViewAndPrinting();
    void aboutBoxShownModallyAndFreed();
    void exitHidesAndKeepsFile();
    void screenshot();

private:
    void Open(const QByteArray &Bytes = TraceBytes());
    TScriptedRunner::TAnswer PrintTo(const QString &Pdf, QAbstractPrintDialog::PrintRange Range);
    void Select(int L1, int C1, int L2, int C2);

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TKXVViewer> FWindow;
    TScriptedRunner *FRunner = nullptr;
    QString FPath;
    bool FSelectionOffered = false;
    bool FPageRangeOffered = true;
};

void TestKXVViewer::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    FPath = FDir->filePath(QStringLiteral("TRACE.LOG"));
    FWindow = std::make_unique<TKXVViewer>();
    auto runner = std::make_unique<TScriptedRunner>();
    FRunner = runner.get();
    FWindow->SetDialogRunner(std::move(runner));
}

void TestKXVViewer::cleanup()
{
    if (FRunner)
        QCOMPARE(FRunner->Unexpected, 0);
    FWindow.reset();
    FDir.reset();
}

void TestKXVViewer::Open(const QByteArray &Bytes)
{
    WriteFile(FPath, Bytes);
    QVERIFY(FWindow->OpenFile(FPath));
    FWindow->KXVFileViewer->CountLines();
}

void TestKXVViewer::Select(int L1, int C1, int L2, int C2)
{
    TTextFileViewer &viewer = *FWindow->KXVFileViewer;
    viewer.SetCaretActualPos(L1, C1);
    for (int line = L1; line < L2; ++line)
        QTest::keyClick(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&viewer, Qt::Key_Home, Qt::ShiftModifier);
    for (int column = 0; column < C2; ++column)
        QTest::keyClick(&viewer, Qt::Key_Right, Qt::ShiftModifier);
    const TSelection s = SelectionOf(viewer);
    QVERIFY(s.Selected);
    QCOMPARE(QList<int>({s.L1, s.C1, s.L2, s.C2}), QList<int>({L1, C1, L2, C2}));
}

TScriptedRunner::TAnswer TestKXVViewer::PrintTo(const QString &Pdf, QAbstractPrintDialog::PrintRange Range)
{
    return [this, Pdf, Range](QDialog &Dialog) {
        auto *print = qobject_cast<QPrintDialog *>(&Dialog);
        if (!print)
            return false;
        FSelectionOffered = print->testOption(QAbstractPrintDialog::PrintSelection);
        FPageRangeOffered = print->testOption(QAbstractPrintDialog::PrintPageRange);
        print->printer()->setOutputFileName(Pdf);
        print->printer()->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        print->setPrintRange(Range);
        return true;
    };
}

void TestKXVViewer::initialState()
{
    TKXVViewer &w = *FWindow;
    QCOMPARE(w.objectName(), QStringLiteral("KXVViewer"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Orbalog Viewer"));
    QVERIFY(!w.isVisible());
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.size(), QSize(435, 318));
    QCOMPARE(w.KXVPosStatus->text(), QStringLiteral("0:0"));
    QCOMPARE(w.KXVLineCount->text(), QString());
    QCOMPARE(w.KXVFileSize->text(), QString());
    for (QAction *item : {w.KXVPrint, w.KXVCopy, w.KXVFind, w.KXVFindnext, w.KXVGotoLine})
        QVERIFY2(!item->isEnabled(), qPrintable(item->objectName()));
    for (QAction *item : {w.KXVopen, w.KXVPrintSetup, w.KXVExiting, w.KXVSelectAll, w.KXVFont, w.KXVAbout})
        QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    QCOMPARE(w.KXVFileViewer->Controller(), w.KXVControler);
    QCOMPARE(w.KXVControler->TableNames(), QStringList({"Default", "WordStar", "Grid"}));
    QVERIFY(w.KXVControler->IsTableActive(QStringLiteral("Default")));
    QVERIFY(!w.KXVControler->IsTableActive(QStringLiteral("WordStar")));
    QVERIFY(!w.KXVControler->IsTableActive(QStringLiteral("Grid")));
    QCOMPARE(w.KXVControler->EpochYear(), 1980);
    QCOMPARE(w.KXVFileViewer->FixedFont().family(), QStringLiteral("Courier"));
    QCOMPARE(w.KXVFileViewer->FixedFont().pointSize(), 8);
    QCOMPARE(w.KXVFileViewer->FixedFontColor(), QColor(Qt::black));
    QCOMPARE(w.KXVOpenDialog->windowTitle(), QStringLiteral("Orbalog Viewer"));
    QCOMPARE(w.KXVOpenDialog->fileMode(), QFileDialog::ExistingFile);
    QVERIFY(w.KXVFontDialog->testOption(QFontDialog::MonospacedFonts));
    QVERIFY(w.KXVFindDialog->Down());
    QVERIFY(!w.KXVFindDialog->isModal());
}

void TestKXVViewer::menuTable_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    const QKeySequence none;
    QTest::newRow("open") << "KXVFileCmd" << "KXVopen" << "&Open..." << none;
    QTest::newRow("N1") << "KXVFileCmd" << "KXVN1" << "" << none;
    QTest::newRow("print") << "KXVFileCmd" << "KXVPrint" << "&Print" << QKeySequence(Qt::Key_F5);
    QTest::newRow("setup") << "KXVFileCmd" << "KXVPrintSetup" << "Print &Setup..." << none;
    QTest::newRow("N2") << "KXVFileCmd" << "KXVN2" << "" << none;
    QTest::newRow("exit") << "KXVFileCmd" << "KXVExiting" << "E&xit" << QKeySequence(Qt::ALT | Qt::Key_F4);
    QTest::newRow("copy") << "KXVEditCmd" << "KXVCopy" << "&Copy" << QKeySequence(Qt::CTRL | Qt::Key_Insert);
    QTest::newRow("select all") << "KXVEditCmd" << "KXVSelectAll" << "&Select all" << none;
    QTest::newRow("find") << "KXVSearch" << "KXVFind" << "&Find..." << QKeySequence(Qt::Key_F2);
    QTest::newRow("find next") << "KXVSearch" << "KXVFindnext" << "Find &next" << QKeySequence(Qt::Key_F3);
    QTest::newRow("N3") << "KXVSearch" << "KXVN3" << "" << none;
    QTest::newRow("goto") << "KXVSearch" << "KXVGotoLine" << "&Goto Line..." << QKeySequence(Qt::Key_F4);
    QTest::newRow("font") << "KXVOptionsCmd" << "KXVFont" << "&Font..." << none;
    QTest::newRow("about") << "KXVHelp" << "KXVAbout" << "&About..." << none;
}

void TestKXVViewer::menuTable()
{
    QFETCH(QString, menu);
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QMenu *parent = FWindow->findChild<QMenu *>(menu);
    QVERIFY(parent);
    QAction *action = nullptr;
    for (QAction *a : parent->actions())
        if (a->objectName() == item)
            action = a;
    QVERIFY2(action, "not in its menu");
    QCOMPARE(action->isSeparator(), caption.isEmpty());
    if (!caption.isEmpty())
        QCOMPARE(action->text(), caption);
    QCOMPARE(action->shortcut(), shortcut);

    // The top-level order and captions.
    QStringList titles;
    for (QAction *top : FWindow->KXVMainMenu->actions())
        titles << top->menu()->objectName() + u'=' + top->text();
    QCOMPARE(titles, QStringList({"KXVFileCmd=&File", "KXVEditCmd=&Edit", "KXVSearch=&Search",
                                  "KXVOptionsCmd=&Options", "KXVHelp=&Help"}));
}

void TestKXVViewer::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("open dialog") << QString::fromLatin1(TKXVViewer::OpenFilter)
                                 << QStringList({"Log files(*.LOG) (*.log)", "Error Log files(*.ERR) (*.err)",
                                                 "All files(*.*) (*.*)"});
    QTest::newRow("several patterns") << "Traces|*.log;*.err" << QStringList({"Traces (*.log *.err)"});
    QTest::newRow("dangling description") << "Logs|*.log|Other" << QStringList({"Logs (*.log)"});
}

void TestKXVViewer::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(TKXVViewer::NameFilters(filter), expected);
}

void TestKXVViewer::menusRefreshBeforeAndAfterOpen()
{
    TKXVViewer &w = *FWindow;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Enabled by hand first, so that only the refresh can disable them.
    for (QAction *item : {w.KXVPrint, w.KXVCopy, w.KXVSelectAll, w.KXVFind, w.KXVFindnext, w.KXVGotoLine})
        item->setEnabled(true);
    w.KXVFindDialog->SetFindText(QStringLiteral("worker"));
    OpenMenu(w.KXVSearch);
    QVERIFY(!w.KXVFind->isEnabled());
    QVERIFY(!w.KXVFindnext->isEnabled());
    QVERIFY(!w.KXVGotoLine->isEnabled());
    OpenMenu(w.KXVEditCmd);
    QVERIFY(!w.KXVSelectAll->isEnabled());
    QVERIFY(!w.KXVCopy->isEnabled());
    OpenMenu(w.KXVFileCmd);
    QVERIFY(!w.KXVPrint->isEnabled());

    Open();
    // An open refreshes the Search and the Edit menu, not the File menu.
    QVERIFY(w.KXVFind->isEnabled());
    QVERIFY(w.KXVFindnext->isEnabled());
    QVERIFY(w.KXVGotoLine->isEnabled());
    QVERIFY(w.KXVSelectAll->isEnabled());
    QVERIFY(!w.KXVCopy->isEnabled());
    QVERIFY(!w.KXVPrint->isEnabled());
    OpenMenu(w.KXVFileCmd);
    QVERIFY(w.KXVPrint->isEnabled());

    w.KXVSelectAll->trigger();
    QVERIFY(!w.KXVCopy->isEnabled());
    OpenMenu(w.KXVEditCmd);
    QVERIFY(w.KXVCopy->isEnabled());

    // An empty file has no lines.
    WriteFile(FPath, QByteArray());
    QVERIFY(w.OpenFile(FPath));
    OpenMenu(w.KXVFileCmd);
    QVERIFY(!w.KXVPrint->isEnabled());
    QVERIFY(!w.KXVFind->isEnabled());
}

void TestKXVViewer::findNextNeedsFindText()
{
    TKXVViewer &w = *FWindow;
    Open();
    QCOMPARE(w.KXVFindDialog->FindText(), QString());
    w.KXVSearchClick();
    QVERIFY(w.KXVFind->isEnabled());
    QVERIFY(!w.KXVFindnext->isEnabled());
    w.KXVFindDialog->SetFindText(QStringLiteral("x"));
    w.KXVSearchClick();
    QVERIFY(w.KXVFindnext->isEnabled());
    w.KXVFindDialog->SetFindText(QString());
    w.KXVSearchClick();
    QVERIFY(!w.KXVFindnext->isEnabled());
}

void TestKXVViewer::openShowsCaptionAndFields()
{
    TKXVViewer &w = *FWindow;
    Open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Orbalog Viewer - ") + FPath);
    QCOMPARE(w.KXVLineCount->text(), QStringLiteral("Lines: 12"));
    QCOMPARE(w.KXVFileSize->text(), QStringLiteral("Size: %1 bytes").arg(TraceBytes().size()));
    QCOMPARE(w.KXVPosStatus->text(), QStringLiteral("1 : 1"));
    QCOMPARE(FRunner->Messages, QStringList());
}

void TestKXVViewer::openFailureKeepsCaptionAndFields()
{
    TKXVViewer &w = *FWindow;
    Open();
    const QString caption = w.windowTitle();
    w.KXVFileViewer->SetCaretActualPos(3, 4);
    QVERIFY(!w.OpenFile(FDir->filePath(QStringLiteral("missing.log"))));
    QCOMPARE(FRunner->Messages, QStringList({"Unable to open File."}));
    QCOMPARE(FRunner->MessageIcons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
    QCOMPARE(w.windowTitle(), caption);
    QCOMPARE(w.KXVLineCount->text(), QStringLiteral("Lines: 12"));
    QCOMPARE(w.KXVFileSize->text(), QStringLiteral("Size: %1 bytes").arg(TraceBytes().size()));
    QCOMPARE(w.KXVPosStatus->text(), QStringLiteral("4 : 5"));
    // The view still shows the file the caption names, its caret in place.
    QVERIFY(w.KXVFileViewer->IsOpen());
    QCOMPARE(w.KXVFileViewer->GetFileName(), FPath);
    QCOMPARE(w.KXVFileViewer->CaretLine(), 3);
    QCOMPARE(w.KXVFileViewer->CaretColumn(), 4);
    w.KXVFileViewer->CountLines();
    QCOMPARE(w.KXVLineCount->text(), QStringLiteral("Lines: 12"));
    // The window stays usable.
    QVERIFY(w.OpenFile(FPath));
    w.KXVFileViewer->CountLines();
    QCOMPARE(w.KXVFileViewer->LineCount(), 12);
}

void TestKXVViewer::openThroughRealDialogs()
{
    // The production runner with the real file dialog and message box,
    // answered from a timer as a user would.
    FWindow->SetDialogRunner(nullptr);
    FRunner = nullptr;
    TKXVViewer &w = *FWindow;
    WriteFile(FPath, TraceBytes());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QStringList seenFilters;
    QString seenTitle;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seenFilters = dialog->nameFilters();
        seenTitle = dialog->windowTitle();
        dialog->selectFile(FPath);
        static_cast<QDialog *>(dialog)->accept();
    });
    w.KXVopen->trigger();
    QCOMPARE(seenTitle, QStringLiteral("Orbalog Viewer"));
    QCOMPARE(seenFilters.size(), 3);
    QCOMPARE(w.windowTitle(), QStringLiteral("Orbalog Viewer - ") + FPath);

    // Cancelled: nothing changes.
    QTimer::singleShot(0, this, [] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
            static_cast<QDialog *>(dialog)->reject();
    });
    w.KXVopen->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Orbalog Viewer - ") + FPath);

    QString message;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        message = box->text();
        icon = box->icon();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    w.OpenFile(FDir->filePath(QStringLiteral("nowhere/missing.log")));
    QCOMPARE(message, QStringLiteral("Unable to open File."));
    QCOMPARE(icon, QMessageBox::Critical);
}

void TestKXVViewer::realDialogsCanBeCancelled()
{
    // The print, printer setup, font and input dialogs as they really run,
    // cancelled by the user: nothing is printed, nothing changes.
    FWindow->SetDialogRunner(nullptr);
    FRunner = nullptr;
    TKXVViewer &w = *FWindow;
    Open();
    Select(1, 0, 1, 5);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString pdf = FDir->filePath(QStringLiteral("cancelled.pdf"));
    w.Printer().setOutputFileName(pdf);
    const QFont font = w.KXVFileViewer->FixedFont();
    const auto cancel = [this](const char *Kind, QStringList &Seen) {
        QTimer::singleShot(0, this, [Kind, &Seen] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            Seen << QString::fromLatin1(modal->metaObject()->className());
            if (!modal->inherits(Kind))
                Seen << QStringLiteral("not a ") + QString::fromLatin1(Kind);
            if (auto *print = qobject_cast<QPrintDialog *>(modal))
                Seen << QString::number(print->testOption(QAbstractPrintDialog::PrintSelection));
            static_cast<QDialog *>(modal)->reject();
        });
    };
    QStringList seen;
    cancel("QPrintDialog", seen);
    w.KXVPrintClick();
    cancel("QPageSetupDialog", seen);
    w.KXVPrintSetupClick();
    cancel("QFontDialog", seen);
    w.KXVFontClick();
    cancel("QInputDialog", seen);
    w.KXVGotoLineClick();
    QCOMPARE(seen, QStringList({"QPrintDialog", "1", "QPageSetupDialog", "QFontDialog", "QInputDialog"}));
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(w.KXVFileViewer->FixedFont(), font);
    QCOMPARE(w.KXVFileViewer->CaretLine(), 1);
}

void TestKXVViewer::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("hitLine"); // -1: not found

    QTest::newRow("hit") << "worker 2" << true << false << false << 5;
    QTest::newRow("any case") << "WORKER 2" << true << false << false << 5;
    QTest::newRow("match case miss") << "WORKER 2" << true << true << false << -1;
    QTest::newRow("match case hit") << "Worker" << true << true << false << 6;
    QTest::newRow("whole word miss") << "work" << true << false << true << -1;
    QTest::newRow("up") << "Request 7" << false << false << false << 2;
    QTest::newRow("down from the caret") << "Request 7 " << true << false << false << -1;
    QTest::newRow("text kept as typed") << "  it's  Done " << true << true << false << -1;
}

void TestKXVViewer::search()
{
    QFETCH(QString, text);
    QFETCH(bool, down);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, hitLine);
    TKXVViewer &w = *FWindow;
    Open();
    w.KXVFileViewer->SetCaretActualPos(4, 0);
    w.KXVFindDialog->SetFindText(text);
    w.KXVFindDialog->SetDown(down);
    w.KXVFindDialog->SetMatchCase(matchCase);
    w.KXVFindDialog->SetWholeWord(wholeWord);
    w.KXVFindnext->setEnabled(false);
    w.KXVFindDialog->FindNext();
    const TSelection s = SelectionOf(*w.KXVFileViewer);
    if (hitLine < 0) {
        QCOMPARE(FRunner->Messages, QStringList({"Search string '" + text + "' not found"}));
        QCOMPARE(FRunner->MessageIcons, QList<QMessageBox::Icon>({QMessageBox::Information}));
        QVERIFY(!s.Selected);
    } else {
        QCOMPARE(FRunner->Messages, QStringList());
        QVERIFY(s.Selected);
        QCOMPARE(s.L1, hitLine);
        QCOMPARE(TraceText[hitLine].mid(s.C1, s.C2 - s.C1).toLower(), text.toLower());
    }
    // Every search refreshes the Search menu.
    QVERIFY(w.KXVFindnext->isEnabled());
}

void TestKXVViewer::findDialogIsModelessAndKept()
{
    TKXVViewer &w = *FWindow;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Open();
    w.KXVFind->trigger();
    QCOMPARE(FRunner->LastShown.data(), static_cast<QDialog *>(w.KXVFindDialog));
    QVERIFY(w.KXVFindDialog->isVisible());
    QVERIFY(!w.KXVFindDialog->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // Typing the text and pressing Find Next searches; the dialog stays open.
    auto *edit = w.KXVFindDialog->findChild<QLineEdit *>(QStringLiteral("FindEdit"));
    auto *findNext = w.KXVFindDialog->findChild<QPushButton *>(QStringLiteral("FindNextButton"));
    QVERIFY(edit && findNext);
    QTest::keyClicks(edit, QStringLiteral("handled by worker 0"));
    QTest::mouseClick(findNext, Qt::LeftButton);
    QCOMPARE(SelectionOf(*w.KXVFileViewer).L1, 1);
    QVERIFY(w.KXVFindDialog->isVisible());

    // Find next (F3 through its menu item) goes on from the hit, in any case.
    w.KXVFindnext->trigger();
    QCOMPARE(SelectionOf(*w.KXVFileViewer).L1, 6);
    w.KXVFindnext->trigger();
    QCOMPARE(SelectionOf(*w.KXVFileViewer).L1, 10);
    w.KXVFindnext->trigger();
    QCOMPARE(FRunner->Messages, QStringList({"Search string 'handled by worker 0' not found"}));

    // Cancel hides the dialog; it comes back with its text and options.
    w.KXVFindDialog->SetMatchCase(true);
    QTest::mouseClick(w.KXVFindDialog->findChild<QPushButton *>(QStringLiteral("CancelButton")), Qt::LeftButton);
    QVERIFY(!w.KXVFindDialog->isVisible());
    w.KXVFind->trigger();
    QVERIFY(w.KXVFindDialog->isVisible());
    QCOMPARE(w.KXVFindDialog->FindText(), QStringLiteral("handled by worker 0"));
    QVERIFY(w.KXVFindDialog->MatchCase());
}

void TestKXVViewer::gotoLine_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<int>("caretLine");

    QTest::newRow("line 5") << true << "5" << 4;
    QTest::newRow("blanks around") << true << " 9 " << 8;
    QTest::newRow("zero") << true << "0" << 0;
    QTest::newRow("negative") << true << "-3" << 0;
    QTest::newRow("lowest integer") << true << "-2147483648" << 0;
    QTest::newRow("beyond the count") << true << "500" << 11;
    QTest::newRow("not a number") << true << "twelve" << 6;
    QTest::newRow("trailing letters") << true << "3x" << 6;
    QTest::newRow("empty") << true << "" << 6;
    QTest::newRow("too large") << true << "99999999999" << 6;
    QTest::newRow("cancelled") << false << "2" << 6;
}

void TestKXVViewer::gotoLine()
{
    QFETCH(bool, confirm);
    QFETCH(QString, entered);
    QFETCH(int, caretLine);
    TKXVViewer &w = *FWindow;
    Open();
    w.KXVFileViewer->SetCaretActualPos(6, 3);
    QString caption, prompt, initial;
    FRunner->Answers.push_back([&](QDialog &Dialog) {
        auto *input = qobject_cast<QInputDialog *>(&Dialog);
        if (!input)
            return false;
        caption = input->windowTitle();
        prompt = input->labelText();
        initial = input->textValue();
        input->setTextValue(entered);
        return confirm;
    });
    w.KXVGotoLine->setEnabled(true);
    w.KXVGotoLine->trigger();
    QCOMPARE(caption, QStringLiteral("Go to Line Number"));
    QCOMPARE(prompt, QStringLiteral("Enter Line Number (1 to 12)"));
    QCOMPARE(initial, QString());
    QCOMPARE(w.KXVFileViewer->CaretLine(), caretLine);
    if (caretLine != 6)
        QCOMPARE(w.KXVFileViewer->CaretColumn(), 0);
    QCOMPARE(FRunner->Messages, QStringList());
}

void TestKXVViewer::uncountedFileShowsProgressThenCount()
{
    TKXVViewer &w = *FWindow;
    // Past 2 GiB of a hole: counting takes a while.
    const qint64 size = (qint64(9) << 28) + 21;
    WriteSparseFile(FPath, size, "\nnext to last\r\nlast\r\n");
    QSignalSpy settled(w.KXVFileViewer, &TTextFileViewer::LineCountSettled);
    QVERIFY(w.OpenFile(FPath));
    QCOMPARE(w.KXVFileViewer->LineCount(), TTextFileViewer::NotCounted);
    QVERIFY(w.KXVLineCount->text().startsWith(QStringLiteral("Lines: ")));
    QVERIFY(w.KXVLineCount->text().endsWith(QStringLiteral(" so far")));
    QVERIFY(!w.KXVLineCount->text().contains(QStringLiteral("2147483647")));

    // The prompt shows the count as the control reports it.
    QString prompt;
    FRunner->Answers.push_back([&](QDialog &Dialog) {
        if (auto *input = qobject_cast<QInputDialog *>(&Dialog))
            prompt = input->labelText();
        return false;
    });
    w.KXVGotoLineClick();
    QCOMPARE(prompt, QStringLiteral("Enter Line Number (1 to 2147483647)"));

    QVERIFY(settled.wait(120000));
    QCOMPARE(w.KXVLineCount->text(), QStringLiteral("Lines: 3"));
}

void TestKXVViewer::caretField()
{
    TKXVViewer &w = *FWindow;
    Open();
    QCOMPARE(w.KXVPosStatus->text(), QStringLiteral("1 : 1"));
    w.KXVFileViewer->SetCaretActualPos(11, 0);
    QCOMPARE(w.KXVPosStatus->text(), QStringLiteral("12 : 1"));
    w.KXVFileViewer->setFocus();
    QTest::keyClick(w.KXVFileViewer, Qt::Key_End);
    QCOMPARE(w.KXVPosStatus->text(), QStringLiteral("12 : %1").arg(TraceText[11].size() + 1));
}

void TestKXVViewer::printWholeFile()
{
    TKXVViewer &w = *FWindow;
    Open();
    const QString pdf = FDir->filePath(QStringLiteral("whole.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    w.KXVPrint->setEnabled(true);
    w.KXVPrint->trigger();
    QCOMPARE(FRunner->Messages, QStringList());
    QVERIFY(!FSelectionOffered);
    QVERIFY(!FPageRangeOffered);
    QCOMPARE(PdfLines(pdf, AdvanceInPoints(w.KXVFileViewer->FixedFont(), w.Printer())), TraceText);
}

void TestKXVViewer::printSelection()
{
    TKXVViewer &w = *FWindow;
    Open();
    Select(3, 5, 4, 2);
    const QString pdf = FDir->filePath(QStringLiteral("selection.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::Selection));
    w.KXVPrintClick();
    QVERIFY(FSelectionOffered);
    QVERIFY(!FPageRangeOffered);
    const double advance = AdvanceInPoints(w.KXVFileViewer->FixedFont(), w.Printer());
    QCOMPARE(PdfLines(pdf, advance), QStringList({"     ented    text   with   inner blanks", "xy"}));

    // Inside one line: the selected text prints at its own column.
    Select(9, 8, 9, 18);
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::Selection));
    w.KXVPrintClick();
    QCOMPARE(PdfLines(pdf, advance), QStringList({"        Request 35"}));

    // A selection the user chose not to print: the whole file.
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    w.KXVPrintClick();
    QVERIFY(FSelectionOffered);
    QCOMPARE(PdfLines(pdf, advance), TraceText);
}

void TestKXVViewer::printUncountedFileCountsFirst()
{
    TKXVViewer &w = *FWindow;
    const qint64 size = (qint64(9) << 28) + 21;
    WriteSparseFile(FPath, size, "\nnext to last\r\nlast\r\n");
    QVERIFY(w.OpenFile(FPath));
    QCOMPARE(w.KXVFileViewer->LineCount(), TTextFileViewer::NotCounted);
    const QString pdf = FDir->filePath(QStringLiteral("uncounted.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    w.KXVPrintClick();
    QCOMPARE(w.KXVFileViewer->LineCount(), 3);
    const QStringList lines = PdfLines(pdf, AdvanceInPoints(w.KXVFileViewer->FixedFont(), w.Printer()));
    // The first line, a hole cut to the buffer, prints as control pictures
    // that have no text in the PDF; the two after it follow one line below.
    QCOMPARE(lines, QStringList({"next to last", "last"}));
    const double spacing = QFontMetricsF(w.KXVFileViewer->FixedFont(), &w.Printer()).lineSpacing() * 72.0 /
                           w.Printer().resolution();
    const double top = PdfWordTop(pdf, QStringLiteral("next"));
    QVERIFY2(top > 0.5 * spacing && top < 1.5 * spacing, qPrintable(QString::number(top)));
}

void TestKXVViewer::printFailureClosesChannelAndReports()
{
    TKXVViewer &w = *FWindow;
    Open();
    const QString pdf = FDir->filePath(QStringLiteral("no/such/folder/out.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    QVERIFY_THROWS_EXCEPTION(EInOutError, w.KXVPrintClick());
    QVERIFY(w.Printer().printerState() != QPrinter::Active);

    // Through the menu, the failure is reported in an error message box.
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    w.KXVPrint->setEnabled(true);
    w.KXVPrint->trigger();
    QCOMPARE(FRunner->Messages.size(), 1);
    QVERIFY(FRunner->Messages[0].startsWith(QStringLiteral("Printer: ")));
    QCOMPARE(FRunner->MessageIcons, QList<QMessageBox::Icon>({QMessageBox::Critical}));

    // The next print succeeds.
    const QString good = FDir->filePath(QStringLiteral("good.pdf"));
    FRunner->Answers.push_back(PrintTo(good, QAbstractPrintDialog::AllPages));
    w.KXVPrintClick();
    QCOMPARE(PdfLines(good, AdvanceInPoints(w.KXVFileViewer->FixedFont(), w.Printer())), TraceText);
}

void TestKXVViewer::printSetupServesLaterPrinting()
{
    TKXVViewer &w = *FWindow;
    Open();
    QPrinter *configured = nullptr;
    FRunner->Answers.push_back([&](QDialog &Dialog) {
        auto *setup = qobject_cast<QPageSetupDialog *>(&Dialog);
        if (!setup)
            return false;
        configured = setup->printer();
        configured->setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    w.KXVPrintSetup->trigger();
    QCOMPARE(configured, &w.Printer());

    const QString pdf = FDir->filePath(QStringLiteral("landscape.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    w.KXVPrintClick();
    QProcess info;
    info.start(QStandardPaths::findExecutable(QStringLiteral("pdfinfo")), {pdf});
    QVERIFY(info.waitForFinished(60000));
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(text);
    QVERIFY2(size.hasMatch(), qPrintable(text));
    QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
}

void TestKXVViewer::shortcutsRunTheirCommands()
{
    TKXVViewer &w = *FWindow;
    Open();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.KXVFileViewer->setFocus();

    QTest::keyClick(&w, Qt::Key_F2);
    QTRY_VERIFY(w.KXVFindDialog->isVisible());
    w.KXVFindDialog->hide();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    bool asked = false;
    FRunner->Answers.push_back([&](QDialog &Dialog) {
        auto *input = qobject_cast<QInputDialog *>(&Dialog);
        asked = input != nullptr;
        if (input)
            input->setTextValue(QStringLiteral("8"));
        return asked;
    });
    QTest::keyClick(w.KXVFileViewer, Qt::Key_F4);
    QVERIFY(asked);
    QCOMPARE(w.KXVFileViewer->CaretLine(), 7);

    w.KXVFindDialog->SetFindText(QStringLiteral("Request 42"));
    w.KXVSearchClick();
    QTest::keyClick(w.KXVFileViewer, Qt::Key_F3);
    QCOMPARE(SelectionOf(*w.KXVFileViewer).L1, 10);

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    w.KXVEditCmdClick();
    QTest::keyClick(w.KXVFileViewer, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Request 42"));

    const QString pdf = FDir->filePath(QStringLiteral("f5.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::Selection));
    w.KXVFileCmdClick();
    QTest::keyClick(w.KXVFileViewer, Qt::Key_F5);
    QCOMPARE(PdfLines(pdf, AdvanceInPoints(w.KXVFileViewer->FixedFont(), w.Printer())),
             QStringList({"        Request 42"}));

    QTest::keyClick(w.KXVFileViewer, Qt::Key_F4, Qt::AltModifier);
    QVERIFY(!w.isVisible());
}

void TestKXVViewer::copyToClipboard()
{
    TKXVViewer &w = *FWindow;
    Open();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    Select(1, 8, 2, 15);
    w.KXVEditCmdClick();
    QVERIFY(w.KXVCopy->isEnabled());
    w.KXVCopy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Request 0 handled by worker 0\r\n     1  Request"));

    w.KXVSelectAll->trigger();
    const TSelection all = SelectionOf(*w.KXVFileViewer);
    QCOMPARE(QList<int>({all.L1, all.C1}), QList<int>({0, 0}));
    QCOMPARE(w.KXVFileViewer->CaretLine(), 0); // the flag false: the caret at the start
    w.KXVCopyClick();
    // All the text: every line up to the end of the last one.
    QCOMPARE(QGuiApplication::clipboard()->text(), TraceText.join(QStringLiteral("\r\n")));
}

void TestKXVViewer::fontReachesViewAndPrinting()
{
    TKXVViewer &w = *FWindow;
    Open();
    const QFont before = w.KXVFileViewer->FixedFont();
    QFont chosen(QStringLiteral("DejaVu Sans Mono"), 14);
    QFont offered;
    bool monospacedOnly = false;
    FRunner->Answers.push_back([&](QDialog &Dialog) {
        auto *fonts = qobject_cast<QFontDialog *>(&Dialog);
        if (!fonts)
            return false;
        offered = fonts->currentFont();
        monospacedOnly = fonts->testOption(QFontDialog::MonospacedFonts);
        fonts->setCurrentFont(chosen);
        fonts->accept();
        return true;
    });
    w.KXVFont->trigger();
    QVERIFY(monospacedOnly);
    QCOMPARE(offered.family(), QFontInfo(before).family());
    QCOMPARE(offered.pointSize(), before.pointSize());
    QCOMPARE(w.KXVFileViewer->FixedFont().family(), chosen.family());
    QCOMPARE(w.KXVFileViewer->FixedFont().pointSize(), 14);

    // Cancelled: the font stays.
    FRunner->Answers.push_back([](QDialog &Dialog) {
        if (auto *fonts = qobject_cast<QFontDialog *>(&Dialog))
            fonts->setCurrentFont(QFont(QStringLiteral("DejaVu Sans Mono"), 30));
        return false;
    });
    w.KXVFontClick();
    QCOMPARE(w.KXVFileViewer->FixedFont().pointSize(), 14);

    // The view paints in the new font.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.KXVFileViewer->viewport()->font().pointSize(), 14);

    // Printing lays the lines in it: read back with its advance they come
    // back exactly, with the old font's advance they do not.
    const QString pdf = FDir->filePath(QStringLiteral("font.pdf"));
    FRunner->Answers.push_back(PrintTo(pdf, QAbstractPrintDialog::AllPages));
    w.KXVPrintClick();
    QCOMPARE(PdfLines(pdf, AdvanceInPoints(chosen, w.Printer())), TraceText);
    QVERIFY(PdfLines(pdf, AdvanceInPoints(before, w.Printer())) != TraceText);
}

void TestKXVViewer::aboutBoxShownModallyAndFreed()
{
    TKXVViewer &w = *FWindow;
    QPointer<QDialog> shown;
    QWidget *owner = nullptr;
    bool published = false;
    FRunner->Answers.push_back([&](QDialog &Dialog) {
        shown = &Dialog;
        owner = Dialog.parentWidget();
        published = QELAboutBox == &Dialog;
        return true;
    });
    w.KXVAbout->trigger();
    QVERIFY(published);
    QCOMPARE(owner, static_cast<QWidget *>(&w));
    QVERIFY(shown.isNull());
    QCOMPARE(QELAboutBox, nullptr);

    // The real modal run, closed with its OK button.
    FWindow->SetDialogRunner(nullptr);
    FRunner = nullptr;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<TQELAboutBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        modal = box == QELAboutBox;
        QTest::mouseClick(box->OKButton, Qt::LeftButton);
    });
    w.KXVAboutClick();
    QVERIFY(modal);
    QCOMPARE(QELAboutBox, nullptr);
}

void TestKXVViewer::exitHidesAndKeepsFile()
{
    TKXVViewer &w = *FWindow;
    QPointer<TKXVViewer> alive(&w);
    Open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.KXVExiting->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(alive);
    QVERIFY(w.KXVFileViewer->IsOpen());
    w.show();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(w.KXVFileViewer->IsOpen());
    w.FormClose();
    QVERIFY(!w.KXVFileViewer->IsOpen());
}

void TestKXVViewer::screenshot()
{
    TKXVViewer &w = *FWindow;
    WriteFile(FPath, TraceLines(40));
    QVERIFY(w.OpenFile(FPath));
    w.KXVFileViewer->CountLines();
    w.resize(560, 360);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.KXVFileViewer->SetCaretActualPos(3, 8);
    QTest::keyClick(w.KXVFileViewer, Qt::Key_Down, Qt::ShiftModifier);
    QTest::qWait(50);
    const QImage image = w.grab().toImage();
    QVERIFY(image.save(QStringLiteral(ORBALOG_SCREENSHOT_DIR "/viewer-window.png")));
    QVERIFY(w.KXVLineCount->text() == QStringLiteral("Lines: 48"));
}

QTEST_MAIN(TestKXVViewer)
#include "TestKXVViewer.moc"
