// What became of each server a search contacted and of the fetch of its list, as the private
// seam gives them to our own hosts.

#include "control/module/velkanfilesearchctrl.h"

#include "channel/cp949convert.h"
#include "ui/searchpanel.h"

namespace velkan::control {

using com::S_OK;

namespace {

ServerOutcomeView ViewOf(const search::ServerOutcome& outcome)
{
    ServerOutcomeView view{
        .nick = cp949::ToUtf8(outcome.nick),
        .host = cp949::ToUtf8(outcome.host),
        .port = outcome.port,
        .address = outcome.address,
        .outcome = std::string(search::OutcomeName(outcome.outcome)),
        .end = std::string(search::ConnectionEndName(outcome.end)),
        .error = search::ErrorText(outcome.error),
    };
#define VELKAN_COPY_FIGURE(name, path, kind, title) view.name = outcome.path name;
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_COPY_FIGURE)
#undef VELKAN_COPY_FIGURE
    return view;
}

FetchOutcomeView ViewOf(const search::FetchOutcome& fetch)
{
    FetchOutcomeView view{
        .outcome = std::string(search::FetchOutcomeName(fetch)),
        .error = search::ErrorText(fetch.figures.error),
    };
#define VELKAN_COPY_FIGURE(name, path, kind, title) view.name = fetch.path name;
    VELKAN_FETCH_FIGURES(VELKAN_COPY_FIGURE)
#undef VELKAN_COPY_FIGURE
    return view;
}

} // namespace

void CVelkanFileSearchCtrl::ForwardOutcomes(ui::SearchPanel& panel)
{
    search::SearchEngine& engine = panel.Engine();
    if (m_serverOutcomeHandler) {
        QObject::connect(&engine, &search::SearchEngine::outcomeSettled, &panel,
                         [handler = m_serverOutcomeHandler](const search::ServerOutcome& outcome) {
                             handler(ViewOf(outcome));
                         });
    }
    if (m_fetchOutcomeHandler) {
        QObject::connect(&engine, &search::SearchEngine::fetchSettled, &panel,
                         [handler = m_fetchOutcomeHandler, &engine] { handler(ViewOf(engine.Fetch())); });
    }
}

HRESULT CVelkanFileSearchCtrl::SetOutcomeHandlers(std::function<void(const ServerOutcomeView&)> server,
                                                  std::function<void(const FetchOutcomeView&)> fetch)
{
    m_serverOutcomeHandler = std::move(server);
    m_fetchOutcomeHandler = std::move(fetch);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::Outcomes(std::vector<ServerOutcomeView>* servers, FetchOutcomeView* fetch)
{
    if (servers == nullptr || fetch == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    const search::SearchEngine& engine = m_panel->Engine();
    servers->clear();
    for (const search::ServerOutcome& outcome : engine.Outcomes()) {
        servers->push_back(ViewOf(outcome));
    }
    *fetch = ViewOf(engine.Fetch());
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::OutcomeTally(std::string* text)
{
    if (text == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    *text = search::OutcomeTallyText(m_panel->Engine().OutcomeCountsNow());
    return S_OK;
}

} // namespace velkan::control
