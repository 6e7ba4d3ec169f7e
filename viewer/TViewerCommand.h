#pragma once
// The commands a key can stand for in the text-file viewer. Each caret move
// has an Extend twin that moves the caret while keeping the selection's anchor.

namespace Orbalog {

enum class TViewerCommand {
    None,
    Left,
    Right,
    Up,
    Down,
    WordLeft,
    WordRight,
    LineStart,
    LineEnd,
    PageUp,
    PageDown,
    Top,
    Bottom,
    ExtendLeft,
    ExtendRight,
    ExtendUp,
    ExtendDown,
    ExtendWordLeft,
    ExtendWordRight,
    ExtendLineStart,
    ExtendLineEnd,
    ExtendPageUp,
    ExtendPageDown,
    ExtendTop,
    ExtendBottom,
    ScrollUp,
    ScrollDown,
    SelectAll,
    Copy,
};

} // namespace Orbalog
