#include "channel/base64codec.h"
#include "web/httphead.h"
#include "tools/velkan-localnet/network.h"
#include "ui/panelmetrics.h"
#include "channel/protectedtext.h"
#include "web/websession.h"
#include "web/webhost.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace velkan::web {
namespace {

constexpr int kWaitMs = 10000;
const QByteArray kShop = "https://shop.example";

localnet::SharedFile File(std::string path)
{
    return {.path = std::move(path), .date = "2004-01-02 10:11", .size = 100, .flags = 0};
}

// A page's end of one control.
class PageSocket {
public:
    explicit PageSocket(const QByteArray& origin) : m_socket(QString::fromLatin1(origin))
    {
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            m_messages.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
        });
    }

    bool Open(quint16 port)
    {
        m_socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/control").arg(port)));
        return QTest::qWaitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState ||
                                            m_closed(); }, kWaitMs) &&
               m_socket.state() == QAbstractSocket::ConnectedState;
    }

    void Send(const QByteArray& json) { m_socket.sendTextMessage(QString::fromUtf8(json)); }

    // The first message of the type from index on; an empty object when none came in time.
    QJsonObject WaitFor(const QString& type, const std::function<bool(const QJsonObject&)>& also = {})
    {
        QJsonObject found;
        const bool came = QTest::qWaitFor([&] {
            for (; m_next < m_messages.size(); ++m_next) {
                const QJsonObject& message = m_messages[m_next];
                if (message.value(QStringLiteral("type")).toString() == type && (!also || also(message))) {
                    found = message;
                    ++m_next;
                    return true;
                }
            }
            return false;
        }, kWaitMs);
        return came ? found : QJsonObject();
    }

    [[nodiscard]] int CountOf(const QString& type) const
    {
        return static_cast<int>(std::count_if(m_messages.begin(), m_messages.end(), [&](const QJsonObject& m) {
            return m.value(QStringLiteral("type")).toString() == type;
        }));
    }

    QWebSocket& Socket() { return m_socket; }

private:
    bool m_closed() const { return m_socket.state() == QAbstractSocket::UnconnectedState && m_tried; }

    QWebSocket m_socket;
    bool m_tried = true;
    std::vector<QJsonObject> m_messages;
    std::size_t m_next = 0;
};

class WebHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_network.Start();
    }

    void TearDown() override
    {
        m_host.reset();
        m_network.Stop();
    }

    WebHost& Host(int perOrigin = 8, const std::function<void(WebHostOptions&)>& tune = {})
    {
        WebHostOptions options;
        options.port = 0;
        options.allowedOrigins = {kShop};
        options.originFiles = {m_dir.filePath(QStringLiteral("web-origins"))};
        options.appServer = {"127.0.0.1", m_network.AppServerPort(), 10000};
        options.maxControlsPerOrigin = perOrigin;
        if (tune) {
            tune(options);
        }
        m_host = std::make_unique<WebHost>(options);
        EXPECT_EQ(m_host->Listen(), QString());
        return *m_host;
    }

    // Sends the bytes on a connection of its own and returns all the bridge answered.
    QByteArray Exchange(const QByteArray& bytes)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_host->Port());
        QByteArray answer;
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
        socket.write(bytes);
        EXPECT_TRUE(QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
        return answer + socket.readAll();
    }

    QByteArray Get(const QByteArray& target, const QByteArray& extra = {})
    {
        return Exchange("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(m_host->Port()) +
                        "\r\n" + extra + "\r\n");
    }

    static int Status(const QByteArray& response) { return response.mid(9, 3).toInt(); }

    QByteArray Handshake(const QByteArray& origin)
    {
        return Get("/control", "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: " + origin + "\r\n");
    }

    static std::string UserParam()
    {
        channel::BlowFish cipher;
        EXPECT_TRUE(cipher.Initialize("3vindermok"));
        return channel::EncryptToBase64(cipher, "x|tester|c|d|e||0|0");
    }

    QTemporaryDir m_dir;
    localnet::Network m_network;
    std::unique_ptr<WebHost> m_host;
};

