#include "searchoptions.h"

#include "hostoptions.h"

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

} // namespace

std::string SearchUsage()
{
    return "usage: velkan-search --search TEXT [--param P] [--ban-words W] [--strip S] [--ban-word B]\n"
           "                     [--app-server HOST:PORT] [--timeout SECONDS] [--json]\n"
           "                     [--connect ROW] [--server-info ROW] [--screenshot FILE [--size WxH]]\n"
           "\n"
           "Creates the file-search control through the registry, gives it its properties as a\n"
           "stored property set, runs the search on the offscreen platform and prints the rows.\n"
           "\n"
           "  --search TEXT         the search, stored as the control's search property\n"
           "  --param P             the protected start-up parameter (see velkan-param)\n"
           "  --ban-words W         ban words, \",\" separated, \"*word\" strict (SearchBanWord)\n"
           "  --strip S             strings ignored in ban-word matching, \"z\" separated (replaceParam)\n"
           "  --ban-word B          the banWord property\n"
           "  --app-server HOST:PORT where the application server listens (default: the product's)\n"
           "  --timeout SECONDS     give up waiting after this long (default 180): exit status 4\n"
           "  --json                one JSON object per line instead of a table\n"
           "  --connect ROW         select that row (0-based) and run the double-click action\n"
           "  --server-info ROW     ask that row's server for its statistics\n"
           "  --screenshot FILE     write a PNG picture of the control, at --size WxH if given\n"
           "                        (each side at most 8192)\n"
           "\n"
           "Exit status: 0 the search ended, 4 time-out, 1 the control cannot be created, 2 usage.\n";
}

std::variant<SearchOptions, std::string> ParseSearchOptions(const std::vector<std::string>& arguments)
{
    SearchOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--json") {
            options.json = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            return "missing value for " + name;
        }
        const std::string& value = arguments[++i];
        if (TakePropertyOption(name, value, options.properties)) {
            continue;
        }
        if (name == "--app-server") {
            const auto endpoint = ParseHostPort(value);
            if (!endpoint) {
                return "--app-server needs HOST:PORT";
            }
            options.appServerHost = endpoint->first;
            options.appServerPort = endpoint->second;
        } else if (name == "--timeout") {
            const std::optional<int> seconds = ParseNumber(value, 1);
            if (!seconds) {
                return "--timeout needs a whole number of seconds";
            }
            options.timeoutSeconds = *seconds;
        } else if (name == "--connect" || name == "--server-info") {
            const std::optional<int> row = ParseNumber(value, 0);
            if (!row) {
                return name + " needs a row number";
            }
            (name == "--connect" ? options.connectRow : options.serverInfoRow) = row;
        } else if (name == "--screenshot") {
            options.screenshot = value;
        } else if (name == "--size") {
            const std::size_t x = value.find('x');
            const auto side = [&](std::size_t from, std::size_t count) {
                return x == std::string::npos ? std::nullopt : ParseNumber(value.substr(from, count), 1, kMaxPictureSide);
            };
            const std::optional<int> width = side(0, x);
            const std::optional<int> height = side(x + 1, std::string::npos);
            if (!width || !height) {
                return "--size needs WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxPictureSide);
            }
            options.width = *width;
            options.height = *height;
        } else {
            return "unknown option " + name;
        }
    }
    if (!options.properties.search) {
        return "--search is required";
    }
    return options;
}

} // namespace velkan::host
