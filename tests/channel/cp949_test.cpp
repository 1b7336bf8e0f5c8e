#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "tests/channel/hex.h"

#include <gtest/gtest.h>

using velkan::test::Bytes;
namespace cp949 = velkan::cp949;

namespace {

// 0x81 0x41 is one character whose second byte is "A"; 0x81 0x7A ends in "z", 0x81 0x5C in
// a backslash, 0x81 0x20 in a space (not valid CP949, but a lead byte always takes the next).
const std::string kTrailA = Bytes({0x81, 0x41});
const std::string kTrailZ = Bytes({0x81, 0x7A});
const std::string kTrailBackslash = Bytes({0x81, 0x5C});
const std::string kTrailSpace = Bytes({0x81, 0x20});
const std::string kHan = "\xC7\xD1"; // the Hangul syllable "han"

TEST(Cp949, LeadBytes)
{
    EXPECT_FALSE(cp949::IsLeadByte('\x80'));
    EXPECT_TRUE(cp949::IsLeadByte('\x81'));
    EXPECT_TRUE(cp949::IsLeadByte('\xFE'));
    EXPECT_FALSE(cp949::IsLeadByte('\xFF'));
    EXPECT_FALSE(cp949::IsLeadByte('A'));
}

TEST(Cp949, ByteSearchSkipsSecondHalves)
{
    struct Case {
        std::string text;
        char byte;
        std::size_t first;
        std::size_t last;
    };
    const Case cases[] = {
        {kTrailA + "A", 'A', 2, 2},
        {"A" + kTrailA, 'A', 0, 0},
        {kTrailA, 'A', cp949::npos, cp949::npos},
        {"C:" + kTrailBackslash + "\\x", '\\', 4, 4},
        {"a\\b\\c", '\\', 1, 3},
        {kTrailZ + "z" + kTrailZ, 'z', 2, 2},
        {"\x81", '\x81', 0, 0}, // a lone lead byte at the end is a character of its own
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp949::FindByte(c.text, c.byte), c.first) << c.text;
        EXPECT_EQ(cp949::FindLastByte(c.text, c.byte), c.last) << c.text;
    }
}

TEST(Cp949, TextSearchMatchesOnlyAtCharacterBoundaries)
{
    struct Case {
        std::string text;
        std::string needle;
        std::size_t first;
        std::size_t last;
    };
    const Case cases[] = {
        {kTrailA + "BC", "AB", cp949::npos, cp949::npos},
        {kTrailA + "ABAB", "AB", 2, 4},
        {"xx" + kHan + "yy" + kHan, kHan, 2, 6},
        {Bytes({0xB0, 0xA1, 0xB0, 0xA1}), Bytes({0xA1, 0xB0}), cp949::npos, cp949::npos},
        {"abc", "", 0, 3},
        {"", "a", cp949::npos, cp949::npos},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp949::FindText(c.text, c.needle), c.first) << c.text;
        EXPECT_EQ(cp949::FindLastText(c.text, c.needle), c.last) << c.text;
        EXPECT_EQ(cp949::Contains(c.text, c.needle), c.first != cp949::npos) << c.text;
    }
}

TEST(Cp949, LowerCasingLeavesDoubleByteCharactersWhole)
{
    EXPECT_EQ(cp949::ToLowerAscii("ABC" + kTrailA + "Z" + kHan + "x"), "abc" + kTrailA + "z" + kHan + "x");
    EXPECT_EQ(cp949::ToLowerAscii("@[`{"), "@[`{");
}

TEST(Cp949, TrimmingNeverCutsACharacter)
{
    const std::pair<std::string, std::string> cases[] = {
        {" \t\r\n\v\fa b \t\r\n\v\f", "a b"},
        {"   ", ""},
        {"", ""},
        {kTrailSpace, kTrailSpace},
        {" " + kTrailSpace + " ", kTrailSpace},
        {kHan + " ", kHan},
        {"\xA0x\xA0", "\xA0x\xA0"}, // only the six ASCII white-space bytes count
    };
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(cp949::Trim(text), trimmed) << text;
    }
    EXPECT_EQ(cp949::TrimLeft("  a "), "a ");
    EXPECT_EQ(cp949::TrimRight("  a "), "  a");
}

TEST(Cp949, ReplaceAllIsLeftToRightAndBoundaryAware)
{
    EXPECT_EQ(cp949::ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(cp949::ReplaceAll("a\nb\n", "\n", "<br>"), "a<br>b<br>");
    EXPECT_EQ(cp949::ReplaceAll(kTrailA + "A", "A", "a"), kTrailA + "a");
    EXPECT_EQ(cp949::ReplaceAll("abc", "", "x"), "abc");
}

TEST(Cp949, CutToFitStopsAtACharacterBoundary)
{
    const std::string text = "ab" + kHan + kHan; // 6 bytes
    EXPECT_EQ(cp949::CutToFit(text, 6), text);
    EXPECT_EQ(cp949::CutToFit(text, 5), "ab" + kHan);
    EXPECT_EQ(cp949::CutToFit(text, 3), "ab");
    EXPECT_EQ(cp949::CutToFit(text, 0), "");
}

TEST(Cp949, ConvertsToAndFromUtf8)
{
    const std::string hangul = "\xED\x95\x9C\xEA\xB8\x80"; // "hangul" in UTF-8
    const std::string hangulCp949 = "\xC7\xD1\xB1\xDB";
    EXPECT_EQ(cp949::FromUtf8(hangul), hangulCp949);
    EXPECT_EQ(cp949::ToUtf8(hangulCp949), hangul);
    EXPECT_EQ(cp949::ToUtf8(kTrailA), "\xEA\xB0\x82"); // U+AC02, an extended Hangul syllable

    const std::string smile = "\xF0\x9F\x98\x80"; // U+1F600, not in CP949
    EXPECT_EQ(cp949::FromUtf8("a" + smile + "b"), "a?b");
    EXPECT_FALSE(cp949::FromUtf8Strict("a" + smile + "b"));
    EXPECT_EQ(cp949::FromUtf8Strict("plain"), "plain");
    EXPECT_EQ(cp949::ToUtf8("a\xFF" "b"), "a?b");
    EXPECT_EQ(cp949::FromUtf8("a\xC3"), "a?"); // truncated UTF-8
}

} // namespace
