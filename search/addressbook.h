#pragma once

#include "search/hostresolver.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace velkan::search {

// The addresses of one search's hosts, on the panel's thread: each host name is looked up once
// however many entries name it, and its answer, found or not, serves them all.
class AddressBook : public QObject {
    Q_OBJECT

public:
    using Waiter = std::function<void(const LookupAnswer&)>;

    explicit AddressBook(HostResolver& resolver, QObject* parent = nullptr);
    // Abandons the lookups under way; none is waited for.
    ~AddressBook() override;

    // The answer now for a dotted address or a name already answered. Otherwise waiter is
    // called with it from the event loop once the name's lookup, started now unless one is
    // under way, answers; ticket then names the wait for Withdraw.
    std::optional<LookupAnswer> Find(const std::string& host, int& ticket, Waiter waiter);
    // The waiter of ticket is not called.
    void Withdraw(int ticket);
    // Abandons every lookup and forgets every answer and waiter: a new search begins.
    void Forget();

    [[nodiscard]] int LookupsUnderWay() const;

private:
    struct Name {
        std::optional<LookupAnswer> answer;
        std::unique_ptr<HostLookup> lookup; // while the answer is awaited
    };
    struct Wait {
        std::string host;
        Waiter waiter;
    };

    void OnAnswer(std::uint64_t generation, const std::string& host, const LookupAnswer& answer);

    HostResolver& m_resolver;
    std::map<std::string, Name> m_names;
    std::map<int, Wait> m_waits;
    int m_nextTicket = 0;
    std::uint64_t m_generation = 0; // tells an answer posted before Forget from a fresh one
};

} // namespace velkan::search
