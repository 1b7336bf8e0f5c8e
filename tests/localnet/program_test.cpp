#include "channel/appserverprotocol.h"
#include "channel/cp949convert.h"
#include "tests/localnet/cp949text.h"
#include "channel/peerprotocol.h"
#include "tests/localnet/sharedfiles.h"
#include "tools/velkan-localnet/sharegenerator.h"
#include "tools/velkan-localnet/socketutil.h"
#include "tests/localnet/testclient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <regex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace velkan::localnet;
using namespace velkan::localnet::test;

namespace {

using Clock = std::chrono::steady_clock;
using Args = std::vector<std::string>;

// The program run as a subprocess, its output read through pipes with every wait bounded.
class Program {
public:
    // fileLimit, when given, becomes the child's soft and hard limit of open files.
    explicit Program(const Args& args, std::optional<rlim_t> fileLimit = std::nullopt)
    {
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe2");
        }
        std::string binary = VELKAN_LOCALNET_BINARY;
        std::vector<std::string> copies = args;
        std::vector<char*> argv;
        argv.push_back(binary.data());
        for (std::string& arg : copies) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const rlimit limit{fileLimit.value_or(0), fileLimit.value_or(0)};
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            if (fileLimit) {
                ::setrlimit(RLIMIT_NOFILE, &limit);
            }
            ::execve(binary.c_str(), argv.data(), environ);
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        m_out = FileDescriptor(out[0]);
        m_err = FileDescriptor(err[0]);
        if (m_pid < 0) {
            throw std::runtime_error("fork");
        }
    }

    ~Program()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Up to count lines of standard output; fewer when the program ends or the time is up.
    std::vector<std::string> OutLines(std::size_t count) { return Lines(m_out, m_outText, count); }
    std::vector<std::string> ErrLines(std::size_t count) { return Lines(m_err, m_errText, count); }

    void Signal(int signal) { ::kill(m_pid, signal); }

    // The exit status once the program has ended (its output is read to the end first), or
    // -1 when it does not end in time.
    int Wait()
    {
        OutLines(SIZE_MAX);
        ErrLines(SIZE_MAX);
        if (m_out.Valid() || m_err.Valid()) {
            return -1; // still running when the time was up
        }
        int status = 0;
        if (::waitpid(m_pid, &status, 0) != m_pid) {
            return -1;
        }
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    [[nodiscard]] const std::string& AllErr() const { return m_errAll; }
    [[nodiscard]] const std::string& AllOut() const { return m_outAll; }

private:
    std::vector<std::string> Lines(FileDescriptor& fd, std::string& pending, std::size_t count)
    {
        const auto deadline = Clock::now() + kLimit;
        std::vector<std::string> lines;
        for (;;) {
            std::size_t end = 0;
            while (lines.size() < count && (end = pending.find('\n')) != std::string::npos) {
                lines.push_back(pending.substr(0, end));
                pending.erase(0, end + 1);
            }
            if (lines.size() >= count || !fd.Valid()) {
                return lines;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd polled{fd.Get(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&polled, 1, static_cast<int>(left.count())) <= 0) {
                return lines;
            }
            char buffer[65536];
            const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
            if (got <= 0) {
                fd.Close();
                continue;
            }
            pending.append(buffer, static_cast<std::size_t>(got));
            (&fd == &m_out ? m_outAll : m_errAll).append(buffer, static_cast<std::size_t>(got));
        }
    }

    pid_t m_pid = -1;
    FileDescriptor m_out;
    FileDescriptor m_err;
    std::string m_outText;
    std::string m_errText;
    std::string m_outAll;
    std::string m_errAll;
};

struct Listed {
    std::string nick; // UTF-8
    std::string kind;
};

// The application server's port and the peers by port, from the program's listener lines.
std::uint16_t ReadListeners(const std::vector<std::string>& lines, std::map<int, Listed>& peers)
{
    const std::regex app(R"(appserver 127\.0\.0\.1:(\d+))");
    const std::regex peer(R"(peer (\S+) 127\.0\.0\.1:(\d+) (\w+))");
    std::smatch match;
    if (lines.empty() || !std::regex_match(lines[0], match, app)) {
        ADD_FAILURE() << "no application server line";
        return 0;
    }
    const auto appPort = static_cast<std::uint16_t>(std::stoi(match[1]));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!std::regex_match(lines[i], match, peer)) {
            ADD_FAILURE() << lines[i];
            continue;
        }
        peers[std::stoi(match[2])] = {match[1], match[3]};
    }
    return appPort;
}

