#include "channel/blowfish.h"
#include "channel/cp949convert.h"
#include "channel/protectedtext.h"
#include "search/startupconfig.h"
#include "channel/wirekey.h"

#include <gtest/gtest.h>

using namespace velkan;
using search::StartupConfig;
using search::StartupProperties;

namespace {

class StartupConfigTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Initialize(channel::kWireKey)); }

    std::string Protect(std::string_view plain) { return channel::EncryptToBase64(m_cipher, plain); }
    StartupConfig Parse(const StartupProperties& properties)
    {
        return search::ParseStartupConfig(m_cipher, properties);
    }

    channel::BlowFish m_cipher;
};

TEST_F(StartupConfigTest, ParamFieldsNeedAtLeastEight)
{
    struct Case {
        std::string param;
        std::string userId;
        std::string userClass;
        int options;
        int number;
        bool identity;
    };
    const Case cases[] = {
        {Protect("x|kim|c|d|e|A|96|7"), "kim", "A", 96, 7, true},
        {Protect("x|kim|c|d|e|A|96|7|9|10"), "kim", "A", 96, 7, true},
        {Protect("  x| kim |c|d|e|B|abc|"), "", "", 0, 0, false}, // seven fields
        {Protect("x||c|d|e|A|32|1"), "", "A", 32, 1, true},
        {Protect("x|kim|c|d|e|A|96|7") + "==", "kim", "A", 96, 7, true},
        {"=" + Protect("x|kim|c|d|e|A|96|7"), "kim", "A", 96, 7, true},
        {Protect("x|kim|c|d|e|A|96|7") + "\r\n", "", "", 0, 0, false},
        {"not base64!", "", "", 0, 0, false},
        {"", "", "", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.param);
        const StartupConfig config = Parse({.param = c.param});
        EXPECT_EQ(config.userId, c.userId);
        EXPECT_EQ(config.userClass, c.userClass);
        EXPECT_EQ(config.options, c.options);
        EXPECT_EQ(config.paramNumber, c.number);
        ASSERT_EQ(config.identityLabel.has_value(), c.identity);
        if (c.identity) {
            EXPECT_EQ(*config.identityLabel, Protect(c.userId));
        }
    }
}

TEST_F(StartupConfigTest, FieldsAfterTheFirstLoseLeadingWhiteSpaceOnly)
{
    const StartupConfig config = Parse({.param = Protect("x| kim |c|d|e| A |  64|8 ")});
    EXPECT_EQ(config.userId, "kim ");
    EXPECT_EQ(config.userClass, "A ");
    EXPECT_EQ(config.options, 64);
}

TEST_F(StartupConfigTest, EmptyUserIdGivesAnEmptyIdentityLabel)
{
    const StartupConfig config = Parse({.param = Protect("x||c|d|e|A|0|0")});
    ASSERT_TRUE(config.identityLabel);
    EXPECT_EQ(*config.identityLabel, "");
}

TEST(StripList, DefaultAndGiven)
{
    const std::vector<std::string> defaults = search::ParseStripList("");
    const std::vector<std::string> expected = {
        "", "|", ".", ",", "^", "!", cp949::FromUtf8("Ⅱ"), cp949::FromUtf8("ⅱ"), "/", "_"};
    EXPECT_EQ(defaults, expected);
    EXPECT_EQ(search::ParseStripList("-z+"), (std::vector<std::string>{"-", "+"}));
}

TEST(BanWords, ListsFromTheProperty)
{
    const std::string defaultWords = cp949::FromUtf8("로리타,포르노,강간");
    const std::string han = cp949::FromUtf8("한");
    struct Case {
        std::string text;
        std::vector<std::string> plain;
        std::vector<std::string> strict;
    };
    const Case cases[] = {
        {"", {cp949::FromUtf8("로리타"), cp949::FromUtf8("포르노"), cp949::FromUtf8("강간")}, {}},
        {"x", {cp949::FromUtf8("로리타"), cp949::FromUtf8("포르노"), cp949::FromUtf8("강간")}, {}},
        {han, {han}, {han}}, // one character but two bytes: used as it is
        {"ab", {"ab"}, {"ab"}},
        {"abc", {"abc"}, {"abc"}},
        {"*abc", {"*abc"}, {"*abc"}},
        {"a,*b,c", {"a", "c"}, {"b"}},
        {"a,b,", {"a", "b"}, {}},
        {",a,b", {}, {}},
        {"a,,b", {"a", "", "b"}, {}},
        {"a,*", {"a"}, {""}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> plain = {"stale"};
        std::vector<std::string> strict = {"stale"};
        search::ParseBanWords(c.text, plain, strict);
        EXPECT_EQ(plain, c.plain) << c.text;
        EXPECT_EQ(strict, c.strict) << c.text;
    }
}

} // namespace
