#include "search/extensionkey.h"
#include "search/resulttexts.h"

#include <gtest/gtest.h>

using namespace velkan::search;

namespace {

TEST(ResultTexts, Sizes)
{
    const std::tuple<std::int64_t, const char*, const char*> cases[] = {
        {0, "0B", "0B"},
        {10, "10B", "10B"},
        {1023, "1,023B", "1,023B"},
        {-5000, "-5,000B", "-5,000B"},
        {1024, "1KB", "1KB"},
        {2048, "2KB", "2KB"},
        {1048575, "1,023KB", "1,023KB"},
        {1048576, "1,024KB", "1MB"},
        {1073741823, "1,048,575KB", "1,023MB"},
        {1073741824, "1,048,576KB", "1GB"},
        {5368709120, "5,242,880KB", "5GB"},
    };
    for (const auto& [bytes, list, info] : cases) {
        EXPECT_EQ(SizeText(bytes), list) << bytes;
        EXPECT_EQ(InfoSizeText(bytes), info) << bytes;
    }
}

TEST(ResultTexts, FolderAndFileName)
{
    const std::string trailBackslash = "\x81\x5C"; // a character whose second byte is "\"
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"C:\\a\\x.txt", "C:\\a", "x.txt"},
        {"x.txt", "", "x.txt"},
        {"\\x.txt", "", "x.txt"},
        {"C:\\a\\", "C:\\a", ""},
        {"C:\\" + trailBackslash + ".txt", "C:", trailBackslash + ".txt"},
    };
    for (const auto& [path, folder, name] : cases) {
        EXPECT_EQ(FolderOf(path), folder) << path;
        EXPECT_EQ(FileNameOf(path), name) << path;
    }
}

TEST(ResultTexts, DateColumnShowsTenCharacters)
{
    EXPECT_EQ(DateColumnText("2004-01-02 10:11"), "2004-01-02");
    EXPECT_EQ(DateColumnText("2004-1-2"), "2004-1-2");
}

TEST(ResultTexts, SpeedLevels)
{
    const std::pair<int, int> cases[] = {{-5, 1}, {0, 1}, {41, 1}, {42, 2}, {101, 2}, {102, 3},
                                         {151, 3}, {152, 4}, {201, 4}, {202, 5}, {100000, 5}};
    for (const auto& [speed, level] : cases) {
        EXPECT_EQ(SpeedLevel(speed), level) << speed;
    }
}

TEST(ExtensionKey, FromTheLastDotOfTheWholeName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"song.mp3", ".mp3"},          {"song.MP3", ".MP3"},
        {"archive.tar.gz", ".gz"},     {"noext", ""},
        {".profile", ""},              {"C:\\old.files\\readme", ".files\\readme"},
        {"trailing.", "."},
    };
    for (const auto& [name, key] : cases) {
        EXPECT_EQ(ExtensionKey(name), key) << name;
    }
}

} // namespace
