#pragma once
// A read-only viewer for text files of any size. The file is read on demand
// and indexed in the background, so the first screen shows at once; only the
// visible lines are ever decoded. Caret, selection, keyboard (through a
// TViewerController), mouse and wheel work as in a read-only text control.
//
// Positions are lines and columns counted from 0; a column is one character
// of a line's shown text, with tabs expanded to multiples of eight.
//
// LineCount() reads NotCounted until the whole file has been indexed (the
// LineCountProgress signal reports how far it got, LineCountSettled when it
// ends) and 0 with no file open. Counts and sizes beyond the 32-bit range
// read as the largest value below NotCounted; the ...64 forms are exact.

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TSearchOptions.h>
#include <Orbalog/TShowStatusEvent.h>
#include <Orbalog/TTextDocument.h>
#include <Orbalog/TViewerController.h>

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>

#include <cstdint>

namespace Orbalog {

class TViewerController;
enum class TViewerCommand;

class ORBALOG_EXPORT TTextFileViewer : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int NotCounted = 2147483647;
    static constexpr std::int64_t DefaultMaxCopySize = 64 * 1024 * 1024;

    explicit TTextFileViewer(QWidget *Parent = nullptr);
    ~TTextFileViewer() override;

    // The file shown, as given. Changing it closes an open file.
    void SetFileName(const QString &Value);
    QString GetFileName() const { return FFileName; }

    // Opens the file (again, when already open, to show its current content)
    // or closes it. A file that cannot be read raises EInOutError and leaves
    // the control with no file open.
    void SetIsOpen(bool Value);
    bool IsOpen() const noexcept { return FDocument.IsOpen(); }

    int LineCount() const noexcept;
    std::int64_t LineCount64() const noexcept;
    int FileSize() const noexcept;
    std::int64_t FileSize64() const noexcept { return FDocument.Size(); }
    // Reads to the end of the file and settles the line count.
    void CountLines();

    // Whether text is selected, and its start and end (start before end).
    bool GetSelection(int &StartLine, int &StartColumn, int &EndLine, int &EndColumn) const;
    // Fills Buffer with the shown text of line Line, cut to BufferLength - 1
    // characters and zero-terminated; returns the characters written before
    // the zero. A line that does not exist gives an empty text.
    int GetPrintableLine(int Line, QChar *Buffer, int BufferLength);
    QString PrintableLine(std::int64_t Line, int MaxLength);

    // Moves the caret to Line and Column, kept inside the text, and clears
    // the selection.
    void SetCaretActualPos(int Line, int Column);
    int CaretLine() const noexcept { return Clamp32(FCaret.Line); }
    int CaretColumn() const noexcept { return Clamp32(FCaret.Column); }
    std::int64_t TopLine() const noexcept { return FTopLine; }

    // Selects the whole text; the caret goes to its end when CaretAtEnd is
    // set, to its start otherwise.
    void SelectAll(bool CaretAtEnd);
    // Puts the selected text on the clipboard. A selection of more than
    // MaxCopySize() bytes is refused with an Exception saying so.
    void CopyToClipboard();
    std::int64_t MaxCopySize() const noexcept { return FMaxCopySize; }
    void SetMaxCopySize(std::int64_t Value) noexcept { FMaxCopySize = Value; }

    // Searches from the caret on (or, backward, before the selection or the
    // caret). A hit is selected with the caret at its end, so the next search
    // goes on from it. Returns whether the text was found.
    bool Search(const QString &Text, const TSearchOptions &Options);

    QFont FixedFont() const { return FFixedFont; }
    void SetFixedFont(const QFont &Value);
    QColor FixedFontColor() const { return FFontColor; }
    void SetFixedFontColor(const QColor &Value);

    TViewerController *Controller() const noexcept { return FController.data(); }
    // The controller that translates keys (none: keys do nothing here).
    void SetController(TViewerController *Value);

    const TTextDocument &Document() const noexcept { return FDocument; }

    TShowStatusEvent OnShowStatus;

Q_SIGNALS:
    void LineCountProgress(qint64 Lines, qint64 Bytes);
    void LineCountSettled(qint64 Lines);

protected:
    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;
    void scrollContentsBy(int Dx, int Dy) override;

private:
    struct TPos
    {
        std::int64_t Line = 0;
        std::int64_t Column = 0;
        friend bool operator==(const TPos &, const TPos &) = default;
        friend auto operator<=>(const TPos &, const TPos &) = default;
    };

    static int Clamp32(std::int64_t Value) noexcept;
    bool HasSelection() const noexcept { return FAnchor != FCaret; }
    int VisibleRows() const;
    int VisibleColumns() const;
    std::int64_t LastLine() const;
    TPos Snap(TPos Pos);
    TPos PosAt(const QPoint &Point);
    void MoveCaret(TPos Pos, bool Extend);
    void EnsureCaretVisible();
    void ShowStatus();
    void UpdateScrollBars();
    void OnProgress();
    void OnSettled();
    bool Execute(TViewerCommand Command);
    TPos Moved(TViewerCommand Command);
    TPos WordMove(TPos From, bool Forward);
    void SelectWordAt(TPos Pos);
    void PaintLine(QPainter &Painter, std::int64_t Line, int Y);
    void DrawRun(QPainter &Painter, int X, int Y, const QString &Text);
    void ResetPositions();

    TTextDocument FDocument;
    QPointer<TViewerController> FController;
    QString FFileName;
    QFont FFixedFont;
    QColor FFontColor;
    TPos FCaret;
    TPos FAnchor;
    std::int64_t FDesiredColumn = 0;
    std::int64_t FTopLine = 0;
    std::int64_t FLeftColumn = 0;
    std::int64_t FMaxCopySize = DefaultMaxCopySize;
    int FCharWidth = 8;
    int FLineHeight = 16;
    int FAscent = 12;
    bool FSettledReported = false;
};

} // namespace Orbalog
