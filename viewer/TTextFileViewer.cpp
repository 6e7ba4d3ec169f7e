#include <Orbalog/TTextFileViewer.h>

#include <Orbalog/Exception.h>
#include <Orbalog/TViewerController.h>

#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace Orbalog {

namespace {

bool IsWordChar(QChar Char)
{
    return Char.isLetterOrNumber() || Char == u'_';
}

bool IsExtend(TViewerCommand Command)
{
    return Command >= TViewerCommand::ExtendLeft && Command <= TViewerCommand::ExtendBottom;
}

TViewerCommand BaseMove(TViewerCommand Command)
{
    if (!IsExtend(Command))
        return Command;
    return TViewerCommand(int(Command) - int(TViewerCommand::ExtendLeft) + int(TViewerCommand::Left));
}

} // namespace

TTextFileViewer::TTextFileViewer(QWidget *Parent)
    : QAbstractScrollArea(Parent)
    , FDocument(this)
    , FController(new TViewerController(this))
    , FFontColor(palette().color(QPalette::Text))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    SetFixedFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(&FDocument, &TTextDocument::Progress, this, [this](qint64, qint64) { OnProgress(); });
    connect(&FDocument, &TTextDocument::Settled, this, [this](qint64) { OnSettled(); });
}

TTextFileViewer::~TTextFileViewer() = default;

int TTextFileViewer::Clamp32(std::int64_t Value) noexcept
{
    return int(std::clamp<std::int64_t>(Value, std::numeric_limits<int>::min(), NotCounted - 1));
}

void TTextFileViewer::SetFileName(const QString &Value)
{
    if (Value == FFileName)
        return;
    if (IsOpen())
        SetIsOpen(false);
    FFileName = Value;
}

void TTextFileViewer::SetIsOpen(bool Value)
{
    FDocument.Close();
    FSettledReported = false;
    ResetPositions();
    if (Value) {
        try {
            FDocument.Open(FFileName);
        } catch (...) {
            UpdateScrollBars();
            viewport()->update();
            throw;
        }
        if (FDocument.IsCounted())
            OnSettled();
        ShowStatus();
    }
    UpdateScrollBars();
    viewport()->update();
}

