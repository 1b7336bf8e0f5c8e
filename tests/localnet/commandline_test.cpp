#include "tools/velkan-localnet/commandline.h"
#include "tests/localnet/cp949text.h"
#include "tools/velkan-localnet/network.h"

#include <gtest/gtest.h>

#include <regex>

using namespace velkan::localnet;
using velkan::localnet::test::Cp949;

namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, ReadsEveryOption)
{
    const Args args = {"--port", "0", "--peers", "200", "--seed", "77", "--share", "음악=/tmp/a",
                       "--share", "bob=/x=y", "--hostile", "slow=3", "--hostile-first", "--hostile", "refuse=1"};
    const auto parsed = ParseCommandLine(args);
    ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed)) << std::get<std::string>(parsed);
    const CommandLine& line = std::get<CommandLine>(parsed);
    EXPECT_EQ(line.port, 0);
    EXPECT_EQ(line.peers, 200U);
    EXPECT_EQ(line.seed, 77U);
    ASSERT_EQ(line.shares.size(), 2U);
    EXPECT_EQ(line.shares[0].nick, Cp949("음악"));
    EXPECT_EQ(line.shares[0].directory, "/tmp/a");
    EXPECT_EQ(line.shares[1].nick, "bob");
    EXPECT_EQ(line.shares[1].directory, "/x=y");
    const std::vector<std::pair<PeerBehaviour, std::size_t>> hostile = {
        {PeerBehaviour::Slow, 3}, {PeerBehaviour::Refuse, 1}};
    EXPECT_EQ(line.hostile, hostile);
    EXPECT_TRUE(line.hostileFirst);

    const auto defaults = ParseCommandLine(Args{});
    ASSERT_TRUE(std::holds_alternative<CommandLine>(defaults));
    EXPECT_EQ(std::get<CommandLine>(defaults).port, 8081);
    EXPECT_FALSE(std::get<CommandLine>(defaults).hostileFirst);
}

TEST(CommandLineTest, RejectsWhatItCannotUse)
{
    const std::vector<Args> cases = {
        {"--bogus"},
        {"--port"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port", "80x"},
        {"--peers", "many"},
        {"--peers", "20001"},
        {"--seed", ""},
        {"--share", "nodirectory"},
        {"--share", "=dir"},
        {"--share", "nick="},
        {"--share", "a,b=dir"},
        {"--share", "a|b=dir"},
        {"--share", "sixteen-bytes-xx=dir"},
        {"--share", "한글한글한글한글=dir"}, // 16 bytes in CP949
        {"--share", "😀=dir"},
        {"--hostile", "normal=1"},
        {"--hostile", "weird=1"},
        {"--hostile", "slow"},
        {"--hostile", "slow=x"},
        {"peers"},
    };
    for (const Args& args : cases) {
        const auto parsed = ParseCommandLine(args);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << args[0] << " " << args.back();
        EXPECT_FALSE(std::get<std::string>(parsed).empty());
    }
}

TEST(CommandLineTest, PopulatesOneListenerLinePerPeer)
{
    CommandLine commandLine;
    commandLine.port = 0;
    commandLine.peers = 4;
    commandLine.hostile = {{PeerBehaviour::Silent, 2}, {PeerBehaviour::Reset, 1}};
    Network network;
    const std::vector<std::string> lines = PopulateNetwork(network, commandLine);
    ASSERT_EQ(lines.size(), 1U + 4 + 2 + 1);
    // The generated peers keep their shares when the hostile ones are listed first.
    commandLine.hostileFirst = true;
    Network hostileFirst;
    const std::vector<std::string> reordered = PopulateNetwork(hostileFirst, commandLine);
    ASSERT_EQ(reordered.size(), lines.size());
    EXPECT_NE(reordered[1].find("silent001"), std::string::npos);
    EXPECT_NE(reordered[3].find("reset001"), std::string::npos);
    EXPECT_EQ(reordered[4].substr(0, reordered[4].find(' ', 5)), lines[1].substr(0, lines[1].find(' ', 5)));
    EXPECT_TRUE(hostileFirst.GeneratedServerList().starts_with("silent001,"));
    EXPECT_EQ(lines[0], "appserver 127.0.0.1:" + std::to_string(network.AppServerPort()));
    const std::regex peer(R"(peer (\S+) 127\.0\.0\.1:(\d+) (\w+))");
    std::vector<std::string> kinds;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, peer)) << lines[i];
        kinds.push_back(match[3]);
        // The printed nickname is UTF-8; the list carries it in CP949.
        EXPECT_NE(network.GeneratedServerList().find(Cp949(match[1].str()) + ",127.0.0.1," +
                                                     match[2].str() + ","),
                  std::string::npos)
            << lines[i];
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"normal", "normal", "normal", "normal", "silent",
                                               "silent", "reset"}));
    EXPECT_NE(lines[5].find("silent001"), std::string::npos);
    EXPECT_NE(lines[6].find("silent002"), std::string::npos);
    EXPECT_NE(lines[7].find("reset001"), std::string::npos);
}

} // namespace
