#pragma once

#include <cstdint>
#include <string_view>
#include <sys/types.h>

namespace velkan::channel {

class BlowFish;

// Sends text as one protected request line (body and "\r\n") with a single send call and
// adds what was sent to bytesSent. Returns that call's result, or 0 when the text gives an
// empty body and nothing is sent. A partial send is not completed: every request fits well
// inside a socket's send buffer, and the peer's reply (or its absence) tells the rest.
ssize_t SendLine(int socket, BlowFish& cipher, std::string_view text, std::int32_t& bytesSent);

} // namespace velkan::channel
