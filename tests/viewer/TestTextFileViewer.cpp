// The viewer control through the operations a window relies on, driven like
// a user would: keys, mouse, wheel, search, copy.

#include "ViewerTestFiles.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TTextFileViewer.h>
#include <Orbalog/TViewerController.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using namespace Orbalog;

namespace {

struct TSelection
{
    bool Selected = false;
    int StartLine = -1, StartColumn = -1, EndLine = -1, EndColumn = -1;
    bool operator==(const TSelection &) const = default;
};

TSelection SelectionOf(const TTextFileViewer &Viewer)
{
    TSelection s;
    s.Selected = Viewer.GetSelection(s.StartLine, s.StartColumn, s.EndLine, s.EndColumn);
    return s;
}

char *toString(const TSelection &s)
{
    return qstrdup(QStringLiteral("%1 (%2,%3)-(%4,%5)")
                       .arg(s.Selected)
                       .arg(s.StartLine)
                       .arg(s.StartColumn)
                       .arg(s.EndLine)
                       .arg(s.EndColumn)
                       .toUtf8());
}

struct TKey
{
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers = {};
};
using TKeys = QList<TKey>;

} // namespace

Q_DECLARE_METATYPE(TKeys)

class TestTextFileViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void contractWithNoFile();
    void openingUnreadableFileRaises();
    void contractOnTraceFile();
    void printableLine_data();
    void printableLine();
    void lineCountReadsNotCountedUntilCounted();
    void keysMoveCaret_data();
    void keysMoveCaret();
    void mouseClickDragAndDoubleClickSelect();
    void wheelScrolls();
    void searchSelectsHits_data();
    void searchSelectsHits();
    void repeatedSearchMovesOn();
    void copyPutsSelectionOnClipboard();
    void copyRefusesSelectionBeyondLimit();
    void shrinkingAndReplacedFile();
    void longLineIsShownAndReached();
    void fixedFontIsKept();
    void screenshotShowsSelection();

private:
    TTextFileViewer &Open(const QByteArray &Bytes);
    QPoint CellCentre(int Row, int Column) const;

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TTextFileViewer> FViewer;
    QString FPath;
};

void TestTextFileViewer::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    FPath = FDir->filePath(QStringLiteral("trace.log"));
    FViewer = std::make_unique<TTextFileViewer>();
    FViewer->resize(420, 240);
    FViewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(FViewer.get()));
}

void TestTextFileViewer::cleanup()
{
    FViewer.reset();
    FDir.reset();
}

TTextFileViewer &TestTextFileViewer::Open(const QByteArray &Bytes)
{
    WriteFile(FPath, Bytes);
    FViewer->SetFileName(FPath);
    FViewer->SetIsOpen(true);
    FViewer->CountLines();
    return *FViewer;
}

QPoint TestTextFileViewer::CellCentre(int Row, int Column) const
{
    const QFontMetrics metrics(FViewer->FixedFont());
    return {Column * metrics.horizontalAdvance(QLatin1Char('M')) + 1, Row * metrics.height() + metrics.height() / 2};
}

void TestTextFileViewer::contractWithNoFile()
{
    TTextFileViewer &viewer = *FViewer;
    QCOMPARE(viewer.GetFileName(), QString());
    QVERIFY(!viewer.IsOpen());
    QCOMPARE(viewer.LineCount(), 0);
    QCOMPARE(viewer.FileSize(), 0);
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 0, 0, 0, 0}));
    QChar buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), QChar(u'X'));
    QCOMPARE(viewer.GetPrintableLine(0, buffer, 8), 0);
    QCOMPARE(buffer[0], QChar(0));
    QVERIFY(!viewer.Search(QStringLiteral("x"), {}));
    viewer.SelectAll(false);
    viewer.SetCaretActualPos(5, 5);
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 0, 0, 0, 0}));
}

void TestTextFileViewer::openingUnreadableFileRaises()
{
    TTextFileViewer &viewer = Open("old\r\n");
    const QString missing = FDir->filePath(QStringLiteral("missing.log"));
    viewer.SetFileName(missing);
    QVERIFY_THROWS_EXCEPTION(EInOutError, viewer.SetIsOpen(true));
    QCOMPARE(viewer.GetFileName(), missing);
    QVERIFY(!viewer.IsOpen());
    QCOMPARE(viewer.LineCount(), 0);
    QCOMPARE(viewer.FileSize(), 0);
}

