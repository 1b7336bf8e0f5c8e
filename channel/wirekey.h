#pragma once

#include <string_view>

namespace velkan::channel {

// The key every enciphered text of the network is keyed with: the server-list request and its
// reply, the find and information requests, and the user's protected parameter. Servers and
// clients share it; changing it cuts the panel off from all of them.
inline constexpr std::string_view kWireKey = "3vindermok";

} // namespace velkan::channel
