#pragma once
// An assignable event: a callback that receives the object that raised it and
// the event's own arguments. Raising an unassigned event does nothing.

#include <functional>
#include <utility>

class QObject;

namespace Orbalog {

template<class... Args>
class TEvent
{
public:
    using Handler = std::function<void(QObject *Sender, Args...)>;

    TEvent() = default;
    TEvent(Handler handler) // NOLINT: assignable like a plain callback
        : FHandler(std::move(handler))
    {
    }

    TEvent &operator=(Handler handler)
    {
        FHandler = std::move(handler);
        return *this;
    }

    explicit operator bool() const noexcept { return static_cast<bool>(FHandler); }
    bool Assigned() const noexcept { return static_cast<bool>(FHandler); }
    void Clear() noexcept { FHandler = nullptr; }

    // Fires the event if a handler is assigned.
    void operator()(QObject *Sender, Args... Arguments) const
    {
        if (FHandler)
            FHandler(Sender, Arguments...);
    }

private:
    Handler FHandler;
};

} // namespace Orbalog
