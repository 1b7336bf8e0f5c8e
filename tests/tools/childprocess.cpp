#include "tests/tools/childprocess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

extern char** environ;

namespace velkan::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment)
{
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    }
    std::vector<std::string> strings{program};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : strings) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables = environment;
    std::vector<char*> envp;
    for (std::string& entry : variables) {
        envp.push_back(entry.data());
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        envp.push_back(*entry);
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    const int spawned = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    m_outFd = out[0];
    m_errFd = err[0];
    if (spawned != 0) {
        m_pid = -1;
        throw std::runtime_error("posix_spawn " + program + ": " + std::strerror(spawned));
    }
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    for (const int fd : {m_outFd, m_errFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool ChildProcess::ReadSome(std::chrono::steady_clock::time_point deadline)
{
    if (m_outFd < 0 && m_errFd < 0) {
        return false;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fds[2] = {{m_outFd, POLLIN, 0}, {m_errFd, POLLIN, 0}};
    if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    for (auto [index, fd, text] : {std::tuple{0, &m_outFd, &m_out}, std::tuple{1, &m_errFd, &m_err}}) {
        if (*fd < 0 || fds[index].revents == 0) {
            continue;
        }
        char buffer[8192];
        const ssize_t got = ::read(*fd, buffer, sizeof buffer);
        if (got > 0) {
            text->append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            ::close(*fd);
            *fd = -1;
        }
    }
    return true;
}

std::optional<std::string> ChildProcess::NextLine(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const std::size_t end = m_out.find('\n'); end != std::string::npos) {
            std::string line = m_out.substr(0, end);
            m_out.erase(0, end + 1);
            return line;
        }
        if (m_outFd < 0 || !ReadSome(deadline)) {
            return std::nullopt;
        }
    }
}

void ChildProcess::Signal(int signal)
{
    if (m_pid > 0) {
        ::kill(m_pid, signal);
    }
}

int ChildProcess::Wait(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (ReadSome(deadline)) {
    }
    if (m_outFd >= 0 || m_errFd >= 0 || m_pid <= 0) {
        return -1;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, 0) != m_pid) {
        return -1;
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace velkan::test
