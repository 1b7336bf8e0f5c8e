#include "tools/velkan-search/exitstatus.h"
#include "tools/velkan-search/headlesssearch.h"
#include "tools/velkan-search/searchoptions.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv)
{
    using velkan::host::SearchCommandLine;
    // A headless host: the control is activated on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt is shown the program's name alone, so it takes none of the search's arguments for its own.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const SearchCommandLine commandLine = velkan::host::ParseSearchCommandLine(arguments);
    switch (commandLine.action) {
    case SearchCommandLine::Action::Help:
    case SearchCommandLine::Action::Version:
        std::cout << commandLine.text;
        return velkan::host::ExitStatusFor(velkan::host::RunEnd::Searched);
    case SearchCommandLine::Action::Usage:
        std::cerr << commandLine.text;
        return velkan::host::ExitStatusFor(velkan::host::RunEnd::Usage);
    case SearchCommandLine::Action::Run:
        break;
    }
    return velkan::host::RunHeadlessSearch(commandLine.options, std::cout, std::cerr);
}
