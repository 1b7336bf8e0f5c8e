#include "socketutil.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
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

FileDescriptor OpenLoopbackSocket(std::uint16_t port, bool listen)
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
    if (listen && ::listen(fd.Get(), SOMAXCONN) != 0) {
        throw std::system_error(errno, std::generic_category(), "listen");
    }
    return fd;
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
