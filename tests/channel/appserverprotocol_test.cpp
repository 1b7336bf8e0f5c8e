#include "channel/appserverprotocol.h"

#include <gtest/gtest.h>

using namespace velkan::channel;

namespace {

struct Expected {
    std::string nick;
    std::string host;
    int port;
    int speed;
    int flags;
};

void ExpectEntries(const std::vector<ServerEntry>& entries, const std::vector<Expected>& expected)
{
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].nick, expected[i].nick) << i;
        EXPECT_EQ(entries[i].host, expected[i].host) << i;
        EXPECT_EQ(entries[i].port, expected[i].port) << i;
        EXPECT_EQ(entries[i].speed, expected[i].speed) << i;
        EXPECT_EQ(entries[i].flags, expected[i].flags) << i;
    }
}

TEST(ServerList, ParsesEntriesUnderTheFlagRules)
{
    struct Case {
        std::string line;
        std::int32_t options;
        std::vector<Expected> entries;
    };
    const Case cases[] = {
        {"a,10.0.0.1,9000,120|b,peerhost,9001,50,0", 0,
         {{"a", "10.0.0.1", 9000, 120, 0}, {"b", "peerhost", 9001, 50, 0}}},
        {"a,10.0.0.1,9000,120,2", 0, {}},
        {"a,10.0.0.1,9000,120,6", 0, {}},
        {"a,10.0.0.1,9000,120,4", 0, {{"a", "10.0.0.1", 9000, 120, 4}}},
        {"a,10.0.0.1,9000,120,4", 0x40, {}},
        {"a,10.0.0.1,9000,120,1", 0x40, {{"a", "10.0.0.1", 9000, 120, 1}}},
        {"||a,10.0.0.1,9000,120||", 0, {{"a", "10.0.0.1", 9000, 120, 0}}},
        {"a,10.0.0.1,9000", 0, {}},
        {"a ,b,9000,120", 0, {{"a ", "b", 9000, 120, 0}}},
        {"a,h,7x,y,z,extra,more", 0, {{"a", "h", 7, 0, 0}}},
        {"a,h,1,2|short|b,h,3,4", 0, {{"a", "h", 1, 2, 0}, {"b", "h", 3, 4, 0}}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ExpectEntries(ParseServerList(c.line, c.options), c.entries);
    }
}

TEST(ServerList, OverlongFieldsNeverOverflowTheirLimits)
{
    // A 16-byte nickname is cut to 15 at a character boundary; "\xC7\xD1" is one character.
    const std::string nick = std::string(14, 'n') + "\xC7\xD1";
    const std::string longHost(52, 'h');
    const std::string line = nick + ",h,1,1|x," + longHost + ",2,2|y," + longHost.substr(1) + ",3,3";
    ExpectEntries(ParseServerList(line, 0),
                  {{std::string(14, 'n'), "h", 1, 1, 0}, {"y", longHost.substr(1), 3, 3, 0}});
}

// Every entry is counted once, under the first rule that leaves it out, and counting changes
// nothing in what is parsed.
TEST(ServerList, TallyNamesWhyEachEntryWasLeftOut)
{
    struct Case {
        std::string line;
        std::int32_t options;
        ServerListTally tally;
    };
    const std::string longHost(52, 'h');
    const Case cases[] = {
        {"", 0, {}},
        {"|||", 0, {}},
        {"a,h,1,2|b,h,3,4", 0, {.entries = 2, .kept = 2}},
        {"a,h,1|b|c,h,1,2", 0, {.entries = 3, .kept = 1, .malformed = 2}},
        {"a," + longHost + ",1,2|b,h,1,2", 0, {.entries = 2, .kept = 1, .hostTooLong = 1}},
        // A long host is the reason even for an entry that is hidden as well.
        {"a," + longHost + ",1,2,2", 0, {.entries = 1, .hostTooLong = 1}},
        {"a,h,1,2,2|b,h,1,2,4", 0, {.entries = 2, .kept = 1, .hidden = 1}},
        {"a,h,1,2,2|b,h,1,2,4", 0x40, {.entries = 2, .hidden = 1, .hiddenByOption = 1}},
        {"a,h,1,2,6", 0x40, {.entries = 1, .hidden = 1}},
        // A port that does not fit 16 bits is never cut down to one that does.
        {"a,h,0,1|b,h,65617,1|c,h,-20495,1|d,h,65535,1|e,h,1,1|f,h,4294967377,1", 0,
         {.entries = 6, .kept = 2, .badPort = 4}},
        {"a,h,70000,1,2|b," + longHost + ",0,1", 0, {.entries = 2, .badPort = 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ServerListTally tally{.entries = 99, .kept = 99}; // what a previous list left is replaced
        const std::vector<ServerEntry> entries = ParseServerList(c.line, c.options, &tally);
        EXPECT_EQ(tally.entries, c.tally.entries);
        EXPECT_EQ(tally.kept, c.tally.kept);
        EXPECT_EQ(tally.malformed, c.tally.malformed);
        EXPECT_EQ(tally.badPort, c.tally.badPort);
        EXPECT_EQ(tally.hostTooLong, c.tally.hostTooLong);
        EXPECT_EQ(tally.hidden, c.tally.hidden);
        EXPECT_EQ(tally.hiddenByOption, c.tally.hiddenByOption);
        EXPECT_EQ(tally.kept + tally.Dropped(), tally.entries);
        EXPECT_EQ(static_cast<int>(entries.size()), tally.kept);
        const std::vector<ServerEntry> uncounted = ParseServerList(c.line, c.options);
        ASSERT_EQ(uncounted.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(uncounted[i].nick, entries[i].nick);
            EXPECT_EQ(uncounted[i].host, entries[i].host);
        }
    }
}

TEST(ServerList, RequestText)
{
    EXPECT_EQ(ListRequest(123), "/slst 123|");
    EXPECT_EQ(ListRequest(0), "/slst 0|");
}

} // namespace
