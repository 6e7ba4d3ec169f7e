#pragma once
// A read-only, multi-line text control over a TTraceLines list: both scroll
// bars, no word wrap, a fixed-pitch font. It paints only the visible lines and
// refreshes at most once per event-loop turn (and some sixty times a second),
// however many lines arrive. It
// follows the newest line unless the user has scrolled up to read; text can
// be selected with the mouse or the keyboard and copied.

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TTraceLines.h>

#include <QAbstractScrollArea>
#include <QElapsedTimer>

#include <cstdint>

class QPainter;
class QRawFont;

namespace Orbalog {

class ORBALOG_EXPORT TTraceMemo : public QAbstractScrollArea
{
    Q_OBJECT
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)

public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(TAlign)

    explicit TTraceMemo(QWidget *AParent = nullptr);
    ~TTraceMemo() override;

    TTraceLines &Lines() { return FLines; }
    const TTraceLines &Lines() const { return FLines; }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    // The control's own visibility flag: true unless it was hidden itself,
    // whether or not its window is on the screen.
    bool VisibleFlag() const;

    bool HasSelection() const;
    QString SelectedText() const;
    void SelectAll();
    void CopyToClipboard() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // A place in the text: the line's serial number and a column.
    struct Position
    {
        std::int64_t Serial = 0;
        int Column = 0;
        bool operator<(const Position &o) const { return Serial < o.Serial || (Serial == o.Serial && Column < o.Column); }
        bool operator==(const Position &o) const = default;
    };

    static void DrawLine(QPainter &Painter, const QRawFont &Raw, QPointF Origin, const QString &Text);
    void ScheduleRefresh();
    void Refresh();
    void UpdateScrollBars();
    void ApplyAlign();
    int VisibleRows() const;
    QString DisplayText(int Index) const;
    Position PositionAt(const QPoint &Point) const;
    Position Clamped(Position P) const;
    void MoveCaret(Position P, bool Extend);
    void EnsureCaretVisible();
    QString TextBetween(Position From, Position To) const;

    TTraceLines FLines;
    TAlign FAlign = alNone;
    static constexpr qint64 MinRefreshInterval = 16; // milliseconds
    bool FRefreshPending = false;
    QElapsedTimer FLastRefresh;
    std::int64_t FShownFirstSerial = 0;
    bool FFollowEnd = true;
    Position FAnchor;
    Position FCaret;
};

} // namespace Orbalog
