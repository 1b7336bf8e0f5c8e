#include "channel/base64codec.h"
#include "channel/blowfish.h"
#include "tests/tools/childprocess.h"
#include "channel/cp949convert.h"
#include "tools/velkan-localnet/network.h"
#include "channel/protectedtext.h"
#include "tools/velkan-localnet/socketutil.h"
#include "search/resulttexts.h"
#include "channel/wirekey.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
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

// Runs the built headless host with its own registry file and collects what it prints (and what
// it says on its error output too, when asked).
SearchRun RunSearch(const std::string& arguments, const std::filesystem::path& registry, bool errors = false)
{
    const std::string command = "VELKAN_REGISTRY='" + registry.string() + "' '" VELKAN_SEARCH_BINARY "' " +
                                arguments + (errors ? " 2>&1" : " 2>/dev/null");
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

// Registers the built module in the registry file, as a user does before running a host.
void Register(const std::filesystem::path& registry)
{
    const std::string command = "VELKAN_REGISTRY='" + registry.string() + "' '" VELKAN_REGSVR_BINARY "' '" VELKAN_MODULE_PATH
                                "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

bool Mentions(const std::vector<std::string>& lines, const std::string& text)
{
    for (const std::string& line : lines) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string Param(std::string_view userId)
{
    channel::BlowFish cipher;
    EXPECT_TRUE(cipher.Initialize(channel::kWireKey));
    return channel::EncryptToBase64(cipher, "x|" + std::string(userId) + "|c|d|e|A|0|0");
}

// A JSON line in one canonical form (its keys in order, no spaces), so that records compare as
// values whatever order their keys were written in; the line itself when it is not an object.
std::string Canonical(const std::string& line)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return "not a JSON object: " + line;
    }
    return document.toJson(QJsonDocument::Compact).toStdString();
}

std::vector<std::string> Canonical(const std::vector<std::string>& lines)
{
    std::vector<std::string> canonical;
    for (const std::string& line : lines) {
        canonical.push_back(Canonical(line));
    }
    return canonical;
}

QJsonObject Record(const std::string& line)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
}

std::string Text(const QJsonObject& record, const char* key)
{
    return record.value(QLatin1StringView(key)).toString().toStdString();
}

std::int64_t Number(const QJsonObject& record, const char* key)
{
    return static_cast<std::int64_t>(record.value(QLatin1StringView(key)).toDouble(-1));
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
        Register(m_registry);
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
        R"({"type": "folder", "row": 0, "nick": "kim", "name": "C:\\music", "size": null, "sizeText": "[폴더]", "date": "",
            "speed": 3, "image": 1})",
        R"({"type": "file", "row": 1, "nick": "kim", "name": "song.mp3", "size": 3072, "sizeText": "3KB",
            "date": "2004-01-02", "speed": 3, "image": 8, "folderRow": 0, "folder": "C:\\music"})",
        R"({"type": "summary", "found": 2, "foundText": "2 개", "progress": 100, "progressText": "100%\n"})",
        R"({"type": "event", "event": "Connect", "nick": "kim", "folder": "C:\\music", "eventFolder": "QzpcbXVzaWM"})",
        R"({"type": "serverinfo", "answered": true, "download": "3/10", "upload": "0/5", "countText": "1,234",
            "sizeText": "5GB", "reason": null})",
    };
    EXPECT_EQ(Canonical(run.lines), Canonical(expected));
}

// A host never registers the module itself: it finds the control through the registry, and when
// that fails it says where it looked and what went wrong.
TEST_F(VelkanSearchTest, ControlThatCannotBeCreatedIsExplained)
{
    const std::filesystem::path empty = m_registry.parent_path() / "empty.reg";
    const SearchRun unregistered = RunSearch("--search song --app-server " + m_appServer, empty, true);
    EXPECT_EQ(unregistered.status, 1);
    EXPECT_TRUE(Mentions(unregistered.lines, "\"VELKANFILESEARCH.VelkanFileSearchCtrl.1\" is not registered"));
    EXPECT_TRUE(Mentions(unregistered.lines, empty.string() + " (no such file)"));

    // The module moved away after it was registered.
    const std::filesystem::path stale = m_registry.parent_path() / "stale.reg";
    std::filesystem::copy_file(m_registry, stale);
    std::ifstream in(stale);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::string module = std::filesystem::weakly_canonical(VELKAN_MODULE_PATH).string();
    const std::string gone = m_registry.parent_path().string() + "/gone/libvelkanfilesearch.so";
    for (std::size_t at = text.find(module); at != std::string::npos; at = text.find(module, at + gone.size())) {
        text.replace(at, module.size(), gone);
    }
    std::ofstream(stale, std::ios::trunc) << text;
    const SearchRun moved = RunSearch("--search song --app-server " + m_appServer, stale, true);
    EXPECT_EQ(moved.status, 1);
    EXPECT_TRUE(Mentions(moved.lines, "cannot load the module " + gone + " (named by " + stale.string() + "): "));
    EXPECT_TRUE(Mentions(moved.lines, "No such file or directory"));
}

