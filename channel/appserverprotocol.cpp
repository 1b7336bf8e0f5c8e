#include "channel/appserverprotocol.h"

#include "channel/cp949.h"
#include "channel/decimal.h"
#include "channel/fieldsplitter.h"
#include "channel/tokens.h"

namespace velkan::channel {

std::string ListRequest(int number)
{
    return "/slst " + std::to_string(number) + "|";
}

std::vector<ServerEntry> ParseServerList(std::string_view line, std::int32_t options,
                                         ServerListTally* tally)
{
    ServerListTally unused;
    ServerListTally& counts = tally ? *tally : unused;
    counts = {};
    std::vector<ServerEntry> entries;
    ForEachToken(line, '|', [&](std::string_view token) {
        ++counts.entries;
        FieldSplitter fields(token, ',');
        if (fields.Count() < 4) {
            ++counts.malformed;
            return true;
        }
        ServerEntry entry;
        entry.nick = cp949::CutToFit(fields.Next(), ServerEntry::kMaxNick);
        const std::string_view host = fields.Next();
        entry.port = decimal::ParseInt32(fields.Next());
        entry.speed = decimal::ParseInt32(fields.Next());
        entry.flags = fields.Count() >= 5 ? decimal::ParseInt32(fields.Next()) : 0;
        // A port that does not fit 16 bits would connect to a port the list never named.
        if (entry.port < 1 || entry.port > 65535) {
            ++counts.badPort;
            return true;
        }
        // A host name cut short would send the connection somewhere else.
        if (host.size() > ServerEntry::kMaxHost) {
            ++counts.hostTooLong;
            return true;
        }
        entry.host = host;
        if ((entry.flags & kServerHidden) != 0) {
            ++counts.hidden;
        } else if ((entry.flags & kServerHiddenByOption) != 0 &&
                   (options & kOptionHideFlaggedServers) != 0) {
            ++counts.hiddenByOption;
        } else {
            ++counts.kept;
            entries.push_back(std::move(entry));
        }
        return true;
    });
    return entries;
}

} // namespace velkan::channel
