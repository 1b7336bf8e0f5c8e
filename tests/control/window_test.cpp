#include "control/module/aboutdialog.h"
#include "tests/control/argumenttexts.h"
#include "channel/base64codec.h"
#include "ui/bitmapbutton.h"
#include "velkanfilesearch/bstrconvert.h"
#include "channel/cp949convert.h"
#include "ui/dialogunits.h"
#include "tools/velkan-localnet/network.h"
#include "ui/resultlistctrl.h"
#include "search/resulttexts.h"
#include "ui/searchpanel.h"
#include "ui/serverinfodialog.h"
#include "tests/control/testsupport.h"
#include "control/module/velkanfilesearchctrl.h"
#include "control/module/velkanfilesearchproppage.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <utility>

using namespace velkan;
using com::Bstr;
using com::Variant;
using control::CVelkanFileSearchCtrl;
using test::kWaitMs;

namespace {

const std::string kKimNick = cp949::FromUtf8("김철");

localnet::SharedFile File(std::string path, std::int64_t size = 2048)
{
    return {.path = std::move(path), .date = "2004-01-02 10:11", .size = size};
}

class ControlWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_kimPort = m_network.AddPeer({.nick = kKimNick,
                                       .speed = 150,
                                       .files = {File("C:\\music\\song.mp3")},
                                       .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5",
                                                .fileCount = 1234, .totalBytes = 5368709120}});
        m_network.AddPeer({.nick = "lee", .speed = 20, .files = {File("D:\\x\\song.txt", 10)}});
        m_network.Start();
        m_control->SetAppServer("127.0.0.1", m_network.AppServerPort());
        m_control->SetMessageHandler([this](const std::string& text) { m_messages.push_back(text); });
        m_control->SetIdleHandler([this] { ++m_idles; });
        m_control->SetProperty(control::DISPID_PARAM, test::Param("tester"));
    }
    void TearDown() override
    {
        m_control.Reset();
        m_network.Stop();
    }

    com::HRESULT Call(com::DISPID member, std::vector<Variant> arguments = {})
    {
        return m_control->Invoke(member, 0, com::DISPATCH_METHOD, arguments, nullptr);
    }

    ui::SearchPanel& Panel()
    {
        EXPECT_NE(m_control->Panel(), nullptr);
        return *m_control->Panel();
    }

    // Waits for the search to come to rest with rows rows.
    bool WaitForRows(int rows)
    {
        return QTest::qWaitFor(
            [&] {
                int count = -1;
                return m_idles > 0 && m_control->RowCount(&count) == com::S_OK && count == rows;
            },
            kWaitMs);
    }

    int RowOf(std::string_view nickUtf8, bool folder)
    {
        int rows = 0;
        EXPECT_EQ(m_control->RowCount(&rows), com::S_OK);
        for (int row = 0; row < rows; ++row) {
            control::RowView view;
            EXPECT_EQ(m_control->Row(row, &view), com::S_OK);
            if (view.nick == nickUtf8 && (view.size == "[폴더]") == folder) {
                return row;
            }
        }
        return -1;
    }

    std::vector<std::string> PeerRequests(std::uint16_t port) const { return m_network.PeerCounters(port).requests; }

    test::ScopedRegistry m_registry;
    localnet::Network m_network;
    std::uint16_t m_kimPort = 0;
    QWidget m_host;
    com::ComPtr<CVelkanFileSearchCtrl> m_control = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
    std::vector<std::string> m_messages;
    int m_idles = 0;
};

