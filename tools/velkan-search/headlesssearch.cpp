#include "tools/velkan-search/headlesssearch.h"

#include "velkanfilesearch/comhost.h"
#include "control/eventsink/eventsink.h"
#include "tools/velkan-search/exitstatus.h"
#include "tools/hostcommon/hostoptions.h"
#include "tools/hostcommon/propertyoptions.h"
#include "tools/velkan-search/rowfeed.h"
#include "tools/velkan-search/searchoutput.h"
#include "tools/velkan-search/stopsignals.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <optional>
#include <string>

namespace velkan::host {

namespace {

// Runs the event loop until done() holds or the deadline passes, calling each tick every 10 ms
// on the way; false on the deadline.
bool WaitUntil(const std::function<bool()>& done, const QDeadlineTimer& deadline,
               const std::function<void()>& tick = {})
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (tick) {
            tick();
        }
        if (done() || deadline.hasExpired()) {
            loop.quit();
        }
    });
    poll.start(10);
    if (!done()) {
        loop.exec();
    }
    return done();
}

// The interfaces a host needs of the control, released together.
struct ControlInterfaces {
    com::IPersistPropertyBag* persist = nullptr;
    control::IControlWindow* window = nullptr;
    control::IVelkanPanelAccess* access = nullptr;
    com::IConnectionPointContainer* points = nullptr;
    com::IDispatch* dispatch = nullptr;

    explicit ControlInterfaces(com::IUnknown* control)
        : persist(Query<com::IPersistPropertyBag>(control, com::IID_IPersistPropertyBag)),
          window(Query<control::IControlWindow>(control, control::IID_IControlWindow)),
          access(Query<control::IVelkanPanelAccess>(control, control::IID_IVelkanPanelAccess)),
          points(Query<com::IConnectionPointContainer>(control, com::IID_IConnectionPointContainer)),
          dispatch(Query<com::IDispatch>(control, com::IID_IDispatch))
    {
    }
    ~ControlInterfaces()
    {
        for (com::IUnknown* held : std::initializer_list<com::IUnknown*>{dispatch, points, access, window, persist}) {
            if (held != nullptr) {
                held->Release();
            }
        }
    }
    ControlInterfaces(const ControlInterfaces&) = delete;
    ControlInterfaces& operator=(const ControlInterfaces&) = delete;

    [[nodiscard]] bool Complete() const
    {
        return persist != nullptr && window != nullptr && access != nullptr && points != nullptr && dispatch != nullptr;
    }
};

// The found count is the number of rows listed; the progress number is the bar's position.
SearchSummary Summarise(control::IVelkanPanelAccess& access)
{
    SearchSummary summary;
    access.RowCount(&summary.found);
    access.FoundText(&summary.foundText);
    access.ProgressText(&summary.progressText);
    if (int percent = 0; com::Succeeded(access.Progress(&percent))) {
        summary.progress = percent;
    }
    access.OutcomeTally(&summary.tally);
    return summary;
}

// Runs --connect and --server-info on the rested panel; false when the deadline passed or a
// signal came while waiting for the server's answer.
bool RunRowActions(const SearchOptions& options, control::IVelkanPanelAccess& access, SearchOutput& output,
                   const QDeadlineTimer& deadline, const int& interruptedBy)
{
    if (options.connectRow) {
        access.ConnectToRow(*options.connectRow);
    }
    if (!options.serverInfoRow) {
        return true;
    }
    std::optional<control::ServerInfoView> info;
    std::optional<std::string> unanswered;
    const auto onAnswer = [&](const control::ServerInfoView& view) { info = view; };
    const auto onEnd = [&](const std::string& why) { unanswered = why; };
    if (com::Failed(access.QueryServerInfo(*options.serverInfoRow, onAnswer, onEnd))) {
        output.ServerInfoUnanswered("no-such-row");
        return true;
    }
    const bool inTime =
        WaitUntil([&] { return info.has_value() || unanswered.has_value() || interruptedBy != 0; }, deadline);
    if (info) {
        output.ServerInfo(*info);
    } else if (unanswered) {
        output.ServerInfoUnanswered(*unanswered);
    } else if (!inTime) {
        output.ServerInfoUnanswered("timeout");
    }
    return inTime;
}

} // namespace

