// Programs writing one registry file at once: registrations and other writers each keep what
// the others wrote, and a writer that dies in the middle of a write leaves nothing that
// outlives the next one. Every writer is a process of its own.
#include "tests/tools/childprocess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using velkan::test::ChildProcess;

constexpr std::chrono::seconds kLimit{120};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The keys a registry file holds, from its "[KEY]" lines.
std::set<std::string> Keys(const std::filesystem::path& path)
{
    std::set<std::string> keys;
    std::istringstream text(ReadFile(path));
    for (std::string line; std::getline(text, line);) {
        if (line.starts_with('[') && line.ends_with(']')) {
            keys.insert(line.substr(1, line.size() - 2));
        }
    }
    return keys;
}

std::set<std::string> Numbered(const std::string& prefix, int count)
{
    std::set<std::string> keys;
    for (int i = 0; i < count; ++i) {
        keys.insert("HKEY_CLASSES_ROOT\\" + prefix + std::to_string(i));
    }
    return keys;
}

std::set<std::string> Joined(std::set<std::string> a, const std::set<std::string>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

class RegistryWritersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_directory = std::filesystem::temp_directory_path() / ("velkan-registry-writers-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_directory);
    }
    void TearDown() override { std::filesystem::remove_all(m_directory); }

    [[nodiscard]] std::filesystem::path Registry() const { return m_directory / "registry.reg"; }

    // The names in the registry's folder.
    [[nodiscard]] std::set<std::string> Folder() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_directory)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    static int Wait(ChildProcess& child)
    {
        const int status = child.Wait(kLimit);
        EXPECT_EQ(child.Err(), "");
        return status;
    }

    // velkan-regsvr registering the module into registry.
    static int Register(const std::filesystem::path& registry)
    {
        ChildProcess regsvr(VELKAN_REGSVR_BINARY, {VELKAN_MODULE_PATH}, {"VELKAN_REGISTRY=" + registry.string()});
        return Wait(regsvr);
    }

    std::filesystem::path m_directory;
};

TEST_F(RegistryWritersTest, TwoWritersAtOnceKeepEveryKeyOfBoth)
{
    constexpr int kKeys = 200;
    ChildProcess first(VELKAN_REGISTRY_WRITER_BINARY, {Registry().string(), "First", std::to_string(kKeys)});
    ChildProcess second(VELKAN_REGISTRY_WRITER_BINARY, {Registry().string(), "Second", std::to_string(kKeys)});
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Wait(second), 0);
    EXPECT_EQ(Keys(Registry()), Joined(Numbered("First", kKeys), Numbered("Second", kKeys)));
    EXPECT_EQ(Folder(), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegistryWritersTest, ARegistrationAmongOtherWritersKeepsAllOfBoth)
{
    // What a registration alone writes, in a file of its own.
    const std::filesystem::path alone = m_directory / "alone.reg";
    ASSERT_EQ(Register(alone), 0);
    const std::set<std::string> registered = Keys(alone);
    ASSERT_FALSE(registered.empty());

    constexpr int kKeys = 100;
    ChildProcess writer(VELKAN_REGISTRY_WRITER_BINARY, {Registry().string(), "Other", std::to_string(kKeys)});
    EXPECT_EQ(Register(Registry()), 0);
    EXPECT_EQ(Wait(writer), 0);
    EXPECT_EQ(Keys(Registry()), Joined(registered, Numbered("Other", kKeys)));
}

TEST_F(RegistryWritersTest, AWriterKilledMidWriteLeavesNoTemporaryFileAfterTheNextWrite)
{
    ChildProcess first(VELKAN_REGISTRY_WRITER_BINARY, {Registry().string(), "Key", "100"});
    ASSERT_EQ(Wait(first), 0);
    const std::string written = ReadFile(Registry());
    ASSERT_GT(written.size(), 2048U);

    // Past its file-size limit the kernel's signal ends a writer inside its temporary file.
    ChildProcess killed("/bin/sh", {"-c", "ulimit -f 1; exec \"$0\" \"$@\"", VELKAN_REGISTRY_WRITER_BINARY,
                                    Registry().string(), "Late", "1"});
    ASSERT_EQ(killed.Wait(kLimit), 128 + SIGXFSZ) << killed.Err();
    EXPECT_EQ(ReadFile(Registry()), written);
    std::set<std::string> left = Folder();
    left.erase("registry.reg");
    left.erase("registry.reg.lock");
    ASSERT_EQ(left.size(), 1U);
    EXPECT_TRUE(left.begin()->starts_with("registry.reg.tmp-")) << *left.begin();

    // The next write, a registration, clears it away.
    ASSERT_EQ(Register(Registry()), 0);
    EXPECT_EQ(Folder(), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
    EXPECT_TRUE(Keys(Registry()).contains("HKEY_CLASSES_ROOT\\Key99"));
}

} // namespace