TEST_F(ControlWindowTest, StoredSearchStartsWhenTheWindowIsMade)
{
    m_control->SetProperty(control::DISPID_SEARCH, cp949::FromUtf8("song"));
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ui::SearchPanel& panel = Panel();
    EXPECT_EQ(panel.parentWidget(), &m_host);
    EXPECT_EQ(m_control->Window(), &panel);
    EXPECT_FALSE(panel.isHidden());
    EXPECT_EQ(panel.Engine().SearchText(), "song");
    ASSERT_TRUE(WaitForRows(4));

    const auto requests = PeerRequests(m_kimPort);
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_TRUE(requests[0].ends_with("|song|tester")) << requests[0];

    // Rows as their columns show them, in UTF-8.
    control::RowView file;
    ASSERT_EQ(m_control->Row(RowOf("김철", false), &file), com::S_OK);
    EXPECT_EQ(file.name, "song.mp3");
    EXPECT_EQ(file.size, "2KB");
    EXPECT_EQ(file.date, "2004-01-02");
    EXPECT_EQ(file.speedLevel, search::SpeedLevel(150));
    EXPECT_GE(file.image, 0);
    control::RowView folder;
    ASSERT_EQ(m_control->Row(RowOf("김철", true), &folder), com::S_OK);
    EXPECT_EQ(folder.name, "C:\\music");
    EXPECT_EQ(folder.date, "");
    control::RowView lee;
    ASSERT_EQ(m_control->Row(RowOf("lee", false), &lee), com::S_OK);
    EXPECT_EQ(lee.size, "10B");
    EXPECT_EQ(lee.speedLevel, search::SpeedLevel(20));
    EXPECT_NE(file.speedLevel, lee.speedLevel);

    std::string found;
    std::string progress;
    ASSERT_EQ(m_control->FoundText(&found), com::S_OK);
    ASSERT_EQ(m_control->ProgressText(&progress), com::S_OK);
    EXPECT_EQ(found, "4 개");
    EXPECT_TRUE(progress.starts_with("100%")) << progress;
    control::RowView none;
    EXPECT_EQ(m_control->Row(4, &none), com::E_INVALIDARG);
    EXPECT_EQ(m_control->Row(-1, &none), com::E_INVALIDARG);
}

TEST_F(ControlWindowTest, SearchPutAfterTheWindowExistsStartsNone)
{
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(m_control->Invoke(control::DISPID_SEARCH, 0, com::DISPATCH_PROPERTYPUT, {Bstr(u"song")}, nullptr), com::S_OK);
    ui::SearchPanel& panel = Panel();
    EXPECT_FALSE(panel.Engine().IsFetching());
    EXPECT_EQ(panel.Engine().SearchText(), "");
    // The property itself took the value.
    EXPECT_EQ(m_control->GetProperty(control::DISPID_SEARCH), "song");

    // The method does start one.
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    EXPECT_TRUE(panel.Engine().IsFetching());
    ASSERT_TRUE(WaitForRows(4));
    EXPECT_EQ(m_network.AppServerCounters().accepted, 1U);
}

TEST_F(ControlWindowTest, VelkanSearchTakesAnyArgumentAsText)
{
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    const search::SearchEngine& engine = Panel().Engine();
    for (const test::ArgumentText& c : test::ArgumentTexts()) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"before")}), com::S_OK);
        if (!c.text) {
            EXPECT_EQ(Call(control::DISPID_VELKANSEARCH, {c.value}), com::DISP_E_TYPEMISMATCH);
            EXPECT_EQ(engine.SearchText(), "before");
            continue;
        }
        ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {c.value}), com::S_OK);
        EXPECT_EQ(engine.SearchText(), cp949::FromUtf8(c.held));
    }
}

TEST_F(ControlWindowTest, MethodsBeforeTheWindowDoNothing)
{
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_EQ(Call(control::DISPID_STOPSEARCH), com::S_OK);
    int rows = 0;
    std::string text;
    EXPECT_EQ(m_control->RowCount(&rows), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->FoundText(&text), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->ProgressText(&text), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->ConnectToRow(0), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->QueryServerInfo(0, {}), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->SetSize(10, 10), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->Window(), nullptr);

    // The text was not kept for the window: no search starts with it.
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    EXPECT_FALSE(Panel().Engine().IsFetching());
    EXPECT_EQ(Panel().Engine().SearchText(), "");
    EXPECT_EQ(m_idles, 0);
    EXPECT_EQ(m_control->CreateWindow(&m_host), com::E_UNEXPECTED);
}

TEST_F(ControlWindowTest, StopSearchEndsTheRunningSearch)
{
    const std::uint16_t silent = m_network.AddPeer({.nick = "quiet", .behaviour = localnet::PeerBehaviour::Silent});
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ui::SearchPanel& panel = Panel();
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.PeerCounters(silent).open == 1; }, kWaitMs));
    ASSERT_EQ(m_idles, 0);

    ASSERT_EQ(Call(control::DISPID_STOPSEARCH), com::S_OK);
    EXPECT_EQ(m_idles, 1);
    EXPECT_EQ(panel.Engine().OpenPeerConnections(), 0);
    EXPECT_FALSE(panel.Button(search::PanelButton::Stop).isEnabled());
    EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.PeerCounters(silent).open == 0; },
                                    std::chrono::milliseconds(kWaitMs)));
}

