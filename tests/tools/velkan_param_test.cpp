#include "channel/blowfish.h"
#include "channel/cp949convert.h"
#include "tools/velkan-param/paramcommand.h"
#include "channel/protectedtext.h"
#include "channel/sendline.h"
#include "channel/wirekey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using velkan::channel::BlowFish;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

using Args = std::vector<std::string>;

Result RunInProcess(const Args& args, const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Result result;
    result.status = velkan::param::RunParamCommand(args, in, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// Runs the built executable with input on its standard input and collects both outputs.
Result RunBinary(const Args& args, const std::string& input)
{
    Result result;
    int inPipe[2];
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(inPipe, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0 ||
        ::pipe2(errPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe2: " << std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    // The test process ignores SIGPIPE (see below); the tool gets the default back.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    std::string program = VELKAN_PARAM_BINARY;
    argv.push_back(program.data());
    Args copies = args;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_t child = -1;
    const int spawned =
        ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ADD_FAILURE() << "posix_spawn " << program << ": " << std::strerror(spawned);
        ::close(inPipe[1]);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return result;
    }

    // A tool that stops reading early (bad usage) must show as its exit status, not kill
    // the test with SIGPIPE.
    static const bool sigpipeIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    EXPECT_TRUE(sigpipeIgnored);
    ::fcntl(inPipe[1], F_SETFL, O_NONBLOCK);

    std::size_t written = 0;
    int inFd = inPipe[1];
    if (input.empty()) {
        ::close(inFd);
        inFd = -1;
    }
    int outFd = outPipe[0];
    int errFd = errPipe[0];
    while (outFd >= 0 || errFd >= 0) {
        pollfd fds[3] = {{inFd, POLLOUT, 0}, {outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            ADD_FAILURE() << "poll: " << std::strerror(errno);
            break;
        }
        if (inFd >= 0 && fds[0].revents != 0) {
            const ssize_t n = ::write(inFd, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if (written == input.size() || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                ::close(inFd);
                inFd = -1;
            }
        }
        for (auto [index, target] : {std::pair{1, &result.out}, std::pair{2, &result.err}}) {
            int& fd = index == 1 ? outFd : errFd;
            if (fd >= 0 && fds[index].revents != 0) {
                char buffer[4096];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0) {
                    target->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    ::close(fd);
                    fd = -1;
                }
            }
        }
    }
    if (inFd >= 0) {
        ::close(inFd);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "waitpid: " << std::strerror(errno);
    } else if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else {
        ADD_FAILURE() << "velkan-param ended by signal " << WTERMSIG(status);
    }
    return result;
}

struct Runner {
    const char* name;
    Result (*run)(const Args&, const std::string&);
};

void PrintTo(const Runner& runner, std::ostream* os)
{
    *os << runner.name;
}

// Every behaviour is checked both in-process and through the built executable.
class VelkanParam : public ::testing::TestWithParam<Runner> {
protected:
    Result Run(const Args& args, const std::string& input = {}) const
    {
        return GetParam().run(args, input);
    }

    // Encodes text, through the argument and (always) through standard input, and checks
    // that both give the same body; returns that body without its newline.
    std::string Encode(const std::string& text, bool raw) const
    {
        Args args{"encode"};
        if (raw) {
            args.push_back("--raw");
        }
        Args fromInput = args;
        fromInput.push_back("-");
        const Result viaInput = Run(fromInput, text);
        EXPECT_EQ(viaInput.status, 0) << viaInput.err;
        EXPECT_EQ(viaInput.err, "");
        EXPECT_TRUE(viaInput.out.ends_with('\n'));
        // An argument cannot hold a zero byte.
        if (text.find('\0') == std::string::npos) {
            Args fromArgument = args;
            fromArgument.push_back("--");
            fromArgument.push_back(text);
            EXPECT_EQ(Run(fromArgument).out, viaInput.out);
        }
        return viaInput.out.substr(0, viaInput.out.size() - 1);
    }
};

std::string PrintRunner(const ::testing::TestParamInfo<Runner>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Runners, VelkanParam,
                         ::testing::Values(Runner{"InProcess", RunInProcess},
                                           Runner{"Binary", RunBinary}),
                         PrintRunner);

std::string CutAtZero(std::string text)
{
    text.resize(std::min(text.find('\0'), text.size()));
    return text;
}

// Random bytes with zero bytes, carriage returns and line feeds well represented; every
// second text has no zero byte so that it can also travel as an argument.
std::string RandomBytes(std::mt19937& random, std::size_t length, bool withZero)
{
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> byte(withZero ? 0 : 1, 255);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        switch (kind(random)) {
        case 0: text.push_back(withZero ? '\0' : '\r'); break;
        case 1: text.push_back('\r'); break;
        case 2: text.push_back('\n'); break;
        default: text.push_back(static_cast<char>(byte(random))); break;
        }
    }
    return text;
}

TEST_P(VelkanParam, RawRoundTripGivesTheSentTextUpToItsFirstZeroByte)
{
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> length(1, 80);
    for (int round = 0; round < 24; ++round) {
        const std::string text = RandomBytes(random, round == 0 ? 3000 : length(random), round % 2 == 1);
        SCOPED_TRACE("round " + std::to_string(round));
        // What comes back is the text as a request line carries it.
        const std::string expected = CutAtZero(velkan::channel::FlattenRequestText(text));
        if (velkan::channel::FlattenRequestText(text).empty()) {
            continue; // nothing but carriage returns: refused (see the bad-input test)
        }
        const std::string body = Encode(text, true);
        EXPECT_EQ(Run({"decode", "--raw", "-n", body}).out, expected);
        for (const std::string ending : {"", "\n", "\r\n"}) {
            const Result decoded = Run({"decode", "-", "-n", "--raw"}, body + ending);
            EXPECT_EQ(decoded.status, 0) << decoded.err;
            EXPECT_EQ(decoded.out, expected);
        }
    }
}

TEST_P(VelkanParam, RawRoundTripOfNotableTexts)
{
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"/slst 123|", "/slst 123|"},
        {"a\r\nb\nc\rd", "a<br>b<br>cd"},
        {std::string("cut\0here", 8), "cut"},
        {std::string("\0rest", 5), ""},
        {"\n", "<br>"},
        {"exactly8", "exactly8"},
        // A line feed that is the second byte of a CP949 character is part of it.
        {"\x81\n", "\x81\n"},
        {"\xFF\xFE\x80", "\xFF\xFE\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string body = Encode(c.text, true);
        const Result decoded = Run({"decode", "--raw", body});
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        EXPECT_EQ(decoded.out, c.expected + "\n");
    }
}

TEST_P(VelkanParam, KoreanUtf8RoundTripsThroughCp949)
{
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"안녕하세요", "안녕하세요"},
        {"한글 /slst 123|검색어", "한글 /slst 123|검색어"},
        {"똠방각하 뷁", "똠방각하 뷁"}, // outside KS X 1001, inside CP949
        {"가\r\n나", "가<br>나"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string body = Encode(c.text, false);
        const Result decoded = Run({"decode", body});
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        EXPECT_EQ(decoded.out, c.expected + "\n");
    }
    // What is encrypted is CP949: "한글" is C7D1 B1DB there.
    const std::string cp949Bytes = "\xC7\xD1\xB1\xDB";
    const std::string body = Encode("한글", false);
    EXPECT_EQ(body, Encode(cp949Bytes, true));
    EXPECT_EQ(Run({"decode", "--raw", "-n", body}).out, cp949Bytes);
}

void ExpectOneLineError(const Result& result, int status)
{
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.err.ends_with('\n')) << result.err;
}

