#pragma once

#include <Orbalog/Exception.h>

namespace Orbalog {

// The tracers' own exception class. No operation raises it; it is there for
// applications that want to report tracing faults under a name of their own.
class ORBALOG_EXPORT EOrbalogError : public Exception
{
public:
    using Exception::Exception;
    ~EOrbalogError() override;
};

} // namespace Orbalog