// A host that takes a picture of the panel asks whether its file-type pictures are final: not
// before the window exists, and they become final once the icon theme has been read.
TEST_F(ControlWindowTest, PicturesBecomeFinalThroughThePrivateSeam)
{
    bool final = true;
    EXPECT_EQ(m_control->PicturesFinal(nullptr), com::E_POINTER);
    EXPECT_EQ(m_control->PicturesFinal(&final), com::E_UNEXPECTED);
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_control->PicturesFinal(&final) == com::S_OK && final; }, kWaitMs));
}

// Each server's outcome reaches the host as it is settled, the fetch's as it ends, and the
// whole search's on request, those still connected counted by what they did so far.
TEST_F(ControlWindowTest, OutcomesReachTheHostThroughThePrivateSeam)
{
    const std::uint16_t silent = m_network.AddPeer({.nick = "quiet", .behaviour = localnet::PeerBehaviour::Silent});
    std::vector<control::ServerOutcomeView> settled;
    std::vector<control::FetchOutcomeView> fetches;
    m_control->SetOutcomeHandlers([&](const control::ServerOutcomeView& view) { settled.push_back(view); },
                                  [&](const control::FetchOutcomeView& view) { fetches.push_back(view); });
    std::string tally;
    EXPECT_EQ(m_control->OutcomeTally(&tally), com::E_UNEXPECTED);
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return settled.size() == 2 && m_network.PeerCounters(silent).requests.size() == 1; }, kWaitMs));
    ASSERT_EQ(fetches.size(), 1U);
    EXPECT_EQ(fetches[0].outcome, "listed");
    EXPECT_EQ(fetches[0].kept, 3);
    ASSERT_EQ(m_control->OutcomeTally(&tally), com::S_OK);
    EXPECT_EQ(tally, "3 servers: 2 answered, 1 still-open");

    std::vector<control::ServerOutcomeView> servers;
    control::FetchOutcomeView fetch;
    ASSERT_EQ(m_control->Outcomes(&servers, &fetch), com::S_OK);
    ASSERT_EQ(servers.size(), 3U);
    EXPECT_EQ(servers[0].nick, cp949::ToUtf8(kKimNick));
    EXPECT_EQ(servers[0].port, m_kimPort);
    EXPECT_EQ(servers[2].outcome, "still-open");
    EXPECT_EQ(servers[2].closeMs, -1);
    EXPECT_GT(servers[2].bytesSent, 0);
    EXPECT_EQ(fetch.outcome, "listed");
    int rows = 0;
    for (const control::ServerOutcomeView& server : settled) {
        EXPECT_EQ(server.outcome, "answered");
        rows += server.rows;
    }
    int shown = 0;
    ASSERT_EQ(m_control->RowCount(&shown), com::S_OK);
    EXPECT_EQ(rows, shown);

    ASSERT_EQ(Call(control::DISPID_STOPSEARCH), com::S_OK);
    ASSERT_EQ(settled.size(), 3U);
    EXPECT_EQ(settled[2].nick, "quiet");
    EXPECT_EQ(settled[2].outcome, "still-open");
    EXPECT_EQ(settled[2].end, "closed-by-us");
    EXPECT_EQ(m_control->Outcomes(nullptr, &fetch), com::E_POINTER);
}

// A host may act on an outcome as it is told of it: read the outcomes, start the search again
// or stop it, all from inside its handler.
TEST_F(ControlWindowTest, AnOutcomeHandlerMayRestartOrStopTheSearch)
{
    const std::uint16_t silent = m_network.AddPeer({.nick = "quiet", .behaviour = localnet::PeerBehaviour::Silent});
    std::vector<std::string> settled;
    bool restarted = false;
    m_control->SetOutcomeHandlers(
        [&](const control::ServerOutcomeView& view) {
            settled.push_back(view.nick + " " + view.outcome);
            std::vector<control::ServerOutcomeView> servers;
            control::FetchOutcomeView fetch;
            EXPECT_EQ(m_control->Outcomes(&servers, &fetch), com::S_OK);
            if (!std::exchange(restarted, true)) {
                EXPECT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
            }
        },
        {});
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    // The second search, started from the first outcome's handler, runs as any other.
    std::string tally;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            int rows = 0;
            return m_control->RowCount(&rows) == com::S_OK && rows == 4 &&
                   m_control->OutcomeTally(&tally) == com::S_OK && tally == "3 servers: 2 answered, 1 still-open" &&
                   m_network.PeerCounters(silent).open == 1;
        },
        kWaitMs))
        << tally;
    ASSERT_TRUE(restarted);

    m_control->SetOutcomeHandlers({}, {});
    const auto before = static_cast<std::ptrdiff_t>(settled.size());
    ASSERT_EQ(Call(control::DISPID_STOPSEARCH), com::S_OK);
    // Handlers are taken when the window is made: the ones set at the start still run.
    EXPECT_NE(std::find(settled.begin() + before, settled.end(), "quiet still-open"), settled.end());
    std::vector<control::ServerOutcomeView> servers;
    control::FetchOutcomeView fetch;
    ASSERT_EQ(m_control->Outcomes(&servers, &fetch), com::S_OK);
    ASSERT_EQ(servers.size(), 3U);
    EXPECT_EQ(servers[0].outcome, "answered");
    EXPECT_EQ(servers[1].outcome, "answered");
    EXPECT_EQ(servers[2].outcome, "still-open");
}

