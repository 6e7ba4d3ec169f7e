#include <Orbalog/TTraceMemo.h>

#include <Orbalog/FixedPitchFont.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>

namespace Orbalog {

namespace {

constexpr int Margin = 2;

// A line's bytes as text: UTF-8 where they are, Latin-1 where they are not
// (a dump's text part holds raw bytes).
QString Decode(std::string_view Bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    if (utf8.hasError())
        text = QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    return text;
}

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

TTraceMemo::TTraceMemo(QWidget *AParent)
    : QAbstractScrollArea(AParent)
{
    setFont(FixedPitchFont(QStringLiteral("Courier"), 9));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    FLines.OnChange = [this] { ScheduleRefresh(); };
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!FRefreshPending)
            FFollowEnd = value >= verticalScrollBar()->maximum();
    });
}

TTraceMemo::~TTraceMemo()
{
    FLines.OnChange = nullptr;
}

void TTraceMemo::SetAlign(TAlign Value)
{
    FAlign = Value;
    if (QWidget *parent = parentWidget()) {
        parent->removeEventFilter(this);
        if (FAlign != alNone)
            parent->installEventFilter(this);
    }
    ApplyAlign();
}

bool TTraceMemo::VisibleFlag() const
{
    return !(testAttribute(Qt::WA_WState_ExplicitShowHide) && testAttribute(Qt::WA_WState_Hidden));
}

QSize TTraceMemo::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(QLatin1Char('M')) * 60, fm.lineSpacing() * 12};
}

// Lines arrive in bursts; the scroll bars and the screen catch up once the
// event loop runs again.
void TTraceMemo::ScheduleRefresh()
{
    if (FRefreshPending)
        return;
    FRefreshPending = true;
    QMetaObject::invokeMethod(this, &TTraceMemo::Refresh, Qt::QueuedConnection);
}

void TTraceMemo::Refresh()
{
    // The screen catches up at most about sixty times a second: under a flood
    // of records the paints, not the records, would otherwise set the pace.
    const qint64 since = FLastRefresh.isValid() ? FLastRefresh.elapsed() : MinRefreshInterval;
    if (since < MinRefreshInterval) {
        QTimer::singleShot(static_cast<int>(MinRefreshInterval - since), this, &TTraceMemo::Refresh);
        return;
    }
    FLastRefresh.start();
    QScrollBar *bar = verticalScrollBar();
    const std::int64_t removed = FLines.FirstSerial() - FShownFirstSerial;
    FShownFirstSerial = FLines.FirstSerial();
    const int value = bar->value();
    UpdateScrollBars();
    // Follow the newest line; a reader who scrolled up keeps the same lines
    // in view while older ones are trimmed away above them.
    if (FFollowEnd)
        bar->setValue(bar->maximum());
    else
        bar->setValue(static_cast<int>(std::max<std::int64_t>(0, value - removed)));
    FRefreshPending = false;
    viewport()->update();
}

int TTraceMemo::VisibleRows() const
{
    return std::max(1, viewport()->height() / QFontMetrics(font()).lineSpacing());
}

void TTraceMemo::UpdateScrollBars()
{
    const int rows = VisibleRows();
    verticalScrollBar()->setRange(0, std::max(0, FLines.Count() - rows));
    verticalScrollBar()->setPageStep(rows);
    std::size_t widest = 0;
    for (int i = 0; i < FLines.Count(); ++i)
        widest = std::max(widest, FLines.Strings(i).size());
    const int advance = QFontMetrics(font()).horizontalAdvance(QLatin1Char('M'));
    const int width = static_cast<int>(std::min<std::size_t>(widest, 1u << 20)) * advance + 2 * Margin;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(advance);
}

// What a line shows: control bytes as visible symbols, one column each.
QString TTraceMemo::DisplayText(int Index) const
{
    QString text = Decode(FLines.Strings(Index));
    for (QChar &c : text) {
        if (c.unicode() < 32)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 127)
            c = QChar(0x2421);
    }
    return text;
}

