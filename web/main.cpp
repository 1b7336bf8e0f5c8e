#include "tools/longoptions/longoptions.h"
#include "web/webhost.h"

#include <QGuiApplication>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using velkan::web::WebHost;
using velkan::web::WebHostOptions;

constexpr int kIdleExitMs = 5 * 60 * 1000;

enum Option {
    kPort = 1000,
    kAllowOrigin,
    kAppServer,
    kMaxControls,
    kMaxPerOrigin,
    kMaxPeerConnections,
    kMaxPendingInput,
    kHelp,
};

constexpr velkan::tools::LongOption kOptions[] = {
    {"port", true, kPort},
    {"allow-origin", true, kAllowOrigin},
    {"app-server", true, kAppServer},
    {"max-controls", true, kMaxControls},
    {"max-controls-per-origin", true, kMaxPerOrigin},
    {"max-peer-connections", true, kMaxPeerConnections},
    {"max-pending-input-mib", true, kMaxPendingInput},
    {"help", false, kHelp},
};

constexpr const char* kUsage =
    "usage: velkan-webhost [--port N] [--allow-origin ORIGIN]... [--app-server HOST:PORT]\n"
    "                      [--max-controls N] [--max-controls-per-origin N]\n"
    "                      [--max-peer-connections N] [--max-pending-input-mib N]\n"
    "Serves the search control to web pages on 127.0.0.1 and [::1] (port 8091 unless given).\n"
    "All controls together hold at most 1000 peer connections and 128 MiB of input not yet\n"
    "read to a line end unless given; each control at most 500 and 64 MiB of them.\n"
    "Pages may open a control only from the origins of /etc/velkanfilesearch/web-origins,\n"
    "$XDG_CONFIG_HOME/velkanfilesearch/web-origins and --allow-origin.\n";

std::optional<int> Number(const std::string& text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool ParseAppServer(const std::string& text, velkan::search::AppServerEndpoint& endpoint)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    const auto port = Number(text.substr(colon + 1), 1, 65535);
    if (!port) {
        return false;
    }
    endpoint.host = text.substr(0, colon);
    endpoint.port = *port;
    return true;
}

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "velkan-webhost: %s\n%s", reason.c_str(), kUsage);
    return 2;
}

// The listening sockets systemd handed over, if it started us.
std::vector<int> ActivationDescriptors()
{
    const char* pid = std::getenv("LISTEN_PID");
    const char* fds = std::getenv("LISTEN_FDS");
    if (pid == nullptr || fds == nullptr || std::atol(pid) != static_cast<long>(getpid())) {
        return {};
    }
    std::vector<int> descriptors;
    for (int i = 0; i < std::atoi(fds) && i < 16; ++i) {
        descriptors.push_back(3 + i);
    }
    return descriptors;
}

// The controls together may hold a thousand connections and more: the soft limit goes up to
// the hard one.
void RaiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = velkan::tools::ParseLongOptions(args, "", kOptions);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        return Fail(*error);
    }
    const auto& arguments = std::get<velkan::tools::ParsedArguments>(parsed);
    if (!arguments.operands.empty()) {
        return Fail("unexpected operand " + arguments.operands.front());
    }
    WebHostOptions options;
    bool appServerGiven = false;
    for (const auto& [id, value] : arguments.options) {
        switch (id) {
        case kPort:
            if (const auto port = Number(value, 0, 65535)) {
                options.port = static_cast<quint16>(*port);
            } else {
                return Fail("--port needs a port number, not " + value);
            }
            break;
        case kAllowOrigin:
            if (const auto origin = velkan::web::ParseOrigin(QByteArray::fromStdString(value))) {
                options.allowedOrigins.push_back(*origin);
            } else {
                return Fail("--allow-origin needs scheme://host[:port] in lower case, not " + value);
            }
            break;
        case kAppServer:
            if (!ParseAppServer(value, options.appServer)) {
                return Fail("--app-server needs HOST:PORT, not " + value);
            }
            appServerGiven = true;
            break;
        case kMaxControls:
        case kMaxPerOrigin:
            if (const auto count = Number(value, 1, 1000)) {
                (id == kMaxControls ? options.maxControls : options.maxControlsPerOrigin) = *count;
            } else {
                return Fail("the control limits are whole numbers from 1 to 1000, not " + value);
            }
            break;
        case kMaxPeerConnections:
            if (const auto count = Number(value, 1, 1000000)) {
                options.maxPeerConnections = *count;
            } else {
                return Fail("--max-peer-connections needs a whole number from 1 to 1000000, not " + value);
            }
            break;
        case kMaxPendingInput:
            if (const auto mebibytes = Number(value, 1, 1024 * 1024)) {
                options.maxPendingInputBytes = static_cast<std::size_t>(*mebibytes) << 20;
            } else {
                return Fail("--max-pending-input-mib needs a whole number from 1 to 1048576, not " + value);
            }
            break;
        case kHelp:
            std::fputs(kUsage, stdout);
            return 0;
        default:
            return Fail("unknown option");
        }
    }
    if (const char* environment = std::getenv("VELKAN_APP_SERVER"); !appServerGiven && environment != nullptr &&
                                                                    *environment != '\0') {
        if (!ParseAppServer(environment, options.appServer)) {
            return Fail(std::string("VELKAN_APP_SERVER needs HOST:PORT, not ") + environment);
        }
    }
    RaiseDescriptorLimit();
    // The file-type pictures are drawn off screen; the bridge never shows a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const std::vector<int> descriptors = ActivationDescriptors();
    WebHost host(options);
    if (const QString error = host.Listen(descriptors); !error.isEmpty()) {
        std::fprintf(stderr, "velkan-webhost: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stderr, "velkan-webhost: serving http://127.0.0.1:%u/\n", host.Port());
    // Started by its socket, the bridge leaves when no page has used it for a while.
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(kIdleExitMs);
    if (!descriptors.empty()) {
        QObject::connect(&idle, &QTimer::timeout, &application, &QCoreApplication::quit);
        QObject::connect(&host, &WebHost::sessionsChanged, &idle, [&] {
            if (host.SessionCount() == 0) {
                idle.start();
            } else {
                idle.stop();
            }
        });
        idle.start();
    }
    return QGuiApplication::exec();
}
