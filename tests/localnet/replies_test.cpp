#include "channel/appserverprotocol.h"
#include "tests/localnet/cp949text.h"
#include "channel/peerprotocol.h"
#include "tools/velkan-localnet/replies.h"
#include "tests/localnet/sharedfiles.h"
#include "tools/velkan-localnet/sharegenerator.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace velkan::localnet;
using velkan::channel::ServerEntry;

namespace {

TEST(Replies, EscapesTheReplySeparatorsInPaths)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\a<b>c|d&e.txt", "C:\\a&lt;b&gt;c&0x7c;d&e.txt"},
        {"<<||>>", "&lt;&lt;&0x7c;&0x7c;&gt;&gt;"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& [path, escaped] : cases) {
        EXPECT_EQ(EscapePath(path), escaped);
        EXPECT_EQ(velkan::channel::UnescapePath(escaped), path);
    }
}

TEST(Replies, FormatsAnItemWithItsFiveFields)
{
    const SharedFile file{"C:\\a|b.mp3", "2004-01-02 10:11", 5000000000, 0x90, -7};
    EXPECT_EQ(FormatFoundItem(file), "C:\\a&0x7c;b.mp3|2004-01-02 10:11|5000000000|144|-7");
}

TEST(Replies, GeneratedSharesComeBackWhole)
{
    // Every path holds a backslash, so "\" matches the whole share; the client's parser must
    // then give back exactly what the share holds, escapes and large sizes included.
    for (std::uint64_t seed : {1ULL, 2ULL, 99ULL}) {
        for (std::size_t peer = 0; peer < 20; ++peer) {
            const std::vector<SharedFile> share = GenerateShare(seed, peer);
            const auto parsed = velkan::channel::ParseFindReply(FindReply(share, "\\"));
            ASSERT_TRUE(parsed);
            EXPECT_EQ(test::AsShare(*parsed), share) << "seed " << seed << " peer " << peer;
        }
    }
}

TEST(Replies, AnEmptyResultIsTheBareWord)
{
    const std::vector<SharedFile> share = GenerateShare(1, 0);
    for (const std::string search : {"", "^", "no-such-word-anywhere"}) {
        EXPECT_EQ(FindReply(share, search), "find");
    }
}

TEST(Replies, InformationCarriesTheShareTotalsUnlessGiven)
{
    const std::vector<SharedFile> share = GenerateShare(5, 5);
    const std::int64_t total = std::accumulate(
        share.begin(), share.end(), std::int64_t{0},
        [](std::int64_t sum, const SharedFile& file) { return sum + file.size; });

    InfoFigures figures{"1", "2", "3", "4", std::nullopt, std::nullopt};
    auto info = velkan::channel::ParseServerInfoReply(InfoReply(figures, share));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->download, "1/2");
    EXPECT_EQ(info->upload, "3/4");
    EXPECT_EQ(info->fileCount, static_cast<double>(share.size()));
    EXPECT_EQ(info->totalSize, total);

    figures.fileCount = 12345;
    figures.totalBytes = 9876543210;
    info = velkan::channel::ParseServerInfoReply(InfoReply(figures, share));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fileCount, 12345.0);
    EXPECT_EQ(info->totalSize, 9876543210);
}

TEST(Replies, ServerListsParseBackWithTheirHiddenEntriesLeftOut)
{
    const std::vector<ServerEntry> entries = {
        {test::Cp949("하늘001"), "127.0.0.1", 4000, 512, 0},
        {"hidden", "127.0.0.1", 4001, 0, velkan::channel::kServerHidden},
        {"optional", "127.0.0.1", 4002, 56, velkan::channel::kServerHiddenByOption},
        {"last", "127.0.0.1", 65535, 10000, 0},
    };
    const std::string line = ServerListLine(entries);
    const auto key = [](const std::vector<ServerEntry>& list) {
        std::vector<std::pair<std::string, std::int32_t>> keys;
        for (const ServerEntry& entry : list) {
            keys.emplace_back(entry.nick, entry.port);
        }
        return keys;
    };
    const auto all = velkan::channel::ParseServerList(line, 0);
    EXPECT_EQ(key(all), key({entries[0], entries[2], entries[3]}));
    EXPECT_EQ(all.front().speed, 512);
    EXPECT_EQ(all.front().host, "127.0.0.1");
    EXPECT_EQ(key(velkan::channel::ParseServerList(line, velkan::channel::kOptionHideFlaggedServers)),
              key({entries[0], entries[3]}));
}

} // namespace