void TestTextFileViewer::contractOnTraceFile()
{
    QList<QPair<int, int>> status;
    FViewer->OnShowStatus = [&](QObject *Sender, int Line, int Column) {
        QCOMPARE(Sender, FViewer.get());
        status.append({Line, Column});
    };
    QSignalSpy settled(FViewer.get(), &TTextFileViewer::LineCountSettled);
    const QByteArray bytes = TraceLines(20);
    TTextFileViewer &viewer = Open(bytes);
    QCOMPARE(viewer.GetFileName(), FPath);
    QCOMPARE(viewer.FileSize(), bytes.size());
    QCOMPARE(viewer.LineCount(), 24);
    QCOMPARE(settled.count(), 1);
    QCOMPARE(settled.first().first().toLongLong(), 24);
    QCOMPARE(status, (QList<QPair<int, int>>{{0, 0}}));
    viewer.SetCaretActualPos(3, 5);
    QCOMPARE(status.last(), qMakePair(3, 5));
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 3, 5, 3, 5}));
    // Positions outside the text are kept inside it.
    viewer.SetCaretActualPos(-1, 0);
    QCOMPARE(status.last(), qMakePair(0, 0));
    viewer.SetCaretActualPos(1000, 2);
    QCOMPARE(status.last(), qMakePair(23, 2));
    viewer.SetCaretActualPos(0, 1000);
    QCOMPARE(status.last(), qMakePair(0, 34));
    viewer.SetIsOpen(false);
    QCOMPARE(viewer.LineCount(), 0);
    QCOMPARE(viewer.GetFileName(), FPath);
    QTest::qWait(20);
    QCOMPARE(settled.count(), 1);
}

void TestTextFileViewer::printableLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("bufferLength");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole line") << QByteArray("abcdef\r\nx") << 0 << 1024 << QStringLiteral("abcdef");
    QTest::newRow("cut to the buffer") << QByteArray("abcdef\r\nx") << 0 << 4 << QStringLiteral("abc");
    QTest::newRow("room for the zero only") << QByteArray("abcdef") << 0 << 1 << QString();
    QTest::newRow("second line") << QByteArray("a\r\nsecond\r\n") << 1 << 1024 << QStringLiteral("second");
    QTest::newRow("past the last line") << QByteArray("a\r\n") << 1 << 1024 << QString();
    QTest::newRow("negative line") << QByteArray("a\r\n") << -1 << 1024 << QString();
    QTest::newRow("tabs to eight columns") << QByteArray("a\tbc\td\t") << 0 << 1024
                                           << QStringLiteral("a       bc      d       ");
    QTest::newRow("tab cut by the buffer") << QByteArray("a\tb") << 0 << 5 << QStringLiteral("a   ");
    QTest::newRow("NUL and controls") << QByteArray("a\0b\x1b\x7f", 5) << 0 << 1024
                                      << QString::fromUtf16(u"a\u2400b\u241b\u2421");
    QTest::newRow("valid UTF-8") << QByteArray("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC") << 0 << 1024
                                 << QString::fromUtf16(u"\u00e9t\u00e9 \u20ac");
    QTest::newRow("invalid UTF-8 as Latin-1") << QByteArray("\xE9t\xE9 \xC3(") << 0 << 1024
                                              << QString::fromUtf16(u"\u00e9t\u00e9 \u00c3(");
    QTest::newRow("overlong form and C1 byte") << QByteArray("\xC0\xAF\x85") << 0 << 1024
                                               << QString::fromUtf16(u"\u00c0\u00af\ufffd");
    QTest::newRow("sequence cut by the line end") << QByteArray("ab\xE2\x82\nc") << 0 << 1024
                                                  << QString::fromUtf16(u"ab\u00e2\ufffd");
}

void TestTextFileViewer::printableLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(int, bufferLength);
    QFETCH(QString, expected);
    TTextFileViewer &viewer = Open(bytes);
    QList<QChar> buffer(bufferLength + 4, QChar(u'X'));
    QCOMPARE(viewer.GetPrintableLine(line, buffer.data(), bufferLength), expected.size());
    QCOMPARE(QString(buffer.constData(), expected.size()), expected);
    QCOMPARE(buffer[expected.size()], QChar(0));
    QCOMPARE(buffer[bufferLength], QChar(u'X'));
}

