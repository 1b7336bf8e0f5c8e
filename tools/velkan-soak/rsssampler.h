#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <vector>

namespace velkan::soak {

// The process's resident memory, sampled at a steady pace, so that the peak of any stretch of
// the run can be told afterwards.
class RssSampler {
public:
    explicit RssSampler(int intervalMs);

    // Bytes resident now; 0 when the system does not say.
    [[nodiscard]] static std::uint64_t ResidentBytes();

    // The largest sample taken from fromMs to toMs after the sampler was made.
    [[nodiscard]] std::uint64_t PeakBetween(std::int64_t fromMs, std::int64_t toMs) const;
    [[nodiscard]] std::int64_t ElapsedMs() const { return m_clock.elapsed(); }

private:
    struct Sample {
        std::int64_t atMs;
        std::uint64_t bytes;
    };

    void Take();

    QElapsedTimer m_clock;
    QTimer m_timer;
    std::vector<Sample> m_samples;
};

} // namespace velkan::soak
