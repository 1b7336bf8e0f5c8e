#include "channel/peerprotocol.h"

#include "channel/cp949.h"
#include "channel/decimal.h"
#include "channel/fieldsplitter.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace velkan;
using namespace velkan::channel;

namespace {

// The items read the plain way, a copy at every step: FieldSplitter's fields, the path's three
// escapes replaced one after another, then the limits.
std::optional<std::vector<FoundItem>> ReferenceItems(std::string_view line)
{
    const std::size_t start = line.find_first_not_of('>');
    if (start == std::string_view::npos || line.substr(start, 4) != "find" ||
        (start + 4 < line.size() && line[start + 4] != '>')) {
        return std::nullopt;
    }
    std::vector<FoundItem> items;
    std::size_t at = start + 4;
    while (at < line.size()) {
        const std::size_t begin = line.find_first_not_of('>', at);
        if (begin == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find('>', begin), line.size());
        at = end;
        FieldSplitter fields(line.substr(begin, end - begin), '|');
        if (fields.Count() != 5) {
            continue;
        }
        FoundItem item;
        item.path = cp949::ReplaceAll(
            cp949::ReplaceAll(cp949::ReplaceAll(fields.Next(), "&lt;", "<"), "&gt;", ">"), "&0x7c;", "|");
        if (item.path.size() > FoundItem::kMaxPath) {
            continue;
        }
        item.date = cp949::CutToFit(fields.Next(), FoundItem::kMaxDate);
        item.size = decimal::ParseInt64(fields.Next());
        item.flags = decimal::ParseInt32(fields.Next());
        item.extra = decimal::ParseInt32(fields.Next());
        items.push_back(std::move(item));
    }
    return items;
}

void ExpectSameAsReference(std::string_view line)
{
    const auto expected = ReferenceItems(line);
    const auto items = ParseFindReply(line);
    ASSERT_EQ(items.has_value(), expected.has_value());
    if (!items) {
        return;
    }
    ASSERT_EQ(items->size(), expected->size());
    for (std::size_t i = 0; i < items->size(); ++i) {
        EXPECT_EQ((*items)[i].path, (*expected)[i].path) << i;
        EXPECT_EQ((*items)[i].date, (*expected)[i].date) << i;
        EXPECT_EQ((*items)[i].size, (*expected)[i].size) << i;
        EXPECT_EQ((*items)[i].flags, (*expected)[i].flags) << i;
        EXPECT_EQ((*items)[i].extra, (*expected)[i].extra) << i;
    }
}

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

TEST(FindReply, OneWalkReadsWhatCopyingEachStepReads)
{
    // Second bytes of double-byte characters that equal "|", "&", "<", " " or "\\" are no
    // separators, escapes or white space.
    const std::string escapedFits(FoundItem::kMaxPath - 1, 'p');
    const std::string lines[] = {
        "find>\x81|a|2004|1|0|0",
        "find>a\x81&lt;b|d|1|0|0>a&\x81lt;|d|1|0|0",
        "find>a\x81 |d|1|0|0>\x81 a|d|1|0|0",
        "find>  C:\\x\x81\\y\\z.txt  |  2004-01-02 10:11 |1 | 2|3  ",
        "find>a|d|1|0|0\x81>b|d|1|0|\x81",
        "find>a|b|c|d|e|>a|b|c|d|e|f>a|b|c|d| >a|b|c|d|e| >a||||",
        "find>&lt;&gt;&0x7c;&amp;&0x7C;&&gt;lt;&lt|d|1|0|0",
        "find>" + escapedFits + "&lt;|d|1|0|0>" + escapedFits + "&0x7c;x|d|1|0|0",
        "find>x|2004-01-02 10:11:12.345|1|0|0>x|\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1|1|0|0",
        "find>\t a\r|\v d\f|\n1|0|0\r",
        "find>a|d| -9223372036854775809x|99999999999|-7",
        "find",
        "find>>>",
        "finder>a|d|1|0|0",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        ExpectSameAsReference(line);
    }

    // Made-up replies of mostly five-field items whose fields are made of the bytes that
    // matter, escapes and lead bytes among them.
    const std::string pieces[] = {"a", "Z", "|", ">", " ", "\t", "\\", "&", "&lt;", "&gt;", "&0x7c;",
                                  "lt;", "\x81", "\xB0", "\xFE", "\x80", "\xFF", "-", "7", "."};
    std::mt19937 random(5);
    const auto field = [&] {
        std::string text;
        for (int i = static_cast<int>(random() % 8); i > 0; --i) {
            text += pieces[random() % std::size(pieces)];
        }
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string line = "find";
        for (int item = static_cast<int>(random() % 5); item > 0; --item) {
            const int fields = random() % 8 == 0 ? static_cast<int>(random() % 7) : 5;
            line += ">";
            for (int f = 0; f < fields; ++f) {
                if (f > 0) {
                    line += '|';
                }
                line += field();
            }
        }
        SCOPED_TRACE(line);
        ExpectSameAsReference(line);
    }
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

// A figure the window could only show as "inf", a rounded count, a clamped size or a wall of text
// makes the answer no answer; the limits themselves are still shown.
TEST(ServerInfoReply, FiguresBeyondWhatCanBeShownTrulyAreNoAnswer)
{
    const std::string twenty(20, '7');
    const std::string limits = "/info " + twenty + "," + twenty + "," + twenty + "," + twenty +
                               ",-9007199254740992,9223372036854775807";
    const auto atLimits = ParseServerInfoReply(limits);
    ASSERT_TRUE(atLimits);
    EXPECT_EQ(atLimits->download, twenty + "/" + twenty);
    EXPECT_DOUBLE_EQ(atLimits->fileCount, -9007199254740992.0);
    EXPECT_EQ(atLimits->totalSize, std::numeric_limits<std::int64_t>::max());
    EXPECT_TRUE(ParseServerInfoReply("/info 1,2,3,4,9007199254740992,-9223372036854775808"));

    const std::string longer(21, '7');
    const std::string lines[] = {
        "/info 1,2,3,4," + std::string(400, '9') + ",1", // a count that reads as infinity
        "/info 1,2,3,4,1e400,1",
        "/info 1,2,3,4,9007199254740994,1",
        "/info 1,2,3,4,-1e17,1",
        "/info 1,2,3,4,5,9223372036854775808",
        "/info 1,2,3,4,5,-" + std::string(30, '9'),
        "/info " + longer + ",2,3,4,5,6",
        "/info 1," + longer + ",3,4,5,6",
        "/info 1,2," + longer + ",4,5,6",
        "/info 1,2,3," + longer + ",5,6",
    };
    for (const std::string& line : lines) {
        EXPECT_FALSE(ParseServerInfoReply(line)) << line.substr(0, 60);
    }
}

TEST(PeerRequests, Texts)
{
    EXPECT_EQ(FindRequest(77, "ab^c", "user"), "/find 77|ab^c|user");
    EXPECT_EQ(FindRequest(0, "a|b", ""), "/find 0|a|b|");
    EXPECT_EQ(kServerInfoRequest, "/sinf ");
}

} // namespace
