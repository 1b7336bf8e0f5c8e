#include "tests/localnet/cp949text.h"
#include "tools/velkan-localnet/searchmatch.h"

#include <gtest/gtest.h>

using namespace velkan::localnet;
using velkan::localnet::test::Cp949;

namespace {

struct Case {
    std::string search;
    std::string path;
    bool matches;
};

TEST(SearchMatcher, EveryWordMustOccurIgnoringAsciiCase)
{
    const std::string song = "C:\\Music\\Love Song.MP3";
    const std::vector<Case> cases = {
        {"love", song, true},
        {"LOVE", song, true},
        {"mp3", song, true},
        {"love song", song, true},
        {"song love", song, true},
        {"love^song", song, true},
        {"^^love  ^ song^", song, true},
        {"love jazz", song, false},
        {"lovesong", song, false},
        {"c:\\music", song, true},
        {"", song, false},
        {"   ", song, false},
        {"^^^", song, false},
        {Cp949("사랑"), Cp949("D:\\문서\\사랑 노래.hwp"), true},
        {Cp949("사랑 HWP"), Cp949("D:\\문서\\사랑 노래.hwp"), true},
        {Cp949("사랑 바다"), Cp949("D:\\문서\\사랑 노래.hwp"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.search + " in " + c.path);
        EXPECT_EQ(SearchMatcher(c.search).Matches(c.path), c.matches);
    }
}

TEST(SearchMatcher, NeverMatchesInsideADoubleByteCharacter)
{
    // "갵" is 0x81 0x61: its second byte is the byte of "a". "갂" is 0x81 0x41, an "A" that
    // lower-casing must leave alone. "가나" is B0 A1 B3 AA: "A1 B3" straddles the two.
    ASSERT_EQ(Cp949("갵"), "\x81\x61");
    ASSERT_EQ(Cp949("갂"), "\x81\x41");
    const std::vector<Case> cases = {
        {"a", Cp949("C:\\갵\\x.txt"), false},
        {"a", Cp949("C:\\갵\\a.txt"), true},
        {"a", Cp949("C:\\갂.txt"), false},
        {"A", Cp949("C:\\갂.txt"), false},
        {"\xA1\xB3", Cp949("C:\\가나.txt"), false},
        {Cp949("갵"), Cp949("C:\\갵\\x.txt"), true},
        {Cp949("나"), Cp949("C:\\가나.txt"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.search + " in " + c.path);
        EXPECT_EQ(SearchMatcher(c.search).Matches(c.path), c.matches);
    }
}

TEST(SearchMatcher, CutsWordsAtSpacesAndCaretsOutsideCharacters)
{
    struct WordsCase {
        std::string search;
        std::vector<std::string> words;
    };
    const std::vector<WordsCase> cases = {
        {"Love^SONG", {"love", "song"}},
        {" a  b ", {"a", "b"}},
        {"^", {}},
        {"", {}},
        // 0x81 followed by "^" is one character, so no cut there; the "A" after it is a
        // first byte again and is lower-cased.
        {"\x81^A^b", {"\x81^a", "b"}},
    };
    for (const WordsCase& c : cases) {
        SCOPED_TRACE(c.search);
        EXPECT_EQ(SearchMatcher(c.search).Words(), c.words);
    }
}

} // namespace