TEST_P(VelkanParam, BadInputFailsWithStatusOneAndOneLine)
{
    const std::string notCp949 = Encode("\xFF", true);
    const struct {
        Args args;
        std::string input;
    } cases[] = {
        {{"encode", "😀"}, ""},
        {{"encode", "emoji 😀 inside"}, ""},
        {{"encode", "-"}, "한글 then 🙂"},
        {{"encode", "\xFF not UTF-8"}, ""},
        {{"encode", ""}, ""},
        {{"encode", "--raw", "\r\r"}, ""},
        {{"decode", "abc def"}, ""},
        {{"decode", "!!!!"}, ""},
        {{"decode", "===="}, ""},
        {{"decode", ""}, ""},
        {{"decode", "-"}, ""},
        {{"decode", "-"}, notCp949 + "\n\n"}, // only one newline is dropped
        {{"decode", notCp949}, ""},           // fine with --raw, not CP949 without
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        ExpectOneLineError(Run(c.args, c.input), 1);
    }
    EXPECT_EQ(Run({"decode", "--raw", notCp949}).out, "\xFF\n");
}

TEST_P(VelkanParam, BadUsageShowsTheUsageAndFailsWithStatusTwo)
{
    const Args cases[] = {
        {},
        {"frobnicate", "x"},
        {"--raw", "encode", "x"},
        {"encode"},
        {"decode", "--raw"},
        {"encode", "a", "b"},
        {"decode", "--bogus", "abcd"},
        {"encode", "-x", "text"},
    };
    for (const Args& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Result result = Run(args, "input");
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        // A wrong option is named on a line of its own before the usage.
        EXPECT_NE(result.err.find("usage: velkan-param"), std::string::npos) << result.err;
    }
}

