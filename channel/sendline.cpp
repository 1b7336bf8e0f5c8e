#include "channel/sendline.h"

#include "channel/protectedtext.h"

#include <sys/socket.h>

namespace velkan::channel {

std::string RequestLine(BlowFish& cipher, std::string_view text)
{
    std::string line = RequestLineBody(cipher, text);
    if (!line.empty()) {
        line += "\r\n";
    }
    return line;
}

ssize_t SendLine(int socket, BlowFish& cipher, std::string_view text, std::int32_t& bytesSent)
{
    const std::string line = RequestLine(cipher, text);
    if (line.empty()) {
        return 0;
    }
    // A peer that has already gone must not raise SIGPIPE in the host process.
    const ssize_t sent = ::send(socket, line.data(), line.size(), MSG_NOSIGNAL);
    if (sent > 0) {
        bytesSent = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytesSent) +
                                              static_cast<std::uint32_t>(sent));
    }
    return sent;
}

} // namespace velkan::channel
