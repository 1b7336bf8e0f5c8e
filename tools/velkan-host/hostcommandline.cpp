#include "tools/velkan-host/hostcommandline.h"


#include <QCommandLineParser>

namespace velkan::host {

namespace {

const char* const kDescription =
    "Opens a window that embeds the file-search control, created through the registry, with a\n"
    "row of the host's own commands above it and a log of the Connect events below.\n"
    "An option's value follows it as the next argument or after an equals sign.";

const char* const kExitStatuses =
    "\nExit status: 0 the window was closed (or the picture written), 1 the control cannot be\n"
    "created or the picture cannot be written, 2 usage or an unusable property file.\n";

void AddOptions(QCommandLineParser& parser)
{
    AddCommonOptions(parser, kDescription);
    parser.addOptions({
        {QStringLiteral("properties"),
         QStringLiteral("load a property set file (as the window saves one) before the options above"),
         QStringLiteral("FILE")},
        {QStringLiteral("screenshot"),
         QStringLiteral("once the search comes to rest (with no search, once the window shows), write a PNG picture "
                        "of the window to FILE and one of the outcomes window as NAME-outcomes.png, and quit"),
         QStringLiteral("FILE")},
    });
}

} // namespace

HostCommandLine ParseHostCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    HostCommandLine commandLine;
    const std::string usage = parser.helpText().toStdString() + kExitStatuses;
    if (auto early = ParseCommonOptions(parser, arguments, "velkan-host", usage)) {
        commandLine.action = early->action;
        commandLine.text = std::move(early->text);
        return commandLine;
    }
    HostOptions& options = commandLine.options;
    options.properties = ReadPropertyOptions(parser);
    if (auto error = ReadAppServerOption(parser, options.appServer)) {
        commandLine.text = "velkan-host: " + *error + "\n" + usage;
        return commandLine;
    }
    if (parser.isSet(QStringLiteral("screenshot"))) {
        options.screenshot = parser.value(QStringLiteral("screenshot")).toStdString();
    }
    if (parser.isSet(QStringLiteral("properties"))) {
        // A file the user named and the program could not use is an error, never an empty set.
        comhost::MemoryPropertyBag stored;
        std::string error;
        if (!comhost::LoadPropertySet(parser.value(QStringLiteral("properties")).toStdString(), stored, &error)) {
            commandLine.action = HostCommandLine::Action::Usage;
            commandLine.text = "velkan-host: " + error + "\n";
            return commandLine;
        }
        options.stored = std::move(stored);
    }
    commandLine.action = HostCommandLine::Action::Run;
    return commandLine;
}

} // namespace velkan::host
