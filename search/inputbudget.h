#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velkan::search {

// The memory for received input that the connections of one panel may hold between them while
// they wait for a line end (what their buffers take, not just the bytes in them): every peer, the server-list fetch and the server-information query
// together. When a connection would take the total past the limit, the connection holding the
// most gives its bytes back and is closed, so a crowd of servers that each stay under the cap
// of one connection cannot exhaust the host between them.
//
// Each panel makes its own. Accounts share ownership of it, so a window that outlives its
// panel stays safe; the server-list fetch holds its account on a thread of its own. Where one
// process runs many panels (the web bridge), each panel's budget is a share of one for the
// whole process: a connection's bytes count against both, and when the whole would pass its
// limit the connection holding the most among all the shares gives way.
class InputBudget {
public:
    static constexpr std::size_t kDefaultBytes = std::size_t{64} << 20;

    // One connection's share, used on the thread that made it.
    class Account {
    public:
        // notify: this account's bytes were taken back and it must close. Runs with the
        //   budget's lock held, on whatever thread needed the room: it may post or signal,
        //   nothing more.
        // dropNow: closes at once. When the room is needed on this account's own thread it
        //   runs instead of notify, after the lock is released; may be empty.
        Account(std::shared_ptr<InputBudget> budget, std::function<void()> notify,
                std::function<void()> dropNow = {});
        ~Account();
        Account(const Account&) = delete;
        Account& operator=(const Account&) = delete;

        // The connection would hold bytes in all. False when it must give way itself (its
        // bytes were taken back, now or earlier): it then holds nothing and must close.
        [[nodiscard]] bool Hold(std::size_t bytes);
        // The connection closed: it holds nothing, and the next one starts afresh.
        void Release();
        [[nodiscard]] bool Evicted() const;

    private:
        friend class InputBudget;

        const std::shared_ptr<InputBudget> m_budget;
        const std::function<void()> m_notify;
        const std::function<void()> m_dropNow;
        const std::thread::id m_thread;
        std::uint64_t m_serial = 0; // tells a live account from a new one at the same address
        std::size_t m_index = 0;    // its place in the budget's list, so leaving costs nothing
        std::size_t m_held = 0;     // under the budget's lock, as is m_evicted
        bool m_evicted = false;
    };

    explicit InputBudget(std::size_t limitBytes = kDefaultBytes);
    // A share of whole, with a limit of its own.
    InputBudget(std::size_t limitBytes, std::shared_ptr<InputBudget> whole);
    ~InputBudget();
    InputBudget(const InputBudget&) = delete;
    InputBudget& operator=(const InputBudget&) = delete;

    [[nodiscard]] std::size_t LimitBytes() const { return m_limit; }
    [[nodiscard]] std::size_t HeldBytes() const;
    // The most ever held at once.
    [[nodiscard]] std::size_t PeakBytes() const;
    // Connections closed to make room.
    [[nodiscard]] std::size_t Evictions() const;

private:
    struct Victim {
        Account* account;
        std::uint64_t serial;
    };

    // Adds bytes (which may wrap round to take some away) to this budget and those it is a
    // share of; with the lock held.
    void Add(std::size_t bytes);
    // Takes the largest holding back until this budget's total, and then each whole's, fits;
    // with the lock held. Victims on the asking thread that can close at once are left in
    // dropHere. False when the asking account itself had to go.
    bool MakeRoom(const Account& asking, std::vector<Victim>& dropHere);
    // The account holding the most among this budget's and its shares'; on a tie, asking.
    [[nodiscard]] Account* Largest(const Account& asking, Account* largest) const;
    [[nodiscard]] bool Contains(const Account* account, std::uint64_t serial) const;
    [[nodiscard]] InputBudget& Whole();
    void DropIfStillEvicted(const Victim& victim);

    // One lock for a whole and all its shares.
    const std::shared_ptr<std::mutex> m_mutex;
    const std::shared_ptr<InputBudget> m_whole;
    const std::size_t m_limit;
    std::size_t m_held = 0;
    std::size_t m_peak = 0;
    std::size_t m_evictions = 0;
    std::uint64_t m_nextSerial = 1;
    std::vector<Account*> m_accounts;
    std::vector<InputBudget*> m_shares;
};

} // namespace velkan::search
