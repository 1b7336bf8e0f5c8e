#pragma once

#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <utility>
#include <vector>

namespace velkan::localnet {

// Owns one file descriptor and closes it once.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    [[nodiscard]] int Get() const { return m_fd; }
    [[nodiscard]] bool Valid() const { return m_fd >= 0; }
    void Close();

private:
    int m_fd = -1;
};

inline constexpr const char* kLoopbackHost = "127.0.0.1";

// A non-blocking TCP socket bound to 127.0.0.1:port (0: the kernel chooses) and, when listen
// is set, listening with room for backlog connections not yet accepted. Without listen the
// port stays taken but every connection to it is refused. Throws std::system_error.
FileDescriptor OpenLoopbackSocket(std::uint16_t port, bool listen, int backlog = SOMAXCONN);

// Connects to the loopback listener until its accept queue is full, and returns those
// connections: while they stay open and the listener accepts nothing, the kernel drops every
// further attempt to connect without an answer, so the connecting side waits for its own
// time-out. Made for a listener with a backlog of 0. Throws std::system_error.
std::vector<FileDescriptor> FillAcceptQueue(int listener);

// The local port a socket is bound to.
std::uint16_t LocalPort(int fd);

// "127.0.0.1:54321" for the remote end of a connected socket.
std::string RemoteAddress(int fd);

// Raises the soft limit of open files towards wanted (never above the hard limit). Returns
// whether the limit now reaches wanted.
bool RaiseOpenFileLimit(std::uint64_t wanted);

// Closes with SO_LINGER 0, so the other end gets a reset instead of an orderly end.
void ResetAndClose(FileDescriptor& fd);

} // namespace velkan::localnet
