#pragma once

#include "tools/velkan-localnet/socketutil.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A plain blocking client for the local servers, with every wait bounded.
namespace velkan::localnet::test {

// Long enough never to be hit on a loaded machine; a hang fails instead of blocking forever.
inline constexpr std::chrono::milliseconds kLimit{10000};

// The protected request line for plain, "\r\n" included.
std::string ProtectedLine(std::string_view plain);

// Connects to 127.0.0.1:port; on failure the descriptor is invalid and error holds errno.
FileDescriptor ConnectTo(std::uint16_t port, int& error);

// Writes all of bytes; false on failure.
bool SendAll(int fd, std::string_view bytes);

struct Received {
    enum class End { Closed, Reset, OtherError, TimedOut, Limit };

    std::string bytes;
    End end = End::TimedOut;
    std::size_t reads = 0;                    // recv calls that returned data
    std::chrono::steady_clock::duration span{}; // from the first byte to the last
};

// Reads until the server closes or resets, limit passes or maxBytes have come.
Received ReadUntilEnd(int fd, std::chrono::milliseconds limit = kLimit,
                      std::size_t maxBytes = std::size_t{16} << 20);

// Nothing to read right now, and the connection not closed either.
bool NothingPending(int fd);

// Connects, sends the protected request and reads the whole answer.
Received Ask(std::uint16_t port, std::string_view plain);

} // namespace velkan::localnet::test
