#include "search/inputbudget.h"

#include <algorithm>

namespace velkan::search {

InputBudget::InputBudget(std::size_t limitBytes) : m_mutex(std::make_shared<std::mutex>()), m_limit(limitBytes) {}

InputBudget::InputBudget(std::size_t limitBytes, std::shared_ptr<InputBudget> whole)
    : m_mutex(whole->m_mutex), m_whole(std::move(whole)), m_limit(limitBytes)
{
    const std::lock_guard lock(*m_mutex);
    m_whole->m_shares.push_back(this);
}

InputBudget::~InputBudget()
{
    if (m_whole) {
        const std::lock_guard lock(*m_mutex);
        std::erase(m_whole->m_shares, this);
    }
}

InputBudget::Account::Account(std::shared_ptr<InputBudget> budget, std::function<void()> notify,
                              std::function<void()> dropNow)
    : m_budget(std::move(budget)), m_notify(std::move(notify)), m_dropNow(std::move(dropNow)),
      m_thread(std::this_thread::get_id())
{
    const std::lock_guard lock(*m_budget->m_mutex);
    m_serial = m_budget->Whole().m_nextSerial++;
    m_index = m_budget->m_accounts.size();
    m_budget->m_accounts.push_back(this);
}

InputBudget::Account::~Account()
{
    const std::lock_guard lock(*m_budget->m_mutex);
    m_budget->Add(0 - m_held);
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
        const std::lock_guard lock(*m_budget->m_mutex);
        if (m_evicted) {
            return false;
        }
        m_budget->Add(bytes - m_held);
        m_held = bytes;
        kept = m_budget->MakeRoom(*this, dropHere);
        for (InputBudget* level = m_budget.get(); level != nullptr; level = level->m_whole.get()) {
            level->m_peak = std::max(level->m_peak, level->m_held);
        }
    }
    for (const Victim& victim : dropHere) {
        m_budget->DropIfStillEvicted(victim);
    }
    return kept;
}

void InputBudget::Account::Release()
{
    const std::lock_guard lock(*m_budget->m_mutex);
    m_budget->Add(0 - m_held);
    m_held = 0;
    m_evicted = false;
}

bool InputBudget::Account::Evicted() const
{
    const std::lock_guard lock(*m_budget->m_mutex);
    return m_evicted;
}

void InputBudget::Add(std::size_t bytes)
{
    for (InputBudget* level = this; level != nullptr; level = level->m_whole.get()) {
        level->m_held += bytes;
    }
}

InputBudget& InputBudget::Whole()
{
    return m_whole ? m_whole->Whole() : *this;
}

bool InputBudget::MakeRoom(const Account& asking, std::vector<Victim>& dropHere)
{
    for (InputBudget* level = this; level != nullptr; level = level->m_whole.get()) {
        while (level->m_held > level->m_limit) {
            Account* largest = level->Largest(asking, nullptr);
            if (largest == nullptr || largest->m_held == 0) {
                break; // nothing to take back: only a limit of zero gets here
            }
            largest->m_budget->Add(0 - largest->m_held);
            largest->m_held = 0;
            largest->m_evicted = true;
            for (InputBudget* owner = largest->m_budget.get(); owner != nullptr; owner = owner->m_whole.get()) {
                ++owner->m_evictions;
            }
            if (largest == &asking) {
                return false;
            }
            if (largest->m_dropNow && largest->m_thread == std::this_thread::get_id()) {
                dropHere.push_back({largest, largest->m_serial});
            } else {
                largest->m_notify();
            }
        }
    }
    return true;
}

InputBudget::Account* InputBudget::Largest(const Account& asking, Account* largest) const
{
    // On a tie the asking connection goes rather than one that was there first.
    for (Account* account : m_accounts) {
        if (largest == nullptr || account->m_held > largest->m_held ||
            (account->m_held == largest->m_held && account == &asking)) {
            largest = account;
        }
    }
    for (const InputBudget* share : m_shares) {
        largest = share->Largest(asking, largest);
    }
    return largest;
}

bool InputBudget::Contains(const Account* account, std::uint64_t serial) const
{
    const auto found = std::ranges::find(m_accounts, account);
    if (found != m_accounts.end()) {
        return (*found)->m_serial == serial;
    }
    return std::ranges::any_of(m_shares, [&](const InputBudget* share) { return share->Contains(account, serial); });
}

void InputBudget::DropIfStillEvicted(const Victim& victim)
{
    {
        const std::lock_guard lock(*m_mutex);
        if (!Whole().Contains(victim.account, victim.serial) || !victim.account->m_evicted) {
            return;
        }
    }
    // Only this thread closes the victim's connection, so it is still there to be closed.
    victim.account->m_dropNow();
}

std::size_t InputBudget::HeldBytes() const
{
    const std::lock_guard lock(*m_mutex);
    return m_held;
}

std::size_t InputBudget::PeakBytes() const
{
    const std::lock_guard lock(*m_mutex);
    return m_peak;
}

std::size_t InputBudget::Evictions() const
{
    const std::lock_guard lock(*m_mutex);
    return m_evictions;
}

} // namespace velkan::search
