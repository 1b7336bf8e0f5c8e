#pragma once

#include "tools/velkan-localnet/replies.h"
#include "tools/velkan-localnet/sharedfile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Made-up peers: the same seed and index always give the same nickname, speed, figures and
// share, so a test can rebuild what a peer of the network holds without asking it.
namespace velkan::localnet {

// Nested folders with Korean and English names, many extensions (some upper case), a few
// special folders and flagged items, sizes from a byte to several GB, and now and then "<",
// ">", "|" or "&" in a name. Paths are CP949.
std::vector<SharedFile> GenerateShare(std::uint64_t seed, std::size_t peerIndex);

// "peer001", a Korean or mixed name and the index: unique per index, at most 15 bytes in
// CP949, never holding "," or "|".
std::string GenerateNick(std::uint64_t seed, std::size_t peerIndex);

// A line speed as the application server lists it.
std::int32_t GenerateSpeed(std::uint64_t seed, std::size_t peerIndex);

// Download and upload figures; the count and total are left to the share.
InfoFigures GenerateInfoFigures(std::uint64_t seed, std::size_t peerIndex);

} // namespace velkan::localnet
