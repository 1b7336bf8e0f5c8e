#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace velkan::channel {

class BlowFish;

// text as one protected request line, body and "\r\n", ready for the wire; empty when the text
// gives an empty body, which is never sent.
std::string RequestLine(BlowFish& cipher, std::string_view text);

// Sends text as one protected request line with a single send call and adds what was sent to
// bytesSent. Returns that call's result, or 0 when nothing is sent. A partial send is not
// completed: for short requests on a socket of their own, such as the server list's.
ssize_t SendLine(int socket, BlowFish& cipher, std::string_view text, std::int32_t& bytesSent);

} // namespace velkan::channel