TEST_F(VelkanSearchTest, MissingRowAndBadUsage)
{
    const SearchRun missing = RunSearch("--json --search song --app-server " + m_appServer + " --connect 9", m_registry);
    ASSERT_EQ(missing.status, 0);
    ASSERT_FALSE(missing.lines.empty());
    EXPECT_EQ(Canonical(missing.lines.back()), Canonical(R"({"type": "message", "text": "파일을 선택하세요"})"));

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
    EXPECT_EQ(Canonical(run.lines),
              Canonical(std::vector<std::string>{
                  R"({"type": "summary", "found": 0, "foundText": "0 개", "progress": 100, "progressText": "100%\n"})"}));
    const auto requests = m_network.PeerCounters(m_kimPort).requests;
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_TRUE(requests[0].starts_with("/find ") && requests[0].ends_with("||velkan")) << requests[0];
}

// The record a server-information query ends with when no figures came.
std::string Unanswered(const std::string& reason)
{
    return R"({"type": "serverinfo", "answered": false, "download": null, "upload": null, "countText": null,
               "sizeText": null, "reason": ")" +
           reason + R"("})";
}

TEST_F(VelkanSearchTest, ServerInformationEndsWhenTheServerClosesWithoutAnAnswer)
{
    // The first "kim" of the list, the one the information is asked of, fails in its own way;
    // the second holds the rows.
    struct Case {
        localnet::PeerBehaviour behaviour;
        std::string reason;
    };
    for (const Case& test : {Case{localnet::PeerBehaviour::Garbage, "malformed"},
                             Case{localnet::PeerBehaviour::Hangup, "closed"},
                             Case{localnet::PeerBehaviour::Refuse, "refused"}}) {
        SCOPED_TRACE(test.reason);
        const std::uint16_t failing = m_network.AddPeer({.nick = "kim", .behaviour = test.behaviour});
        m_network.ServeScript({.pieces = {"kim,127.0.0.1," + std::to_string(failing) + ",10|kim,127.0.0.1," +
                                          std::to_string(m_kimPort) + ",150\r\n"}});
        const SearchRun run = RunSearch("--json --search song --timeout 30 --server-info 0 --param " +
                                            Param("velkan") + " --app-server " + m_appServer,
                                        m_registry);
        ASSERT_EQ(run.status, 0);
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ(Canonical(run.lines.back()), Canonical(Unanswered(test.reason)));
        if (test.behaviour != localnet::PeerBehaviour::Refuse) {
            EXPECT_EQ(m_network.PeerCounters(failing).requests.back(), "/sinf ");
        }
    }
}

TEST_F(VelkanSearchTest, ServerInformationOfNoSuchRowAndAfterTheTimeOut)
{
    const SearchRun missing = RunSearch("--json --search song --server-info 9 --param " + Param("velkan") +
                                            " --app-server " + m_appServer,
                                        m_registry);
    ASSERT_EQ(missing.status, 0);
    ASSERT_FALSE(missing.lines.empty());
    EXPECT_EQ(Canonical(missing.lines.back()), Canonical(Unanswered("no-such-row")));
    const SearchRun table = RunSearch("--search song --server-info 9 --app-server " + m_appServer, m_registry);
    ASSERT_FALSE(table.lines.empty());
    EXPECT_EQ(table.lines.back(), "server information: no answer (no-such-row)");

    // The server asked never takes the connect, and holds the search from coming to rest, so
    // --timeout runs out first; the rows come from the second "kim".
    const std::uint16_t unanswering = m_network.AddPeer({.nick = "kim", .behaviour = localnet::PeerBehaviour::Blackhole});
    m_network.ServeScript({.pieces = {"kim,127.0.0.1," + std::to_string(unanswering) + ",10|kim,127.0.0.1," +
                                      std::to_string(m_kimPort) + ",150\r\n"}});
    const SearchRun late = RunSearch("--json --search song --timeout 5 --server-info 0 --param " + Param("velkan") +
                                         " --app-server " + m_appServer,
                                     m_registry);
    EXPECT_EQ(late.status, 4);
    ASSERT_FALSE(late.lines.empty());
    EXPECT_EQ(Canonical(late.lines.back()), Canonical(Unanswered("timeout")));
}

