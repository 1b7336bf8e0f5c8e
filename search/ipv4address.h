#pragma once

#include <netinet/in.h>

#include <optional>
#include <string>

namespace velkan::search {

// The host as a dotted address, in the forms inet_addr reads; nothing for a host name, which
// must be looked up.
std::optional<in_addr> DottedIPv4(const std::string& host);

// "a.b.c.d".
std::string AddressText(in_addr address);

sockaddr_in MakeAddress(in_addr address, int port);

} // namespace velkan::search
