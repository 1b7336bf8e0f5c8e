#pragma once

#include <string>

namespace velkan::search {

// Where the service's application server listens. The product's constants are the defaults;
// tests and the demo hosts point the engine elsewhere through this seam alone.
struct AppServerEndpoint {
    std::string host = VELKAN_APP_SERVER_HOST;
    int port = 8081;
    // Silence after which a fetch gives up waiting for the reply line.
    int replyTimeoutMs = 10000;
};

} // namespace velkan::search
