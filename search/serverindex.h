#pragma once

#include "channel/appserverprotocol.h"

#include <string_view>
#include <unordered_map>
#include <vector>

namespace velkan::search {

// The server list's entries by nickname, built once when a list arrives, so that handling a
// reply costs the same on a network of ten thousand servers as on one of a hundred. Nicknames
// compare byte for byte, case included; of two entries with one nickname the first in list
// order is found. The index points into the list: rebuild it whenever the list changes.
class ServerIndex {
public:
    void Rebuild(const std::vector<channel::ServerEntry>& entries);
    [[nodiscard]] const channel::ServerEntry* Find(std::string_view nick) const;

private:
    std::unordered_map<std::string_view, const channel::ServerEntry*> m_byNick;
};

} // namespace velkan::search
