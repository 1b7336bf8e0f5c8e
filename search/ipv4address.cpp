#include "search/ipv4address.h"

#include <arpa/inet.h>

namespace velkan::search {

std::optional<in_addr> DottedIPv4(const std::string& host)
{
    in_addr address{};
    address.s_addr = inet_addr(host.c_str());
    if (address.s_addr == INADDR_NONE) {
        return std::nullopt;
    }
    return address;
}

std::string AddressText(in_addr address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

sockaddr_in MakeAddress(in_addr address, int port)
{
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr = address;
    socketAddress.sin_port = htons(static_cast<std::uint16_t>(port));
    return socketAddress;
}

} // namespace velkan::search
