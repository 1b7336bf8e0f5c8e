#include "channel/base64codec.h"
#include "channel/blowfish.h"
#include "channel/protectedtext.h"
#include "channel/sendline.h"
#include "channel/wirekey.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace velkan::channel;

namespace {

class ProtectedText : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Initialize(velkan::channel::kWireKey)); }
    BlowFish m_cipher;
};

TEST_F(ProtectedText, RoundTripsUpToTheFirstZeroByte)
{
    for (const std::string& plain : {std::string("a"), std::string("/slst 123|"),
                                    std::string("exactly8"), std::string("\xC7\xD1\xB1\xDB"),
                                    std::string("cut\0here", 8)}) {
        const std::string body = EncryptToBase64(m_cipher, plain);
        EXPECT_EQ(body.size(), (BlowFish::PaddedLength(plain.size()) * 8 + 5) / 6);
        EXPECT_EQ(DecryptFromBase64(m_cipher, body), plain.substr(0, plain.find('\0')));
    }
}

TEST_F(ProtectedText, DecryptFailsOnTextThatIsNotBase64OrEmpty)
{
    EXPECT_FALSE(DecryptFromBase64(m_cipher, ""));
    EXPECT_FALSE(DecryptFromBase64(m_cipher, "===="));
    EXPECT_FALSE(DecryptFromBase64(m_cipher, "abc\ndef"));
}

TEST_F(ProtectedText, RequestLinesAreFlattened)
{
    EXPECT_EQ(FlattenRequestText("a\r\nb"), "a<br>b");
    EXPECT_EQ(FlattenRequestText("\r\r\n\n"), "<br><br>");
    EXPECT_EQ(RequestLineBody(m_cipher, "a\r\nb"), EncryptToBase64(m_cipher, "a<br>b"));
    EXPECT_EQ(RequestLineBody(m_cipher, "12345678").size(), 11U);
    EXPECT_EQ(RequestLineBody(m_cipher, "").size(), 0U);
}

class LoopbackPair {
public:
    LoopbackPair()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        client = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
        server = ::accept(listener, nullptr, nullptr);
        ::close(listener);
    }
    ~LoopbackPair()
    {
        ::close(client);
        ::close(server);
    }
    std::string ReadAll()
    {
        ::shutdown(client, SHUT_WR);
        std::string received;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(server, buffer, sizeof buffer, 0)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return received;
    }
    int client = -1;
    int server = -1;
};

TEST_F(ProtectedText, SendLinePutsBodyAndTerminatorOnTheWire)
{
    LoopbackPair pair;
    std::int32_t bytesSent = 5;
    const ssize_t sent = SendLine(pair.client, m_cipher, "/find 1|a\nb|user", bytesSent);
    const std::string expected = RequestLineBody(m_cipher, "/find 1|a<br>b|user") + "\r\n";
    EXPECT_EQ(sent, static_cast<ssize_t>(expected.size()));
    EXPECT_EQ(bytesSent, 5 + static_cast<std::int32_t>(expected.size()));
    EXPECT_EQ(pair.ReadAll(), expected);
}

TEST_F(ProtectedText, SendLineSendsNothingForAnEmptyText)
{
    LoopbackPair pair;
    std::int32_t bytesSent = 0;
    EXPECT_EQ(SendLine(pair.client, m_cipher, "", bytesSent), 0);
    EXPECT_EQ(SendLine(pair.client, m_cipher, "\r\r", bytesSent), 0);
    EXPECT_EQ(bytesSent, 0);
    EXPECT_EQ(pair.ReadAll(), "");
}

TEST_F(ProtectedText, SendLineOnAClosedConnectionFailsWithoutKillingTheProcess)
{
    LoopbackPair pair;
    ::close(pair.server);
    pair.server = -1;
    std::int32_t bytesSent = 0;
    // The first send may still be accepted; the peer's reset makes a later one fail with
    // EPIPE, which must not turn into a SIGPIPE.
    for (int attempt = 0; attempt < 50 && SendLine(pair.client, m_cipher, "x", bytesSent) > 0; ++attempt) {
        ::usleep(1000);
    }
    EXPECT_EQ(SendLine(pair.client, m_cipher, "x", bytesSent), -1);
}

} // namespace
