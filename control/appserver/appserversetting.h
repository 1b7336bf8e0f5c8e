#pragma once

// Where a host points the control's application server: "HOST:PORT" from a command line or from
// VELKAN_APP_SERVER, which lets any host be tried against a local network without code.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velkan::control {

// "HOST:PORT" with a port from 1 to 65535; nothing for anything else.
std::optional<std::pair<std::string, int>> ParseHostPort(std::string_view text);

// What VELKAN_APP_SERVER says: nothing when it is unset or empty; a warning naming the value,
// and no server, when it is not HOST:PORT.
struct EnvironmentAppServer {
    std::optional<std::pair<std::string, int>> server;
    std::string warning;
};
EnvironmentAppServer AppServerFromEnvironment();

} // namespace velkan::control