void TTextFileViewer::ResetPositions()
{
    FCaret = FAnchor = {};
    FDesiredColumn = FTopLine = FLeftColumn = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

std::int64_t TTextFileViewer::LineCount64() const noexcept
{
    return FDocument.Lines();
}

int TTextFileViewer::LineCount() const noexcept
{
    if (!IsOpen())
        return 0;
    if (!FDocument.IsCounted())
        return NotCounted;
    return Clamp32(FDocument.Lines());
}

int TTextFileViewer::FileSize() const noexcept
{
    return Clamp32(FDocument.Size());
}

void TTextFileViewer::CountLines()
{
    if (!IsOpen())
        return;
    FDocument.CountLines();
    OnSettled();
}

std::int64_t TTextFileViewer::LastLine() const
{
    return std::max<std::int64_t>(FDocument.Lines() - 1, 0);
}

void TTextFileViewer::OnProgress()
{
    if (!IsOpen())
        return;
    UpdateScrollBars();
    viewport()->update();
    Q_EMIT LineCountProgress(FDocument.Lines(), FDocument.Size());
}

void TTextFileViewer::OnSettled()
{
    if (!FDocument.IsCounted() || FSettledReported)
        return;
    FSettledReported = true;
    UpdateScrollBars();
    viewport()->update();
    Q_EMIT LineCountSettled(FDocument.Lines());
}

bool TTextFileViewer::GetSelection(int &StartLine, int &StartColumn, int &EndLine, int &EndColumn) const
{
    const TPos start = std::min(FAnchor, FCaret);
    const TPos end = std::max(FAnchor, FCaret);
    StartLine = Clamp32(start.Line);
    StartColumn = Clamp32(start.Column);
    EndLine = Clamp32(end.Line);
    EndColumn = Clamp32(end.Column);
    return HasSelection();
}

QString TTextFileViewer::PrintableLine(std::int64_t Line, int MaxLength)
{
    if (!IsOpen() || Line < 0 || MaxLength <= 0)
        return {};
    if (Line >= FDocument.Lines())
        FDocument.WaitForLine(Line);
    return FDocument.Text(Line, 0, MaxLength);
}

int TTextFileViewer::GetPrintableLine(int Line, QChar *Buffer, int BufferLength)
{
    if (!Buffer || BufferLength <= 0)
        return 0;
    const QString text = PrintableLine(Line, BufferLength - 1);
    const int length = int(std::min<qsizetype>(text.size(), BufferLength - 1));
    std::copy_n(text.constData(), length, Buffer);
    Buffer[length] = QChar(0);
    return length;
}

TTextFileViewer::TPos TTextFileViewer::Snap(TPos Pos)
{
    if (!IsOpen())
        return {};
    if (Pos.Line > 0 && !FDocument.IsCounted() && Pos.Line >= FDocument.Lines())
        FDocument.WaitForLine(Pos.Line);
    Pos.Line = std::clamp<std::int64_t>(Pos.Line, 0, LastLine());
    // Columns past the end snap to it, columns inside a tab to its start.
    if (Pos.Column <= 0)
        Pos.Column = 0;
    else
        Pos.Column = FDocument.ColumnOfOffset(Pos.Line, FDocument.OffsetOfColumn(Pos.Line, Pos.Column));
    return Pos;
}

void TTextFileViewer::SetCaretActualPos(int Line, int Column)
{
    MoveCaret(Snap({Line, Column}), false);
    FDesiredColumn = FCaret.Column;
}

void TTextFileViewer::MoveCaret(TPos Pos, bool Extend)
{
    FCaret = Pos;
    if (!Extend)
        FAnchor = Pos;
    EnsureCaretVisible();
    ShowStatus();
    viewport()->update();
}

void TTextFileViewer::ShowStatus()
{
    OnShowStatus(this, Clamp32(FCaret.Line), Clamp32(FCaret.Column));
}

void TTextFileViewer::SelectAll(bool CaretAtEnd)
{
    if (!IsOpen())
        return;
    CountLines();
    const TPos start{0, 0};
    const TPos end{LastLine(), FDocument.Columns(LastLine())};
    FAnchor = CaretAtEnd ? start : end;
    FCaret = CaretAtEnd ? end : start;
    FDesiredColumn = FCaret.Column;
    EnsureCaretVisible();
    ShowStatus();
    viewport()->update();
}

void TTextFileViewer::CopyToClipboard()
{
    if (!IsOpen() || !HasSelection())
        return;
    const TPos start = std::min(FAnchor, FCaret);
    const TPos end = std::max(FAnchor, FCaret);
    const std::int64_t from = FDocument.OffsetOfColumn(start.Line, start.Column);
    const std::int64_t to = FDocument.OffsetOfColumn(end.Line, end.Column);
    if (to - from > FMaxCopySize)
        throw Exception("The selection holds " + std::to_string(to - from) + " bytes; at most " +
                        std::to_string(FMaxCopySize) + " bytes can be copied to the clipboard.");
    QGuiApplication::clipboard()->setText(FDocument.CopyText(from, to));
}

bool TTextFileViewer::Search(const QString &Text, const TSearchOptions &Options)
{
    if (!IsOpen())
        return false;
    const TPos from = Options.Backward ? std::min(FAnchor, FCaret) : FCaret;
    const std::int64_t anchor = FDocument.OffsetOfColumn(from.Line, from.Column);
    std::int64_t length = 0;
    const std::int64_t hit = FDocument.Find(Text, Options, anchor, length);
    if (hit < 0)
        return false;
    const std::int64_t line = FDocument.LineAt(hit);
    FAnchor = {line, FDocument.ColumnOfOffset(line, hit)};
    FCaret = {line, FDocument.ColumnOfOffset(line, hit + length)};
    FDesiredColumn = FCaret.Column;
    EnsureCaretVisible();
    ShowStatus();
    viewport()->update();
    return true;
}

void TTextFileViewer::SetFixedFont(const QFont &Value)
{
    FFixedFont = Value;
    FFixedFont.setFixedPitch(true);
    FFixedFont.setStyleHint(QFont::TypeWriter);
    viewport()->setFont(FFixedFont);
    const QFontMetrics metrics(FFixedFont, viewport());
    FCharWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    FLineHeight = std::max(1, metrics.height());
    FAscent = metrics.ascent();
    UpdateScrollBars();
    viewport()->update();
}

void TTextFileViewer::SetFixedFontColor(const QColor &Value)
{
    FFontColor = Value;
    viewport()->update();
}

void TTextFileViewer::SetController(TViewerController *Value)
{
    FController = Value;
}

int TTextFileViewer::VisibleRows() const
{
    return std::max(1, viewport()->height() / FLineHeight);
}

int TTextFileViewer::VisibleColumns() const
{
    return std::max(1, viewport()->width() / FCharWidth);
}

void TTextFileViewer::UpdateScrollBars()
{
    const std::int64_t lines = FDocument.Lines();
    const int rows = VisibleRows();
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, Clamp32(std::max<std::int64_t>(lines - rows, 0)));
    const int columns = VisibleColumns();
    const std::int64_t widest = std::max({FDocument.LongestLine(), FCaret.Column + 1, FLeftColumn + columns});
    horizontalScrollBar()->setPageStep(columns);
    horizontalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, Clamp32(std::max<std::int64_t>(widest - columns, 0)));
}

