#pragma once

#include <time.h>

namespace velkan::bench {

inline double ClockMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// CPU time of the calling thread, in ms: measured against each other in one iteration, two
// pieces of work see the same load of a shared machine.
inline double ThreadCpuMs()
{
    return ClockMs(CLOCK_THREAD_CPUTIME_ID);
}

// CPU time of every thread of the process, in ms: for work that takes a second core, such as a
// large sort, where the calling thread's own time would leave out the other half.
inline double ProcessCpuMs()
{
    return ClockMs(CLOCK_PROCESS_CPUTIME_ID);
}

template <typename Work> double CpuMsOf(Work&& work, double (*clock)() = ThreadCpuMs)
{
    const double start = clock();
    work();
    return clock() - start;
}

} // namespace velkan::bench
