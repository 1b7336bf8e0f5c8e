#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkan::localnet {

enum class RequestKind {
    ServerList, // "/slst %d|", to the application server
    Find,       // "/find %d|%s|%s", to a peer
    ServerInfo, // "/sinf ", to a peer
};

// A decrypted request that is one of the texts the service sends.
struct Request {
    RequestKind kind = RequestKind::ServerList;
    std::int32_t number = 0;
    std::string searchText; // CP949; Find only
    std::string userId;     // CP949; Find only
};

// Nothing for any other text. In a find request the search text runs from the first "|" to
// the last one (both found on character boundaries), so it may itself hold a "|".
std::optional<Request> ParseRequest(std::string_view plain);

} // namespace velkan::localnet
