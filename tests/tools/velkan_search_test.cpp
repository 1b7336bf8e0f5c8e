#include "blowfish.h"
#include "network.h"
#include "protectedtext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace velkan;

namespace {

struct SearchRun {
    int status = -1;
    std::vector<std::string> lines;
};

// Runs the built headless host with its own registry file and collects what it prints.
SearchRun RunSearch(const std::string& arguments, const std::filesystem::path& registry)
{
    const std::string command = "VELKAN_REGISTRY='" + registry.string() + "' VELKAN_MODULE='" VELKAN_MODULE_PATH
                                "' '" VELKAN_SEARCH_BINARY "' " + arguments + " 2>/dev/null";
    SearchRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[8192];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        run.lines.push_back(line);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Param(std::string_view userId)
{
    channel::BlowFish cipher;
    EXPECT_TRUE(cipher.Initialize("3vindermok"));
    return channel::EncryptToBase64(cipher, "x|" + std::string(userId) + "|c|d|e|A|0|0");
}

class VelkanSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_registry = std::filesystem::temp_directory_path() /
                     ("velkan-search-test-" + std::to_string(::getpid()) + "/registry.reg");
        m_kimPort = m_network.AddPeer({.nick = "kim",
                           .speed = 150,
                           .files = {{.path = "C:\\music\\song.mp3", .date = "2004-01-02 10:11", .size = 3072}},
                           .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5",
                                    .fileCount = 1234, .totalBytes = 5368709120}});
        m_network.Start();
        m_appServer = "127.0.0.1:" + std::to_string(m_network.AppServerPort());
    }
    void TearDown() override
    {
        m_network.Stop();
        std::filesystem::remove_all(m_registry.parent_path());
    }

    localnet::Network m_network;
    std::uint16_t m_kimPort = 0;
    std::filesystem::path m_registry;
    std::string m_appServer;
};

TEST_F(VelkanSearchTest, PrintsRowsTotalsAndEvents)
{
    const SearchRun run = RunSearch("--json --search song --param " + Param("velkan") + " --app-server " + m_appServer +
                                  " --connect 1 --server-info 0",
                              m_registry);
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> expected = {
        R"({"row": 0, "nick": "kim", "name": "C:\\music", "size": "[폴더]", "date": "", "speed": 3, "image": 1})",
        R"({"row": 1, "nick": "kim", "name": "song.mp3", "size": "3KB", "date": "2004-01-02", "speed": 3, "image": 8})",
        R"({"found": "2 개", "progress": "100%\n"})",
        R"({"event": "Connect", "nick": "kim", "folder": "QzpcbXVzaWM"})",
        R"({"download": "3/10", "upload": "0/5", "count": "1,234", "size": "5GB"})",
    };
    EXPECT_EQ(run.lines, expected);
    // The first run registered the module in the test's own registry.
    EXPECT_TRUE(std::filesystem::exists(m_registry));
}

TEST_F(VelkanSearchTest, MissingRowAndBadUsage)
{
    const SearchRun missing = RunSearch("--json --search song --app-server " + m_appServer + " --connect 9", m_registry);
    ASSERT_EQ(missing.status, 0);
    ASSERT_FALSE(missing.lines.empty());
    EXPECT_EQ(missing.lines.back(), R"({"message": "파일을 선택하세요"})");

    EXPECT_EQ(RunSearch("--json", m_registry).status, 2);
    EXPECT_EQ(RunSearch("--search x --timeout zero", m_registry).status, 2);
}

TEST_F(VelkanSearchTest, PictureSidesAreBounded)
{
    struct Case {
        const char* size;
        int status;
    };
    for (const Case& test : {Case{"8193x100", 2}, Case{"100x8193", 2}, Case{"4294967297x1", 2}, Case{"8192x8", 0}}) {
        SCOPED_TRACE(test.size);
        EXPECT_EQ(RunSearch("--search song --app-server " + m_appServer + " --size " + test.size, m_registry).status,
                  test.status);
    }
}

// An empty search is a search like any other: the peers are asked for the empty text.
TEST_F(VelkanSearchTest, AnEmptySearchTextIsSearchedFor)
{
    const SearchRun run =
        RunSearch("--json --search '' --timeout 30 --param " + Param("velkan") + " --app-server " + m_appServer, m_registry);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.lines, (std::vector<std::string>{R"({"found": "0 개", "progress": "100%\n"})"}));
    const auto requests = m_network.PeerCounters(m_kimPort).requests;
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_TRUE(requests[0].starts_with("/find ") && requests[0].ends_with("||velkan")) << requests[0];
}

TEST_F(VelkanSearchTest, ServerInformationEndsWhenTheServerClosesWithoutAnAnswer)
{
    // The first "kim" of the list, the one the information is asked of, answers nothing useful
    // and closes; the second holds the rows.
    const std::uint16_t closing = m_network.AddPeer({.nick = "kim", .behaviour = localnet::PeerBehaviour::Garbage});
    m_network.ServeScript({.pieces = {"kim,127.0.0.1," + std::to_string(closing) + ",10|kim,127.0.0.1," +
                                      std::to_string(m_kimPort) + ",150\r\n"}});
    const SearchRun run = RunSearch("--json --search song --timeout 30 --server-info 0 --param " + Param("velkan") +
                                        " --app-server " + m_appServer,
                                    m_registry);
    ASSERT_EQ(run.status, 0);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), R"({"message": "no answer from that row's server"})");
    EXPECT_EQ(m_network.PeerCounters(closing).requests.back(), "/sinf ");
}

TEST_F(VelkanSearchTest, SilentApplicationServerTimesOut)
{
    m_network.ServeSilence();
    const SearchRun run = RunSearch("--search song --timeout 1 --app-server " + m_appServer, m_registry);
    EXPECT_EQ(run.status, 4);
}

} // namespace