TEST_F(VelkanSearchTest, SilentApplicationServerTimesOut)
{
    m_network.ServeSilence();
    const SearchRun run = RunSearch("--search song --timeout 1 --app-server " + m_appServer, m_registry);
    EXPECT_EQ(run.status, 4);
}

// Every line is a typed record; the numbers say what their texts show; each file row names the
// folder row it sits under.
TEST_F(VelkanSearchTest, JsonRecordsAgreeWithTheirTexts)
{
    const std::int64_t large = std::int64_t{841826} * 1024 + 500; // shown in whole kilobytes
    const std::vector<localnet::SharedFile> files = {
        {.path = cp949::FromUtf8("C:\\음악\\노래.mp3"), .date = "2001-02-03 04:05", .size = 1023},
        {.path = cp949::FromUtf8("C:\\음악\\긴곡.mp3"), .date = "2001-02-03 04:05", .size = large},
        {.path = "D:\\x\\a.mp3", .date = "2002-01-01 00:00", .size = 0},
        {.path = "plain.mp3", .date = "2003-01-01 00:00", .size = 5000},
    };
    m_network.AddPeer({.nick = "lee", .speed = 40, .files = files});
    // A path without a folder first in a reply gets no folder row of its own.
    m_network.AddPeer({.nick = "park", .speed = 700, .files = {{.path = "top.mp3", .date = "2004-01-01", .size = 1}}});
    const SearchRun run =
        RunSearch("--json --search mp3 --timeout 60 --param " + Param("velkan") + " --app-server " + m_appServer, m_registry);
    ASSERT_EQ(run.status, 0);
    ASSERT_FALSE(run.lines.empty());

    const std::set<std::string> types = {"folder", "file", "summary", "event", "message", "serverinfo"};
    int rows = 0;
    QJsonObject folder;
    std::vector<std::string> withoutFolder;
    for (const std::string& line : run.lines) {
        SCOPED_TRACE(line);
        ASSERT_NE(Canonical(line).rfind("not a JSON object", 0), 0U);
        const QJsonObject record = Record(line);
        const std::string type = Text(record, "type");
        EXPECT_TRUE(types.contains(type));
        if (type == "folder") {
            EXPECT_TRUE(record.value(u"size").isNull());
            folder = record;
        }
        if (type == "file" && record.value(u"folderRow").isNull()) {
            EXPECT_TRUE(record.value(u"folder").isNull());
            withoutFolder.push_back(Text(record, "name"));
        } else if (type == "file") {
            EXPECT_EQ(search::SizeText(Number(record, "size")), Text(record, "sizeText"));
            EXPECT_EQ(Number(record, "folderRow"), Number(folder, "row"));
            EXPECT_EQ(Text(record, "folder"), Text(folder, "name"));
            EXPECT_EQ(Text(record, "nick"), Text(folder, "nick"));
        }
        if (type == "folder" || type == "file") {
            EXPECT_EQ(Number(record, "row"), rows++);
            EXPECT_GE(Number(record, "speed"), 1);
            EXPECT_LE(Number(record, "speed"), 5);
        }
    }
    EXPECT_EQ(withoutFolder, std::vector<std::string>{"top.mp3"});
    // Exact bytes, where the list shows whole kilobytes.
    std::map<std::string, std::int64_t> sizes;
    for (const std::string& line : run.lines) {
        const QJsonObject record = Record(line);
        if (Text(record, "type") == "file") {
            sizes[Text(record, "name")] = Number(record, "size");
        }
    }
    EXPECT_EQ(sizes, (std::map<std::string, std::int64_t>{
                         {"노래.mp3", 1023}, {"긴곡.mp3", large}, {"a.mp3", 0}, {"plain.mp3", 5000},
                         {"song.mp3", 3072}, {"top.mp3", 1}}));

    const QJsonObject summary = Record(run.lines.back());
    ASSERT_EQ(Text(summary, "type"), "summary");
    EXPECT_EQ(Number(summary, "found"), rows);
    EXPECT_EQ(Text(summary, "foundText"), std::to_string(rows) + " 개");
    EXPECT_EQ(Text(summary, "progressText"), std::to_string(Number(summary, "progress")) + "%\n");
}

