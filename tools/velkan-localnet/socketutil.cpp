#include "tools/velkan-localnet/socketutil.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace velkan::localnet {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void FileDescriptor::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FileDescriptor OpenLoopbackSocket(std::uint16_t port, bool listen, int backlog)
{
    FileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        throw std::system_error(errno, std::generic_category(), "socket");
    }
    if (listen) {
        // A fixed port can be taken again at once after a restart. A port that must refuse
        // does without: nobody else may share it.
        const int on = 1;
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::system_error(errno, std::generic_category(),
                                "bind 127.0.0.1:" + std::to_string(port));
    }
    if (listen && ::listen(fd.Get(), backlog) != 0) {
        throw std::system_error(errno, std::generic_category(), "listen");
    }
    return fd;
}

namespace {

// Whether the listener's accept queue has no room left, as the kernel counts it.
bool AcceptQueueFull(int listener)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(listener, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) {
        throw std::system_error(errno, std::generic_category(), "TCP_INFO");
    }
    // For a listener: connections waiting to be accepted, and the most it takes.
    return info.tcpi_unacked > info.tcpi_sacked;
}

} // namespace

std::vector<FileDescriptor> FillAcceptQueue(int listener)
{
    constexpr int kMostFillers = 16;
    constexpr int kHandshakeWaitMs = 2000;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::system_error(errno, std::generic_category(), "getsockname");
    }
    std::vector<FileDescriptor> fillers;
    while (!AcceptQueueFull(listener)) {
        if (static_cast<int>(fillers.size()) == kMostFillers) {
            throw std::system_error(ENOBUFS, std::generic_category(), "accept queue does not fill");
        }
        FileDescriptor filler(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!filler.Valid()) {
            throw std::system_error(errno, std::generic_category(), "socket");
        }
        if (::connect(filler.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
            errno != EINPROGRESS) {
            throw std::system_error(errno, std::generic_category(), "connect");
        }
        // The handshake puts the connection into the queue; on loopback it is all but done.
        pollfd connecting{filler.Get(), POLLOUT, 0};
        if (::poll(&connecting, 1, kHandshakeWaitMs) != 1) {
            throw std::system_error(ETIMEDOUT, std::generic_category(), "filling the accept queue");
        }
        fillers.push_back(std::move(filler));
    }
    return fillers;
}

std::uint16_t LocalPort(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::system_error(errno, std::generic_category(), "getsockname");
    }
    return ntohs(address.sin_port);
}

std::string RemoteAddress(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return "?";
    }
    char host[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

bool RaiseOpenFileLimit(std::uint64_t wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return false;
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        const rlim_t raised = limit.rlim_max == RLIM_INFINITY
                                  ? static_cast<rlim_t>(wanted)
                                  : std::min<rlim_t>(static_cast<rlim_t>(wanted), limit.rlim_max);
        if (raised > limit.rlim_cur) {
            limit.rlim_cur = raised;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                return false;
            }
        }
    }
    return limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted;
}

void ResetAndClose(FileDescriptor& fd)
{
    if (fd.Valid()) {
        const linger abort{1, 0};
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        fd.Close();
    }
}

} // namespace velkan::localnet