TEST_F(WebHostTest, RequestsMustNameTheBridgeInTheirHostField)
{
    Host();
    const QByteArray port = QByteArray::number(m_host->Port());
    const struct {
        QByteArray hostLines;
        int status;
    } cases[] = {
        {"Host: 127.0.0.1:" + port + "\r\n", 200},
        {"Host: localhost:" + port + "\r\n", 200},
        {"Host: rebound.example:" + port + "\r\n", 403},
        {"Host: 127.0.0.1:" + QByteArray::number(m_host->Port() + 1) + "\r\n", 403},
        {"", 403},
        {"Host: 127.0.0.1:" + port + "\r\nHost: evil.example\r\n", 403},
    };
    for (const auto& [hostLines, status] : cases) {
        EXPECT_EQ(Status(Exchange("GET /velkanfilesearch.js HTTP/1.1\r\n" + hostLines + "\r\n")), status)
            << hostLines.toStdString();
    }
    EXPECT_EQ(Status(Get("/nothing-here")), 404);
    EXPECT_EQ(Status(Exchange("POST /access HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\n\r\n")), 405);
}

TEST_F(WebHostTest, HeadsAreBoundedAndMustBeHttp)
{
    Host();
    EXPECT_EQ(Status(Get("/access", "X-Fill: " + QByteArray(kMaxHeadBytes - 100, 'a') + "\r\n")), 200);
    EXPECT_EQ(Status(Get("/access", "X-Fill: " + QByteArray(kMaxHeadBytes, 'a') + "\r\n")), 431);
    EXPECT_EQ(Status(Exchange(QByteArray(3 * kMaxHeadBytes, 'a'))), 431);
    EXPECT_EQ(Status(Exchange("HELLO\r\n\r\n")), 400);
}

TEST_F(WebHostTest, ServesPicturesAndTheirDoubles)
{
    Host();
    for (const QByteArray path : {"/pictures/202.png", "/pictures/202@2x.png", "/icons/16/mp3.png", "/icons/32/txt.png",
                                  "/icons/16/_.png", "/pictures/icon.png"}) {
        const QByteArray response = Get(path);
        ASSERT_EQ(Status(response), 200) << path.toStdString();
        QImage image;
        ASSERT_TRUE(image.loadFromData(response.mid(response.indexOf("\r\n\r\n") + 4), "PNG")) << path.toStdString();
        if (path.startsWith("/icons/")) {
            EXPECT_EQ(image.width(), path.startsWith("/icons/16/") ? 16 : 32);
        }
    }
    QImage normal;
    QImage doubled;
    const QByteArray one = Get("/pictures/202.png");
    const QByteArray two = Get("/pictures/202@2x.png");
    ASSERT_TRUE(normal.loadFromData(one.mid(one.indexOf("\r\n\r\n") + 4)));
    ASSERT_TRUE(doubled.loadFromData(two.mid(two.indexOf("\r\n\r\n") + 4)));
    EXPECT_EQ(doubled.size(), normal.size() * 2);
    for (const char* bad : {"/pictures/../CMakeLists.png", "/pictures/999.png", "/icons/16/MP3.png",
                            "/icons/16/abcdefghijklmnopq.png", "/icons/24/mp3.png", "/icons/16/__.png",
                            "/icons/16/a_b.png"}) {
        EXPECT_EQ(Status(Get(bad)), 404) << bad;
    }
}

