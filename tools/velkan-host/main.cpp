// The desktop host: embeds the file-search control in a window of its own, created through the
// registry, and offers the host's side of it.

#include "velkanfilesearch/comhost.h"
#include "tools/velkan-host/hostcommandline.h"
#include "tools/velkan-host/hostwindow.h"
#include "velkanfilesearch/velkanfilesearch.h"

#include <QApplication>

#include <iostream>

namespace {

// The command line is read before any window system is asked for, so that --help, --version
// and a wrong option work without a display.
velkan::host::HostCommandLine ReadCommandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    // The help text names the program as the application gives it.
    int appArgc = 1;
    const QCoreApplication application(appArgc, argv);
    return velkan::host::ParseHostCommandLine(arguments);
}

} // namespace

int main(int argc, char** argv)
{
    using velkan::host::HostCommandLine;
    const HostCommandLine commandLine = ReadCommandLine(argc, argv);
    switch (commandLine.action) {
    case HostCommandLine::Action::Help:
    case HostCommandLine::Action::Version:
        std::cout << commandLine.text;
        return 0;
    case HostCommandLine::Action::Usage:
        std::cerr << commandLine.text;
        return 2;
    case HostCommandLine::Action::Run:
        break;
    }

    // Qt is shown the program's name alone, so it takes none of the host's arguments for its own.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    // Where the kept properties are (~/.config/VelkanFileSearch/velkan-host.conf), and the
    // desktop entry the window belongs to.
    QCoreApplication::setOrganizationName(QStringLiteral("VelkanFileSearch"));
    QCoreApplication::setApplicationName(QStringLiteral("velkan-host"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.velkan.FileSearchHost"));
    using namespace velkan;
    comhost::CreatedObject control;
    std::string why;
    const com::HRESULT made = comhost::CreateByProgId(control::kControlProgId, com::IID_IUnknown, &control, &why);
    if (com::Failed(made)) {
        std::cerr << "velkan-host: cannot create " << control::kControlProgId << " (" << comhost::ResultText(made)
                  << "): " << why << "\n";
        return 1;
    }
    host::HostWindow window(std::move(control), commandLine.options);
    window.show();
    if (commandLine.options.screenshot && !window.Screenshot(QString::fromStdString(*commandLine.options.screenshot))) {
        std::cerr << "velkan-host: the control offers no way to wait for its search\n";
        return 1;
    }
    return application.exec();
}
