#pragma once

#include "channel/peerprotocol.h"
#include "tools/velkan-localnet/sharedfile.h"

#include <vector>

namespace velkan::localnet::test {

// A reply parsed back by the client's own code, in the share's terms.
inline std::vector<SharedFile> AsShare(const std::vector<channel::FoundItem>& items)
{
    std::vector<SharedFile> files;
    for (const channel::FoundItem& item : items) {
        files.push_back({item.path, item.date, item.size, item.flags, item.extra});
    }
    return files;
}

} // namespace velkan::localnet::test
