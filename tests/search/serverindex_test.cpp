#include "search/serverindex.h"

#include <gtest/gtest.h>

using namespace velkan;

namespace {

TEST(ServerIndex, FirstEntryOfANicknameByteForByte)
{
    const std::vector<channel::ServerEntry> list = {
        {"kim", "10.0.0.1", 1, 10, 0},  {"Kim", "10.0.0.2", 2, 20, 0},      {"kim", "10.0.0.3", 3, 30, 0},
        {"\xB1\xE8", "10.0.0.4", 4, 40, 0}, {"", "10.0.0.5", 5, 50, 0},     {"kim ", "10.0.0.6", 6, 60, 0},
        {"\xB1\xE8", "10.0.0.7", 7, 70, 0},
    };
    search::ServerIndex index;
    index.Rebuild(list);
    const std::pair<std::string, const channel::ServerEntry*> cases[] = {
        {"kim", &list[0]}, {"Kim", &list[1]}, {"KIM", nullptr},   {"\xB1\xE8", &list[3]},
        {"", &list[4]},    {"kim ", &list[5]}, {"ki", nullptr},   {"kimx", nullptr},
    };
    for (const auto& [nick, entry] : cases) {
        EXPECT_EQ(index.Find(nick), entry) << nick;
    }

    // A new list replaces the old one whole.
    const std::vector<channel::ServerEntry> next = {{"lee", "10.0.0.8", 8, 80, 0}};
    index.Rebuild(next);
    EXPECT_EQ(index.Find("lee"), &next[0]);
    EXPECT_EQ(index.Find("kim"), nullptr);
    index.Rebuild({});
    EXPECT_EQ(index.Find("lee"), nullptr);
}

} // namespace
