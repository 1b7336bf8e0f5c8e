#include "search/addressbook.h"

#include "search/ipv4address.h"

#include <QMetaObject>

#include <vector>

namespace velkan::search {

AddressBook::AddressBook(HostResolver& resolver, QObject* parent) : QObject(parent), m_resolver(resolver) {}

AddressBook::~AddressBook()
{
    // Before the object goes, so that no answer is posted to it afterwards; those already
    // posted go with it.
    m_names.clear();
}

std::optional<LookupAnswer> AddressBook::Find(const std::string& host, int& ticket, Waiter waiter)
{
    if (const std::optional<in_addr> dotted = DottedIPv4(host)) {
        return LookupAnswer{.address = *dotted};
    }
    Name& name = m_names[host];
    if (name.answer) {
        return name.answer;
    }
    ticket = m_nextTicket++;
    m_waits.emplace(ticket, Wait{host, std::move(waiter)});
    if (!name.lookup) {
        name.lookup = std::make_unique<HostLookup>(
            [this, generation = m_generation, host](const LookupAnswer& answer) {
                QMetaObject::invokeMethod(
                    this, [this, generation, host, answer] { OnAnswer(generation, host, answer); },
                    Qt::QueuedConnection);
            });
        m_resolver.Lookup(host, name.lookup->Reply());
    }
    return std::nullopt;
}

void AddressBook::Withdraw(int ticket)
{
    m_waits.erase(ticket);
}

void AddressBook::Forget()
{
    m_names.clear();
    m_waits.clear();
    ++m_generation;
}

int AddressBook::LookupsUnderWay() const
{
    int count = 0;
    for (const auto& [host, name] : m_names) {
        count += name.lookup ? 1 : 0;
    }
    return count;
}

void AddressBook::OnAnswer(std::uint64_t generation, const std::string& host, const LookupAnswer& answer)
{
    const auto found = m_names.find(host);
    if (generation != m_generation || found == m_names.end()) {
        return;
    }
    found->second.answer = answer;
    found->second.lookup.reset();
    // Collected first: a waiter may open or close connections, and so withdraw or add waits.
    std::vector<int> tickets;
    for (const auto& [ticket, wait] : m_waits) {
        if (wait.host == host) {
            tickets.push_back(ticket);
        }
    }
    for (const int ticket : tickets) {
        const auto wait = m_waits.find(ticket);
        if (wait != m_waits.end()) {
            Waiter waiter = std::move(wait->second.waiter);
            m_waits.erase(wait);
            waiter(answer);
        }
    }
}

} // namespace velkan::search