void TestTextFileViewer::lineCountReadsNotCountedUntilCounted()
{
    // Past 2 GiB: the background count takes a while, and the size is
    // beyond the 32-bit range.
    const qint64 size = (qint64(9) << 28) + 77;
    WriteSparseFile(FPath, size, "\nnext to last\r\nlast\r\n");
    QSignalSpy progress(FViewer.get(), &TTextFileViewer::LineCountProgress);
    QSignalSpy settled(FViewer.get(), &TTextFileViewer::LineCountSettled);
    TTextFileViewer &viewer = *FViewer;
    viewer.SetFileName(FPath);
    viewer.SetIsOpen(true);
    QCOMPARE(viewer.LineCount(), TTextFileViewer::NotCounted);
    QCOMPARE(viewer.FileSize(), TTextFileViewer::NotCounted - 1);
    QCOMPARE(viewer.FileSize64(), size);
    QTRY_VERIFY(progress.count() > 0);
    QCOMPARE(settled.count(), 0);
    viewer.CountLines();
    QCOMPARE(viewer.LineCount(), 3);
    QCOMPARE(settled.count(), 1);
    QCOMPARE(settled.first().first().toLongLong(), 3);
    QChar buffer[32];
    QCOMPARE(viewer.GetPrintableLine(2, buffer, 32), 4);
    QCOMPARE(QString(buffer), QStringLiteral("last"));
    QTest::qWait(50);
    QCOMPARE(settled.count(), 1);
}

void TestTextFileViewer::keysMoveCaret_data()
{
    QTest::addColumn<QPoint>("start"); // column, line
    QTest::addColumn<TKeys>("keys");
    QTest::addColumn<TSelection>("expected");
    const auto ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const auto none = Qt::KeyboardModifiers();
    QTest::newRow("right") << QPoint(0, 0) << TKeys{{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Right}}
                           << TSelection{false, 0, 3, 0, 3};
    QTest::newRow("right over a tab") << QPoint(10, 0) << TKeys{{Qt::Key_Right}} << TSelection{false, 0, 16, 0, 16};
    QTest::newRow("left over a tab") << QPoint(16, 0) << TKeys{{Qt::Key_Left}} << TSelection{false, 0, 10, 0, 10};
    QTest::newRow("end") << QPoint(0, 0) << TKeys{{Qt::Key_End}} << TSelection{false, 0, 21, 0, 21};
    QTest::newRow("right at line end") << QPoint(21, 0) << TKeys{{Qt::Key_Right}} << TSelection{false, 1, 0, 1, 0};
    QTest::newRow("left at line start") << QPoint(0, 1) << TKeys{{Qt::Key_Left}} << TSelection{false, 0, 21, 0, 21};
    QTest::newRow("home") << QPoint(7, 1) << TKeys{{Qt::Key_Home}} << TSelection{false, 1, 0, 1, 0};
    QTest::newRow("up into a tab snaps to it") << QPoint(0, 1) << TKeys{{Qt::Key_End}, {Qt::Key_Up}}
                                               << TSelection{false, 0, 10, 0, 10};
    QTest::newRow("down keeps the column") << QPoint(4, 0) << TKeys{{Qt::Key_Down}, {Qt::Key_Down}, {Qt::Key_Down}}
                                           << TSelection{false, 3, 4, 3, 4};
    QTest::newRow("down through an empty line") << QPoint(9, 1) << TKeys{{Qt::Key_Down}, {Qt::Key_Down}}
                                                << TSelection{false, 3, 4, 3, 4};
    QTest::newRow("ctrl end, ctrl home") << QPoint(3, 1) << TKeys{{Qt::Key_End, ctrl}}
                                         << TSelection{false, 3, 4, 3, 4};
    QTest::newRow("ctrl home") << QPoint(3, 1) << TKeys{{Qt::Key_Home, ctrl}} << TSelection{false, 0, 0, 0, 0};
    QTest::newRow("word right") << QPoint(0, 0) << TKeys{{Qt::Key_Right, ctrl}, {Qt::Key_Right, ctrl}}
                                << TSelection{false, 0, 16, 0, 16};
    QTest::newRow("word left") << QPoint(14, 0) << TKeys{{Qt::Key_Left, ctrl}} << TSelection{false, 0, 6, 0, 6};
    QTest::newRow("page down to the end") << QPoint(2, 0) << TKeys{{Qt::Key_PageDown}}
                                          << TSelection{false, 3, 2, 3, 2};
    QTest::newRow("shift right selects") << QPoint(0, 0)
                                         << TKeys{{Qt::Key_Right, shift}, {Qt::Key_Right, shift}, {Qt::Key_Right, shift}}
                                         << TSelection{true, 0, 0, 0, 3};
    QTest::newRow("shift down selects lines") << QPoint(2, 0) << TKeys{{Qt::Key_Down, shift}, {Qt::Key_End, shift}}
                                              << TSelection{true, 0, 2, 1, 11};
    QTest::newRow("shift left selects backward") << QPoint(3, 1) << TKeys{{Qt::Key_Left, shift}, {Qt::Key_Up, shift}}
                                                 << TSelection{true, 0, 2, 1, 3};
    QTest::newRow("a plain move ends the selection") << QPoint(0, 0) << TKeys{{Qt::Key_End, shift}, {Qt::Key_Left, none}}
                                                     << TSelection{false, 0, 20, 0, 20};
    QTest::newRow("ctrl shift end") << QPoint(0, 1) << TKeys{{Qt::Key_End, ctrl | shift}}
                                    << TSelection{true, 1, 0, 3, 4};
    QTest::newRow("ctrl A selects all") << QPoint(0, 1) << TKeys{{Qt::Key_A, ctrl}} << TSelection{true, 0, 0, 3, 4};
}

