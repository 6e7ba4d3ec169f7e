// Cost of the clock and of the date-and-time text every trace record asks for.
// Prints nanoseconds per call; the cached text should cost little more than
// the clock reading itself.

#include <Orbalog/DateTime.h>

#include <chrono>
#include <cstdio>
#include <string>

using namespace Orbalog;

namespace {

template <typename F>
double NanosecondsPerCall(int Calls, F &&Call)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Calls; ++i)
        Call();
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / Calls;
}

} // namespace

int main()
{
    constexpr int Calls = 2000000;
    volatile double sink = 0;
    std::size_t length = 0;
    std::printf("Now() (system clock)          %8.1f ns\n", NanosecondsPerCall(Calls, [&] { sink = Now(); }));
    std::printf("CurrentDateTimeText()         %8.1f ns\n",
                NanosecondsPerCall(Calls, [&] { length += CurrentDateTimeText().size(); }));
    std::printf("DateTimeToStr(Now())          %8.1f ns\n",
                NanosecondsPerCall(Calls / 10, [&] { length += DateTimeToStr(Now()).size(); }));
    TSteppingClock stepping(EncodeDateTime(2026, 3, 15, 12, 0, 0), EncodeTime(0, 0, 1));
    SetClock(&stepping);
    std::printf("CurrentDateTimeText() new sec %8.1f ns\n",
                NanosecondsPerCall(Calls / 10, [&] { length += CurrentDateTimeText().size(); }));
    SetClock(nullptr);
    return length == 0 ? 1 : 0;
}
