#include "headlesssearch.h"
#include "searchoptions.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv)
{
    // A headless host: the control is activated on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << velkan::host::SearchUsage();
        return 0;
    }
    const auto parsed = velkan::host::ParseSearchOptions(arguments);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "velkan-search: " << *error << "\n" << velkan::host::SearchUsage();
        return 2;
    }
    QApplication application(argc, argv);
    return velkan::host::RunHeadlessSearch(std::get<velkan::host::SearchOptions>(parsed), std::cout, std::cerr);
}
