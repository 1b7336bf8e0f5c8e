#pragma once

#include <netinet/in.h>

#include <optional>
#include <string>

namespace velkan::search {

// A dotted address as it stands, else the first IPv4 address the name resolves to.
std::optional<in_addr> ResolveIPv4(const std::string& host);

sockaddr_in MakeAddress(in_addr address, int port);

} // namespace velkan::search
