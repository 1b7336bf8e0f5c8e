// velkan-regsvr [-u] MODULE: registers a control module in the per-user registry (or takes it
// out again with -u) by calling the module's own entry point. --module-version MODULE prints
// the module's version information; --version the tool's own.

#include "velkanfilesearch/comhost.h"
#include "tools/longoptions/longoptions.h"
#include "tools/velkan-regsvr/versioncommand.h"

#include <algorithm>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace {

using velkan::comhost::EntryPointCall;

void Usage(std::FILE* stream)
{
    std::fputs("usage: velkan-regsvr [-u] MODULE\n"
               "  registers MODULE in the registry file (-u: unregisters it)\n"
               "       velkan-regsvr --module-version MODULE\n"
               "  prints the version information in MODULE, without loading it\n"
               "       velkan-regsvr --version\n"
               "  prints the tool's version\n"
               "An option's value may also follow an equals sign: --module-version=MODULE.\n",
               stream);
}

std::string ResultText(velkan::com::HRESULT result)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08" PRIX32, static_cast<std::uint32_t>(result));
    std::string text = hex;
    // The codes a registration entry point gives; 0x80040200 means SELFREG_E_TYPELIB here.
    switch (result) {
    case velkan::com::SELFREG_E_TYPELIB:
        text += " (SELFREG_E_TYPELIB)";
        break;
    case velkan::com::SELFREG_E_CLASS:
        text += " (SELFREG_E_CLASS)";
        break;
    case velkan::com::E_FAIL:
        text += " (E_FAIL)";
        break;
    case velkan::com::E_UNEXPECTED:
        text += " (E_UNEXPECTED)";
        break;
    default:
        break;
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    enum Id : int { Help = 'h', Unregister = 'u', Version = 256, ModuleVersion };
    static constexpr velkan::tools::LongOption kOptions[] = {
        {"help", false, Help},
        {"version", false, Version},
        {"module-version", true, ModuleVersion},
    };
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto parsed = velkan::tools::ParseLongOptions(args, "hu", kOptions);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "velkan-regsvr: %s\n", error->c_str());
        Usage(stderr);
        return 2;
    }
    const velkan::tools::ParsedArguments& arguments = std::get<velkan::tools::ParsedArguments>(parsed);
    const auto& options = arguments.options;
    const auto& operands = arguments.operands;
    const auto given = [&options](int id) {
        return std::count_if(options.begin(), options.end(), [id](const auto& option) { return option.first == id; });
    };
    if (given(Help) > 0) {
        Usage(stdout);
        return 0;
    }
    // --version and --module-version stand alone; registering takes one module, -u at most once.
    const bool alone = options.size() == 1;
    if (given(Version) == 1 && alone && operands.empty()) {
        return velkan::regsvr::PrintToolVersion(stdout);
    }
    if (given(ModuleVersion) == 1 && alone && operands.empty()) {
        return velkan::regsvr::PrintModuleVersion(options.front().second, stdout, stderr);
    }
    const bool unregister = given(Unregister) == 1;
    if (operands.size() != 1 || options.size() != (unregister ? 1U : 0U)) {
        Usage(stderr);
        return 2;
    }
    const std::string& module = operands.front();
    // Past a file-size limit a write then fails and is reported, instead of the signal ending
    // the tool with half a temporary file written.
    std::signal(SIGXFSZ, SIG_IGN);

    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(module, code);
    const std::string shown = code ? module : absolute.lexically_normal().string();
    const char* entryPoint = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const EntryPointCall call = velkan::comhost::CallEntryPoint(code ? std::filesystem::path(module) : absolute, entryPoint);
    switch (call.outcome) {
    case EntryPointCall::Outcome::NotLoadable:
        std::fprintf(stderr, "velkan-regsvr: cannot load %s: %s\n", shown.c_str(), call.error.c_str());
        return 1;
    case EntryPointCall::Outcome::NoEntryPoint:
        std::fprintf(stderr, "velkan-regsvr: %s has no entry point %s\n", shown.c_str(), entryPoint);
        return 1;
    case EntryPointCall::Outcome::Called:
        break;
    }
    if (velkan::com::Failed(call.result)) {
        // One line, with the reason when the module gave one or the registry file shows one: the
        // code alone names the step that failed, which misleads when the disk is full.
        const std::string reason = !call.reason.empty() ? call.reason
                                   : velkan::comhost::RegistrationFailureReason(call.result)
                                         .value_or(ResultText(call.result));
        std::fprintf(stderr, "velkan-regsvr: %s in %s failed: %s\n", entryPoint, shown.c_str(), reason.c_str());
        return 1;
    }
    std::printf("%s in %s succeeded.\n", entryPoint, shown.c_str());
    return 0;
}
