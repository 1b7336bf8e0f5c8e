#pragma once

namespace velkan::search {

// Descriptors kept free for everything else the process opens while a fan-out runs.
inline constexpr int kDescriptorMargin = 16;

// How many connections the process can open at once, at most wanted and at least 1: the soft
// limit of open descriptors less those open now and the margin.
[[nodiscard]] int ConnectionsWithinDescriptorLimit(int wanted);

} // namespace velkan::search
