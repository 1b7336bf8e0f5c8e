#pragma once

#include <array>
#include <cstdint>

namespace velkan::channel {

// The published initial tables; every key schedule starts again from these.
extern const std::array<std::uint32_t, 18> kBlowFishInitialP;
extern const std::array<std::uint32_t, 1024> kBlowFishInitialS;

} // namespace velkan::channel
