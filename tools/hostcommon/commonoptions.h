#pragma once

#include <QStringList>

#include <optional>
#include <string>

class QCommandLineParser;

namespace velkan::host {

// The options every host takes: --help, --version, the control's five properties and
// --app-server, with the program's description at the head of its help.
void AddCommonOptions(QCommandLineParser& parser, const char* description);

// What a host's command line asks for: to run, or only a text to print (the help or the version
// on standard output; the reason the line is wrong, with the usage, on standard error).
enum class CommandLineAction { Run, Help, Version, Usage };

// A command line answered before the host's own options are read.
struct EarlyAnswer {
    CommandLineAction action;
    std::string text;
};

// Parses arguments (the program's own name first); nothing when the host's own options come next.
std::optional<EarlyAnswer> ParseCommonOptions(QCommandLineParser& parser, const QStringList& arguments,
                                              const std::string& program, const std::string& usage);

// The application server --app-server names, left as it was when the option is not given.
struct AppServerOption {
    std::optional<std::string> host;
    int port = 0;
};

// Reads --app-server into server; the reason when its value is not HOST:PORT.
std::optional<std::string> ReadAppServerOption(const QCommandLineParser& parser, AppServerOption& server);

} // namespace velkan::host
