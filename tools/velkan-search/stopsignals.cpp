#include "tools/velkan-search/stopsignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace velkan::host {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

volatile sig_atomic_t g_writeEnd = -1;

void OnSignal(int signal)
{
    const int saved = errno; // the interrupted code may be about to read errno
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &number, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

StopSignals::StopSignals(std::function<void(int)> stop) : m_stop(std::move(stop))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_readEnd = ends[0];
    g_writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { Drain(); });
    SetHandler(OnSignal);
}

StopSignals::~StopSignals()
{
    if (!m_notifier) {
        return;
    }
    SetHandler(SIG_DFL);
    m_notifier.reset();
    ::close(g_writeEnd);
    g_writeEnd = -1;
    ::close(m_readEnd);
}

void StopSignals::Drain()
{
    unsigned char number = 0;
    while (::read(m_readEnd, &number, 1) == 1) {
        if (m_stop) {
            m_stop(number);
        }
    }
}

} // namespace velkan::host
