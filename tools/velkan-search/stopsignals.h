#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace velkan::host {

// Turns SIGINT and SIGTERM into a call on the event loop: the handler only writes the signal's
// number to a pipe, and a socket notifier on the pipe's other end makes the call. One at a time
// in a process; the signals get their default action back when it goes.
class StopSignals {
public:
    explicit StopSignals(std::function<void(int signal)> stop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe could not be made; the signals then keep their default action.
    [[nodiscard]] bool Installed() const { return m_notifier != nullptr; }

private:
    void Drain();

    std::function<void(int)> m_stop;
    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace velkan::host
