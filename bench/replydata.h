#pragma once

#include "channel/appserverprotocol.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velkan::bench {

// Find reply lines as sharing users send them, made from the local network's generated shares:
// Korean and English names, many extensions (some in capitals), a few adult, exempt and person
// items, sizes from a byte to gigabytes, dates to the minute over ten years, now and then an
// escaped "<", ">" or "|". A line lists its items folder by folder, as a peer walking its
// folders does.
std::vector<std::string> GeneratedReplyLines(std::size_t lines, std::size_t itemsPerLine,
                                             std::uint64_t seed);

// The server-list entry of the peer that sends line index (nicknames, speeds and hosts as the
// local network gives them; five hundred peers take turns).
channel::ServerEntry GeneratedServer(std::size_t index, std::uint64_t seed);

} // namespace velkan::bench
