#include "ipv4address.h"

#include <arpa/inet.h>
#include <netdb.h>

namespace velkan::search {

std::optional<in_addr> ResolveIPv4(const std::string& host)
{
    in_addr address{};
    address.s_addr = inet_addr(host.c_str());
    if (address.s_addr != INADDR_NONE) {
        return address;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
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
