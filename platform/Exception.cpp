#include <Orbalog/Exception.h>

#include <utility>

namespace Orbalog {

Exception::Exception(std::string message)
    : FMessage(std::move(message))
{
}

Exception::~Exception() = default;

EInOutError::EInOutError(int errorCode, std::string message)
    : Exception(std::move(message))
    , FErrorCode(errorCode)
{
}

EInOutError::~EInOutError() = default;
EConvertError::~EConvertError() = default;
ERangeError::~ERangeError() = default;

} // namespace Orbalog