TEST_F(WebHostTest, PicturesAreTransparentWhereThePanelDrawsThemSo)
{
    Host();
    const auto picture = [&](const QByteArray& path) {
        const QByteArray response = Get(path);
        QImage image;
        EXPECT_TRUE(image.loadFromData(response.mid(response.indexOf("\r\n\r\n") + 4), "PNG")) << path.toStdString();
        return image.convertToFormat(QImage::Format_ARGB32);
    };
    const struct {
        QByteArray path;
        bool keyed; // magenta (the folder strip: its first pixel's colour) made transparent
    } cases[] = {
        {"/pictures/202.png", true}, {"/pictures/218@2x.png", true}, {"/pictures/219.png", true},
        {"/pictures/220.png", true}, {"/pictures/220@2x.png", true},
        {"/pictures/213.png", false}, {"/pictures/213@2x.png", false},
    };
    for (const auto& [path, keyed] : cases) {
        const QImage image = picture(path);
        int transparent = 0;
        int magenta = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                transparent += qAlpha(pixel) == 0 ? 1 : 0;
                magenta += qAlpha(pixel) != 0 && (pixel & 0xFFFFFF) == 0xFF00FF ? 1 : 0;
            }
        }
        EXPECT_EQ(magenta, 0) << path.toStdString();
        EXPECT_EQ(transparent > 0, keyed) << path.toStdString();
    }
}

TEST_F(WebHostTest, AccessTellsAnyPageWhetherItMayOpenAControl)
{
    Host();
    const auto access = [&](const QByteArray& originLine) {
        const QByteArray response = Get("/access", originLine);
        EXPECT_TRUE(response.contains("Access-Control-Allow-Origin: *"));
        return QJsonDocument::fromJson(response.mid(response.indexOf("\r\n\r\n") + 4)).object();
    };
    EXPECT_TRUE(access("Origin: " + kShop + "\r\n").value(QStringLiteral("allowed")).toBool());
    const QByteArray own = "Origin: http://127.0.0.1:" + QByteArray::number(m_host->Port()) + "\r\n";
    EXPECT_TRUE(access(own).value(QStringLiteral("allowed")).toBool());
    // The bridge's own demo page: a browser sends no Origin with a same-origin GET, only this.
    EXPECT_TRUE(access("Sec-Fetch-Site: same-origin\r\n").value(QStringLiteral("allowed")).toBool());
    for (const QByteArray& refused : {QByteArray("Origin: https://evil.example\r\n"), QByteArray("Origin: null\r\n"),
                                     QByteArray(), QByteArray("Sec-Fetch-Site: cross-site\r\n"),
                                     QByteArray("Origin: https://evil.example\r\nSec-Fetch-Site: same-origin\r\n")}) {
        const QJsonObject answer = access(refused);
        EXPECT_FALSE(answer.value(QStringLiteral("allowed")).toBool());
        EXPECT_EQ(answer.value(QStringLiteral("reason")).toString(), QStringLiteral("origin-not-allowed"));
    }
}

TEST_F(WebHostTest, ARefusedOriginStartsNothing)
{
    Host();
    EXPECT_EQ(Status(Handshake("https://evil.example")), 403);
    EXPECT_EQ(Status(Handshake("null")), 403);
    PageSocket page("https://evil.example");
    EXPECT_FALSE(page.Open(m_host->Port()));
    EXPECT_EQ(m_host->SessionCount(), 0);
    EXPECT_EQ(m_network.AppServerCounters().accepted, 0u);
}

TEST_F(WebHostTest, ControlsPerOriginAreLimited)
{
    Host(1);
    auto first = std::make_unique<PageSocket>(kShop);
    ASSERT_TRUE(first->Open(m_host->Port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->SessionCount() == 1; }, kWaitMs));
    EXPECT_EQ(Status(Handshake(kShop)), 503);
    EXPECT_TRUE(Get("/access", "Origin: " + kShop + "\r\n").contains("too-many-controls"));
    // Another origin has its own count.
    PageSocket own("http://127.0.0.1:" + QByteArray::number(m_host->Port()));
    EXPECT_TRUE(own.Open(m_host->Port()));
    first->Socket().close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->SessionCount() == 1; }, kWaitMs));
    PageSocket again(kShop);
    EXPECT_TRUE(again.Open(m_host->Port()));
}

