#pragma once
// An assignable event that reports a caret position: the sender, the caret's
// line and its column, both counted from 0. Raising it unassigned does nothing.

#include <functional>
#include <utility>

class QObject;

namespace Orbalog {

class TShowStatusEvent
{
public:
    using Handler = std::function<void(QObject *Sender, int Line, int Column)>;

    TShowStatusEvent() = default;
    TShowStatusEvent(Handler handler) // NOLINT: assignable like a plain callback
        : FHandler(std::move(handler))
    {
    }

    TShowStatusEvent &operator=(Handler handler)
    {
        FHandler = std::move(handler);
        return *this;
    }

    explicit operator bool() const noexcept { return static_cast<bool>(FHandler); }
    bool Assigned() const noexcept { return static_cast<bool>(FHandler); }

    void operator()(QObject *Sender, int Line, int Column) const
    {
        if (FHandler)
            FHandler(Sender, Line, Column);
    }

private:
    Handler FHandler;
};

} // namespace Orbalog