void TestTextFileViewer::keysMoveCaret()
{
    QFETCH(QPoint, start);
    QFETCH(TKeys, keys);
    QFETCH(TSelection, expected);
    TTextFileViewer &viewer = Open("alpha beta\tgamma\r\nsecond line\r\n\r\nlast");
    viewer.SetCaretActualPos(start.y(), start.x());
    for (const TKey &key : keys)
        QTest::keyClick(&viewer, key.Key, key.Modifiers);
    QCOMPARE(SelectionOf(viewer), expected);
}

void TestTextFileViewer::mouseClickDragAndDoubleClickSelect()
{
    TTextFileViewer &viewer = Open("alpha beta gamma\r\nsecond line\r\n");
    QWidget *area = viewer.viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, CellCentre(1, 2));
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 1, 2, 1, 2}));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, CellCentre(0, 6));
    QCOMPARE(SelectionOf(viewer), (TSelection{true, 0, 6, 1, 2}));
    QTest::mousePress(area, Qt::LeftButton, {}, CellCentre(0, 1));
    QMouseEvent move(QEvent::MouseMove, CellCentre(1, 4), area->mapToGlobal(CellCentre(1, 4)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    QTest::mouseRelease(area, Qt::LeftButton, {}, CellCentre(1, 4));
    QCOMPARE(SelectionOf(viewer), (TSelection{true, 0, 1, 1, 4}));
    QTest::mouseDClick(area, Qt::LeftButton, {}, CellCentre(0, 8));
    QCOMPARE(SelectionOf(viewer), (TSelection{true, 0, 6, 0, 10}));
    // A click far below the text lands on its last line.
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(3, area->height() - 2));
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 1, 0, 1, 0}));
}

void TestTextFileViewer::wheelScrolls()
{
    TTextFileViewer &viewer = Open(TraceLines(200));
    QCOMPARE(viewer.TopLine(), 0);
    const QPointF at(20, 20);
    QWheelEvent wheel(at, viewer.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer.viewport(), &wheel);
    QVERIFY(viewer.TopLine() > 0);
    const std::int64_t top = viewer.TopLine();
    QChar buffer[64];
    viewer.GetPrintableLine(int(top), buffer, 64);
    // The caret stays where it was; the first row shows the new top line.
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 0, 0, 0, 0}));
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, CellCentre(0, 0));
    QCOMPARE(SelectionOf(viewer).StartLine, int(top));
}

void TestTextFileViewer::searchSelectsHits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QPoint>("start"); // column, line
    QTest::addColumn<TSelection>("expected");
    const QString error = QStringLiteral("error");
    QTest::newRow("forward") << error << false << false << false << QPoint(0, 0) << TSelection{true, 0, 0, 0, 5};
    QTest::newRow("match case") << error << false << true << false << QPoint(0, 0) << TSelection{true, 1, 0, 1, 5};
    QTest::newRow("whole word") << error << false << false << true << QPoint(1, 1) << TSelection{true, 1, 10, 1, 15};
    QTest::newRow("whole word, match case") << error << false << true << true << QPoint(1, 1)
                                            << TSelection{true, 3, 5, 3, 10};
    QTest::newRow("part of a word") << error << false << true << false << QPoint(1, 1)
                                    << TSelection{true, 2, 1, 2, 6};
    QTest::newRow("backward") << error << true << false << false << QPoint(10, 3) << TSelection{true, 3, 5, 3, 10};
    QTest::newRow("backward, match case") << QStringLiteral("ERROR") << true << true << false << QPoint(0, 3)
                                          << TSelection{true, 1, 10, 1, 15};
    QTest::newRow("backward, whole word") << error << true << false << true << QPoint(5, 3)
                                          << TSelection{true, 1, 10, 1, 15};
    QTest::newRow("tab and UTF-8 before the hit") << QStringLiteral("tab") << false << false << false << QPoint(0, 0)
                                                  << TSelection{true, 4, 9, 4, 12};
    QTest::newRow("not found") << QStringLiteral("missing") << false << false << false << QPoint(2, 1)
                               << TSelection{false, 1, 2, 1, 2};
    QTest::newRow("nothing before the start") << error << true << false << false << QPoint(0, 0)
                                              << TSelection{false, 0, 0, 0, 0};
}