// The Connect record gives the folder as text beside the event's argument as raised: Base64 of
// the folder's CP949 bytes, or the whole path when it holds no folder.
TEST_F(VelkanSearchTest, ConnectRecordCarriesTheFolderAndTheEventsArgument)
{
    m_network.AddPeer({.nick = "lee",
                       .speed = 40,
                       .files = {{.path = cp949::FromUtf8("C:\\음악\\긴곡.mp3"), .date = "2001-02-03", .size = 9},
                                 {.path = "plain.mp3", .date = "2003-01-01", .size = 5}}});
    struct Case {
        const char* search;
        int row;
        std::string folder;
        std::string eventFolder;
    };
    const Case cases[] = {
        // The result's folder row is row 0, its file row row 1.
        {"긴곡", 1, "C:\\음악", channel::Base64Codec::Encode(cp949::FromUtf8("C:\\음악"))},
        // A reply's first path without a folder: no folder row.
        {"plain", 0, "plain.mp3", "plain.mp3"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.search);
        const SearchRun run = RunSearch("--json --connect " + std::to_string(test.row) + " --timeout 60 --search " + test.search +
                                            " --param " + Param("velkan") + " --app-server " + m_appServer,
                                        m_registry);
        ASSERT_EQ(run.status, 0);
        ASSERT_FALSE(run.lines.empty());
        const QJsonObject event = Record(run.lines.back());
        EXPECT_EQ(Text(event, "type"), "event");
        EXPECT_EQ(Text(event, "event"), "Connect");
        EXPECT_EQ(Text(event, "nick"), "lee");
        EXPECT_EQ(Text(event, "folder"), test.folder);
        EXPECT_EQ(Text(event, "eventFolder"), test.eventFolder);
    }
}

// Rows are written while the search goes on; a signal then stops it as the stop button does,
// and the summary of what was found closes the output.
TEST_F(VelkanSearchTest, RowsArriveDuringTheSearchAndASignalEndsIt)
{
    // A silent server keeps the search from coming to rest for a minute.
    const std::uint16_t silent = m_network.AddPeer({.nick = "quiet", .behaviour = localnet::PeerBehaviour::Silent});
    m_network.ServeScript({.pieces = {"kim,127.0.0.1," + std::to_string(m_kimPort) + ",150|quiet,127.0.0.1," +
                                      std::to_string(silent) + ",10\r\n"}});
    const struct {
        int signal;
        int status;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.signal);
        test::ChildProcess child(VELKAN_SEARCH_BINARY,
                                 {"--json", "--search", "song", "--timeout", "120", "--param", Param("velkan"),
                                  "--app-server", m_appServer},
                                 {"VELKAN_REGISTRY=" + m_registry.string()});
        std::vector<std::string> types;
        while (types.empty() || types.back() != "file") {
            const std::optional<std::string> line = child.NextLine(std::chrono::seconds(60));
            ASSERT_TRUE(line) << child.Err();
            types.push_back(Text(Record(*line), "type"));
        }
        EXPECT_EQ(types, (std::vector<std::string>{"folder", "file"}));
        child.Signal(test.signal);
        std::vector<QJsonObject> rest;
        while (const std::optional<std::string> line = child.NextLine(std::chrono::seconds(60))) {
            rest.push_back(Record(*line));
        }
        EXPECT_EQ(child.Wait(std::chrono::seconds(60)), test.status) << child.Err();
        ASSERT_EQ(rest.size(), 1U);
        EXPECT_EQ(Text(rest[0], "type"), "summary");
        EXPECT_EQ(Number(rest[0], "found"), 2);
    }
}

// Every line of a --json --outcomes run: each parses and is typed, the outcome records and the
// fetch record come before the summary, which comes last.
std::vector<QJsonObject> TypedRecords(const std::vector<std::string>& lines)
{
    const std::set<std::string> types = {"folder", "file", "summary", "event", "message", "serverinfo", "outcome", "fetch"};
    std::vector<QJsonObject> records;
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        EXPECT_NE(Canonical(line).rfind("not a JSON object", 0), 0U);
        records.push_back(Record(line));
        EXPECT_TRUE(types.contains(Text(records.back(), "type")));
    }
    EXPECT_FALSE(records.empty());
    EXPECT_EQ(Text(records.back(), "type"), "summary");
    return records;
}

