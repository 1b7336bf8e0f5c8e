#include "tests/localnet/testclient.h"

#include "channel/blowfish.h"
#include "channel/protectedtext.h"
#include "channel/wirekey.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>

namespace velkan::localnet::test {

std::string ProtectedLine(std::string_view plain)
{
    channel::BlowFish cipher;
    if (!cipher.Initialize(channel::kWireKey)) {
        throw std::logic_error("key rejected");
    }
    return channel::RequestLineBody(cipher, plain) + "\r\n";
}

FileDescriptor ConnectTo(std::uint16_t port, int& error)
{
    error = 0;
    FileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        fd.Close();
    }
    return fd;
}

bool SendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

Received ReadUntilEnd(int fd, std::chrono::milliseconds limit, std::size_t maxBytes)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    Received received;
    Clock::time_point first{};
    char buffer[64 * 1024];
    while (received.bytes.size() < maxBytes) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            received.end = Received::End::TimedOut;
            return received;
        }
        pollfd polled{fd, POLLIN, 0};
        if (::poll(&polled, 1, static_cast<int>(left.count())) == 0) {
            received.end = Received::End::TimedOut;
            return received;
        }
        const std::size_t room = std::min(sizeof buffer, maxBytes - received.bytes.size());
        const ssize_t got = ::recv(fd, buffer, room, 0);
        if (got > 0) {
            const auto now = Clock::now();
            if (received.reads++ == 0) {
                first = now;
            }
            received.span = now - first;
            received.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            received.end = Received::End::Closed;
            return received;
        } else if (errno != EINTR) {
            received.end = errno == ECONNRESET ? Received::End::Reset : Received::End::OtherError;
            return received;
        }
    }
    received.end = Received::End::Limit;
    return received;
}

bool NothingPending(int fd)
{
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 &&
           (errno == EAGAIN || errno == EWOULDBLOCK);
}

Received Ask(std::uint16_t port, std::string_view plain)
{
    int error = 0;
    const FileDescriptor fd = ConnectTo(port, error);
    if (!fd.Valid() || !SendAll(fd.Get(), ProtectedLine(plain))) {
        Received failed;
        failed.end = Received::End::OtherError;
        return failed;
    }
    return ReadUntilEnd(fd.Get());
}

} // namespace velkan::localnet::test
