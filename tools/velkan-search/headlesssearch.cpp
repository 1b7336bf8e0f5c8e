#include "headlesssearch.h"

#include "comhost.h"
#include "eventsink.h"
#include "hostoptions.h"
#include "propertyoptions.h"
#include "searchoutput.h"
#include "velkanfilesearch.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace velkan::host {

namespace {

constexpr int kExitEnded = 0;
constexpr int kExitNoControl = 1;
constexpr int kExitTimeOut = 4;

// Runs the event loop until done() holds or the deadline passes; false on the deadline.
bool WaitUntil(const std::function<bool()>& done, const QDeadlineTimer& deadline)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
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

std::string HexResult(com::HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

} // namespace

int RunHeadlessSearch(const SearchOptions& options, const std::filesystem::path& module,
                      std::ostream& out, std::ostream& err)
{
    if (!comhost::IsRegistered(control::kControlProgId)) {
        const com::HRESULT registered = comhost::RegisterModule(module);
        if (com::Failed(registered)) {
            err << "velkan-search: cannot register " << module << ": " << HexResult(registered) << "\n";
            if (const auto reason = comhost::RegistrationFailureReason(registered)) {
                err << "velkan-search: " << *reason << "\n";
            }
            return kExitNoControl;
        }
    }
    comhost::CreatedObject created;
    const com::HRESULT made = comhost::CreateByProgId(control::kControlProgId, com::IID_IDispatch, &created);
    if (com::Failed(made) || created.object.Get() == nullptr) {
        err << "velkan-search: cannot create " << control::kControlProgId << ": " << HexResult(made) << "\n";
        return kExitNoControl;
    }
    com::IUnknown* control = created.object.Get();
    auto* persist = Query<com::IPersistPropertyBag>(control, com::IID_IPersistPropertyBag);
    auto* window = Query<control::IControlWindow>(control, control::IID_IControlWindow);
    auto* access = Query<control::IVelkanPanelAccess>(control, control::IID_IVelkanPanelAccess);
    auto* points = Query<com::IConnectionPointContainer>(control, com::IID_IConnectionPointContainer);
    auto* dispatch = Query<com::IDispatch>(control, com::IID_IDispatch);
    if (persist == nullptr || window == nullptr || access == nullptr || points == nullptr || dispatch == nullptr) {
        err << "velkan-search: the control lacks an interface a host needs\n";
        return kExitNoControl;
    }

    SearchOutput output(out, options.json);
    std::vector<std::function<void()>> events; // printed after the rows
    comhost::MemoryPropertyBag bag = PropertySet(options.properties);
    persist->Load(&bag);
    if (options.appServerHost) {
        access->SetAppServer(*options.appServerHost, options.appServerPort);
    }
    access->SetMessageHandler([&](const std::string& text) { events.push_back([&, text] { output.Message(text); }); });
    bool idle = false;
    access->SetIdleHandler([&] { idle = true; });

    com::IConnectionPoint* point = nullptr;
    std::uint32_t cookie = 0;
    auto* sink = new EventSink([&](const std::string& nick, const std::string& folder) {
        events.push_back([&, nick, folder] { output.ConnectEvent(nick, folder); });
    });
    if (com::Succeeded(points->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, &point))) {
        point->Advise(sink, &cookie);
    }

    const QDeadlineTimer deadline(std::chrono::seconds(options.timeoutSeconds));
    QWidget host;
    window->CreateWindow(&host);
    const QSize size = options.width > 0 ? QSize(options.width, options.height) : window->Window()->size();
    host.resize(size);
    window->SetSize(size.width(), size.height());
    host.show();
    // An empty stored search starts nothing, so the empty text is asked for as a page would.
    if (options.properties.search && options.properties.search->empty()) {
        dispatch->Invoke(control::DISPID_VELKANSEARCH, 0, com::DISPATCH_METHOD, {com::Bstr()}, nullptr);
    }

    bool ended = WaitUntil([&] { return idle; }, deadline);

    if (options.connectRow) {
        access->ConnectToRow(*options.connectRow);
    }
    if (options.serverInfoRow) {
        bool answered = false;
        bool over = false;
        control::ServerInfoView info;
        const auto onAnswer = [&](const control::ServerInfoView& view) {
            info = view;
            answered = true;
        };
        if (com::Succeeded(access->QueryServerInfo(*options.serverInfoRow, onAnswer, [&] { over = true; }))) {
            ended = WaitUntil([&] { return answered || over; }, deadline) && ended;
            if (answered) {
                events.push_back([&output, info] { output.ServerInfo(info); });
            } else if (over) {
                events.push_back([&output] { output.Message("no answer from that row's server"); });
            }
        } else {
            events.push_back([&output] { output.Message("no server information for that row"); });
        }
    }
    if (options.screenshot && !host.grab().save(QString::fromStdString(*options.screenshot))) {
        err << "velkan-search: cannot write " << *options.screenshot << "\n";
    }

    int rows = 0;
    access->RowCount(&rows);
    std::vector<control::RowView> views(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        access->Row(row, &views[static_cast<std::size_t>(row)]);
    }
    std::string found;
    std::string progress;
    access->FoundText(&found);
    access->ProgressText(&progress);
    output.Rows(views);
    output.Totals(found, progress);
    for (const auto& event : events) {
        event();
    }

    window->DestroyWindow();
    dispatch->Release();
    if (point != nullptr) {
        point->Unadvise(cookie);
        point->Release();
    }
    sink->Release();
    points->Release();
    access->Release();
    window->Release();
    persist->Release();
    if (!ended) {
        err << "velkan-search: timed out after " << options.timeoutSeconds << " s\n";
    }
    return ended ? kExitEnded : kExitTimeOut;
}

} // namespace velkan::host
