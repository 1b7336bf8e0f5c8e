#pragma once

#include <chrono>
#include <cstdint>

namespace velkan::search {

// Milliseconds on a 32-bit counter that wraps; compare with unsigned arithmetic.
class TickSource {
public:
    virtual ~TickSource() = default;
    [[nodiscard]] virtual std::uint32_t Now() const = 0;
};

class SteadyTickSource final : public TickSource {
public:
    [[nodiscard]] std::uint32_t Now() const override
    {
        const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }
};

} // namespace velkan::search
