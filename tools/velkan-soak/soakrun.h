#pragma once

#include "tools/velkan-localnet/network.h"
#include "tools/velkan-soak/rsssampler.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <memory>

namespace velkan::search {
class ServerInfoQuery;
}
namespace velkan::ui {
class SearchPanel;
}

namespace velkan::soak {

// One process that searches again and again, for as long as it is told, against a local network
// holding every kind of hostile peer, and asks one listed server for its information with each
// search. What it measures says whether memory creeps up over a long run.
class SoakRun : public QObject {
    Q_OBJECT

public:
    struct Figures {
        int searches = 0;
        int stuck = 0; // searches that had not ended after kStuckAfter and were stopped
        std::uint64_t firstTenthPeak = 0;
        std::uint64_t lastTenthPeak = 0;
        std::size_t budgetPeak = 0;
        std::size_t budgetLimit = 0;
        std::size_t evictions = 0;
    };

    // Longer than any search with the run's limits can take.
    static constexpr std::chrono::seconds kStuckAfter{120};

    explicit SoakRun(std::chrono::milliseconds length);
    ~SoakRun() override;

    // Runs the event loop until the time is up, then ends the search under way.
    Figures Run();

private:
    void StartNext();
    void OnIdle();
    void OnStuck();

    const std::chrono::milliseconds m_length;
    localnet::Network m_network;
    std::unique_ptr<ui::SearchPanel> m_panel;
    std::unique_ptr<search::ServerInfoQuery> m_query;
    RssSampler m_sampler{100};
    QEventLoop m_loop;
    QTimer m_end;
    QTimer m_watchdog;
    bool m_searching = false;
    int m_searches = 0;
    int m_stuck = 0;
};

} // namespace velkan::soak
