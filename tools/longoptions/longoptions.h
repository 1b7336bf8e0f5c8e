#pragma once

#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace velkan::tools {

// One long option: "--name" (and "--name=VALUE" or "--name VALUE" when it takes a value). id is
// what the parse reports for it; a printable character also names the short option "-c" when
// the short options list it.
struct LongOption {
    const char* name;
    bool takesValue;
    int id;
};

// What a command line holds once its options are read: each option given, in order, with its
// value (empty for one that takes none), and the operands left over, in order.
struct ParsedArguments {
    std::vector<std::pair<int, std::string>> options;
    std::vector<std::string> operands;
};

// Reads args (the program name excluded) with getopt_long: options may stand among the operands
// and "--" ends them. shortOptions is getopt's list ("un", "p:"). Returns the reason for the
// first wrong option instead, naming it: "unknown option --frob", "--port needs a value",
// "--raw takes no value". Uses getopt's process-wide state: one parse at a time.
std::variant<ParsedArguments, std::string> ParseLongOptions(std::span<const std::string> args,
                                                            std::string_view shortOptions,
                                                            std::span<const LongOption> longOptions);

} // namespace velkan::tools
