#include "channel/base64codec.h"
#include "tests/channel/hex.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using velkan::channel::Base64Codec;

namespace {

TEST(Base64Codec, EncodesWithoutPadding)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},         {"a", "YQ"},       {"ab", "YWI"}, {"abc", "YWJj"},
        {"abcd", "YWJjZA"}, {"\xff\xfe\xfd", "//79"}, {std::string(8, '\0'), "AAAAAAAAAAA"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(Base64Codec::Encode(bytes), text) << text;
    }
}

TEST(Base64Codec, DecodesIgnoringPaddingAndTheHighBit)
{
    const std::pair<std::string, std::string> cases[] = {
        {"YWI=", "ab"},
        {"YWI", "ab"},
        {"YW=I", "ab"},
        {"=Y=W=J=j=", "abc"},
        {"YQ", "a"},          // four leftover bits dropped
        {"Y", ""},            // six bits make no byte
        {"\xD9\xD7\xC9", "ab"}, // "YWI" with the high bit set on each character
    };
    for (const auto& [text, bytes] : cases) {
        const auto decoded = Base64Codec::Decode(text);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(*decoded, bytes) << text;
    }
}

TEST(Base64Codec, AnyByteOutsideTheAlphabetFailsTheWholeText)
{
    for (const std::string& text : std::vector<std::string>{"YW I", "YWI\r", "YWI\n", "YW\tI", "YW-I", "YW.I",
                                   std::string("YW\0I", 4), std::string("YW\x80I", 4)}) {
        EXPECT_FALSE(Base64Codec::Decode(text)) << text;
    }
}

TEST(Base64Codec, RoundTripsRandomBytes)
{
    std::mt19937 random(7);
    for (std::size_t length = 0; length < 200; ++length) {
        std::string bytes(length, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        const std::string text = Base64Codec::Encode(bytes);
        EXPECT_EQ(text.size(), (length * 8 + 5) / 6);
        EXPECT_EQ(Base64Codec::Decode(text), bytes);
    }
}

} // namespace
