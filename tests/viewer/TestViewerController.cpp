// The key-command tables of the viewer controller, alone and driving a viewer.

#include <Orbalog/Exception.h>
#include <Orbalog/TTextFileViewer.h>
#include <Orbalog/TViewerController.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Orbalog;

Q_DECLARE_METATYPE(Orbalog::TViewerCommand)

class TestViewerController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithThreeTables();
    void translates_data();
    void translates();
    void unknownTableRaises();
    void viewerFollowsItsController();
};

void TestViewerController::startsWithThreeTables()
{
    TViewerController controller;
    QCOMPARE(controller.TableNames(), (QStringList{"Default", "WordStar", "Grid"}));
    QVERIFY(controller.IsTableActive(QStringLiteral("Default")));
    QVERIFY(!controller.IsTableActive(QStringLiteral("WordStar")));
    QVERIFY(!controller.IsTableActive(QStringLiteral("Grid")));
    QCOMPARE(controller.EpochYear(), 1980);
}

void TestViewerController::translates_data()
{
    QTest::addColumn<QStringList>("active");
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<TViewerCommand>("command");
    const QStringList standard{"Default"};
    QTest::newRow("arrow") << standard << QKeyCombination(Qt::Key_Left) << TViewerCommand::Left;
    QTest::newRow("keypad arrow") << standard << QKeyCombination(Qt::KeypadModifier, Qt::Key_Down)
                                  << TViewerCommand::Down;
    QTest::newRow("shift extends") << standard << QKeyCombination(Qt::ShiftModifier, Qt::Key_PageDown)
                                   << TViewerCommand::ExtendPageDown;
    QTest::newRow("ctrl shift end") << standard
                                    << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_End)
                                    << TViewerCommand::ExtendBottom;
    QTest::newRow("ctrl insert copies") << standard << QKeyCombination(Qt::ControlModifier, Qt::Key_Insert)
                                        << TViewerCommand::Copy;
    QTest::newRow("unbound key") << standard << QKeyCombination(Qt::Key_F7) << TViewerCommand::None;
    QTest::newRow("WordStar inactive") << standard << QKeyCombination(Qt::ControlModifier, Qt::Key_E)
                                       << TViewerCommand::None;
    const QStringList both{"Default", "WordStar"};
    QTest::newRow("WordStar active") << both << QKeyCombination(Qt::ControlModifier, Qt::Key_E) << TViewerCommand::Up;
    QTest::newRow("Default comes first") << both << QKeyCombination(Qt::ControlModifier, Qt::Key_C)
                                         << TViewerCommand::Copy;
    QTest::newRow("WordStar alone") << QStringList{"WordStar"} << QKeyCombination(Qt::ControlModifier, Qt::Key_C)
                                    << TViewerCommand::PageDown;
    QTest::newRow("no table active") << QStringList{} << QKeyCombination(Qt::Key_Left) << TViewerCommand::None;
    QTest::newRow("Grid") << QStringList{"Grid"} << QKeyCombination(Qt::Key_Tab) << TViewerCommand::Right;
}

void TestViewerController::translates()
{
    QFETCH(QStringList, active);
    QFETCH(QKeyCombination, key);
    QFETCH(TViewerCommand, command);
    TViewerController controller;
    for (const QString &name : controller.TableNames())
        controller.SetTableActive(name, active.contains(name));
    QCOMPARE(controller.Translate(key), command);
}

void TestViewerController::unknownTableRaises()
{
    TViewerController controller;
    QVERIFY_THROWS_EXCEPTION(ERangeError, controller.SetTableActive(QStringLiteral("Brief"), true));
    QVERIFY_THROWS_EXCEPTION(ERangeError, controller.Bind(QStringLiteral("Brief"), QKeyCombination(Qt::Key_A),
                                                          TViewerCommand::Left));
    controller.AddTable(QStringLiteral("Brief"), true);
    controller.Bind(QStringLiteral("Brief"), QKeyCombination(Qt::Key_F7), TViewerCommand::Bottom);
    QCOMPARE(controller.Translate(QKeyCombination(Qt::Key_F7)), TViewerCommand::Bottom);
}

void TestViewerController::viewerFollowsItsController()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keys.log"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("one\r\ntwo\r\nthree\r\n");
    file.close();
    TTextFileViewer viewer;
    viewer.SetFileName(path);
    viewer.SetIsOpen(true);
    viewer.CountLines();
    QVERIFY(viewer.Controller());
    QTest::keyClick(&viewer, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(viewer.CaretLine(), 0);
    viewer.Controller()->SetTableActive(QStringLiteral("WordStar"), true);
    QTest::keyClick(&viewer, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&viewer, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(viewer.CaretLine(), 1);
    QCOMPARE(viewer.CaretColumn(), 1);
    TViewerController other;
    other.SetTableActive(QStringLiteral("Default"), false);
    viewer.SetController(&other);
    QTest::keyClick(&viewer, Qt::Key_Down);
    QCOMPARE(viewer.CaretLine(), 1);
    viewer.SetController(nullptr);
}

QTEST_MAIN(TestViewerController)
#include "TestViewerController.moc"
