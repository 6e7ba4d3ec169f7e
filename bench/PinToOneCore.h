#pragma once
// Keeps a benchmark on the core it started on, so that both sides of a ratio
// run on the same core: the cores of a shared virtual machine can differ in
// speed by half, and a move between runs would show up as a ratio.

#include <sched.h>

inline void PinToOneCore()
{
    const int cpu = sched_getcpu();
    if (cpu < 0)
        return;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof set, &set);
}