TEST_F(WebHostTest, OversizedMessagesCloseTheControlWith1009)
{
    Host();
    PageSocket page(kShop);
    ASSERT_TRUE(page.Open(m_host->Port()));
    page.Send(R"({"type":"search","text":")" + QByteArray(WebHost::kMaxMessageBytes, 'a') + "\"}");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.Socket().state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_EQ(page.Socket().closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_host->SessionCount() == 0; }, kWaitMs));
}

TEST_F(WebHostTest, BadMessagesGetAnErrorAndTheControlKeepsWorking)
{
    Host();
    PageSocket page(kShop);
    ASSERT_TRUE(page.Open(m_host->Port()));
    for (const QByteArray& bad : {QByteArray("not json"), QByteArray(R"({"type":"unheard-of"})"),
                                 QByteArray(R"({"type":"window","first":0,"count":5000})")}) {
        page.Send(bad);
        EXPECT_FALSE(page.WaitFor(QStringLiteral("error")).isEmpty()) << bad.toStdString();
    }
    page.Socket().sendBinaryMessage("\x01\x02");
    EXPECT_EQ(page.WaitFor(QStringLiteral("error")).value(QStringLiteral("reason")).toString(),
              QStringLiteral("malformed-message"));
    page.Send(R"({"type":"activate","props":{}})");
    EXPECT_FALSE(page.WaitFor(QStringLiteral("activated")).isEmpty());
}

TEST_F(WebHostTest, RowsArriveSortAndConnectNamesTheRowOfItsGeneration)
{
    m_network.AddPeer({.nick = "kim", .speed = 100, .files = {File("C:\\a b\\x.txt")}});
    m_network.AddPeer({.nick = "*star", .speed = 100, .files = {File("top.txt")}});
    Host();
    PageSocket page(kShop);
    ASSERT_TRUE(page.Open(m_host->Port()));
    page.Send(QJsonDocument(QJsonObject{{QStringLiteral("type"), QStringLiteral("activate")},
                                        {QStringLiteral("props"), QJsonObject{{QStringLiteral("param"),
                                                                               QString::fromStdString(UserParam())}}}})
                  .toJson(QJsonDocument::Compact));
    ASSERT_FALSE(page.WaitFor(QStringLiteral("activated")).isEmpty());
    page.Send(R"({"type":"window","first":0,"count":10})");
    page.Send(R"({"type":"search","text":"t"})");
    // The last state comes before the search is reported idle.
    const QJsonObject rows = page.WaitFor(QStringLiteral("state"), [](const QJsonObject& state) {
        return state.value(QStringLiteral("rowCount")).toInt() == 3 && state.contains(QStringLiteral("rows"));
    });
    ASSERT_FALSE(rows.isEmpty());
    ASSERT_FALSE(page.WaitFor(QStringLiteral("searchidle")).isEmpty());

    page.Send(R"({"type":"sort","column":0,"ascending":false})");
    const QJsonObject sorted = page.WaitFor(QStringLiteral("state"), [&](const QJsonObject& state) {
        return state.value(QStringLiteral("gen")).toInt() > rows.value(QStringLiteral("gen")).toInt() &&
               state.contains(QStringLiteral("rows"));
    });
    ASSERT_FALSE(sorted.isEmpty());
    const QJsonArray list = sorted.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(list.size(), 3);
    // Descending by nick: kim's folder row, kim's file row, then *star's file.
    EXPECT_EQ(list[0].toObject().value(QStringLiteral("cells")).toArray()[0].toString(), QStringLiteral("kim"));
    EXPECT_EQ(list[1].toObject().value(QStringLiteral("ext")).toString(), QStringLiteral("txt"));
    EXPECT_EQ(list[2].toObject().value(QStringLiteral("cells")).toArray()[1].toString(), QStringLiteral("top.txt"));

    const QByteArray oldGen = QByteArray::number(rows.value(QStringLiteral("gen")).toInt());
    const QByteArray gen = QByteArray::number(sorted.value(QStringLiteral("gen")).toInt());
    page.Send(R"({"type":"connect","row":1,"gen":)" + oldGen + "}");
    EXPECT_EQ(page.WaitFor(QStringLiteral("error")).value(QStringLiteral("reason")).toString(),
              QStringLiteral("stale-generation"));
    page.Send(R"({"type":"connect","row":1,"gen":)" + gen + "}");
    const QJsonObject fired = page.WaitFor(QStringLiteral("Connect"));
    EXPECT_EQ(page.CountOf(QStringLiteral("Connect")), 1);
    EXPECT_EQ(fired.value(QStringLiteral("nick")).toString(), QStringLiteral("kim"));
    EXPECT_EQ(fired.value(QStringLiteral("folder")).toString().toStdString(),
              channel::Base64Codec::Encode("C:\\a b"));
    EXPECT_EQ(fired.value(QStringLiteral("folderText")).toString(), QStringLiteral("C:\\a b"));

    // The download button with nothing selected: the native panel's message box.
    page.Send(R"({"type":"connect","row":-1,"gen":)" + gen + "}");
    EXPECT_EQ(page.WaitFor(QStringLiteral("message")).value(QStringLiteral("text")).toString(),
              QStringLiteral("파일을 선택하세요"));
    EXPECT_EQ(page.CountOf(QStringLiteral("Connect")), 1);
}

