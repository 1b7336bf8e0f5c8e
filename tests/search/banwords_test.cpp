#include "banwords.h"
#include "cp949convert.h"
#include "startupconfig.h"

#include <gtest/gtest.h>

using namespace velkan;

namespace {

TEST(IsBanned, NormalisesTheTextButNotTheWords)
{
    const std::vector<std::string> defaultStrip = search::ParseStripList("");
    const std::string trailA = "\x81\x41"; // one character whose second byte is "A"
    struct Case {
        std::string text;
        std::vector<std::string> words;
        std::vector<std::string> strip;
        bool banned;
    };
    const Case cases[] = {
        {"a.mp3", {"mp3"}, {}, true},
        {"A.MP3", {"mp3"}, {}, true},
        {"a.mp3", {"MP3"}, {}, false},                  // words are not lower-cased
        {"xyz_abc.avi", {"abc^xyz"}, {}, true},         // both parts, either order
        {"ab_c xyz.avi", {"abc^xyz"}, {}, false},
        {"ab_c xyz.avi", {"abc^xyz"}, {"_"}, true},     // spaces and strip strings go first
        {"ab.c", {"abc"}, defaultStrip, true},
        {"abc", {"abc^"}, {}, true},                    // an empty part is everywhere
        {"anything", {""}, {}, true},
        {"anything", {}, {}, false},
        {trailA + "B", {"ab"}, {}, false},              // "A" here is half a character
        {trailA + "B", {trailA + "b"}, {}, true},       // lower-cased around it, kept whole
        {cp949::FromUtf8("로리타 영상"), {cp949::FromUtf8("로리타")}, {}, true},
        {cp949::FromUtf8("로리 타"), {cp949::FromUtf8("로리타")}, {}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(search::IsBanned(c.text, c.words, c.strip), c.banned) << c.text;
    }
}

} // namespace
