#include "tools/velkan-soak/rsssampler.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace velkan::soak {

RssSampler::RssSampler(int intervalMs)
{
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Take(); });
    m_timer.start(intervalMs);
    Take();
}

std::uint64_t RssSampler::ResidentBytes()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return 0;
    }
    unsigned long long size = 0;
    unsigned long long resident = 0;
    const int read = std::fscanf(statm, "%llu %llu", &size, &resident);
    std::fclose(statm);
    return read == 2 ? resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

void RssSampler::Take()
{
    m_samples.push_back({m_clock.elapsed(), ResidentBytes()});
}

std::uint64_t RssSampler::PeakBetween(std::int64_t fromMs, std::int64_t toMs) const
{
    std::uint64_t peak = 0;
    for (const Sample& sample : m_samples) {
        if (sample.atMs >= fromMs && sample.atMs <= toMs) {
            peak = std::max(peak, sample.bytes);
        }
    }
    return peak;
}

} // namespace velkan::soak