TEST_F(WebHostTest, ServerInformationAnswersTheFiguresOrWhyNone)
{
    m_network.AddPeer({.nick = "kim", .speed = 100, .files = {File("a.txt")},
                       .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5",
                                .fileCount = 1234, .totalBytes = 5368709120}});
    // The server list names "lee" twice: the query asks the first, which hangs up without a
    // word, while the search's rows come from the second.
    m_network.AddPeer({.nick = "lee", .speed = 100, .behaviour = localnet::PeerBehaviour::Hangup});
    m_network.AddPeer({.nick = "lee", .speed = 100, .files = {File("b.txt")}});
    Host();
    PageSocket page(kShop);
    ASSERT_TRUE(page.Open(m_host->Port()));
    page.Send(R"({"type":"activate","props":{"param":")" + QByteArray::fromStdString(UserParam()) + R"("}})");
    page.Send(R"({"type":"window","first":0,"count":10})");
    page.Send(R"({"type":"search","text":"t"})");
    const QJsonObject rows = page.WaitFor(QStringLiteral("state"), [](const QJsonObject& state) {
        return state.value(QStringLiteral("rowCount")).toInt() == 2 && state.contains(QStringLiteral("rows"));
    });
    ASSERT_FALSE(rows.isEmpty());
    ASSERT_FALSE(page.WaitFor(QStringLiteral("searchidle")).isEmpty());
    const auto rowOf = [&](const QString& nick) {
        const QJsonArray list = rows.value(QStringLiteral("rows")).toArray();
        for (qsizetype row = 0; row < list.size(); ++row) {
            if (list[row].toObject().value(QStringLiteral("cells")).toArray()[0].toString() == nick) {
                return QByteArray::number(row);
            }
        }
        return QByteArray("-1");
    };
    const QByteArray gen = QByteArray::number(rows.value(QStringLiteral("gen")).toInt());
    const QByteArray staleGen = QByteArray::number(rows.value(QStringLiteral("gen")).toInt() + 1);
    const auto answerTo = [&](const QByteArray& row, const QByteArray& generation) {
        page.Send(R"({"type":"serverinfo","row":)" + row + R"(,"gen":)" + generation + "}");
        return page.WaitFor(QStringLiteral("serverinfo"));
    };

    page.Send(R"({"type":"serverinfo","row":)" + rowOf(QStringLiteral("kim")) + R"(,"gen":)" + staleGen + "}");
    EXPECT_EQ(page.WaitFor(QStringLiteral("error")).value(QStringLiteral("reason")).toString(),
              QStringLiteral("stale-generation"));
    EXPECT_EQ(page.CountOf(QStringLiteral("serverinfo")), 0);

    const QJsonObject opened = answerTo(rowOf(QStringLiteral("kim")), gen);
    EXPECT_EQ(opened.value(QStringLiteral("title")).toString(), QStringLiteral("kim 서버 정보"));
    const QJsonObject figures = page.WaitFor(QStringLiteral("serverinfo"));
    EXPECT_EQ(figures.value(QStringLiteral("query")), opened.value(QStringLiteral("query")));
    EXPECT_EQ(figures.value(QStringLiteral("download")).toString(), QStringLiteral("3/10"));
    EXPECT_EQ(figures.value(QStringLiteral("upload")).toString(), QStringLiteral("0/5"));
    EXPECT_EQ(figures.value(QStringLiteral("count")).toString(), QStringLiteral("1,234"));
    EXPECT_EQ(figures.value(QStringLiteral("size")).toString(), QStringLiteral("5GB"));
    page.Send(R"({"type":"serverinfoclose"})");

    const QJsonObject hungUp = answerTo(rowOf(QStringLiteral("lee")), gen);
    EXPECT_EQ(hungUp.value(QStringLiteral("title")).toString(), QStringLiteral("lee 서버 정보"));
    const QJsonObject failed = page.WaitFor(QStringLiteral("serverinfo"));
    EXPECT_EQ(failed.value(QStringLiteral("query")), hungUp.value(QStringLiteral("query")));
    EXPECT_EQ(failed.value(QStringLiteral("failure")).toString(), QStringLiteral("closed"));
    EXPECT_FALSE(failed.contains(QStringLiteral("download")));

    // No row: no window, as the native command shows nothing.
    const QJsonObject none = answerTo("-1", gen);
    EXPECT_EQ(none.value(QStringLiteral("failure")).toString(), QStringLiteral("no-such-row"));
    EXPECT_FALSE(none.contains(QStringLiteral("title")));
}

