#include "tests/tools/childprocess.h"
#include "velkanversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using velkan::test::ChildProcess;

struct Case {
    const char* program;
    std::vector<std::string> arguments;
    int status;
    bool onStandardOutput; // else on standard error
    std::string expected;
};

std::string Version(const std::string& tool)
{
    return tool + " " + std::string(velkan::version::kProjectVersion) + "\n";
}

// Each tool takes "--opt=value" as "--opt value", prints its version and help, and names a
// wrong option before its usage with exit status 2.
TEST(OptionParsing, EveryToolReadsItsOptionsAlike)
{
    const std::filesystem::path directory = std::filesystem::path(::testing::TempDir()) / "option-parsing";
    std::filesystem::create_directories(directory);
    const std::string notModule = (directory / "notes.txt").string();
    std::ofstream(notModule) << "hi\n";
    const std::string unreadable = "cannot read the version information of " + notModule;
    const char* const param = VELKAN_PARAM_BINARY;
    const char* const localnet = VELKAN_LOCALNET_BINARY;
    const char* const regsvr = VELKAN_REGSVR_BINARY;
    const char* const search = VELKAN_SEARCH_BINARY;
    const char* const host = VELKAN_HOST_BINARY;
    const std::string missing = (directory / "missing.properties").string();
    const std::string malformed = (directory / "malformed.properties").string();
    std::ofstream(malformed) << "search=mp3\n\nno equals sign here\n";
    const std::vector<Case> cases = {
        {param, {"--version"}, 0, true, Version("velkan-param")},
        {param, {"--help"}, 0, true, "usage: velkan-param"},
        {param, {"encode", "--raw", "x"}, 0, true, "\n"},
        {param, {"encode", "--raw=1", "x"}, 2, false, "velkan-param: --raw takes no value\nusage: velkan-param"},
        {param, {"encode", "--frob", "x"}, 2, false, "velkan-param: unknown option --frob\nusage: velkan-param"},
        {param, {"encode", "-q", "x"}, 2, false, "velkan-param: unknown option -q\nusage: velkan-param"},
        {param, {"encode"}, 2, false, "usage: velkan-param"},

        {localnet, {"--version"}, 0, true, Version("velkan-localnet")},
        {localnet, {"--help"}, 0, true, "usage: velkan-localnet"},
        {localnet, {"--peers=20001"}, 2, false, "velkan-localnet: --peers takes a number from 0 to 20000: 20001\n"},
        {localnet, {"--peers", "20001"}, 2, false, "velkan-localnet: --peers takes a number from 0 to 20000: 20001\n"},
        {localnet, {"--frob=1"}, 2, false, "velkan-localnet: unknown option --frob\nusage: velkan-localnet"},
        {localnet, {"--peers"}, 2, false, "velkan-localnet: --peers needs a value\nusage: velkan-localnet"},
        {localnet, {"--hostile-first=yes"}, 2, false, "velkan-localnet: --hostile-first takes no value\n"},

        {regsvr, {"--version"}, 0, true, Version("velkan-regsvr")},
        {regsvr, {"--help"}, 0, true, "usage: velkan-regsvr"},
        {regsvr, {"--module-version=" + notModule}, 1, false, unreadable},
        {regsvr, {"--module-version", notModule}, 1, false, unreadable},
        {regsvr, {"--frob"}, 2, false, "velkan-regsvr: unknown option --frob\nusage: velkan-regsvr"},
        {regsvr, {"--module-version"}, 2, false, "velkan-regsvr: --module-version needs a value\nusage: velkan-regsvr"},

        {search, {"--version"}, 0, true, Version("velkan-search")},
        {search, {"--help"}, 0, true, "--app-server <HOST:PORT>"},
        // Read alike, both get as far as creating the control, which is not registered here.
        {search, {"--search=x", "--timeout=1"}, 1, false, "velkan-search: cannot create"},
        {search, {"--search", "x", "--timeout", "1"}, 1, false, "velkan-search: cannot create"},
        {search, {"--search=x", "--outcomes", "--json", "--timeout=1"}, 1, false, "velkan-search: cannot create"},
        {search, {"--search=x", "--timeout=0"}, 2, false, "velkan-search: --timeout needs a whole number of seconds\n"},
        {search, {"--search", "x", "--frob"}, 2, false, "velkan-search: Unknown option 'frob'.\n"},
        {search, {"--search"}, 2, false, "velkan-search: Missing value after '--search'.\n"},
        {search, {"--search", "x", "stray"}, 2, false, "velkan-search: unexpected argument stray\n"},

        // Answered before any window system is asked for: there is no display here.
        {host, {"--version"}, 0, true, Version("velkan-host")},
        {host, {"--help"}, 0, true, "--properties <FILE>"},
        {host, {"--frob"}, 2, false, "velkan-host: Unknown option 'frob'.\n"},
        {host, {"--search"}, 2, false, "velkan-host: Missing value after '--search'.\n"},
        {host, {"--app-server=nowhere"}, 2, false, "velkan-host: --app-server needs HOST:PORT\n"},
        {host, {"--properties", missing}, 2, false,
         "velkan-host: cannot read " + missing + ": No such file or directory\n"},
        {host, {"--properties=" + malformed}, 2, false, "velkan-host: " + malformed + ":3: not a name=value line\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.program) + " " + ::testing::PrintToString(test.arguments));
        ChildProcess child(test.program, test.arguments,
                           {"VELKAN_REGISTRY=" + (directory / "none.reg").string(), "QT_QPA_PLATFORM=xcb", "DISPLAY=",
                            "WAYLAND_DISPLAY="});
        EXPECT_EQ(child.Wait(std::chrono::seconds(30)), test.status);
        const std::string shown = test.onStandardOutput ? child.Out() : child.Err();
        EXPECT_NE(shown.find(test.expected), std::string::npos) << shown;
    }
    std::filesystem::remove_all(directory);
}

} // namespace
