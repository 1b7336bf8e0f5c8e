#include "tests/localnet/cp949text.h"
#include "tools/velkan-localnet/request.h"

#include <gtest/gtest.h>

using namespace velkan::localnet;

namespace {

struct Case {
    std::string text;
    std::optional<Request> expected;
};

TEST(Request, TakesTheThreeTextsOfTheServiceAndNothingElse)
{
    const std::string korean = test::Cp949("사랑 노래");
    const std::vector<Case> cases = {
        {"/slst 123|", Request{RequestKind::ServerList, 123, {}, {}}},
        {"/slst -42|", Request{RequestKind::ServerList, -42, {}, {}}},
        {"/sinf ", Request{RequestKind::ServerInfo, 0, {}, {}}},
        {"/find 7|love song|user1", Request{RequestKind::Find, 7, "love song", "user1"}},
        {"/find 7||", Request{RequestKind::Find, 7, "", ""}},
        {"/find 8|a|b|me", Request{RequestKind::Find, 8, "a|b", "me"}},
        {"/find 9|" + korean + "|id", Request{RequestKind::Find, 9, korean, "id"}},
        {"/slst 123", std::nullopt},
        {"/slst |", std::nullopt},
        {"/slst 12x|", std::nullopt},
        {"/slst +1|", std::nullopt},
        {"/slst 99999999999|", std::nullopt},
        {"/slst 1| ", std::nullopt},
        {"/sinf", std::nullopt},
        {"/sinf x", std::nullopt},
        {"/find 7|only", std::nullopt},
        {"/find x|a|b", std::nullopt},
        {"/find |a|b", std::nullopt},
        {"/FIND 1|a|b", std::nullopt},
        {"hello", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Request> parsed = ParseRequest(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (parsed) {
            EXPECT_EQ(parsed->kind, c.expected->kind);
            EXPECT_EQ(parsed->number, c.expected->number);
            EXPECT_EQ(parsed->searchText, c.expected->searchText);
            EXPECT_EQ(parsed->userId, c.expected->userId);
        }
    }
}

TEST(Request, FindsTheSeparatorsOnCharacterBoundaries)
{
    // The byte after 0x81 belongs to the same character, so a "|" there separates nothing.
    const std::string text = "/find 3|\x81|x|\x81|id";
    const std::optional<Request> parsed = ParseRequest(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->searchText, "\x81|x");
    EXPECT_EQ(parsed->userId, "\x81|id");
}

} // namespace