void TTextFileViewer::scrollContentsBy(int, int)
{
    FTopLine = verticalScrollBar()->value();
    FLeftColumn = horizontalScrollBar()->value();
    viewport()->update();
}

void TTextFileViewer::EnsureCaretVisible()
{
    const int rows = VisibleRows();
    const int columns = VisibleColumns();
    std::int64_t top = FTopLine;
    std::int64_t left = FLeftColumn;
    if (FCaret.Line < top)
        top = FCaret.Line;
    else if (FCaret.Line >= top + rows)
        top = FCaret.Line - rows + 1;
    if (FCaret.Column < left)
        left = std::max<std::int64_t>(FCaret.Column - columns / 4, 0);
    else if (FCaret.Column >= left + columns)
        left = FCaret.Column - columns + columns / 4 + 1;
    FTopLine = top;
    FLeftColumn = left;
    UpdateScrollBars();
    QSignalBlocker vertical(verticalScrollBar());
    QSignalBlocker horizontal(horizontalScrollBar());
    verticalScrollBar()->setValue(Clamp32(top));
    horizontalScrollBar()->setValue(Clamp32(left));
    FTopLine = std::max<std::int64_t>(verticalScrollBar()->value(), std::min(top, FTopLine));
    FLeftColumn = horizontalScrollBar()->value();
}

void TTextFileViewer::resizeEvent(QResizeEvent *Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollBars();
}

void TTextFileViewer::focusInEvent(QFocusEvent *Event)
{
    QAbstractScrollArea::focusInEvent(Event);
    viewport()->update();
}

void TTextFileViewer::focusOutEvent(QFocusEvent *Event)
{
    QAbstractScrollArea::focusOutEvent(Event);
    viewport()->update();
}

void TTextFileViewer::DrawRun(QPainter &Painter, int X, int Y, const QString &Text)
{
    // Plain ASCII goes out in runs; any other character is placed in its own
    // cell, so glyphs taken from fallback fonts keep to the column grid.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i <= Text.size(); ++i) {
        if (i < Text.size() && Text[i].unicode() < 0x80)
            continue;
        if (i > runStart)
            Painter.drawText(X + int(runStart) * FCharWidth, Y, Text.mid(runStart, i - runStart));
        if (i < Text.size())
            Painter.drawText(X + int(i) * FCharWidth, Y, QString(Text[i]));
        runStart = i + 1;
    }
}

void TTextFileViewer::PaintLine(QPainter &Painter, std::int64_t Line, int Y)
{
    const int columns = VisibleColumns() + 1;
    const QString text = FDocument.Text(Line, FLeftColumn, FLeftColumn + columns);
    Painter.setPen(FFontColor);
    DrawRun(Painter, 0, Y + FAscent, text);
    if (!HasSelection())
        return;
    const TPos start = std::min(FAnchor, FCaret);
    const TPos end = std::max(FAnchor, FCaret);
    if (Line < start.Line || Line > end.Line)
        return;
    // Lines inside the selection show one column more for their line end.
    std::int64_t from = Line == start.Line ? start.Column : 0;
    std::int64_t to = Line == end.Line ? end.Column : FLeftColumn + text.size() + 1;
    from = std::max(from, FLeftColumn) - FLeftColumn;
    to = std::min<std::int64_t>(to, FLeftColumn + columns) - FLeftColumn;
    if (to <= from)
        return;
    const QRect area(int(from) * FCharWidth, Y, int(to - from) * FCharWidth, FLineHeight);
    Painter.fillRect(area, palette().brush(QPalette::Highlight));
    Painter.setPen(palette().color(QPalette::HighlightedText));
    Painter.save();
    Painter.setClipRect(area);
    DrawRun(Painter, 0, Y + FAscent, text);
    Painter.restore();
}

