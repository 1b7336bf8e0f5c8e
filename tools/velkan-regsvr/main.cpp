// velkan-regsvr [-u] MODULE: registers a control module in the per-user registry (or takes it
// out again with -u) by calling the module's own entry point. --module-version MODULE prints
// the module's version information; --version the tool's own.

#include "comhost.h"
#include "versioncommand.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

using velkan::comhost::EntryPointCall;

void Usage(std::FILE* stream)
{
    std::fputs("usage: velkan-regsvr [-u] MODULE\n"
               "  registers MODULE in the registry file (-u: unregisters it)\n"
               "       velkan-regsvr --module-version MODULE\n"
               "  prints the version information in MODULE, without loading it\n"
               "       velkan-regsvr --version\n",
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
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        return velkan::regsvr::PrintToolVersion(stdout);
    }
    if (argc == 3 && std::string_view(argv[1]) == "--module-version") {
        return velkan::regsvr::PrintModuleVersion(argv[2], stdout, stderr);
    }
    bool unregister = false;
    std::string module;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            Usage(stdout);
            return 0;
        }
        if (argument == "-u" && !unregister && module.empty()) {
            unregister = true;
        } else if (!argument.empty() && argument.front() != '-' && module.empty()) {
            module = argument;
        } else {
            Usage(stderr);
            return 2;
        }
    }
    if (module.empty()) {
        Usage(stderr);
        return 2;
    }

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
        std::fprintf(stderr, "%s in %s failed: %s\n", entryPoint, shown.c_str(), ResultText(call.result).c_str());
        if (const auto reason = velkan::comhost::RegistrationFailureReason(call.result)) {
            std::fprintf(stderr, "velkan-regsvr: %s\n", reason->c_str());
        }
        return 1;
    }
    std::printf("%s in %s succeeded.\n", entryPoint, shown.c_str());
    return 0;
}
