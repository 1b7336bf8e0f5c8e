#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "channel/peerprotocol.h"
#include "tools/velkan-localnet/sharegenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

using namespace velkan::localnet;
namespace cp949 = velkan::cp949;

namespace {

TEST(ShareGenerator, TheSameSeedAndIndexGiveTheSamePeer)
{
    for (std::size_t peer : {0U, 1U, 17U, 1999U}) {
        EXPECT_EQ(GenerateShare(42, peer), GenerateShare(42, peer));
        EXPECT_EQ(GenerateNick(42, peer), GenerateNick(42, peer));
        EXPECT_EQ(GenerateSpeed(42, peer), GenerateSpeed(42, peer));
        EXPECT_EQ(GenerateInfoFigures(42, peer).download2, GenerateInfoFigures(42, peer).download2);
        EXPECT_NE(GenerateShare(42, peer), GenerateShare(43, peer));
        EXPECT_NE(GenerateShare(42, peer), GenerateShare(42, peer + 1));
    }
}

TEST(ShareGenerator, SharesHoldEverythingASearchMustCope)
{
    // Looked at over many peers, since one small share need not hold every kind of item.
    std::set<std::string> seen;
    const std::regex date(R"(\d{4}-\d\d-\d\d \d\d:\d\d)");
    for (std::size_t peer = 0; peer < 50; ++peer) {
        for (const SharedFile& file : GenerateShare(1, peer)) {
            SCOPED_TRACE(cp949::ToUtf8(file.path));
            ASSERT_TRUE(cp949::ToUtf8Strict(file.path)) << "not CP949";
            ASSERT_LE(file.path.size(), velkan::channel::FoundItem::kMaxPath);
            ASSERT_EQ(cp949::Trim(file.path), file.path);
            ASSERT_TRUE(std::regex_match(file.date, date)) << file.date;
            ASSERT_GE(file.size, 0);
            const std::string_view path = file.path;
            if (std::any_of(path.begin(), path.end(), [](char c) { return cp949::IsLeadByte(c); })) {
                seen.insert("korean");
            }
            if (std::count(path.begin(), path.end(), '\\') >= 3) {
                seen.insert("nested");
            }
            for (std::string special : {"<", ">", "|", "&"}) {
                if (cp949::Contains(path, special)) {
                    seen.insert(special);
                }
            }
            for (std::string extension : {".mp3", ".MP3", ".avi", ".jpg", ".txt", ".zip", ".hwp"}) {
                if (path.ends_with(extension)) {
                    seen.insert(extension);
                }
            }
            if ((file.flags & kItemAdult) != 0) {
                seen.insert("adult");
            }
            if ((file.flags & kItemSpecial) != 0) {
                seen.insert("special");
            }
            if ((file.flags & kItemExempt) != 0) {
                seen.insert("exempt");
            }
            if (file.size < 100) {
                seen.insert("tiny");
            }
            if (file.size > (std::int64_t{4} << 30)) {
                seen.insert("over 4 GB");
            }
            if (file.extra < 0) {
                seen.insert("negative extra");
            }
        }
    }
    for (const char* kind : {"korean", "nested", "<", ">", "|", "&", ".mp3", ".MP3", ".avi",
                             ".jpg", ".txt", ".zip", ".hwp", "adult", "special", "exempt", "tiny",
                             "over 4 GB", "negative extra"}) {
        EXPECT_TRUE(seen.contains(kind)) << kind;
    }
}

TEST(ShareGenerator, NicknamesAreUniqueShortAndSafeInAList)
{
    std::set<std::string> nicks;
    bool plain = false;
    bool korean = false;
    bool mixed = false;
    for (std::size_t peer = 0; peer < 2000; ++peer) {
        const std::string nick = GenerateNick(7, peer);
        SCOPED_TRACE(cp949::ToUtf8(nick));
        ASSERT_TRUE(cp949::ToUtf8Strict(nick));
        ASSERT_LE(nick.size(), 15U);
        ASSERT_EQ(nick.find_first_of(",|"), std::string::npos);
        ASSERT_TRUE(nicks.insert(nick).second) << "duplicate";
        plain = plain || nick.starts_with("peer");
        korean = korean || cp949::IsLeadByte(nick[0]);
        mixed = mixed || (!cp949::IsLeadByte(nick[0]) && cp949::IsLeadByte(nick[3]));
    }
    EXPECT_TRUE(korean);
    EXPECT_TRUE(mixed);
    EXPECT_TRUE(plain);
}

} // namespace