TEST_F(ControlWindowTest, ReactivationKeepsNothingOfTheEarlierPanel)
{
    const std::uint16_t silent = m_network.AddPeer({.nick = "quiet", .behaviour = localnet::PeerBehaviour::Silent});
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(m_control->SetSize(700, 500), com::S_OK);
    QPointer<ui::SearchPanel> first = m_control->Panel();
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            int rows = 0;
            return m_control->RowCount(&rows) == com::S_OK && rows == 4 && m_network.PeerCounters(silent).open == 1;
        },
        kWaitMs));

    // Going away closes every connection of the panel, the silent peer's included.
    ASSERT_EQ(m_control->DestroyWindow(), com::S_OK);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(m_control->Window(), nullptr);
    EXPECT_TRUE(m_host.findChildren<ui::SearchPanel*>().isEmpty());
    EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.PeerCounters(silent).open == 0; },
                                    std::chrono::milliseconds(kWaitMs)));

    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ui::SearchPanel& second = Panel();
    int rows = -1;
    std::string found;
    std::string progress;
    ASSERT_EQ(m_control->RowCount(&rows), com::S_OK);
    ASSERT_EQ(m_control->FoundText(&found), com::S_OK);
    ASSERT_EQ(m_control->ProgressText(&progress), com::S_OK);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(found, "0 개");
    EXPECT_EQ(progress, "0%");
    EXPECT_EQ(second.size(), second.TemplateSize());
    EXPECT_EQ(second.Engine().SearchText(), "");
    EXPECT_TRUE(second.Engine().ServerList().empty());
    EXPECT_EQ(second.ProgressBar().value(), 0);
}

TEST_F(ControlWindowTest, SetSizePlacesThePanelAtTheOrigin)
{
    m_host.resize(900, 700);
    m_host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    EXPECT_TRUE(Panel().isVisible());
    for (const QSize size : {QSize(800, 600), QSize(500, 320)}) {
        ASSERT_EQ(m_control->SetSize(size.width(), size.height()), com::S_OK);
        EXPECT_EQ(Panel().geometry(), QRect(QPoint(0, 0), size));
        // The panel's own layout follows.
        EXPECT_EQ(Panel().ResultList().geometry(), QRect(0, 56, size.width() - 2, size.height() - 90));
    }
    EXPECT_EQ(m_control->SetSize(-1, 5), com::E_INVALIDARG);
}

