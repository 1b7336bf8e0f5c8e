#include "tools/velkan-soak/soakrun.h"

#include "tools/velkan-localnet/commandline.h"
#include "ui/searchpanel.h"
#include "search/serverinfoquery.h"

#include <array>
#include <string_view>

namespace velkan::soak {

namespace {

using namespace std::chrono_literals;

// Texts that match much, little, nothing, and the empty text.
constexpr std::array<std::string_view, 6> kTexts = {"mp3", "a", "", "avi", "love", "no such file"};

localnet::CommandLine Population()
{
    localnet::CommandLine population;
    population.port = 0;
    population.peers = 120;
    population.seed = 11;
    population.hostile = {
        {localnet::PeerBehaviour::Silent, 10},  {localnet::PeerBehaviour::Slow, 4},
        {localnet::PeerBehaviour::Refuse, 5},   {localnet::PeerBehaviour::Garbage, 5},
        {localnet::PeerBehaviour::Endless, 2},  {localnet::PeerBehaviour::Reset, 5},
        {localnet::PeerBehaviour::Trickle, 30}, {localnet::PeerBehaviour::Blackhole, 4},
    };
    return population;
}

// Short enough for many searches in a run (a slow peer's answer would take a minute), long
// enough that the quick honest peers never meet them.
search::ConnectionLimits RunLimits()
{
    search::ConnectionLimits limits;
    limits.connectTimeout = 2s;
    limits.peerIdle = 3s;
    limits.peerLifetime = 10s;
    return limits;
}

} // namespace

SoakRun::SoakRun(std::chrono::milliseconds length)
    : m_length(length), m_network({.appServerPort = 0, .seed = 11, .keepRecords = false})
{
    localnet::PopulateNetwork(m_network, Population());
    m_network.Start();

    ui::PanelSeams seams;
    seams.search.appServer = {"127.0.0.1", m_network.AppServerPort(), 10000};
    seams.search.limits = RunLimits();
    m_panel = std::make_unique<ui::SearchPanel>(std::move(seams));
    m_panel->Initialize({});
    m_panel->show();
    connect(&m_panel->Engine(), &search::SearchEngine::searchIdle, this, &SoakRun::OnIdle);

    m_end.setSingleShot(true);
    connect(&m_end, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &SoakRun::OnStuck);
}

SoakRun::~SoakRun()
{
    m_query.reset();
    m_panel.reset();
    m_network.Stop();
}

SoakRun::Figures SoakRun::Run()
{
    m_end.start(m_length);
    QTimer::singleShot(0, this, &SoakRun::StartNext);
    m_loop.exec();
    m_watchdog.stop();
    m_panel->Engine().OnCancel();

    const std::int64_t length = m_sampler.ElapsedMs();
    const search::InputBudget& budget = m_panel->Engine().Budget();
    return {
        .searches = m_searches,
        .stuck = m_stuck,
        .firstTenthPeak = m_sampler.PeakBetween(0, length / 10),
        .lastTenthPeak = m_sampler.PeakBetween(length - length / 10, length),
        .budgetPeak = budget.PeakBytes(),
        .budgetLimit = budget.LimitBytes(),
        .evictions = budget.Evictions(),
    };
}

void SoakRun::StartNext()
{
    search::SearchEngine& engine = m_panel->Engine();
    m_searching = true;
    m_watchdog.start(kStuckAfter);
    engine.StartSearch(kTexts[static_cast<std::size_t>(m_searches) % kTexts.size()]);

    // The list of the last fetch, reused or about to be replaced: any of its servers, hostile
    // ones included, is asked for its information alongside the search.
    const auto& servers = engine.ServerList();
    m_query.reset();
    if (!servers.empty()) {
        const auto& server = servers[static_cast<std::size_t>(m_searches) % servers.size()];
        m_query = std::make_unique<search::ServerInfoQuery>(engine.Cipher(), server.host, server.port,
                                                            engine.ServerInfoSettings());
        m_query->Start();
    }
}

void SoakRun::OnIdle()
{
    if (!m_searching) {
        return;
    }
    m_searching = false;
    m_watchdog.stop();
    ++m_searches;
    QTimer::singleShot(0, this, &SoakRun::StartNext);
}

void SoakRun::OnStuck()
{
    ++m_stuck;
    m_panel->Engine().OnCancel();
}

} // namespace velkan::soak