void TestTextFileViewer::searchSelectsHits()
{
    QFETCH(QString, text);
    QFETCH(bool, backward);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QPoint, start);
    QFETCH(TSelection, expected);
    TTextFileViewer &viewer = Open("Error one\r\nerror two ERROR\r\nterror\r\nlast error\r\n\xC3\xA9\t tab");
    viewer.SetCaretActualPos(start.y(), start.x());
    QCOMPARE(viewer.Search(text, {backward, matchCase, wholeWord}), expected.Selected);
    QCOMPARE(SelectionOf(viewer), expected);
}

void TestTextFileViewer::repeatedSearchMovesOn()
{
    TTextFileViewer &viewer = Open("Error one\r\nerror two ERROR\r\nterror\r\nlast error");
    const QList<QPoint> hits{{0, 0}, {0, 1}, {10, 1}, {1, 2}, {5, 3}}; // column, line
    for (const QPoint &hit : hits) {
        QVERIFY(viewer.Search(QStringLiteral("error"), {}));
        QCOMPARE(SelectionOf(viewer), (TSelection{true, hit.y(), hit.x(), hit.y(), hit.x() + 5}));
    }
    QVERIFY(!viewer.Search(QStringLiteral("error"), {}));
    for (qsizetype i = hits.size() - 2; i >= 0; --i) {
        QVERIFY(viewer.Search(QStringLiteral("error"), {true, false, false}));
        QCOMPARE(SelectionOf(viewer), (TSelection{true, hits[i].y(), hits[i].x(), hits[i].y(), hits[i].x() + 5}));
    }
    QVERIFY(!viewer.Search(QStringLiteral("error"), {true, false, false}));
}

void TestTextFileViewer::copyPutsSelectionOnClipboard()
{
    const QByteArray bytes("first\tline\r\nsecond \xC3\xA9\r\nthird \xE9 \0 end", 36);
    TTextFileViewer &viewer = Open(bytes);
    viewer.SelectAll(false);
    QCOMPARE(SelectionOf(viewer), (TSelection{true, 0, 0, 2, 13}));
    QCOMPARE(viewer.CaretLine(), 0);
    viewer.CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromUtf16(u"first\tline\r\nsecond \u00e9\r\nthird \u00e9 \u2400 end"));
    viewer.SetCaretActualPos(0, 8);
    QTest::keyClick(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&viewer, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("line\r\nsecond \u00e9"));
    viewer.SelectAll(true);
    QCOMPARE(viewer.CaretLine(), 2);
    QCOMPARE(viewer.CaretColumn(), 13);
}

void TestTextFileViewer::copyRefusesSelectionBeyondLimit()
{
    TTextFileViewer &viewer = Open(TraceLines(50));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    viewer.SetMaxCopySize(100);
    viewer.SelectAll(false);
    try {
        viewer.CopyToClipboard();
        QFAIL("a copy beyond the limit went through");
    } catch (const Exception &error) {
        QVERIFY2(QString::fromStdString(error.Message()).contains(QStringLiteral("at most 100 bytes")),
                 error.what());
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    // From the keyboard the refusal comes as a message box.
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    QTest::keyClick(&viewer, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(shown.contains(QStringLiteral("at most 100 bytes")));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    viewer.SetMaxCopySize(TTextFileViewer::DefaultMaxCopySize);
    viewer.CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text().size(), TraceLines(50).size() - 2);
}

void TestTextFileViewer::shrinkingAndReplacedFile()
{
    TTextFileViewer &viewer = Open(TraceLines(2000));
    QCOMPARE(viewer.LineCount(), 2400);
    viewer.SetCaretActualPos(1500, 3);
    QVERIFY(QFile::resize(FPath, 50));
    // Everything still works on what is left; nothing reads past the end.
    QVERIFY(!viewer.grab().isNull());
    viewer.SetCaretActualPos(2000, 5);
    QTest::keyClick(&viewer, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&viewer, Qt::Key_Up);
    QVERIFY(!viewer.Search(QStringLiteral("worker"), {}));
    viewer.SelectAll(false);
    viewer.CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text().toLatin1(), TraceLines(2000).left(50));
    // A reopen shows the file as it is now; so after it was replaced.
    viewer.SetIsOpen(true);
    viewer.CountLines();
    QCOMPARE(viewer.LineCount(), 2);
    const QString replacement = FDir->filePath(QStringLiteral("new.log"));
    WriteFile(replacement, "replaced\r\n");
    QVERIFY(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(FPath).constData()) == 0);
    QChar buffer[64];
    viewer.GetPrintableLine(0, buffer, 64);
    QCOMPARE(QString(buffer), QStringLiteral("------  03/07/2024 10:15:10 ------"));
    viewer.SetIsOpen(true);
    viewer.CountLines();
    QCOMPARE(viewer.LineCount(), 1);
    viewer.GetPrintableLine(0, buffer, 64);
    QCOMPARE(QString(buffer), QStringLiteral("replaced"));
}