TEST_F(ControlWindowTest, ConnectReachesEverySinkUntilItIsUnadvised)
{
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_TRUE(WaitForRows(4));

    test::RecordingSink byDispatch;
    test::RecordingSink byEvents(true, false);
    // The control goes before the sinks it holds, however the test ends.
    const auto releaseFirst = qScopeGuard([this] { m_control.Reset(); });
    {
        com::ComPtr<com::IConnectionPoint> point;
        ASSERT_EQ(m_control->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, point.Put()), com::S_OK);
        std::uint32_t first = 0;
        std::uint32_t second = 0;
        ASSERT_EQ(point->Advise(&byDispatch, &first), com::S_OK);
        ASSERT_EQ(point->Advise(&byEvents, &second), com::S_OK);
        EXPECT_NE(first, 0U);
        EXPECT_NE(first, second);
        EXPECT_EQ(byDispatch.references, 1U);

        ASSERT_EQ(m_control->ConnectToRow(RowOf("김철", false)), com::S_OK);
        const std::vector<Variant> kim = {Bstr(u"김철"), com::FromUtf8(channel::Base64Codec::Encode("C:\\music"))};
        for (const test::RecordingSink* sink : {&byDispatch, &byEvents}) {
            ASSERT_EQ(sink->calls.size(), 1U);
            EXPECT_EQ(sink->calls[0].dispid, control::DISPID_EVENT_CONNECT);
            EXPECT_EQ(sink->calls[0].arguments, kim);
        }

        ASSERT_EQ(point->Unadvise(first), com::S_OK);
        EXPECT_EQ(byDispatch.references, 0U);
        EXPECT_EQ(point->Unadvise(first), com::CONNECT_E_NOCONNECTION);
        EXPECT_EQ(point->Unadvise(second + 100), com::CONNECT_E_NOCONNECTION);
        ASSERT_EQ(m_control->ConnectToRow(RowOf("lee", true)), com::S_OK);
        EXPECT_EQ(byDispatch.calls.size(), 1U);
        ASSERT_EQ(byEvents.calls.size(), 2U);
        EXPECT_EQ(byEvents.calls[1].arguments,
                  (std::vector<Variant>{Bstr(u"lee"), com::FromUtf8(channel::Base64Codec::Encode("D:\\x"))}));
        EXPECT_EQ(Panel().ResultList().SelectedRow(), RowOf("lee", true));
    }

    // A row that is not there: no selection, the panel's message, no event.
    EXPECT_EQ(m_control->ConnectToRow(4), com::E_INVALIDARG);
    EXPECT_EQ(Panel().ResultList().SelectedRow(), -1);
    EXPECT_EQ(m_messages, std::vector<std::string>{"파일을 선택하세요"});
    EXPECT_EQ(byEvents.calls.size(), 2U);

    // The control lets its sinks go when it goes.
    m_control.Reset();
    EXPECT_EQ(byEvents.references, 0U);
}

TEST_F(ControlWindowTest, ServerInformationArrivesWithoutBlocking)
{
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_TRUE(WaitForRows(4));

    std::optional<control::ServerInfoView> answer;
    ASSERT_EQ(m_control->QueryServerInfo(RowOf("김철", true), [&](const control::ServerInfoView& view) { answer = view; }),
              com::S_OK);
    // The window is up, on its own, before any answer.
    QPointer<ui::ServerInfoDialog> dialog;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<ui::ServerInfoDialog*>(widget); found != nullptr && found->isVisible()) {
            dialog = found;
        }
    }
    ASSERT_FALSE(dialog.isNull());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->TitleText(), QStringLiteral("김철 서버 정보"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, kWaitMs));
    EXPECT_EQ(answer->download, "3/10");
    EXPECT_EQ(answer->upload, "0/5");
    EXPECT_EQ(answer->count, "1,234");
    EXPECT_EQ(answer->size, "5GB");

    EXPECT_EQ(m_control->QueryServerInfo(4, {}), com::E_INVALIDARG);
    EXPECT_EQ(m_control->QueryServerInfo(-1, {}), com::E_INVALIDARG);
    // The window belongs to the control's panel and goes with it.
    ASSERT_EQ(m_control->DestroyWindow(), com::S_OK);
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(ControlWindowTest, ServerInformationWindowClosesByItself)
{
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    ASSERT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    ASSERT_TRUE(WaitForRows(4));
    bool answered = false;
    ASSERT_EQ(m_control->QueryServerInfo(RowOf("lee", false), [&](const control::ServerInfoView&) { answered = true; }),
              com::S_OK);
    QPointer<ui::ServerInfoDialog> dialog;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<ui::ServerInfoDialog*>(widget); found != nullptr && found->isVisible()) {
            dialog = found;
        }
    }
    ASSERT_FALSE(dialog.isNull());
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, kWaitMs));
    QTest::mouseClick(&dialog->OkButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, kWaitMs));
}