void TTextFileViewer::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().brush(QPalette::Base));
    if (!IsOpen())
        return;
    painter.setFont(FFixedFont);
    const std::int64_t lines = FDocument.Lines();
    const int rows = VisibleRows() + 1;
    for (int row = 0; row < rows && FTopLine + row < lines; ++row)
        PaintLine(painter, FTopLine + row, row * FLineHeight);
    if (hasFocus() && FCaret.Line >= FTopLine && FCaret.Line < FTopLine + rows && FCaret.Column >= FLeftColumn) {
        const int x = int(FCaret.Column - FLeftColumn) * FCharWidth;
        const int y = int(FCaret.Line - FTopLine) * FLineHeight;
        painter.fillRect(QRect(x, y, 2, FLineHeight), FFontColor);
    }
}

TTextFileViewer::TPos TTextFileViewer::WordMove(TPos From, bool Forward)
{
    std::int64_t start = 0, end = 0;
    FDocument.ContentRange(From.Line, start, end);
    if (Forward && FDocument.OffsetOfColumn(From.Line, From.Column) >= end)
        return From.Line < LastLine() ? TPos{From.Line + 1, 0} : From;
    if (!Forward && From.Column == 0)
        return From.Line > 0 ? TPos{From.Line - 1, FDocument.Columns(From.Line - 1)} : From;
    // Words are looked for in a window around the caret, so long lines cost
    // no more than short ones.
    constexpr std::int64_t Reach = 4096;
    const std::int64_t base = Forward ? From.Column : std::max<std::int64_t>(From.Column - Reach, 0);
    const QString text = FDocument.Text(From.Line, base, Forward ? From.Column + Reach : From.Column);
    qsizetype i = From.Column - base;
    if (Forward) {
        while (i < text.size() && IsWordChar(text[i]))
            ++i;
        while (i < text.size() && !IsWordChar(text[i]))
            ++i;
    } else {
        while (i > 0 && !IsWordChar(text[i - 1]))
            --i;
        while (i > 0 && IsWordChar(text[i - 1]))
            --i;
    }
    return Snap({From.Line, base + i});
}

TTextFileViewer::TPos TTextFileViewer::Moved(TViewerCommand Command)
{
    using C = TViewerCommand;
    TPos pos = FCaret;
    const std::int64_t rows = VisibleRows();
    switch (BaseMove(Command)) {
    case C::Left:
        if (pos.Column > 0)
            return Snap({pos.Line, pos.Column - 1});
        return pos.Line > 0 ? TPos{pos.Line - 1, FDocument.Columns(pos.Line - 1)} : pos;
    case C::Right: {
        std::int64_t start = 0, end = 0;
        const std::int64_t offset = FDocument.OffsetOfColumn(pos.Line, pos.Column);
        if (FDocument.ContentRange(pos.Line, start, end) && offset < end)
            return {pos.Line, FDocument.ColumnOfOffset(pos.Line, offset + 1)};
        return pos.Line < LastLine() ? TPos{pos.Line + 1, 0} : pos;
    }
    case C::Up:
        return Snap({pos.Line - 1, FDesiredColumn});
    case C::Down:
        return Snap({pos.Line + 1, FDesiredColumn});
    case C::PageUp:
        return Snap({pos.Line - rows, FDesiredColumn});
    case C::PageDown:
        return Snap({pos.Line + rows, FDesiredColumn});
    case C::WordLeft:
        return WordMove(pos, false);
    case C::WordRight:
        return WordMove(pos, true);
    case C::LineStart:
        return {pos.Line, 0};
    case C::LineEnd:
        return {pos.Line, FDocument.Columns(pos.Line)};
    case C::Top:
        return {0, 0};
    case C::Bottom:
        CountLines();
        return {LastLine(), FDocument.Columns(LastLine())};
    default:
        return pos;
    }
}

