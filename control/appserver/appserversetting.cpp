#include "control/appserver/appserversetting.h"

#include <charconv>
#include <cstdlib>

namespace velkan::control {

std::optional<std::pair<std::string, int>> ParseHostPort(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + colon + 1, end, port);
    if (error != std::errc() || stop != end || port <= 0 || port > 65535) {
        return std::nullopt;
    }
    return std::pair(std::string(text.substr(0, colon)), port);
}

EnvironmentAppServer AppServerFromEnvironment()
{
    const char* value = std::getenv("VELKAN_APP_SERVER");
    if (value == nullptr || *value == '\0') {
        return {};
    }
    EnvironmentAppServer setting{.server = ParseHostPort(value)};
    if (!setting.server) {
        setting.warning = "VELKAN_APP_SERVER=\"" + std::string(value) +
                          "\" is not HOST:PORT with a port from 1 to 65535; it is ignored";
    }
    return setting;
}

} // namespace velkan::control
