#pragma once

#include <Orbalog/TDefaultTracing.h>

namespace Orbalog {

// The file tracer as offered on the designer palette.
class ORBALOG_EXPORT TTracing : public TDefaultTracing
{
    Q_OBJECT

public:
    using TDefaultTracing::TDefaultTracing;
    ~TTracing() override;
};

} // namespace Orbalog
