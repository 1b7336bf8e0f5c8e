#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::channel {

// One sharing server on line, as the application server lists it.
struct ServerEntry {
    static constexpr std::size_t kMaxNick = 15;
    static constexpr std::size_t kMaxHost = 51;

    std::string nick; // at most kMaxNick bytes
    std::string host; // dotted IPv4 address or host name, at most kMaxHost bytes
    std::int32_t port = 0;
    std::int32_t speed = 0;
    std::int32_t flags = 0;
};

// Flag bits of an entry and the panel option that gives the second its meaning.
constexpr std::int32_t kServerHidden = 0x02;
constexpr std::int32_t kServerHiddenByOption = 0x04;
constexpr std::int32_t kOptionHideFlaggedServers = 0x40;

// The longest request the application server is sent.
constexpr std::size_t kMaxListRequestLength = 4095;

// "/slst %d|": the number is fresh for every fetch and never echoed.
std::string ListRequest(int number);

// What became of a list's entries: each is kept or left out for the first reason that applies,
// in the order of the fields below.
struct ServerListTally {
    int entries = 0;        // non-empty entries between the "|"s
    int kept = 0;
    int malformed = 0;      // fewer than four fields
    int badPort = 0;        // a port outside 1-65535
    int hostTooLong = 0;    // a host longer than kMaxHost
    int hidden = 0;         // flag 0x02
    int hiddenByOption = 0; // flag 0x04 under option 0x40

    [[nodiscard]] int Dropped() const { return malformed + badPort + hostTooLong + hidden + hiddenByOption; }
};

// Entries are cut at runs of "|", fields at ",". Entries with fewer than four fields or a port
// outside 1-65535, hidden entries and entries whose host does not fit are left out; a nickname that does not fit is
// cut at a character boundary. Order is kept. tally, when given, counts what became of each.
std::vector<ServerEntry> ParseServerList(std::string_view line, std::int32_t options,
                                         ServerListTally* tally = nullptr);

} // namespace velkan::channel