TEST_F(WebHostTest, HelloCarriesTheMeasuresThePanelIsLaidOutFrom)
{
    Host();
    PageSocket page(kShop);
    ASSERT_TRUE(page.Open(m_host->Port()));
    const QJsonObject hello = page.WaitFor(QStringLiteral("hello"));
    const QJsonObject metrics = hello.value(QStringLiteral("metrics")).toObject();
    const ui::PanelMetrics expected = ui::PanelMetrics::Measure();
    EXPECT_EQ(metrics.value(QStringLiteral("panel")).toObject().value(QStringLiteral("x")).toInt(), expected.panel.x);
    EXPECT_EQ(metrics.value(QStringLiteral("panel")).toObject().value(QStringLiteral("y")).toInt(), expected.panel.y);
    EXPECT_EQ(metrics.value(QStringLiteral("serverInfo")).toObject().value(QStringLiteral("y")).toInt(),
              expected.serverInfo.y);
    EXPECT_EQ(metrics.value(QStringLiteral("about")).toObject().value(QStringLiteral("x")).toInt(), expected.about.x);
    EXPECT_EQ(metrics.value(QStringLiteral("rowHeight")).toInt(), expected.rowHeight);
    EXPECT_EQ(metrics.value(QStringLiteral("headerHeight")).toInt(), expected.headerHeight);
    EXPECT_EQ(metrics.value(QStringLiteral("percentWidth")).toInt(), expected.percentWidth);
    EXPECT_GT(expected.panel.x, 0);
    EXPECT_EQ(hello.value(QStringLiteral("about")).toObject().value(QStringLiteral("version")).toString(),
              QStringLiteral("VelkanFileSearch Control, Version 1.0"));
}

