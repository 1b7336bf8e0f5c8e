#pragma once

#include <atomic>
#include <memory>

namespace velkan::search {

// Peer connections that the panels of one process may hold open between them, where one
// process runs many panels (the web bridge). Each panel still keeps to its own slots; a panel
// that finds the whole taken waits with its next server, as for a busy slot.
class ConnectionBudget : public std::enable_shared_from_this<ConnectionBudget> {
public:
    // One open connection's place; given back when it goes. An empty lease holds nothing.
    class Lease {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept = default;
        Lease& operator=(Lease&& other) noexcept;
        ~Lease();
        [[nodiscard]] explicit operator bool() const { return m_budget != nullptr; }

    private:
        friend class ConnectionBudget;
        explicit Lease(std::shared_ptr<ConnectionBudget> budget) : m_budget(std::move(budget)) {}

        std::shared_ptr<ConnectionBudget> m_budget;
    };

    explicit ConnectionBudget(int limit) : m_limit(limit) {}

    // A place, or an empty lease when every place is taken.
    [[nodiscard]] Lease Take();
    [[nodiscard]] int Limit() const { return m_limit; }
    [[nodiscard]] int InUse() const { return m_inUse.load(); }

private:
    const int m_limit;
    std::atomic<int> m_inUse{0};
};

} // namespace velkan::search