// A list that never came is exit status 3, and the fetch record says why; a list with no usable
// entry is a fetch that worked (exit 0), whose record says why nothing was kept.
TEST_F(VelkanSearchTest, AFailedServerListFetchExitsThree)
{
    const localnet::FileDescriptor nobody = localnet::OpenLoopbackSocket(0, false);
    const std::string down = "127.0.0.1:" + std::to_string(localnet::LocalPort(nobody.Get()));
    struct Case {
        const char* name;
        std::function<void()> serve;
        std::string appServer;
        int status;
        std::string outcome;
        int malformed;
    };
    const Case cases[] = {
        {"down", [] {}, down, 3, "refused", 0},
        {"closes", [&] { m_network.ServeCloseWithoutAnswer(); }, m_appServer, 3, "no-reply", 0},
        {"nothing usable", [&] { m_network.ServeScript({.pieces = {"a,b|c\r\n"}}); }, m_appServer, 0, "listed", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.serve();
        const SearchRun run = RunSearch("--json --outcomes --search song --timeout 60 --app-server " + c.appServer, m_registry);
        EXPECT_EQ(run.status, c.status);
        const std::vector<QJsonObject> records = TypedRecords(run.lines);
        ASSERT_EQ(records.size(), 2U); // no server was contacted
        const QJsonObject& fetch = records[0];
        EXPECT_EQ(Text(fetch, "type"), "fetch");
        EXPECT_EQ(Text(fetch, "outcome"), c.outcome);
        EXPECT_EQ(Number(fetch, "kept"), 0);
        EXPECT_EQ(Number(fetch, "malformed"), c.malformed);
        EXPECT_EQ(Number(fetch, "dropped"), c.malformed);
        EXPECT_EQ(fetch.value(u"connected").toBool(), c.outcome != "refused");
        EXPECT_EQ(Text(fetch, "error"), c.outcome == "refused" ? "Connection refused" : "");
    }
}

// One outcome record for each server contacted, with figures that agree with the rows; the
// readable table ends with the same outcomes counted.
TEST_F(VelkanSearchTest, EachServerContactedHasItsOutcome)
{
    m_network.AddPeer({.nick = "nobody", .behaviour = localnet::PeerBehaviour::Refuse});
    m_network.AddPeer({.nick = "noise", .behaviour = localnet::PeerBehaviour::Garbage});
    const std::string arguments = "--search song --timeout 60 --app-server " + m_appServer;
    const SearchRun run = RunSearch("--json --outcomes " + arguments, m_registry);
    ASSERT_EQ(run.status, 0);
    const std::vector<QJsonObject> records = TypedRecords(run.lines);
    std::map<std::string, QJsonObject> outcomes;
    std::int64_t rows = 0;
    for (const QJsonObject& record : records) {
        if (Text(record, "type") == "outcome") {
            outcomes[Text(record, "nick")] = record;
            rows += Number(record, "rows");
        }
        if (Text(record, "type") == "fetch") {
            EXPECT_EQ(Text(record, "outcome"), "listed");
            EXPECT_EQ(Number(record, "kept"), 3);
        }
    }
    ASSERT_EQ(outcomes.size(), 3U);
    EXPECT_EQ(Text(outcomes["kim"], "outcome"), "answered");
    EXPECT_EQ(Number(outcomes["kim"], "port"), m_kimPort);
    EXPECT_EQ(Number(outcomes["kim"], "items"), 1);
    EXPECT_EQ(Text(outcomes["nobody"], "outcome"), "refused");
    EXPECT_EQ(Text(outcomes["nobody"], "error"), "Connection refused");
    EXPECT_TRUE(outcomes["nobody"].value(u"firstByteMs").isNull());
    EXPECT_EQ(Text(outcomes["noise"], "outcome"), "not-understood");
    EXPECT_EQ(Number(outcomes["noise"], "otherLines"), 1);
    EXPECT_EQ(rows, Number(records.back(), "found"));

    const SearchRun readable = RunSearch(arguments, m_registry);
    ASSERT_EQ(readable.status, 0);
    const auto found = std::find_if(readable.lines.begin(), readable.lines.end(),
                                    [](const std::string& line) { return line.starts_with("found: "); });
    ASSERT_NE(found, readable.lines.begin());
    ASSERT_NE(found, readable.lines.end());
    EXPECT_EQ(*(found - 1), "3 servers: 1 answered, 1 refused, 1 not-understood");
    EXPECT_FALSE(Mentions(readable.lines, "outcome: "));
}

} // namespace
