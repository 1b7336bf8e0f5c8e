// The desktop host: embeds the file-search control in a window of its own, created through the
// registry, and offers the host's side of it.

#include "comhost.h"
#include "hostoptions.h"
#include "hostwindow.h"
#include "propertyoptions.h"
#include "velkanfilesearch.h"

#include <QApplication>

#include <iostream>

namespace {

const char* const kUsage =
    "usage: velkan-host [--param P] [--search TEXT] [--ban-words W] [--strip S] [--ban-word B]\n"
    "                   [--properties FILE] [--app-server HOST:PORT] [--screenshot FILE]\n"
    "\n"
    "Opens a window that embeds the file-search control. --properties loads a property set\n"
    "file (as saved from the window) before the options are applied. --screenshot waits for\n"
    "the stored search to come to rest, writes a PNG picture of the window to FILE and one of\n"
    "the server outcomes window beside it (NAME-outcomes.png), and quits.\n";

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    velkan::host::PropertyOptions properties;
    std::optional<std::string> propertyFile;
    std::optional<std::string> appServer;
    int appServerPort = 0;
    std::optional<QString> screenshot;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "velkan-host: missing value for " << name << "\n" << kUsage;
            return 2;
        }
        const std::string value = argv[++i];
        if (velkan::host::TakePropertyOption(name, value, properties)) {
            continue;
        }
        if (name == "--properties") {
            propertyFile = value;
        } else if (name == "--screenshot") {
            screenshot = QString::fromStdString(value);
        } else if (name == "--app-server") {
            const auto endpoint = velkan::host::ParseHostPort(value);
            if (!endpoint) {
                std::cerr << "velkan-host: --app-server needs HOST:PORT\n" << kUsage;
                return 2;
            }
            appServer = endpoint->first;
            appServerPort = endpoint->second;
        } else {
            std::cerr << "velkan-host: unknown option " << name << "\n" << kUsage;
            return 2;
        }
    }

    using namespace velkan;
    comhost::CreatedObject control;
    std::string why;
    const com::HRESULT made = comhost::CreateByProgId(control::kControlProgId, com::IID_IUnknown, &control, &why);
    if (com::Failed(made)) {
        std::cerr << "velkan-host: cannot create " << control::kControlProgId << " (" << comhost::ResultText(made)
                  << "): " << why << "\n";
        return 1;
    }
    host::HostWindow window(std::move(control), properties, propertyFile, appServer, appServerPort);
    window.show();
    if (screenshot && !window.ScreenshotWhenIdle(*screenshot)) {
        std::cerr << "velkan-host: no search to wait for\n";
        return 1;
    }
    return application.exec();
}
