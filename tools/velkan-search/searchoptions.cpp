#include "tools/velkan-search/searchoptions.h"


#include <QCommandLineParser>

#include <charconv>
#include <climits>

namespace velkan::host {

namespace {

std::optional<int> ParseNumber(const std::string& text, int minimum, int maximum = INT_MAX)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

const char* const kDescription =
    "Creates the file-search control through the registry, gives it its properties as a\n"
    "stored property set, runs the search on the offscreen platform and prints the rows.\n"
    "An option's value follows it as the next argument or after an equals sign.";

const char* const kExitStatuses =
    "\nExit status: 0 the search ended (maybe with nothing found), 1 the control cannot be\n"
    "created, 2 usage, 3 the server list could not be fetched, 4 time-out, 130 and 143\n"
    "interrupted by SIGINT and SIGTERM.\n";

void AddOptions(QCommandLineParser& parser)
{
    AddCommonOptions(parser, kDescription);
    parser.addOptions({
        {QStringLiteral("timeout"), QStringLiteral("give up waiting after this long (default 180): exit status 4"),
         QStringLiteral("SECONDS")},
        {QStringLiteral("json"), QStringLiteral("one JSON object per line, written as the rows arrive")},
        {QStringLiteral("outcomes"),
         QStringLiteral("what became of each server contacted and of the server-list fetch, once the search is over")},
        {QStringLiteral("connect"), QStringLiteral("select that row (0-based) and run the double-click action"),
         QStringLiteral("ROW")},
        {QStringLiteral("server-info"), QStringLiteral("ask that row's server for its statistics"), QStringLiteral("ROW")},
        {QStringLiteral("screenshot"), QStringLiteral("write a PNG picture of the control, at --size if given"),
         QStringLiteral("FILE")},
        {QStringLiteral("size"), QStringLiteral("the picture's size, each side at most 8192"), QStringLiteral("WxH")},
    });
}

// The options' values, or the reason one is unusable.
std::variant<SearchOptions, std::string> ReadOptions(const QCommandLineParser& parser)
{
    SearchOptions options;
    options.properties = ReadPropertyOptions(parser);
    options.json = parser.isSet(QStringLiteral("json"));
    options.outcomes = parser.isSet(QStringLiteral("outcomes"));
    const auto value = [&parser](const char* name) {
        const QString option = QString::fromLatin1(name);
        return parser.isSet(option) ? std::optional(parser.value(option).toStdString()) : std::nullopt;
    };
    if (auto error = ReadAppServerOption(parser, options.appServer)) {
        return *error;
    }
    if (const auto text = value("timeout")) {
        const std::optional<int> seconds = ParseNumber(*text, 1);
        if (!seconds) {
            return "--timeout needs a whole number of seconds";
        }
        options.timeoutSeconds = *seconds;
    }
    for (const auto& [name, row] : {std::pair{"connect", &options.connectRow}, {"server-info", &options.serverInfoRow}}) {
        if (const auto text = value(name)) {
            *row = ParseNumber(*text, 0);
            if (!*row) {
                return std::string("--") + name + " needs a row number";
            }
        }
    }
    options.screenshot = value("screenshot");
    if (const auto text = value("size")) {
        const std::size_t x = text->find('x');
        const auto side = [&](std::size_t from, std::size_t count) {
            return x == std::string::npos ? std::nullopt : ParseNumber(text->substr(from, count), 1, kMaxPictureSide);
        };
        const std::optional<int> width = side(0, x);
        const std::optional<int> height = side(x + 1, std::string::npos);
        if (!width || !height) {
            return "--size needs WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxPictureSide);
        }
        options.width = *width;
        options.height = *height;
    }
    if (!options.properties.search) {
        return "--search is required";
    }
    return options;
}

} // namespace

SearchCommandLine ParseSearchCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    SearchCommandLine commandLine;
    const std::string usage = parser.helpText().toStdString() + kExitStatuses;
    if (auto early = ParseCommonOptions(parser, arguments, "velkan-search", usage)) {
        commandLine.action = early->action;
        commandLine.text = std::move(early->text);
        return commandLine;
    }
    auto options = ReadOptions(parser);
    if (auto* error = std::get_if<std::string>(&options)) {
        commandLine.text = "velkan-search: " + *error + "\n" + usage;
        return commandLine;
    }
    commandLine.action = SearchCommandLine::Action::Run;
    commandLine.options = std::move(std::get<SearchOptions>(options));
    return commandLine;
}

} // namespace velkan::host
