#include "search/banwords.h"
#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "search/startupconfig.h"

#include <gtest/gtest.h>

#include <random>

using namespace velkan;

namespace {

// The check the plain way, a fresh copy for every step.
bool ReferenceIsBanned(std::string_view text, const std::vector<std::string>& words,
                       const std::vector<std::string>& stripList)
{
    if (words.empty()) {
        return false;
    }
    std::string normalised = cp949::ReplaceAll(cp949::ToLowerAscii(text), " ", "");
    for (const std::string& strip : stripList) {
        normalised = cp949::ReplaceAll(normalised, strip, "");
    }
    for (const std::string& word : words) {
        const std::size_t caret = cp949::FindByte(word, '^');
        const bool found = caret == cp949::npos
                               ? cp949::Contains(normalised, word)
                               : cp949::Contains(normalised, std::string_view(word).substr(0, caret)) &&
                                     cp949::Contains(normalised, std::string_view(word).substr(caret + 1));
        if (found) {
            return true;
        }
    }
    return false;
}

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

TEST(IsBanned, SameAsCopyingEachStep)
{
    const std::vector<std::string> defaultStrip = search::ParseStripList("");
    // Second bytes equal to "A", "a", "\\", " ", "^", "." and "_"; a lone lead byte at the end.
    const std::string texts[] = {
        "\x81\x41\x81\x61", "\x81\x5C\x81\x20x", "a\x81^b", "\x81.\x81_", "X\x81",
        "AB.C D_E", "ab\x81.c", "a.b.c", "aab b", cp949::FromUtf8("로리 타.avi"),
        cp949::FromUtf8("포르노Ⅱ영상"), cp949::FromUtf8("강Ⅱ간"), cp949::FromUtf8("ⅱ") + "x",
        "\xFE\x81\x81\x41", "", "   ", "x abz", "QRz", "\xE1\xE2z",
    };
    // More distinct bytes than the quick look has bits for.
    std::vector<std::string> manyBytes;
    for (int byte = 0x21; byte < 0xF0; byte += 2) {
        manyBytes.push_back({static_cast<char>(byte), static_cast<char>(byte + 1), 'z'});
    }
    const std::vector<std::vector<std::string>> wordLists = {
        manyBytes,
        {"a"}, {"A"}, {"ab"}, {"abc"}, {"\x81\x41"}, {"\x81\x61"}, {"\x41"}, {"\\"}, {"^"},
        {"a^b"}, {"\x81^b"}, {"b^"}, {""}, {cp949::FromUtf8("로리타")}, {cp949::FromUtf8("포르노영상")},
        {cp949::FromUtf8("강간")}, {"x", "de"}, {"x\x81"}, {" "}, {"."},
    };
    const std::vector<std::vector<std::string>> stripLists = {
        {}, defaultStrip, {".", "ab"}, {"\x81"}, {"\x41"}, {"aa", "b", "ab"}, {"", " "},
    };
    for (const std::string& text : texts) {
        for (const auto& words : wordLists) {
            for (const auto& strip : stripLists) {
                EXPECT_EQ(search::IsBanned(text, words, strip), ReferenceIsBanned(text, words, strip))
                    << "text " << text << " word " << words[0] << " strips " << strip.size();
            }
        }
    }

    // Made-up texts from the bytes that matter.
    const std::string pieces[] = {"a", "A", "b", "B", "c", ".", "_", " ", "^", "\\", "\x81", "\xB0",
                                  "\xA5", "\xFE", "\x80", "\xFF", "z"};
    std::mt19937 random(9);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 12); i > 0; --i) {
            text += pieces[random() % std::size(pieces)];
        }
        const auto& words = wordLists[random() % wordLists.size()];
        const auto& strip = stripLists[random() % stripLists.size()];
        ASSERT_EQ(search::IsBanned(text, words, strip), ReferenceIsBanned(text, words, strip))
            << "text " << text << " word " << words[0] << " strips " << strip.size();
    }
}

} // namespace