TEST_F(ControlWindowTest, PanelThatGoesWithItsParentIsForgotten)
{
    auto host = std::make_unique<QWidget>();
    ASSERT_EQ(m_control->CreateWindow(host.get()), com::S_OK);
    host.reset();
    EXPECT_EQ(m_control->Window(), nullptr);
    int rows = 0;
    EXPECT_EQ(m_control->RowCount(&rows), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
}

TEST_F(ControlWindowTest, AboutBoxIsModalAndOwnedByNobody)
{
    test::ModalCloser closer([](QWidget& modal) {
            auto* dialog = qobject_cast<control::AboutDialog*>(&modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->parentWidget(), nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About VelkanFileSearch Control"));
            EXPECT_EQ(dialog->font().pointSize(), 8);
            const ui::DialogUnits units(dialog->font());
            EXPECT_EQ(dialog->size(), QSize(units.X(260), units.Y(55)));
            EXPECT_EQ(dialog->Icon().pos(), QPoint(units.X(10), units.Y(10)));
            EXPECT_EQ(dialog->Icon().pixmap().size(), QSize(32, 32));
            EXPECT_EQ(dialog->VersionLabel().text(), QStringLiteral("VelkanFileSearch Control, Version 1.0"));
            EXPECT_EQ(dialog->VersionLabel().geometry(), units.Rect(40, 10, 170, 8));
            EXPECT_EQ(dialog->OkButton().text(), QStringLiteral("OK"));
            EXPECT_TRUE(dialog->OkButton().isDefault());
            EXPECT_EQ(dialog->OkButton().geometry(), units.Rect(221, 7, 32, 14));
    });
    EXPECT_EQ(Call(com::DISPID_ABOUTBOX), com::S_OK);
    EXPECT_EQ(closer.Seen(), 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A form designer shows the panel as it is before any search: neither the stored search nor
// VelkanSearch goes out. The same control out of design mode searches again.
TEST_F(ControlWindowTest, DesignModeShowsThePanelWithoutSearching)
{
    m_control->SetProperty(control::DISPID_SEARCH, cp949::FromUtf8("song"));
    ASSERT_EQ(m_control->SetDesignMode(true), com::S_OK);
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    EXPECT_FALSE(Panel().isHidden());
    EXPECT_EQ(Panel().Engine().SearchText(), "");
    EXPECT_EQ(Call(control::DISPID_VELKANSEARCH, {Bstr(u"song")}), com::S_OK);
    EXPECT_EQ(Panel().Engine().SearchText(), "");
    int rows = -1;
    EXPECT_EQ(m_control->RowCount(&rows), com::S_OK);
    EXPECT_EQ(rows, 0);
    // The property the form set is kept for the program that loads the form.
    EXPECT_EQ(m_control->GetProperty(control::DISPID_SEARCH), "song");
    ASSERT_EQ(m_control->DestroyWindow(), com::S_OK);

    ASSERT_EQ(m_control->SetDesignMode(false), com::S_OK);
    ASSERT_EQ(m_control->CreateWindow(&m_host), com::S_OK);
    EXPECT_EQ(Panel().Engine().SearchText(), "song");
    EXPECT_TRUE(WaitForRows(4));
    EXPECT_EQ(PeerRequests(m_kimPort).size(), 1U);
}

TEST_F(ControlWindowTest, ConnectFolderOnlyWhileConnectIsRaised)
{
    std::string folder = "untouched";
    EXPECT_EQ(m_control->ConnectFolder(&folder), com::E_UNEXPECTED);
    EXPECT_EQ(folder, "untouched");
    EXPECT_EQ(m_control->ConnectFolder(nullptr), com::E_POINTER);
}

TEST(PropertyPageTest, GeneralPageHoldsOnlyItsText)
{
    auto page = com::ComPtr<control::CVelkanFileSearchPropPage>::Adopt(control::CVelkanFileSearchPropPage::Create());
    QWidget sheet;
    QWidget* widget = page->CreatePage(&sheet);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), &sheet);
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("General"));
    const ui::DialogUnits units(widget->font());
    EXPECT_EQ(widget->size(), QSize(units.X(250), units.Y(62)));
    const auto children = widget->findChildren<QWidget*>();
    ASSERT_EQ(children.size(), 1);
    auto* text = qobject_cast<QLabel*>(children.front());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(),
              QStringLiteral("TODO: Place controls to manipulate properties of VelkanFileSearch Control on this dialog."));
    EXPECT_EQ(text->geometry(), units.Rect(7, 25, 229, 16));

    void* object = nullptr;
    EXPECT_EQ(page->QueryInterface(com::IID_IDispatch, &object), com::E_NOINTERFACE);
    EXPECT_EQ(page->QueryInterface(control::IID_IPropertyPageWindow, &object), com::S_OK);
    static_cast<com::IUnknown*>(object)->Release();
}

} // namespace
