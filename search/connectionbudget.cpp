#include "search/connectionbudget.h"

#include <utility>

namespace velkan::search {

ConnectionBudget::Lease& ConnectionBudget::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        Lease released(std::move(*this));
        m_budget = std::move(other.m_budget);
    }
    return *this;
}

ConnectionBudget::Lease::~Lease()
{
    if (m_budget) {
        m_budget->m_inUse.fetch_sub(1);
    }
}

ConnectionBudget::Lease ConnectionBudget::Take()
{
    int inUse = m_inUse.load();
    do {
        if (inUse >= m_limit) {
            return {};
        }
    } while (!m_inUse.compare_exchange_weak(inUse, inUse + 1));
    return Lease(shared_from_this());
}

} // namespace velkan::search