bool TTextFileViewer::Execute(TViewerCommand Command)
{
    using C = TViewerCommand;
    switch (Command) {
    case C::None:
        return false;
    case C::SelectAll:
        SelectAll(true);
        return true;
    case C::Copy:
        try {
            CopyToClipboard();
        } catch (const Exception &error) {
            QMessageBox::warning(this, tr("Copy"), QString::fromStdString(error.Message()));
        }
        return true;
    case C::ScrollUp:
    case C::ScrollDown:
        verticalScrollBar()->setValue(verticalScrollBar()->value() + (Command == C::ScrollUp ? -1 : 1));
        return true;
    default:
        break;
    }
    if (!IsOpen())
        return true;
    const TPos target = Moved(Command);
    const TViewerCommand move = BaseMove(Command);
    if (move == C::PageUp || move == C::PageDown) {
        const std::int64_t delta = target.Line - FCaret.Line;
        verticalScrollBar()->setValue(Clamp32(FTopLine + delta));
    }
    MoveCaret(target, IsExtend(Command));
    const bool vertical = move == C::Up || move == C::Down || move == C::PageUp || move == C::PageDown;
    if (!vertical)
        FDesiredColumn = FCaret.Column;
    return true;
}

void TTextFileViewer::keyPressEvent(QKeyEvent *Event)
{
    const TViewerCommand command = FController ? FController->Translate(Event->keyCombination()) : TViewerCommand::None;
    if (Execute(command))
        Event->accept();
    else
        QAbstractScrollArea::keyPressEvent(Event);
}

TTextFileViewer::TPos TTextFileViewer::PosAt(const QPoint &Point)
{
    const std::int64_t line = FTopLine + std::max(Point.y(), 0) / FLineHeight;
    const std::int64_t column = FLeftColumn + (std::max(Point.x(), 0) + FCharWidth / 2) / FCharWidth;
    return Snap({line, column});
}

void TTextFileViewer::mousePressEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton || !IsOpen())
        return QAbstractScrollArea::mousePressEvent(Event);
    MoveCaret(PosAt(Event->position().toPoint()), Event->modifiers() & Qt::ShiftModifier);
    FDesiredColumn = FCaret.Column;
}

void TTextFileViewer::mouseMoveEvent(QMouseEvent *Event)
{
    if (!(Event->buttons() & Qt::LeftButton) || !IsOpen())
        return QAbstractScrollArea::mouseMoveEvent(Event);
    MoveCaret(PosAt(Event->position().toPoint()), true);
    FDesiredColumn = FCaret.Column;
}

void TTextFileViewer::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton && IsOpen())
        Event->accept();
    else
        QAbstractScrollArea::mouseReleaseEvent(Event);
}

void TTextFileViewer::SelectWordAt(TPos Pos)
{
    const std::int64_t base = std::max<std::int64_t>(Pos.Column - 4096, 0);
    const QString text = FDocument.Text(Pos.Line, base, Pos.Column + 4096);
    qsizetype from = Pos.Column - base;
    qsizetype to = from;
    if (from < text.size() && IsWordChar(text[from])) {
        while (from > 0 && IsWordChar(text[from - 1]))
            --from;
        while (to < text.size() && IsWordChar(text[to]))
            ++to;
    } else if (to < text.size()) {
        ++to;
    }
    FAnchor = Snap({Pos.Line, base + from});
    FCaret = Snap({Pos.Line, base + to});
    FDesiredColumn = FCaret.Column;
    EnsureCaretVisible();
    ShowStatus();
    viewport()->update();
}

void TTextFileViewer::mouseDoubleClickEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton || !IsOpen())
        return QAbstractScrollArea::mouseDoubleClickEvent(Event);
    const QPoint point = Event->position().toPoint();
    const std::int64_t line = FTopLine + std::max(point.y(), 0) / FLineHeight;
    SelectWordAt(Snap({line, FLeftColumn + std::max(point.x(), 0) / FCharWidth}));
}

} // namespace Orbalog
