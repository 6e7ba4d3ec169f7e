#pragma once

#include <Orbalog/TDefaultWatchTracing.h>

namespace Orbalog {

// The watch tracer as offered on the designer palette.
class ORBALOG_EXPORT TWatchTracing : public TDefaultWatchTracing
{
    Q_OBJECT

public:
    using TDefaultWatchTracing::TDefaultWatchTracing;
    ~TWatchTracing() override;
};

} // namespace Orbalog
