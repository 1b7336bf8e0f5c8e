#include "search/serverindex.h"

namespace velkan::search {

void ServerIndex::Rebuild(const std::vector<channel::ServerEntry>& entries)
{
    m_byNick.clear();
    m_byNick.reserve(entries.size());
    for (const channel::ServerEntry& entry : entries) {
        m_byNick.try_emplace(entry.nick, &entry); // a later duplicate leaves the first in place
    }
}

const channel::ServerEntry* ServerIndex::Find(std::string_view nick) const
{
    const auto found = m_byNick.find(nick);
    return found == m_byNick.end() ? nullptr : found->second;
}

} // namespace velkan::search