class ProgramPeers : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ProgramPeers, StartsItsPeersAnswersAndEndsOnSigterm)
{
    const std::size_t count = GetParam();
    Program program({"--port", "0", "--peers", std::to_string(count), "--seed", "3"});
    const std::vector<std::string> lines = program.OutLines(count + 1);
    ASSERT_EQ(lines.size(), count + 1) << program.AllErr();
    std::map<int, Listed> peers;
    const std::uint16_t app = ReadListeners(lines, peers);
    ASSERT_EQ(peers.size(), count);

    const Received list = Ask(app, "/slst 1|");
    ASSERT_EQ(list.end, Received::End::Closed);
    ASSERT_TRUE(list.bytes.ends_with("\r\n"));
    const auto entries = velkan::channel::ParseServerList(list.bytes.substr(0, list.bytes.size() - 2), 0);
    ASSERT_EQ(entries.size(), count);
    for (const auto& entry : entries) {
        ASSERT_TRUE(peers.contains(entry.port)) << entry.port;
        EXPECT_EQ(velkan::cp949::ToUtf8(entry.nick), peers[entry.port].nick);
        EXPECT_EQ(entry.host, "127.0.0.1");
        EXPECT_EQ(peers[entry.port].kind, "normal");
    }

    // The peer in the middle holds the share its seed and index name.
    const std::size_t index = count / 2;
    const Received found = Ask(static_cast<std::uint16_t>(entries[index].port), "/find 1|\\|me");
    ASSERT_EQ(found.end, Received::End::Closed);
    const auto items = velkan::channel::ParseFindReply(found.bytes.substr(0, found.bytes.find('\r')));
    ASSERT_TRUE(items);
    EXPECT_EQ(AsShare(*items), GenerateShare(3, index));

    const auto signalled = Clock::now();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_LT(Clock::now() - signalled, std::chrono::seconds(3));
    EXPECT_EQ(program.AllErr(), "");
}

INSTANTIATE_TEST_SUITE_P(Counts, ProgramPeers, ::testing::Values(200, 2000));

TEST(ProgramTest, BadUsageShowsTheUsageAndExitsTwo)
{
    const std::vector<Args> cases = {
        {"--peers"}, {"--peers", "x"}, {"--bogus"}, {"--hostile", "weird=1"},
        {"--hostile", "slow"}, {"--share", "waytoolongnickname=/tmp"}, {"--port", "70000"},
    };
    for (const Args& args : cases) {
        SCOPED_TRACE(args.back());
        Program program(args);
        EXPECT_EQ(program.Wait(), 2);
        EXPECT_NE(program.AllErr().find("usage: velkan-localnet"), std::string::npos)
            << program.AllErr();
        EXPECT_EQ(program.AllOut(), "");
    }
}