// Lines are drawn as glyph runs straight from the font's character map: a
// fixed-pitch line needs no text shaping, which is most of what drawing text
// costs. A line with a character the font lacks takes the full text path,
// with its font fallback.
void TTraceMemo::DrawLine(QPainter &Painter, const QRawFont &Raw, QPointF Origin, const QString &Text)
{
    if (!Raw.isValid() || Text.isEmpty()) {
        Painter.drawText(Origin, Text);
        return;
    }
    const QList<quint32> glyphs = Raw.glyphIndexesForString(Text);
    if (glyphs.contains(0u)) {
        Painter.drawText(Origin, Text);
        return;
    }
    const QList<QPointF> advances = Raw.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    QPointF pen(0, 0);
    for (const QPointF &advance : advances) {
        positions.append(pen);
        pen += advance;
    }
    QGlyphRun run;
    run.setRawFont(Raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    Painter.drawGlyphRun(Origin, run);
}

void TTraceMemo::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetrics fm(font());
    const int spacing = fm.lineSpacing();
    const int first = verticalScrollBar()->value();
    const int x = Margin - horizontalScrollBar()->value();
    const Position from = std::min(FAnchor, FCaret);
    const Position to = std::max(FAnchor, FCaret);
    const bool selecting = !(from == to);
    const QRawFont raw = QRawFont::fromFont(font());
    for (int row = 0, i = first; i < FLines.Count() && row * spacing < viewport()->height(); ++row, ++i) {
        const QString text = DisplayText(i);
        const int y = row * spacing;
        painter.setPen(palette().color(QPalette::Text));
        DrawLine(painter, raw, QPointF(x, y + fm.ascent()), text);
        const std::int64_t serial = FLines.FirstSerial() + i;
        if (selecting && serial >= from.Serial && serial <= to.Serial) {
            const int start = serial == from.Serial ? std::min<int>(from.Column, text.size()) : 0;
            const int end = serial == to.Serial ? std::min<int>(to.Column, text.size()) : text.size();
            const QString part = text.mid(start, end - start);
            const int left = x + fm.horizontalAdvance(text.left(start));
            const int width = fm.horizontalAdvance(part) + (serial == to.Serial ? 0 : fm.horizontalAdvance(QLatin1Char(' ')));
            painter.fillRect(left, y, width, spacing, palette().color(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
            painter.drawText(left, y + fm.ascent(), part);
        }
        if (hasFocus() && serial == FCaret.Serial) {
            const int caretX = x + fm.horizontalAdvance(text.left(FCaret.Column));
            painter.fillRect(caretX, y, 1, spacing, palette().color(QPalette::Text));
        }
    }
}

void TTraceMemo::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    if (FFollowEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

bool TTraceMemo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        ApplyAlign();
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TTraceMemo::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::ParentChange)
        SetAlign(FAlign);
    else if (event->type() == QEvent::FontChange)
        UpdateScrollBars();
}

void TTraceMemo::ApplyAlign()
{
    const QWidget *parent = parentWidget();
    if (!parent || FAlign == alNone)
        return;
    const QRect r = parent->contentsRect();
    switch (FAlign) {
    case alClient: setGeometry(r); break;
    case alTop: setGeometry(r.x(), r.y(), r.width(), height()); break;
    case alBottom: setGeometry(r.x(), r.bottom() + 1 - height(), r.width(), height()); break;
    case alLeft: setGeometry(r.x(), r.y(), width(), r.height()); break;
    case alRight: setGeometry(r.right() + 1 - width(), r.y(), width(), r.height()); break;
    case alNone: break;
    }
}

TTraceMemo::Position TTraceMemo::Clamped(Position P) const
{
    const std::int64_t first = FLines.FirstSerial();
    if (FLines.Count() == 0)
        return {first, 0};
    P.Serial = std::clamp<std::int64_t>(P.Serial, first, first + FLines.Count() - 1);
    const int length = static_cast<int>(Decode(FLines.Strings(static_cast<int>(P.Serial - first))).size());
    P.Column = std::clamp(P.Column, 0, length);
    return P;
}

TTraceMemo::Position TTraceMemo::PositionAt(const QPoint &Point) const
{
    const QFontMetrics fm(font());
    const int index = verticalScrollBar()->value() + std::max(0, Point.y()) / fm.lineSpacing();
    const int advance = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
    const int column = (Point.x() - Margin + horizontalScrollBar()->value() + advance / 2) / advance;
    return Clamped({FLines.FirstSerial() + index, std::max(0, column)});
}

void TTraceMemo::MoveCaret(Position P, bool Extend)
{
    FCaret = Clamped(P);
    if (!Extend)
        FAnchor = FCaret;
    EnsureCaretVisible();
    viewport()->update();
}

void TTraceMemo::EnsureCaretVisible()
{
    const int index = static_cast<int>(FCaret.Serial - FLines.FirstSerial());
    QScrollBar *bar = verticalScrollBar();
    if (index < bar->value())
        bar->setValue(index);
    else if (index >= bar->value() + VisibleRows())
        bar->setValue(index - VisibleRows() + 1);
}

bool TTraceMemo::HasSelection() const
{
    return !(Clamped(FAnchor) == Clamped(FCaret));
}

QString TTraceMemo::TextBetween(Position From, Position To) const
{
    From = Clamped(From);
    To = Clamped(To);
    QStringList parts;
    for (std::int64_t serial = From.Serial; serial <= To.Serial && FLines.Count() > 0; ++serial) {
        const QString text = Decode(FLines.Strings(static_cast<int>(serial - FLines.FirstSerial())));
        const int start = serial == From.Serial ? From.Column : 0;
        const int end = serial == To.Serial ? To.Column : text.size();
        parts << text.mid(start, end - start);
    }
    return parts.join(QLatin1Char('\n'));
}

QString TTraceMemo::SelectedText() const
{
    return TextBetween(std::min(FAnchor, FCaret), std::max(FAnchor, FCaret));
}

void TTraceMemo::SelectAll()
{
    FAnchor = Clamped({FLines.FirstSerial(), 0});
    FCaret = Clamped({FLines.FirstSerial() + FLines.Count(), 1 << 30});
    viewport()->update();
}

void TTraceMemo::CopyToClipboard() const
{
    if (HasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

void TTraceMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    Position p = Clamped(FCaret);
    switch (event->key()) {
    case Qt::Key_Left: --p.Column; break;
    case Qt::Key_Right: ++p.Column; break;
    case Qt::Key_Up: --p.Serial; break;
    case Qt::Key_Down: ++p.Serial; break;
    case Qt::Key_PageUp: p.Serial -= VisibleRows(); break;
    case Qt::Key_PageDown: p.Serial += VisibleRows(); break;
    case Qt::Key_Home:
        p.Column = 0;
        if (control)
            p.Serial = FLines.FirstSerial();
        break;
    case Qt::Key_End:
        p.Column = 1 << 30;
        if (control)
            p.Serial = FLines.FirstSerial() + FLines.Count();
        break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    MoveCaret(p, extend);
}

void TTraceMemo::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        MoveCaret(PositionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    QAbstractScrollArea::mousePressEvent(event);
}

void TTraceMemo::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        MoveCaret(PositionAt(event->position().toPoint()), true);
}

void TTraceMemo::mouseDoubleClickEvent(QMouseEvent *event)
{
    const Position p = PositionAt(event->position().toPoint());
    if (FLines.Count() == 0)
        return;
    const QString text = Decode(FLines.Strings(static_cast<int>(p.Serial - FLines.FirstSerial())));
    int start = std::min<int>(p.Column, text.size());
    int end = start;
    while (start > 0 && IsWordChar(text[start - 1]))
        --start;
    while (end < text.size() && IsWordChar(text[end]))
        ++end;
    FAnchor = {p.Serial, start};
    FCaret = {p.Serial, end};
    viewport()->update();
}

void TTraceMemo::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(tr("&Copy"), this, &TTraceMemo::CopyToClipboard);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(HasSelection());
    menu.addAction(tr("Select &All"), this, &TTraceMemo::SelectAll)->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}

} // namespace Orbalog