void TestTextFileViewer::longLineIsShownAndReached()
{
    const int length = 6 * 1024 * 1024;
    QByteArray bytes(length, 'x');
    bytes.replace(3 * 1024 * 1024, 4, "MARK");
    bytes += "END\r\nnext";
    TTextFileViewer &viewer = Open(bytes);
    QCOMPARE(viewer.LineCount(), 2);
    QChar buffer[1024];
    QCOMPARE(viewer.GetPrintableLine(0, buffer, 1024), 1023);
    QCOMPARE(QString(buffer), QString(1023, u'x'));
    QTest::keyClick(&viewer, Qt::Key_End);
    QCOMPARE(viewer.CaretColumn(), length + 3);
    QVERIFY(viewer.horizontalScrollBar()->value() > length - 1000);
    QVERIFY(!viewer.grab().isNull());
    QTest::keyClick(&viewer, Qt::Key_Home);
    QCOMPARE(viewer.CaretColumn(), 0);
    QCOMPARE(viewer.horizontalScrollBar()->value(), 0);
    QVERIFY(viewer.Search(QStringLiteral("mark"), {}));
    QCOMPARE(SelectionOf(viewer), (TSelection{true, 0, 3 * 1024 * 1024, 0, 3 * 1024 * 1024 + 4}));
    QTest::keyClick(&viewer, Qt::Key_Down);
    QCOMPARE(SelectionOf(viewer), (TSelection{false, 1, 4, 1, 4}));
}

void TestTextFileViewer::fixedFontIsKept()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"), 13);
    font.setBold(true);
    FViewer->SetFixedFont(font);
    QCOMPARE(FViewer->FixedFont().family(), font.family());
    QCOMPARE(FViewer->FixedFont().pointSize(), 13);
    QVERIFY(FViewer->FixedFont().bold());
    FViewer->SetFixedFontColor(Qt::darkBlue);
    QCOMPARE(FViewer->FixedFontColor(), QColor(Qt::darkBlue));
}

void TestTextFileViewer::screenshotShowsSelection()
{
    FViewer->resize(560, 300);
    TTextFileViewer &viewer = Open(TraceLines(40));
    viewer.SetCaretActualPos(2, 8);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&viewer, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(viewer.verticalScrollBar()->isVisible());
    QCOMPARE(viewer.verticalScrollBar()->maximum(), 48 - viewer.verticalScrollBar()->pageStep());
    const QImage image = viewer.grab().toImage();
    QVERIFY(image.save(QStringLiteral("viewer-selection.png")));
    // A cell inside the selection is drawn in the highlight colour, one
    // outside it is not.
    const QPoint inside = viewer.viewport()->mapTo(&viewer, CellCentre(3, 2));
    const QPoint outside = viewer.viewport()->mapTo(&viewer, CellCentre(1, 2));
    const qreal ratio = image.devicePixelRatio();
    const QColor highlight = viewer.palette().color(QPalette::Highlight);
    auto near = [](QColor a, QColor b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 30;
    };
    QVERIFY(near(image.pixelColor((QPointF(inside) * ratio).toPoint()), highlight));
    QVERIFY(!near(image.pixelColor((QPointF(outside) * ratio).toPoint()), highlight));
}

QTEST_MAIN(TestTextFileViewer)
#include "TestTextFileViewer.moc"
