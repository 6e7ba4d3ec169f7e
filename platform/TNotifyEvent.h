#pragma once

#include <Orbalog/TEvent.h>

namespace Orbalog {

// An event that tells only who raised it.
using TNotifyEvent = TEvent<>;

} // namespace Orbalog
