#include "search/resultstore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velkan::search;

namespace {

// Records of every length, the longest texts included, over several of the store's blocks:
// each keeps its own fields, and texts beyond their limits are cut at a character boundary.
TEST(ResultStore, RecordsKeepTheirFieldsAcrossBlocks)
{
    struct Expected {
        const SearchResult* record;
        std::string nick;
        std::string path;
        std::string date;
        std::string host;
        std::int64_t size;
        std::int32_t number;
    };
    ResultStore store;
    std::vector<Expected> added;
    for (int i = 0; i < 3000; ++i) {
        const std::string nick = "n" + std::string(static_cast<std::size_t>(i % 20), 'k');
        const std::string path(static_cast<std::size_t>((i * 37) % 1600), static_cast<char>('a' + i % 26));
        const std::string date = "2004-01-02 10:11:12.345" + std::to_string(i);
        // Sixteen bytes whose last character does not fit whole, or nine that fit.
        const bool korean = i % 2 == 0;
        const std::string host = korean ? "10.0.0.1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1" : "10.0.0.12";
        const SearchResult* record = store.Add({.nick = nick, .path = path, .date = date, .host = host,
                                                .size = -i * 1000003LL, .extra = i, .flags = i + 1,
                                                .speed = i + 2, .port = i + 3});
        added.push_back({record, nick.substr(0, 15), path.substr(0, 1503), date.substr(0, 19),
                         korean ? host.substr(0, 14) : host, -i * 1000003LL, i});
    }
    ASSERT_EQ(store.Count(), added.size());
    for (const Expected& e : added) {
        SCOPED_TRACE(e.number);
        EXPECT_EQ(e.record->nick(), e.nick);
        EXPECT_EQ(e.record->path(), e.path);
        EXPECT_EQ(e.record->date(), e.date);
        EXPECT_EQ(e.record->host(), e.host);
        EXPECT_EQ(e.record->size, e.size);
        EXPECT_EQ(e.record->extra, e.number);
        EXPECT_EQ(e.record->flags, e.number + 1);
        EXPECT_EQ(e.record->speed, e.number + 2);
        EXPECT_EQ(e.record->port(), e.number + 3);
    }
}

} // namespace
