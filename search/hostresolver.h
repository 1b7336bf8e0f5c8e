#pragma once

#include <netinet/in.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace velkan::search {

// What a host-name lookup found: an IPv4 address, or the error that ended it as a connection's
// error number (see connectionend.h).
struct LookupAnswer {
    in_addr address{};
    int error = 0;
};

namespace detail {
struct LookupChannel {
    std::mutex mutex;
    std::function<void(const LookupAnswer&)> done; // empty once delivered or abandoned
};
} // namespace detail

// The resolver's end of one lookup: where its answer goes. Holds nothing of the asker but a
// callback that the asker can take back at any moment.
class LookupReply {
public:
    explicit LookupReply(std::shared_ptr<detail::LookupChannel> channel) : m_channel(std::move(channel)) {}
    // Hands the answer over unless the asker has abandoned the lookup; any thread, once.
    void Deliver(const LookupAnswer& answer) const;
    [[nodiscard]] bool Abandoned() const;

private:
    std::shared_ptr<detail::LookupChannel> m_channel;
};

// The asker's end of one lookup. Dropping it abandons the lookup: once the destructor has
// returned, the callback never runs, and nothing waits for the lookup itself.
class HostLookup {
public:
    // done runs at most once, on whatever thread answers: it may post or signal, nothing more.
    explicit HostLookup(std::function<void(const LookupAnswer&)> done);
    ~HostLookup();
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    [[nodiscard]] LookupReply Reply() const { return LookupReply(m_channel); }

private:
    std::shared_ptr<detail::LookupChannel> m_channel;
};

// Looks host names up as IPv4 addresses without blocking the asker. Given to whatever needs
// names looked up, so that tests can answer late or never.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    virtual void Lookup(const std::string& name, LookupReply reply) = 0;
};

// The system's resolver, on threads of its own: at most kMaxRunning lookups run at once in the
// whole process, the others queue; an abandoned lookup that has not started is skipped. A
// running lookup cannot be stopped, so its thread is left to finish alone.
class SystemResolver final : public HostResolver {
public:
    static constexpr int kMaxRunning = 8;

    void Lookup(const std::string& name, LookupReply reply) override;

    // Lookups running or queued in the process: code of this module is still in use.
    [[nodiscard]] static int Busy();
};

} // namespace velkan::search
