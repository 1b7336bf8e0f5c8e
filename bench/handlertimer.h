#pragma once

#include <QApplication>

#include <chrono>
#include <string>

namespace velkan::bench {

// The application of search_bench: times every event the event loop hands out (socket reads,
// timers, queued calls, paints), so that a benchmark can tell how long the loop was held at
// most. Nested events count within the one that sent them.
class HandlerTimingApplication : public QApplication {
public:
    HandlerTimingApplication(int& argc, char** argv);

    // Forgets the longest handler so far and starts timing.
    void StartTiming();
    void StopTiming() { m_timing = false; }
    [[nodiscard]] std::chrono::nanoseconds Longest() const { return m_longest; }
    // The most CPU time of this thread one handler took, in ms, and what that handler was.
    [[nodiscard]] double LongestCpuMs() const { return m_longestCpuMs; }
    [[nodiscard]] const std::string& LongestCpuWhat() const { return m_longestCpuWhat; }
    // The event type and receiver class of the longest handler.
    [[nodiscard]] const std::string& LongestWhat() const { return m_longestWhat; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    bool m_timing = false;
    int m_depth = 0;
    std::chrono::nanoseconds m_longest{0};
    std::string m_longestWhat;
    double m_longestCpuMs = 0;
    std::string m_longestCpuWhat;
};

} // namespace velkan::bench
