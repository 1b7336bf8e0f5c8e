#include "search/inputbudget.h"

#include <algorithm>

namespace velkan::search {

InputBudget::Account::Account(std::shared_ptr<InputBudget> budget, std::function<void()> notify,
                              std::function<void()> dropNow)
    : m_budget(std::move(budget)), m_notify(std::move(notify)), m_dropNow(std::move(dropNow)),
      m_thread(std::this_thread::get_id())
{
    const std::lock_guard lock(m_budget->m_mutex);
    m_serial = m_budget->m_nextSerial++;
    m_index = m_budget->m_accounts.size();
    m_budget->m_accounts.push_back(this);
}

InputBudget::Account::~Account()
{
    const std::lock_guard lock(m_budget->m_mutex);
    m_budget->m_held -= m_held;
    std::vector<Account*>& accounts = m_budget->m_accounts;
    accounts[m_index] = accounts.back();
    accounts[m_index]->m_index = m_index;
    accounts.pop_back();
}

bool InputBudget::Account::Hold(std::size_t bytes)
{
    std::vector<Victim> dropHere;
    bool kept = false;
    {
        const std::lock_guard lock(m_budget->m_mutex);
        if (m_evicted) {
            return false;
        }
        m_budget->m_held = m_budget->m_held - m_held + bytes;
        m_held = bytes;
        kept = m_budget->MakeRoom(*this, dropHere);
        m_budget->m_peak = std::max(m_budget->m_peak, m_budget->m_held);
    }
    for (const Victim& victim : dropHere) {
        m_budget->DropIfStillEvicted(victim);
    }
    return kept;
}

void InputBudget::Account::Release()
{
    const std::lock_guard lock(m_budget->m_mutex);
    m_budget->m_held -= m_held;
    m_held = 0;
    m_evicted = false;
}

bool InputBudget::Account::Evicted() const
{
    const std::lock_guard lock(m_budget->m_mutex);
    return m_evicted;
}

bool InputBudget::MakeRoom(const Account& asking, std::vector<Victim>& dropHere)
{
    while (m_held > m_limit) {
        // On a tie the asking connection goes rather than one that was there first.
        Account* largest = nullptr;
        for (Account* account : m_accounts) {
            if (largest == nullptr || account->m_held > largest->m_held ||
                (account->m_held == largest->m_held && account == &asking)) {
                largest = account;
            }
        }
        if (largest == nullptr || largest->m_held == 0) {
            return true; // nothing to take back: only a limit of zero gets here
        }
        m_held -= largest->m_held;
        largest->m_held = 0;
        largest->m_evicted = true;
        ++m_evictions;
        if (largest == &asking) {
            return false;
        }
        if (largest->m_dropNow && largest->m_thread == std::this_thread::get_id()) {
            dropHere.push_back({largest, largest->m_serial});
        } else {
            largest->m_notify();
        }
    }
    return true;
}

void InputBudget::DropIfStillEvicted(const Victim& victim)
{
    {
        const std::lock_guard lock(m_mutex);
        const bool live = std::ranges::find(m_accounts, victim.account) != m_accounts.end() &&
                          victim.account->m_serial == victim.serial;
        if (!live || !victim.account->m_evicted) {
            return;
        }
    }
    // Only this thread closes the victim's connection, so it is still there to be closed.
    victim.account->m_dropNow();
}

std::size_t InputBudget::HeldBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_held;
}

std::size_t InputBudget::PeakBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_peak;
}

std::size_t InputBudget::Evictions() const
{
    const std::lock_guard lock(m_mutex);
    return m_evictions;
}

} // namespace velkan::search
