#include "tests/localnet/cp949text.h"
#include "tools/velkan-localnet/sharedirectory.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace velkan::localnet;
using velkan::localnet::test::Cp949;
namespace fs = std::filesystem;

namespace {

class ShareDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "localnet-share-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
    }
    void TearDown() override { fs::remove_all(m_root); }

    void Write(const fs::path& relative, std::size_t bytes)
    {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative, std::ios::binary) << std::string(bytes, 'z');
    }

    fs::path m_root;
};

TEST_F(ShareDirectoryTest, ListsFilesWithBackslashPathsInCp949)
{
    Write("a.txt", 5);
    Write("sub/노래.mp3", 3);
    Write("sub/deeper/empty.bin", 0);
    Write("😀.txt", 1);        // CP949 has no emoji: left out
    Write("😀dir/inside.txt", 1); // so is everything under such a folder
    fs::create_directories(m_root / "empty-folder");

    const std::vector<SharedFile> share = ShareDirectory(m_root, "C:\\share");
    std::vector<std::pair<std::string, std::int64_t>> listed;
    for (const SharedFile& file : share) {
        listed.emplace_back(file.path, file.size);
    }
    const std::vector<std::pair<std::string, std::int64_t>> expected = {
        {"C:\\share\\a.txt", 5},
        {"C:\\share\\sub\\deeper\\empty.bin", 0},
        {Cp949("C:\\share\\sub\\노래.mp3"), 3},
    };
    EXPECT_EQ(listed, expected);
}

TEST_F(ShareDirectoryTest, DatesAreLocalModificationTimes)
{
    Write("dated.txt", 1);
    std::tm local{};
    local.tm_year = 2004 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 10;
    local.tm_min = 11;
    local.tm_sec = 30;
    local.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_root / "dated.txt").c_str(), times, 0), 0);

    const std::vector<SharedFile> share = ShareDirectory(m_root, "D:");
    ASSERT_EQ(share.size(), 1U);
    EXPECT_EQ(share[0].path, "D:\\dated.txt");
    EXPECT_EQ(share[0].date, "2004-01-02 10:11");
}

TEST_F(ShareDirectoryTest, StopsAtTheFileLimitAndFailsOnAMissingFolder)
{
    for (int i = 0; i < 5; ++i) {
        Write("f" + std::to_string(i), 1);
    }
    EXPECT_EQ(ShareDirectory(m_root, "C:", 3).size(), 3U);
    EXPECT_EQ(ShareDirectory(m_root, "C:").size(), 5U);
    EXPECT_THROW(ShareDirectory(m_root / "missing", "C:"), fs::filesystem_error);
}

} // namespace
