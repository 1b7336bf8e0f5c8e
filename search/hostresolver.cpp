#include "search/hostresolver.h"

#include "search/connectionend.h"

#include <cerrno>
#include <deque>
#include <optional>
#include <netdb.h>
#include <system_error>
#include <thread>
#include <utility>

namespace velkan::search {

void LookupReply::Deliver(const LookupAnswer& answer) const
{
    const std::lock_guard lock(m_channel->mutex);
    if (m_channel->done) {
        std::exchange(m_channel->done, nullptr)(answer);
    }
}

bool LookupReply::Abandoned() const
{
    const std::lock_guard lock(m_channel->mutex);
    return !m_channel->done;
}

HostLookup::HostLookup(std::function<void(const LookupAnswer&)> done)
    : m_channel(std::make_shared<detail::LookupChannel>())
{
    m_channel->done = std::move(done);
}

HostLookup::~HostLookup()
{
    // Under the lock: a delivery under way finishes first, and none starts after.
    const std::lock_guard lock(m_channel->mutex);
    m_channel->done = nullptr;
}

namespace {

struct Job {
    std::string name;
    LookupReply reply;
};

// Shared by every resolver of the process. Never destroyed: a lookup may outlive everything
// else, even static destruction at exit.
struct Pool {
    std::mutex mutex;
    std::deque<Job> queue;
    int running = 0;
};

Pool& ThePool()
{
    static Pool* const pool = new Pool;
    return *pool;
}

LookupAnswer Resolve(const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    LookupAnswer answer;
    if (status == EAI_SYSTEM) {
        answer.error = errno != 0 ? errno : EIO;
    } else if (status != 0) {
        answer.error = LookupError(status);
    } else if (found == nullptr) {
        answer.error = LookupError(EAI_NONAME);
    } else {
        answer.address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    }
    if (found != nullptr) {
        ::freeaddrinfo(found);
    }
    return answer;
}

void Work()
{
    Pool& pool = ThePool();
    for (;;) {
        std::optional<Job> job;
        {
            const std::lock_guard lock(pool.mutex);
            if (pool.queue.empty()) {
                --pool.running;
                return;
            }
            job.emplace(std::move(pool.queue.front()));
            pool.queue.pop_front();
        }
        if (!job->reply.Abandoned()) {
            job->reply.Deliver(Resolve(job->name));
        }
    }
}

} // namespace

void SystemResolver::Lookup(const std::string& name, LookupReply reply)
{
    Pool& pool = ThePool();
    const std::lock_guard lock(pool.mutex);
    pool.queue.push_back({name, std::move(reply)});
    if (pool.running >= kMaxRunning) {
        return;
    }
    try {
        std::thread(Work).detach();
        ++pool.running;
    } catch (const std::system_error&) {
        // No thread to be had: the lookup waits for a running one, or its asker's time-out.
    }
}

int SystemResolver::Busy()
{
    Pool& pool = ThePool();
    const std::lock_guard lock(pool.mutex);
    return pool.running + static_cast<int>(pool.queue.size());
}

} // namespace velkan::search
