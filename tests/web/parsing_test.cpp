#include "web/hostcheck.h"
#include "web/httphead.h"
#include "web/originlist.h"
#include "web/pagemessage.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace velkan::web {
namespace {

using Status = HeadParse::Status;

TEST(HttpHeadTest, ReadsRequestLineAndFieldsWithNamesInLowerCase)
{
    const QByteArray bytes = "GET /access?x=1 HTTP/1.1\r\nHost: 127.0.0.1:8091\r\nORIGIN:  http://a.example \r\n\r\nbody";
    const HeadParse parse = ParseHead(bytes);
    ASSERT_EQ(parse.status, Status::Complete);
    EXPECT_EQ(parse.length, bytes.indexOf("body"));
    EXPECT_EQ(parse.head.method, "GET");
    EXPECT_EQ(parse.head.target, "/access?x=1");
    EXPECT_EQ(parse.head.Field("origin"), "http://a.example");
    EXPECT_EQ(parse.head.FieldCount("host"), 1);
    EXPECT_EQ(parse.head.Field("upgrade"), "");
}

TEST(HttpHeadTest, StatusOfEachKindOfHead)
{
    const QByteArray filler = "X-Fill: " + QByteArray(kMaxHeadBytes - 40, 'a') + "\r\n";
    const struct {
        QByteArray bytes;
        Status status;
    } cases[] = {
        {"GET / HTTP/1.1\r\nHost: a", Status::Incomplete},
        {"", Status::Incomplete},
        {"GET / HTTP/1.1\r\n" + filler + "\r\n", Status::Complete}, // just under the bound
        {"GET / HTTP/1.1\r\n" + filler + "X-More: bbbbbbbbbbbbbbbbbbbbbbb\r\n\r\n", Status::TooLarge},
        {QByteArray(kMaxHeadBytes, 'a'), Status::TooLarge},
        {"GET / HTTP/1.1\nHost: a\r\n\r\n", Status::Malformed},   // bare line feed
        {"GET /\r\n\r\n", Status::Malformed},                     // no version
        {"GET / HTTP/2.0\r\n\r\n", Status::Malformed},
        {"GET  / HTTP/1.1\r\n\r\n", Status::Malformed},
        {"GET / HTTP/1.1\r\nNo colon\r\n\r\n", Status::Malformed},
        {"GET / HTTP/1.1\r\nBad name: x\r\n\r\n", Status::Malformed},
        {"GET / HTTP/1.1\r\nHost: a\x01z\r\n\r\n", Status::Malformed},
        {"GET /a\x7f HTTP/1.1\r\n\r\n", Status::Malformed},
    };
    for (const auto& [bytes, status] : cases) {
        EXPECT_EQ(ParseHead(bytes).status, status) << bytes.left(60).toStdString();
    }
}

TEST(HostCheckTest, OnlyTheBridgesOwnNamesAndPort)
{
    const struct {
        const char* host;
        quint16 port;
        bool own;
    } cases[] = {
        {"127.0.0.1:8091", 8091, true},   {"localhost:8091", 8091, true},
        {"LocalHost:8091", 8091, true},   {"[::1]:8091", 8091, true},
        {"127.0.0.1", 80, true},          {"127.0.0.1", 8091, false},
        {"127.0.0.1:8092", 8091, false},  {"evil.example:8091", 8091, false},
        {"127.0.0.1.nip.io:8091", 8091, false}, {"localhost.:8091", 8091, false},
        {"[::1]", 8091, false},           {"127.0.0.1:08091x", 8091, false},
        {"", 8091, false},                {"127.0.0.1:", 8091, false},
        {"127.0.0.2:8091", 8091, false},  {"user@127.0.0.1:8091", 8091, false},
    };
    for (const auto& [host, port, own] : cases) {
        EXPECT_EQ(IsOwnHost(host, port), own) << host << " port " << port;
    }
}

TEST(OriginListTest, ParseOriginTakesSchemeHostAndPortOnly)
{
    for (const char* good : {"https://a.example", "http://127.0.0.1:8000", "http://[::1]:3000", "app://x-y.z"}) {
        EXPECT_EQ(ParseOrigin(good).value_or(""), QByteArray(good)) << good;
    }
    for (const char* bad : {"https://A.example", "https://a.example/", "https://a.example/page",
                            "https://*.example", "a.example", "https://", "https://a.example:0",
                            "https://a.example:65536", "https://a.example:80x", "null", "",
                            "https://a b", "HTTPS://a.example", "https://user@a.example"}) {
        EXPECT_FALSE(ParseOrigin(bad).has_value()) << bad;
    }
}

TEST(OriginListTest, FilesAreReadAgainWhenTheyChange)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("web-origins"));
    const auto write = [&](const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    OriginList list({dir.filePath(QStringLiteral("missing")), path}, {"https://given.example"});
    EXPECT_TRUE(list.Allows("https://given.example"));
    EXPECT_FALSE(list.Allows("https://a.example"));

    write("# pages that may search\nhttps://a.example  # the shop\n\nhttps://B.example\nhttps://*.c.example\n");
    EXPECT_TRUE(list.Allows("https://a.example"));
    EXPECT_FALSE(list.Allows("https://B.example"));
    EXPECT_FALSE(list.Allows("https://b.example"));
    EXPECT_FALSE(list.Allows("https://x.c.example"));
    EXPECT_FALSE(list.Allows("https://a.example:443"));

    write("https://d.example\n"); // a different length: seen even within the same clock tick
    EXPECT_FALSE(list.Allows("https://a.example"));
    EXPECT_TRUE(list.Allows("https://d.example"));

    list.Allow("null");
    EXPECT_FALSE(list.Allows("null"));
    EXPECT_FALSE(list.Allows(""));
}

