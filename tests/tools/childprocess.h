#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velkan::test {

// A program run as a subprocess with its standard output and error read through pipes, line by
// line as it writes them; every wait is bounded.
class ChildProcess {
public:
    // environment: extra "NAME=value" entries on top of this process's own.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output (without its line feed); nothing once the output has
    // ended or the time is up.
    std::optional<std::string> NextLine(std::chrono::milliseconds limit);
    void Signal(int signal);
    // Reads both outputs to their end and returns the exit status, 128 + the signal for a
    // program a signal ended, -1 when it has not ended within the limit.
    int Wait(std::chrono::milliseconds limit);

    [[nodiscard]] const std::string& Err() const { return m_err; }
    // The standard output not taken by NextLine.
    [[nodiscard]] const std::string& Out() const { return m_out; }

private:
    // Reads what is there within the limit; false when nothing more can come in time.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_out;
    std::string m_err;
};

} // namespace velkan::test