TEST_F(WebHostTest, ClosingThePageClosesItsPeerConnections)
{
    for (const char* nick : {"a", "b", "c"}) {
        m_network.AddPeer({.nick = nick, .speed = 100, .behaviour = localnet::PeerBehaviour::Silent});
    }
    Host();
    PageSocket page(kShop);
    ASSERT_TRUE(page.Open(m_host->Port()));
    page.Send(R"({"type":"activate","props":{"param":")" + QByteArray::fromStdString(UserParam()) + R"(","search":"x"}})");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 3; }, kWaitMs));
    page.Socket().close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 0; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_host->SessionCount() == 0; }, kWaitMs));
}

// Two controls of one bridge share its peer connections: the second waits for places the
// first holds, and gets them when the first stops.
TEST_F(WebHostTest, TheBridgesPeerConnectionsAreSharedByItsControls)
{
    for (const char* nick : {"a", "b", "c"}) {
        m_network.AddPeer({.nick = nick, .speed = 100, .behaviour = localnet::PeerBehaviour::Silent});
    }
    Host(8, [](WebHostOptions& options) { options.maxPeerConnections = 4; });
    const QByteArray activate =
        R"({"type":"activate","props":{"param":")" + QByteArray::fromStdString(UserParam()) + R"(","search":"x"}})";
    PageSocket first(kShop);
    ASSERT_TRUE(first.Open(m_host->Port()));
    first.Send(activate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 3; }, kWaitMs));
    PageSocket second(kShop);
    ASSERT_TRUE(second.Open(m_host->Port()));
    second.Send(activate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 4; }, kWaitMs));
    ASSERT_EQ(m_host->SessionCount(), 2);
    const search::SearchEngine* one = m_host->Sessions()[0]->Engine();
    const search::SearchEngine* two = m_host->Sessions()[1]->Engine();
    EXPECT_EQ(one->ContactedCount(), 3);
    EXPECT_EQ(two->ContactedCount(), 1);
    EXPECT_TRUE(two->IsFanningOut()); // two servers wait for a place
    EXPECT_EQ(m_host->PeerConnections().InUse(), 4);

    first.Send(R"({"type":"stop"})");
    ASSERT_TRUE(QTest::qWaitFor([&] { return two->OpenPeerConnections() == 3; }, kWaitMs));
    EXPECT_EQ(one->OpenPeerConnections(), 0);
    EXPECT_EQ(two->ContactedCount(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 3; }, kWaitMs));
    EXPECT_EQ(m_host->PeerConnections().InUse(), 3);
}

// Input waiting for a line end counts against the bridge's whole as well as the control's own:
// two controls each within their own share pass the whole together, and a connection goes.
TEST_F(WebHostTest, TheBridgesPendingInputIsSharedByItsControls)
{
    localnet::HostileTuning endless;
    endless.endlessCap = 300 * 1024;
    m_network.AddPeer({.nick = "e", .speed = 100, .behaviour = localnet::PeerBehaviour::Endless, .tuning = endless});
    Host(8, [](WebHostOptions& options) { options.maxPendingInputBytes = 512 * 1024; });
    const QByteArray activate =
        R"({"type":"activate","props":{"param":")" + QByteArray::fromStdString(UserParam()) + R"(","search":"x"}})";
    PageSocket first(kShop);
    ASSERT_TRUE(first.Open(m_host->Port()));
    first.Send(activate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->PendingInput().HeldBytes() >= 300 * 1024; }, kWaitMs));
    EXPECT_EQ(m_host->PendingInput().Evictions(), 0U);
    PageSocket second(kShop);
    ASSERT_TRUE(second.Open(m_host->Port()));
    second.Send(activate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->PendingInput().Evictions() == 1; }, kWaitMs));
    EXPECT_LE(m_host->PendingInput().PeakBytes(), 512U * 1024);
    for (const WebSession* session : m_host->Sessions()) {
        EXPECT_LE(session->Engine()->Budget().PeakBytes(), 512U * 1024);
    }
}

} // namespace
} // namespace velkan::web
