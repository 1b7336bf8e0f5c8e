#include "tools/longoptions/longoptions.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

namespace velkan::tools {

namespace {

const LongOption* FindById(std::span<const LongOption> longOptions, int id)
{
    const auto found =
        std::find_if(longOptions.begin(), longOptions.end(), [id](const LongOption& option) { return option.id == id; });
    return found == longOptions.end() ? nullptr : &*found;
}

// How an option is shown in a message: the long name when it was given long, else "-c".
std::string Shown(std::string_view given, const LongOption* option, int shortOption)
{
    if (given.starts_with("--") && option != nullptr) {
        return std::string("--") + option->name;
    }
    return std::string("-") + static_cast<char>(shortOption);
}

} // namespace

std::variant<ParsedArguments, std::string> ParseLongOptions(std::span<const std::string> args,
                                                            std::string_view shortOptions,
                                                            std::span<const LongOption> longOptions)
{
    // getopt_long permutes argv, so it works on copies; the leading ":" makes a missing value
    // come back as ':' rather than as an unknown option.
    std::vector<std::string> copies(args.begin(), args.end());
    std::string program = "program";
    std::vector<char*> argv{program.data()};
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<option> table;
    for (const LongOption& option : longOptions) {
        table.push_back({option.name, option.takesValue ? required_argument : no_argument, nullptr, option.id});
    }
    table.push_back({nullptr, 0, nullptr, 0});
    const std::string optionString = ":" + std::string(shortOptions);

    optind = 0; // glibc: start afresh, forgetting any earlier parse
    opterr = 0; // the messages below name the option; getopt's own would go to stderr
    ParsedArguments parsed;
    const int argc = static_cast<int>(argv.size()) - 1;
    for (;;) {
        const int id = getopt_long(argc, argv.data(), optionString.c_str(), table.data(), nullptr);
        if (id == -1) {
            break;
        }
        const std::string_view given = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        if (id == ':') {
            return Shown(given, FindById(longOptions, optopt), optopt) + " needs a value";
        }
        if (id == '?') {
            const LongOption* known = optopt != 0 ? FindById(longOptions, optopt) : nullptr;
            if (known != nullptr && given.starts_with("--")) {
                return std::string("--") + known->name + " takes no value";
            }
            if (optopt != 0) {
                return "unknown option " + Shown("", nullptr, optopt);
            }
            return "unknown option " + std::string(given.substr(0, given.find('=')));
        }
        parsed.options.emplace_back(id, optarg != nullptr ? optarg : "");
    }
    for (int i = optind; i < argc; ++i) {
        parsed.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
    }
    return parsed;
}

} // namespace velkan::tools
