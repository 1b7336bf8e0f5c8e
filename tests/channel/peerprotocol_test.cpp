#include "peerprotocol.h"

#include <gtest/gtest.h>

using namespace velkan::channel;

namespace {

std::vector<std::string> Paths(std::string_view line)
{
    std::vector<std::string> paths;
    const auto items = ParseFindReply(line);
    for (const FoundItem& item : items.value()) {
        paths.push_back(item.path);
    }
    return paths;
}

TEST(FindReply, AcceptsOnlyAFirstTokenOfExactlyFind)
{
    const std::pair<const char*, bool> cases[] = {
        {"find", true},        {"find>", true},     {">>find>", true},   {"find>>a|b|c|d|e", true},
        {"FIND>a|b|c|d|e", false}, {" find>a|b|c|d|e", false}, {"finder>a|b|c|d|e", false},
        {"fin", false},        {"", false},         {">>>", false},
    };
    for (const auto& [line, accepted] : cases) {
        EXPECT_EQ(ParseFindReply(line).has_value(), accepted) << line;
    }
}

TEST(FindReply, KeepsOnlyItemsOfExactlyFiveFields)
{
    EXPECT_EQ(Paths("find>>p1|d|1|0|0"), (std::vector<std::string>{"p1"}));
    EXPECT_EQ(Paths("find>p1|d|1|0|0|>p2|d|1|0>p3|d|1|0|0|6>p4|d|1|0|  >p5|d|1|0|0"),
              (std::vector<std::string>{"p1", "p5"}));
    EXPECT_TRUE(Paths("find").empty());
}

TEST(FindReply, ConvertsTheFields)
{
    const auto items =
        ParseFindReply("find> C:\\x\\a&gt;b&0x7c;c.txt |2004-01-02 10:11| -1536x| 24 |7 ").value();
    ASSERT_EQ(items.size(), 1U);
    EXPECT_EQ(items[0].path, "C:\\x\\a>b|c.txt ");
    EXPECT_EQ(items[0].date, "2004-01-02 10:11");
    EXPECT_EQ(items[0].size, -1536);
    EXPECT_EQ(items[0].flags, 24);
    EXPECT_EQ(items[0].extra, 7);
}

TEST(FindReply, ReversesTheThreeEscapesInOrder)
{
    const std::pair<const char*, const char*> cases[] = {
        {"&lt;&gt;&0x7c;", "<>|"},
        {"&amp;&0x7C;&lt", "&amp;&0x7C;&lt"}, // only the three exact forms
        {"&lt;gt;", "<gt;"},
        {"&&gt;lt;", "&>lt;"},
    };
    for (const auto& [field, path] : cases) {
        EXPECT_EQ(UnescapePath(field), path) << field;
    }
}

TEST(FindReply, FieldsBeyondTheirLimits)
{
    const std::string fits(FoundItem::kMaxPath, 'p');
    const std::string tooLong(FoundItem::kMaxPath + 1, 'p');
    // The limit applies to the unescaped path: six escape bytes make one.
    const std::string escapedFits(FoundItem::kMaxPath - 1, 'p');
    const std::string line = "find>" + tooLong + "|d|1|0|0>" + fits + "|d|1|0|0>" + escapedFits +
                             "&lt;|d|1|0|0>x|2004-01-02 10:11:12.345|1|0|0";
    const auto items = ParseFindReply(line).value();
    ASSERT_EQ(items.size(), 3U);
    EXPECT_EQ(items[0].path, fits);
    EXPECT_EQ(items[1].path, escapedFits + "<");
    EXPECT_EQ(items[2].date, "2004-01-02 10:11:12");
}

TEST(FindReply, VisitingStopsWhenAsked)
{
    int seen = 0;
    EXPECT_TRUE(ForEachFoundItem("find>a|d|1|8|0>b|d|1|0|0", [&](FoundItem&& item) {
        ++seen;
        return (item.flags & 8) == 0;
    }));
    EXPECT_EQ(seen, 1);
}

TEST(ServerInfoReply, ParsesSixFieldsAfterThePrefix)
{
    const auto info = ParseServerInfoReply("/info 1,2,3,4,1234567,2048");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->download, "1/2");
    EXPECT_EQ(info->upload, "3/4");
    EXPECT_DOUBLE_EQ(info->fileCount, 1234567.0);
    EXPECT_EQ(info->totalSize, 2048);

    const auto spaced = ParseServerInfoReply("/info  a , b,c,d, 12.6 ,x");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->download, "a /b");
    EXPECT_DOUBLE_EQ(spaced->fileCount, 12.6);
    EXPECT_EQ(spaced->totalSize, 0);

    for (const char* line : {"/info1,2,3,4,5,6", "/INFO 1,2,3,4,5,6", "/info 1,2,3,4,5",
                             "/info 1,2,3,4,5,6,7", " /info 1,2,3,4,5,6", "/info "}) {
        EXPECT_FALSE(ParseServerInfoReply(line)) << line;
    }
}

TEST(PeerRequests, Texts)
{
    EXPECT_EQ(FindRequest(77, "ab^c", "user"), "/find 77|ab^c|user");
    EXPECT_EQ(FindRequest(0, "a|b", ""), "/find 0|a|b|");
    EXPECT_EQ(kServerInfoRequest, "/sinf ");
}

} // namespace
