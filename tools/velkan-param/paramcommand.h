#pragma once

#include <iosfwd>
#include <span>
#include <string>

// velkan-param: makes and reads the control's `param` values, the start-up text protected
// with the system's key exactly as it travels in a request line.
namespace velkan::param {

enum ExitStatus : int { Success = 0, BadInput = 1, BadUsage = 2 };

// Runs the command for args (the program name excluded). "-" as TEXT or BODY reads all of
// in. Results go to out; a diagnostic (one line) or the usage goes to err.
int RunParamCommand(std::span<const std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err);

} // namespace velkan::param