int RunHeadlessSearch(const SearchOptions& options, std::ostream& out, std::ostream& err)
{
    comhost::CreatedObject created;
    std::string why;
    const com::HRESULT made = comhost::CreateByProgId(control::kControlProgId, com::IID_IDispatch, &created, &why);
    if (com::Failed(made) || created.object.Get() == nullptr) {
        err << "velkan-search: cannot create " << control::kControlProgId << " (" << comhost::ResultText(made)
            << "): " << why << "\n";
        return ExitStatusFor(RunEnd::NoControl);
    }
    const ControlInterfaces control(created.object.Get());
    if (!control.Complete()) {
        err << "velkan-search: the control lacks an interface a host needs\n";
        return ExitStatusFor(RunEnd::NoControl);
    }
    control::IVelkanPanelAccess& access = *control.access;

    SearchOutput output(out, options.json);
    comhost::MemoryPropertyBag bag = PropertySet(options.properties);
    control.persist->Load(&bag);
    if (options.appServer.host) {
        access.SetAppServer(*options.appServer.host, options.appServer.port);
    }
    access.SetMessageHandler([&](const std::string& text) { output.Message(text); });
    bool idle = false;
    access.SetIdleHandler([&] { idle = true; });

    com::IConnectionPoint* point = nullptr;
    std::uint32_t cookie = 0;
    // The folder as text comes from the seam while the event is being raised, as the Qt widget
    // takes it; the event's own argument goes alongside, exactly as raised.
    auto* sink = new comhost::EventSink([&](const std::string& nick, const std::string& eventFolder) {
        std::string folder;
        if (com::Failed(access.ConnectFolder(&folder))) {
            folder = eventFolder;
        }
        output.ConnectEvent(nick, folder, eventFolder);
    });
    if (com::Succeeded(control.points->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, &point))) {
        point->Advise(sink, &cookie);
    }

    // A signal stops the search as the stop button does; the rows so far and the summary follow.
    int interruptedBy = 0;
    const StopSignals stopSignals([&](int signal) {
        if (interruptedBy == 0) {
            interruptedBy = signal;
            control.dispatch->Invoke(control::DISPID_STOPSEARCH, 0, com::DISPATCH_METHOD, {}, nullptr);
        }
    });

    const QDeadlineTimer deadline(std::chrono::seconds(options.timeoutSeconds));
    QWidget host;
    control.window->CreateWindow(&host);
    const QSize size = options.width > 0 ? QSize(options.width, options.height) : control.window->Window()->size();
    host.resize(size);
    control.window->SetSize(size.width(), size.height());
    host.show();
    // An empty stored search starts nothing, so the empty text is asked for as a page would.
    if (options.properties.search && options.properties.search->empty()) {
        control.dispatch->Invoke(control::DISPID_VELKANSEARCH, 0, com::DISPATCH_METHOD, {com::Bstr()}, nullptr);
    }

    // JSON records go out as the rows arrive; the table is printed from the list at the end.
    RowFeed feed(access);
    const auto passRows = [&] {
        if (options.json) {
            feed.PassNewRows([&](const ListedRow& row) { output.Row(row); });
        }
    };
    bool ended = WaitUntil([&] { return idle || interruptedBy != 0; }, deadline, passRows);
    passRows();
    std::vector<control::ServerOutcomeView> servers;
    control::FetchOutcomeView fetch;
    access.Outcomes(&servers, &fetch);
    if (options.outcomes) {
        output.Outcomes(servers, fetch);
    }
    output.Summary(Summarise(access), [&](const std::function<void(const ListedRow&)>& visit) {
        RowFeed(access).PassNewRows(visit);
    });

    if (interruptedBy == 0) {
        ended = RunRowActions(options, access, output, deadline, interruptedBy) && ended;
        if (options.screenshot) {
            // The picture shows the file-type pictures the list keeps, not stand-ins.
            bool pictures = false;
            ended = WaitUntil([&] { return com::Failed(access.PicturesFinal(&pictures)) || pictures || interruptedBy != 0; },
                              deadline) &&
                    ended;
            if (!host.grab().save(QString::fromStdString(*options.screenshot))) {
                err << "velkan-search: cannot write " << *options.screenshot << "\n";
            }
        }
    }

    control.window->DestroyWindow();
    if (point != nullptr) {
        point->Unadvise(cookie);
        point->Release();
    }
    sink->Release();
    if (interruptedBy != 0) {
        return ExitStatusFor(RunEnd::Interrupted, interruptedBy);
    }
    if (!ended) {
        err << "velkan-search: timed out after " << options.timeoutSeconds << " s\n";
        return ExitStatusFor(RunEnd::TimedOut);
    }
    if (fetch.outcome != "listed") {
        err << "velkan-search: no server list (" << fetch.outcome << (fetch.error.empty() ? "" : ": " + fetch.error)
            << ")\n";
        return ExitStatusFor(RunEnd::FetchFailed);
    }
    return ExitStatusFor(RunEnd::Searched);
}

} // namespace velkan::host
