#pragma once
// An assignable event: a callback that receives the object that raised it.
// Raising an unassigned event does nothing.

#include <functional>
#include <utility>

class QObject;

namespace Orbalog {

class TNotifyEvent
{
public:
    using Handler = std::function<void(QObject *Sender)>;

    TNotifyEvent() = default;
    TNotifyEvent(Handler handler) // NOLINT: assignable like a plain callback
        : FHandler(std::move(handler))
    {
    }

    TNotifyEvent &operator=(Handler handler)
    {
        FHandler = std::move(handler);
        return *this;
    }

    explicit operator bool() const noexcept { return static_cast<bool>(FHandler); }
    bool Assigned() const noexcept { return static_cast<bool>(FHandler); }
    void Clear() noexcept { FHandler = nullptr; }

    // Fires the event if a handler is assigned.
    void operator()(QObject *Sender) const
    {
        if (FHandler)
            FHandler(Sender);
    }

private:
    Handler FHandler;
};

} // namespace Orbalog
