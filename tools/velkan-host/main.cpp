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
    "                   [--properties FILE] [--app-server HOST:PORT]\n"
    "\n"
    "Opens a window that embeds the file-search control. --properties loads a property set\n"
    "file (as saved from the window) before the options are applied.\n";

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    velkan::host::PropertyOptions properties;
    std::optional<std::string> propertyFile;
    std::optional<std::string> appServer;
    int appServerPort = 0;
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
    if (!comhost::IsRegistered(control::kControlProgId)) {
        const char* variable = std::getenv("VELKAN_MODULE");
        const std::string module = variable != nullptr ? variable : VELKAN_DEFAULT_MODULE;
        const com::HRESULT registered = comhost::RegisterModule(module);
        if (com::Failed(registered)) {
            std::cerr << "velkan-host: cannot register " << module << "\n";
            if (const auto reason = comhost::RegistrationFailureReason(registered)) {
                std::cerr << "velkan-host: " << *reason << "\n";
            }
            return 1;
        }
    }
    comhost::CreatedObject control;
    if (com::Failed(comhost::CreateByProgId(control::kControlProgId, com::IID_IUnknown, &control))) {
        std::cerr << "velkan-host: cannot create " << control::kControlProgId << "\n";
        return 1;
    }
    host::HostWindow window(std::move(control), properties, propertyFile, appServer, appServerPort);
    window.show();
    return application.exec();
}
