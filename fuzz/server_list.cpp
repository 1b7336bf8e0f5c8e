// ParseServerList reads the application server's list of sharing users on line.
#include "channel/appserverprotocol.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/reference.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace velkan::channel;
namespace ref = velkan::fuzz;

namespace {

bool SameEntry(const ServerEntry& a, const ServerEntry& b)
{
    return a.nick == b.nick && a.host == b.host && a.port == b.port && a.speed == b.speed &&
           a.flags == b.flags;
}

std::vector<ServerEntry> ReferenceList(std::string_view line, std::int32_t options)
{
    std::vector<ServerEntry> entries;
    for (const std::string_view token : ref::Tokens(line, '|')) {
        const auto fields = ref::SplitFields(token, ',');
        if (fields.size() < 4 || fields[1].size() > ServerEntry::kMaxHost) {
            continue;
        }
        ServerEntry entry;
        entry.nick = ref::CutChars(fields[0], ServerEntry::kMaxNick);
        entry.host = fields[1];
        entry.port = ref::ParseInteger<std::int32_t>(fields[2]);
        entry.speed = ref::ParseInteger<std::int32_t>(fields[3]);
        entry.flags = fields.size() >= 5 ? ref::ParseInteger<std::int32_t>(fields[4]) : 0;
        if (entry.port < 1 || entry.port > 65535) {
            continue;
        }
        const bool hidden = (entry.flags & 0x02) != 0 || ((entry.flags & 0x04) != 0 && (options & 0x40) != 0);
        if (!hidden) {
            entries.push_back(entry);
        }
    }
    return entries;
}

} // namespace

// First byte: the panel's option bits. The rest is the list line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::int32_t options = data[0];
    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);

    ServerListTally tally;
    const std::vector<ServerEntry> entries = ParseServerList(line, options, &tally);
    VELKAN_FUZZ_CHECK(tally.kept == static_cast<int>(entries.size()));
    VELKAN_FUZZ_CHECK(tally.kept + tally.Dropped() == tally.entries);
    for (const ServerEntry& entry : entries) {
        VELKAN_FUZZ_CHECK(entry.nick.size() <= ServerEntry::kMaxNick);
        VELKAN_FUZZ_CHECK(entry.host.size() <= ServerEntry::kMaxHost);
        VELKAN_FUZZ_CHECK(entry.port >= 1 && entry.port <= 65535);
        VELKAN_FUZZ_CHECK((entry.flags & kServerHidden) == 0);
        VELKAN_FUZZ_CHECK((options & kOptionHideFlaggedServers) == 0 ||
                          (entry.flags & kServerHiddenByOption) == 0);
        VELKAN_FUZZ_CHECK(entry.nick.find('|') == std::string::npos);
        VELKAN_FUZZ_CHECK(!ref::HasCharByte(entry.host, ','));
    }

    const std::vector<ServerEntry> expected = ReferenceList(line, options);
    VELKAN_FUZZ_CHECK(entries.size() == expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        VELKAN_FUZZ_CHECK(SameEntry(entries[i], expected[i]));
    }

    // Written out again, the kept entries read back unchanged.
    std::string rebuilt;
    for (const ServerEntry& entry : entries) {
        rebuilt += entry.nick + "," + entry.host + "," + std::to_string(entry.port) + "," +
                   std::to_string(entry.speed) + "," + std::to_string(entry.flags) + "|";
    }
    const std::vector<ServerEntry> again = ParseServerList(rebuilt, options);
    VELKAN_FUZZ_CHECK(again.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        VELKAN_FUZZ_CHECK(SameEntry(again[i], entries[i]));
    }
    return 0;
}