TEST_P(VelkanParam, HelpPrintsTheUsageOnStandardOutput)
{
    for (const Args& args : {Args{"--help"}, Args{"decode", "--help"}}) {
        const Result result = Run(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(result.out.starts_with("usage: velkan-param")) << result.out;
    }
}

// A connected loopback pair on a port the kernel picks.
class LoopbackPair {
public:
    void Connect()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener, 0) << std::strerror(errno);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        const bool listening =
            ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener, 1) == 0 &&
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        const int error = errno;
        if (!listening) {
            ::close(listener);
        }
        ASSERT_TRUE(listening) << std::strerror(error);
        client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(client, 0) << std::strerror(errno);
        ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0)
            << std::strerror(errno);
        server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        const int acceptError = errno;
        ::close(listener);
        ASSERT_GE(server, 0) << std::strerror(acceptError);
    }
    ~LoopbackPair()
    {
        if (client >= 0) {
            ::close(client);
        }
        if (server >= 0) {
            ::close(server);
        }
    }
    // Everything the client sent, once it has closed its sending side.
    std::string ReceiveAll()
    {
        EXPECT_EQ(::shutdown(client, SHUT_WR), 0) << std::strerror(errno);
        std::string received;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                EXPECT_EQ(n, 0) << std::strerror(errno);
                return received;
            }
        }
    }
    int client = -1;
    int server = -1;
};

TEST_P(VelkanParam, EncodeGivesTheLineSendLinePutsOnTheWire)
{
    std::mt19937 random(7);
    const struct {
        std::string text;
        bool raw;
    } cases[] = {
        {"/slst 123|", true},
        {"line one\r\nline two\r\n", true},
        {"\r\n", true},
        {"첫 줄\r\n둘째 줄\n끝", false},
        {"/find 1|노래 mp3|user", false},
        {RandomBytes(random, 2500, true), true},
    };
    BlowFish cipher;
    ASSERT_TRUE(cipher.Initialize(velkan::channel::kWireKey));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        const std::string body = Encode(c.text, c.raw);
        ASSERT_FALSE(body.empty());

        // SendLine takes the service's CP949, which the tool makes from UTF-8 by itself.
        const std::optional<std::string> wireText =
            c.raw ? std::optional(c.text) : velkan::cp949::FromUtf8Strict(c.text);
        ASSERT_TRUE(wireText);
        LoopbackPair pair;
        ASSERT_NO_FATAL_FAILURE(pair.Connect());
        std::int32_t bytesSent = 0;
        const ssize_t sent = velkan::channel::SendLine(pair.client, cipher, *wireText, bytesSent);
        const std::string received = pair.ReceiveAll();
        EXPECT_EQ(sent, static_cast<ssize_t>(received.size()));
        EXPECT_EQ(received, body + "\r\n");
    }
}

} // namespace
