// The file viewer component owning its window, and the orbalog-viewer
// application's start.

#include "ViewerApp.h"
#include "ViewerTestFiles.h"

#include <Orbalog/TFileViewer.h>
#include <Orbalog/TFindDialog.h>
#include <Orbalog/TKXVViewer.h>
#include <Orbalog/TTextFileViewer.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Orbalog;

class TestFileViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void createdWithHiddenWindow();
    void showAndHideOnlyChangeVisibility();
    void userCloseThenShowBringsSameWindowBack();
    void destroyedWithOwner_data();
    void destroyedWithOwner();
    void eachComponentHasItsOwnWindow();
    void applicationOpensFileFromCommandLine();
    void applicationReportsUnreadableFile();
    void applicationVersionOnly();

private:
    std::unique_ptr<QTemporaryDir> FDir;
    QString FPath;
};

void TestFileViewer::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    FPath = FDir->filePath(QStringLiteral("Trace.log"));
    WriteFile(FPath, TraceLines(8));
}

void TestFileViewer::createdWithHiddenWindow()
{
    QObject owner;
    auto *component = new TFileViewer(&owner);
    QCOMPARE(component->Owner(), &owner);
    TKXVViewer *window = component->ViewerForm();
    QVERIFY(window);
    QCOMPARE(window->Owner(), component);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Orbalog Viewer"));
    QVERIFY(!window->KXVFileViewer->IsOpen());
}

void TestFileViewer::showAndHideOnlyChangeVisibility()
{
    TFileViewer component;
    TKXVViewer *window = component.ViewerForm();
    QVERIFY(window->OpenFile(FPath));
    component.Show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    component.Show();
    QVERIFY(window->isVisible());
    QCOMPARE(component.ViewerForm(), window);
    component.Hide();
    QVERIFY(!window->isVisible());
    component.Hide();
    QVERIFY(!window->isVisible());
    QVERIFY(window->KXVFileViewer->IsOpen());
    QCOMPARE(window->windowTitle(), QStringLiteral("Orbalog Viewer - ") + FPath);
}

void TestFileViewer::userCloseThenShowBringsSameWindowBack()
{
    TFileViewer component;
    QPointer<TKXVViewer> window = component.ViewerForm();
    QVERIFY(window->OpenFile(FPath));
    window->KXVFileViewer->CountLines();
    window->KXVFindDialog->SetFindText(QStringLiteral("worker 2"));
    window->KXVFileViewer->SetCaretActualPos(4, 2);
    const QString caption = window->windowTitle();
    const QStringList fields = {window->KXVPosStatus->text(), window->KXVLineCount->text(),
                                window->KXVFileSize->text()};
    component.Show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->KXVExiting->trigger(); // as the user closes it
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    component.Show();
    QCOMPARE(component.ViewerForm(), window.data());
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(QStringList({window->KXVPosStatus->text(), window->KXVLineCount->text(), window->KXVFileSize->text()}),
             fields);
    QCOMPARE(fields[0], QStringLiteral("5 : 3"));
    QCOMPARE(window->KXVFindDialog->FindText(), QStringLiteral("worker 2"));
    QVERIFY(window->close()); // the close box
    component.Show();
    QCOMPARE(component.ViewerForm(), window.data());
    QVERIFY(window->KXVFileViewer->IsOpen());
}

void TestFileViewer::destroyedWithOwner_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("widgetOwner");
    QTest::newRow("hidden") << false << false;
    QTest::newRow("visible") << true << false;
    QTest::newRow("visible, owned by a window") << true << true;
}

void TestFileViewer::destroyedWithOwner()
{
    QFETCH(bool, visible);
    QFETCH(bool, widgetOwner);
    auto *owner = widgetOwner ? new QWidget : new QObject;
    QPointer<TFileViewer> component = new TFileViewer(owner);
    QPointer<TKXVViewer> window = component->ViewerForm();
    QVERIFY(window->OpenFile(FPath));
    if (visible) {
        component->Show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    delete owner;
    QVERIFY(component.isNull());
    QVERIFY(window.isNull());
}

void TestFileViewer::eachComponentHasItsOwnWindow()
{
    TFileViewer first, second;
    QVERIFY(first.ViewerForm() != second.ViewerForm());
    QVERIFY(first.ViewerForm()->OpenFile(FPath));
    QCOMPARE(second.ViewerForm()->windowTitle(), QStringLiteral("Orbalog Viewer"));
    first.Show();
    QVERIFY(!second.ViewerForm()->isVisible());
}

void TestFileViewer::applicationOpensFileFromCommandLine()
{
    // A relative path, as typed in a shell started in the file's folder.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(FDir->path()));
    const auto viewer = StartViewer({QStringLiteral("orbalog-viewer"), QStringLiteral("Trace.log")});
    QDir::setCurrent(previous);
    QVERIFY(viewer);
    TKXVViewer *window = viewer->ViewerForm();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Orbalog Viewer - ") + QFileInfo(FPath).absoluteFilePath());
    QVERIFY(window->KXVFileViewer->IsOpen());
    QCOMPARE(window->KXVFileSize->text(), QStringLiteral("Size: %1 bytes").arg(TraceLines(8).size()));
    QTRY_COMPARE(window->KXVLineCount->text(), QStringLiteral("Lines: 10"));

    const auto empty = StartViewer({QStringLiteral("orbalog-viewer")});
    QVERIFY(empty);
    QVERIFY(empty->ViewerForm()->isVisible());
    QCOMPARE(empty->ViewerForm()->windowTitle(), QStringLiteral("Orbalog Viewer"));
}

void TestFileViewer::applicationReportsUnreadableFile()
{
    QString message;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        message = box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    const auto viewer = StartViewer({QStringLiteral("orbalog-viewer"), FDir->filePath(QStringLiteral("none.log"))});
    QVERIFY(viewer);
    QCOMPARE(message, QStringLiteral("Unable to open File."));
    QVERIFY(viewer->ViewerForm()->isVisible());
    QCOMPARE(viewer->ViewerForm()->windowTitle(), QStringLiteral("Orbalog Viewer"));
}

void TestFileViewer::applicationVersionOnly()
{
    QVERIFY(!StartViewer({QStringLiteral("orbalog-viewer"), QStringLiteral("--version")}));
    QVERIFY(!StartViewer({QStringLiteral("orbalog-viewer"), QStringLiteral("--no-such-option")}));
}

QTEST_MAIN(TestFileViewer)
#include "TestFileViewer.moc"
