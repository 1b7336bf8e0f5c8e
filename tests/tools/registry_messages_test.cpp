// What each tool tells its user when the registry file is corrupt or cannot be written: the
// registration tool, which writes it, and the hosts, which only read it to find the control.
// The built programs run with a registry of the test's own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int status = -1;
    std::string err;
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class RegistryMessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_directory = std::filesystem::temp_directory_path() / ("velkan-registry-messages-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_directory);
    }
    void TearDown() override { std::filesystem::remove_all(m_directory); }

    // Runs command with the registry at registry and returns what it wrote to its error
    // stream. The hosts are Qt programs: they get a runtime directory, so that Qt has nothing
    // to say.
    ToolRun Run(const std::string& command, const std::filesystem::path& registry) const
    {
        const std::filesystem::path runtime = m_directory / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        const std::string line = "XDG_RUNTIME_DIR='" + runtime.string() + "' VELKAN_REGISTRY='" + registry.string() +
                                 "' QT_QPA_PLATFORM=offscreen " + command +
                                 " 2>&1 >/dev/null";
        ToolRun run;
        FILE* pipe = ::popen(line.c_str(), "r");
        if (pipe == nullptr) {
            return run;
        }
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            run.err += buffer;
        }
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    std::filesystem::path m_directory;
};

struct Tool {
    const char* name;
    std::string command;
    // What the registration tool's one line says before the reason; empty for a host, which
    // never writes the registry and tells why the control could not be created.
    std::string failed;
};

const std::string kNotRegistered =
    ": cannot create VELKANFILESEARCH.VelkanFileSearchCtrl.1 (0x80040154): "
    "\"VELKANFILESEARCH.VelkanFileSearchCtrl.1\" is not registered (read: ";

std::vector<Tool> Tools()
{
    const std::string module = VELKAN_MODULE_PATH;
    return {
        {"velkan-regsvr", "'" VELKAN_REGSVR_BINARY "' '" + module + "'",
         "velkan-regsvr: DllRegisterServer in " + module + " failed: "},
        {"velkan-regsvr", "'" VELKAN_REGSVR_BINARY "' -u '" + module + "'",
         "velkan-regsvr: DllUnregisterServer in " + module + " failed: "},
        {"velkan-search", "'" VELKAN_SEARCH_BINARY "' --search x --timeout 1", ""},
        {"velkan-host", "'" VELKAN_HOST_BINARY "'", ""},
    };
}

TEST_F(RegistryMessagesTest, CorruptRegistryIsNamedWithItsLineAndLeftAlone)
{
    const std::filesystem::path registry = m_directory / "registry.reg";
    struct Case {
        std::string text;
        std::string reason;
    };
    const Case cases[] = {
        {"Windows Registry Editor Version 5.00\n\n@=\"value outside a key\"\n", ":3: a value line outside any key"},
        {"Windows Registry Editor Version 5.00\r\n\r\n[A]\r\n\"n\"=\"unterminated\r\n",
         ":4: a string value without its closing quote"},
        {"REGEDIT4\n", ":1: not a registry file: it does not begin with \"Windows Registry Editor Version 5.00\""},
    };
    for (const Case& c : cases) {
        std::ofstream(registry, std::ios::binary | std::ios::trunc) << c.text;
        for (const Tool& tool : Tools()) {
            SCOPED_TRACE(tool.command);
            const ToolRun run = Run(tool.command, registry);
            EXPECT_EQ(run.status, 1);
            if (tool.failed.empty()) {
                // The corrupt file is passed over, named with its line and reason, before the
                // package's file.
                const std::string named = tool.name + kNotRegistered + registry.string() + " (" + registry.string() +
                                          c.reason + "), ";
                EXPECT_EQ(run.err.substr(0, named.size()), named);
            } else {
                EXPECT_EQ(run.err, tool.failed + registry.string() + c.reason + "\n");
            }
            EXPECT_EQ(ReadFile(registry), c.text);
        }
    }
}

TEST_F(RegistryMessagesTest, UnwritableRegistryIsNamedWithWhy)
{
    // Below a regular file no directory can be made, not even by root.
    const std::filesystem::path blocker = m_directory / "plain-file";
    std::ofstream(blocker) << "x";
    const std::filesystem::path registry = blocker / "registry.reg";
    for (const Tool& tool : Tools()) {
        SCOPED_TRACE(tool.command);
        const ToolRun run = Run(tool.command, registry);
        if (tool.command.find(" -u ") != std::string::npos) {
            // A registry that is not there holds nothing to take out, so nothing is written.
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.err, "");
            continue;
        }
        EXPECT_EQ(run.status, 1);
        if (tool.failed.empty()) {
            // A host only reads: to it a registry that cannot be there is none.
            const std::string named = tool.name + kNotRegistered + registry.string() + " (no such file), ";
            EXPECT_EQ(run.err.substr(0, named.size()), named);
            continue;
        }
        EXPECT_EQ(run.err, tool.failed + "cannot write " + registry.string() + ": cannot create " + blocker.string() +
                               ": Not a directory\n");
    }
    EXPECT_EQ(ReadFile(blocker), "x");
}

} // namespace
