#include "bench/handlertimer.h"

#include "bench/cputime.h"

#include <QEvent>

namespace velkan::bench {

HandlerTimingApplication::HandlerTimingApplication(int& argc, char** argv) : QApplication(argc, argv)
{
}

void HandlerTimingApplication::StartTiming()
{
    m_longest = std::chrono::nanoseconds{0};
    m_longestWhat.clear();
    m_longestCpuMs = 0;
    m_longestCpuWhat.clear();
    m_timing = true;
}

bool HandlerTimingApplication::notify(QObject* receiver, QEvent* event)
{
    if (!m_timing || m_depth > 0) {
        ++m_depth;
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        return handled;
    }
    // Neither the event nor its receiver need outlive the handling.
    const int type = event->type();
    const char* receiverClass = receiver != nullptr ? receiver->metaObject()->className() : "nothing";
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuMs();
    ++m_depth;
    const bool handled = QApplication::notify(receiver, event);
    --m_depth;
    const double cpu = ThreadCpuMs() - cpuStart;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed > m_longest) {
        m_longest = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed);
        m_longestWhat = "event " + std::to_string(type) + " to " + receiverClass;
    }
    if (cpu > m_longestCpuMs) {
        m_longestCpuMs = cpu;
        m_longestCpuWhat = "event " + std::to_string(type) + " to " + receiverClass;
    }
    return handled;
}

} // namespace velkan::bench
