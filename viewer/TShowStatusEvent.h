#pragma once

#include <Orbalog/TEvent.h>

namespace Orbalog {

// Reports a caret position: the sender, the caret's line and its column,
// both counted from 0.
using TShowStatusEvent = TEvent<int, int>;

} // namespace Orbalog