TEST(ProgramTest, EachBadRequestIsOneLineOnStandardError)
{
    Program program({"--port", "0", "--peers", "1"});
    std::map<int, Listed> peers;
    const std::uint16_t app = ReadListeners(program.OutLines(2), peers);
    ASSERT_EQ(peers.size(), 1U);
    for (const std::string bytes : {"not protected at all\r\n", "%%%\r\n"}) {
        int error = 0;
        const FileDescriptor fd = ConnectTo(app, error);
        ASSERT_TRUE(fd.Valid()) << error;
        ASSERT_TRUE(SendAll(fd.Get(), bytes));
        EXPECT_EQ(ReadUntilEnd(fd.Get()).end, Received::End::Closed);
        const std::vector<std::string> lines = program.ErrLines(1);
        ASSERT_EQ(lines.size(), 1U);
        EXPECT_NE(lines[0].find("does not decrypt"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(":" + std::to_string(app)), std::string::npos) << lines[0];
    }
    // It goes on serving.
    EXPECT_EQ(Ask(app, "/slst 2|").end, Received::End::Closed);
    program.Signal(SIGINT);
    EXPECT_EQ(program.Wait(), 0);
}

TEST(ProgramTest, SharesAFolderAndStartsHostilePeers)
{
    std::string pattern = ::testing::TempDir() + "localnet-program-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path folder = pattern;
    std::ofstream(folder / "노래 모음.mp3") << "12345";

    Program program({"--port", "0", "--peers", "0", "--share", "음악=" + folder.string(),
                     "--hostile", "refuse=1", "--hostile", "silent=1"});
    std::map<int, Listed> peers;
    ReadListeners(program.OutLines(4), peers);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(peers.size(), 3U);
    std::map<std::string, int> byKind;
    for (const auto& [port, listed] : peers) {
        byKind[listed.kind] = port;
    }
    ASSERT_EQ(byKind.size(), 3U);
    ASSERT_EQ(peers[byKind["normal"]].nick, "음악");

    const Received found =
        Ask(static_cast<std::uint16_t>(byKind["normal"]), "/find 1|" + Cp949("노래") + "|me");
    const auto items = velkan::channel::ParseFindReply(found.bytes.substr(0, found.bytes.find('\r')));
    ASSERT_TRUE(items) << found.bytes;
    ASSERT_EQ(items->size(), 1U);
    EXPECT_EQ((*items)[0].path, Cp949("C:\\share\\노래 모음.mp3"));
    EXPECT_EQ((*items)[0].size, 5);

    int error = 0;
    EXPECT_FALSE(ConnectTo(static_cast<std::uint16_t>(byKind["refuse"]), error).Valid());
    EXPECT_EQ(error, ECONNREFUSED);
    const FileDescriptor silent = ConnectTo(static_cast<std::uint16_t>(byKind["silent"]), error);
    EXPECT_TRUE(silent.Valid()) << error;

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

TEST(ProgramTest, RunningOutOfDescriptorsIsReportedAndOutlived)
{
    // A limit far below what the clients below take: accepting must fail, be reported, and
    // resume once descriptors are free again.
    Program program({"--port", "0", "--peers", "2"}, 48);
    std::map<int, Listed> peers;
    const std::uint16_t app = ReadListeners(program.OutLines(3), peers);
    ASSERT_EQ(peers.size(), 2U);
    std::vector<FileDescriptor> clients;
    for (int i = 0; i < 80; ++i) {
        int error = 0;
        clients.push_back(ConnectTo(app, error));
        ASSERT_TRUE(clients.back().Valid()) << error;
    }
    const std::vector<std::string> lines = program.ErrLines(1);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_NE(lines[0].find("cannot accept"), std::string::npos) << lines[0];

    clients.clear();
    const Received list = Ask(app, "/slst 1|");
    EXPECT_EQ(list.end, Received::End::Closed);
    EXPECT_EQ(velkan::channel::ParseServerList(list.bytes, 0).size(), 2U);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

TEST(ProgramTest, ATakenPortEndsTheProgramWithAReason)
{
    const FileDescriptor taken = OpenLoopbackSocket(0, true);
    const std::uint16_t port = LocalPort(taken.Get());
    Program program({"--port", std::to_string(port), "--peers", "1"});
    EXPECT_EQ(program.Wait(), 1);
    EXPECT_NE(program.AllErr().find(std::to_string(port)), std::string::npos) << program.AllErr();
    EXPECT_EQ(program.AllOut(), "");
}

} // namespace