TEST(PageMessageTest, WellFormedMessages)
{
    auto parsed = ParsePageMessage(R"({"type":"activate","props":{"param":"p","bansearch":"b","replaceparam":"z"}})");
    ASSERT_TRUE(std::holds_alternative<PageMessage>(parsed));
    const auto& activate = std::get<ActivateMessage>(std::get<PageMessage>(parsed));
    EXPECT_EQ(activate.param, "p");
    EXPECT_EQ(activate.searchBanWord, "b");
    EXPECT_EQ(activate.replaceParam, "z");
    EXPECT_EQ(activate.search, "");

    parsed = ParsePageMessage(R"({"type":"search","text":"노래"})");
    EXPECT_EQ(std::get<SearchMessage>(std::get<PageMessage>(parsed)).text, "노래");

    parsed = ParsePageMessage(R"({"type":"window","first":999000,"count":1000})");
    const auto& window = std::get<WindowMessage>(std::get<PageMessage>(parsed));
    EXPECT_EQ(window.first, 999000);
    EXPECT_EQ(window.count, 1000);

    parsed = ParsePageMessage(R"({"type":"select","row":-1,"gen":7})");
    const auto& select = std::get<RowMessage>(std::get<PageMessage>(parsed));
    EXPECT_EQ(select.action, RowMessage::Action::Select);
    EXPECT_EQ(select.row, -1);
    EXPECT_EQ(select.generation, 7u);

    parsed = ParsePageMessage(R"({"type":"sort","column":4,"ascending":false})");
    EXPECT_FALSE(std::get<SortMessage>(std::get<PageMessage>(parsed)).ascending);
}

TEST(PageMessageTest, RefusedMessagesSayWhy)
{
    const struct {
        QByteArray text;
        const char* reason;
    } cases[] = {
        {"", "malformed-message"},
        {"[1]", "malformed-message"},
        {"{\"type\":\"search\"", "malformed-message"},
        {R"({"type":"search","text":5})", "malformed-message"},
        {R"({"type":"search","text":")" + QByteArray(kMaxTextBytes + 1, 'a') + "\"}", "malformed-message"},
        {R"({"type":"window","first":0,"count":1001})", "malformed-message"},
        {R"({"type":"window","first":-1,"count":10})", "malformed-message"},
        {R"({"type":"window","first":0.5,"count":10})", "malformed-message"},
        {R"({"type":"sort","column":5,"ascending":true})", "malformed-message"},
        {R"({"type":"sort","column":1,"ascending":"yes"})", "malformed-message"},
        {R"({"type":"click","row":-1,"gen":0})", "malformed-message"},
        {R"({"type":"connect","row":1})", "malformed-message"},
        {R"({"type":"activate","props":{"param":1}})", "malformed-message"},
        {R"({"type":"format-disk"})", "unknown-message"},
        {R"({"text":"x"})", "unknown-message"},
    };
    for (const auto& [text, reason] : cases) {
        const auto parsed = ParsePageMessage(text);
        ASSERT_TRUE(std::holds_alternative<MessageError>(parsed)) << text.left(80).toStdString();
        EXPECT_EQ(std::get<MessageError>(parsed).reason.toStdString(), reason) << text.left(80).toStdString();
        EXPECT_FALSE(std::get<MessageError>(parsed).message.isEmpty());
    }
}

} // namespace
} // namespace velkan::web
