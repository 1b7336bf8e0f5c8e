// The desktop host run as a user runs it, on the offscreen platform with a registry of the
// test's own.

#include "tests/tools/childprocess.h"
#include "tools/velkan-localnet/network.h"

#include <QImage>
#include <QSettings>
#include <QString>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using velkan::test::ChildProcess;

// A folder of the test's own with the built module registered in it and a runtime folder for Qt.
class HostRun {
public:
    explicit HostRun(const std::string& name)
        : m_directory(std::filesystem::path(::testing::TempDir()) / name)
    {
        std::filesystem::remove_all(m_directory);
        std::filesystem::create_directories(m_directory / "runtime");
        std::filesystem::permissions(m_directory / "runtime", std::filesystem::perms::owner_all);
        m_environment = {"VELKAN_REGISTRY=" + (m_directory / "registry.reg").string(),
                         "XDG_RUNTIME_DIR=" + (m_directory / "runtime").string(),
                         "XDG_CONFIG_HOME=" + (m_directory / "config").string(), "QT_QPA_PLATFORM=offscreen"};
        ChildProcess registration(VELKAN_REGSVR_BINARY, {VELKAN_MODULE_PATH}, m_environment);
        EXPECT_EQ(registration.Wait(std::chrono::seconds(30)), 0) << registration.Err();
    }
    ~HostRun() { std::filesystem::remove_all(m_directory); }

    [[nodiscard]] std::filesystem::path Path(const std::string& name) const { return m_directory / name; }
    // velkan-host's settings file under this folder's XDG_CONFIG_HOME.
    [[nodiscard]] QString SettingsFile() const
    {
        return QString::fromStdString((m_directory / "config" / "VelkanFileSearch" / "velkan-host.conf").string());
    }
    // Runs velkan-host to its end; its exit status.
    int Run(const std::vector<std::string>& arguments, std::vector<std::string> environment = {})
    {
        environment.insert(environment.end(), m_environment.begin(), m_environment.end());
        ChildProcess host(VELKAN_HOST_BINARY, arguments, environment);
        const int status = host.Wait(std::chrono::seconds(60));
        m_err = host.Err();
        return status;
    }
    [[nodiscard]] const std::string& Err() const { return m_err; }

private:
    std::filesystem::path m_directory;
    std::vector<std::string> m_environment;
    std::string m_err;
};

// With no search to wait for, --screenshot writes the window as it first shows, and quits.
TEST(VelkanHost, ScreenshotWithoutASearchIsWrittenOnceShown)
{
    HostRun run("velkan-host-screenshot");
    // A stored set with no search in it, as a user saved one.
    const std::filesystem::path stored = run.Path("empty-search.properties");
    std::ofstream(stored) << "search=\nbansearch=a,b\n";
    const std::filesystem::path picture = run.Path("host.png");
    ASSERT_EQ(run.Run({"--properties", stored.string(), "--screenshot", picture.string()}), 0) << run.Err();
    const QImage window(QString::fromStdString(picture.string()));
    EXPECT_FALSE(window.isNull());
    EXPECT_GT(window.width(), 100);
    EXPECT_FALSE(QImage(QString::fromStdString(run.Path("host-outcomes.png").string())).isNull());
}

// Started with no properties on its command line, as from a menu, the host searches with the
// properties of its last run and keeps them for the next; properties given on the command line
// are used for that run alone.
TEST(VelkanHost, PropertiesAreKeptBetweenRunsFromTheMenu)
{
    velkan::localnet::Network network;
    const std::uint16_t peer = network.AddPeer({.nick = "kim", .speed = 150, .files = {{.path = "song.bin", .date = "2004-01-02 10:11", .size = 10}}});
    network.Start();
    const std::string appServer = "VELKAN_APP_SERVER=127.0.0.1:" + std::to_string(network.AppServerPort());
    HostRun run("velkan-host-settings");
    {
        QSettings settings(run.SettingsFile(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("properties/search"), QStringLiteral("song"));
        settings.setValue(QStringLiteral("properties/bansearch"), QStringLiteral("a,b"));
    }
    // The stored search runs: the host waits for it before writing its picture.
    ASSERT_EQ(run.Run({"--screenshot", run.Path("kept.png").string()}, {appServer}), 0) << run.Err();
    const auto requests = network.PeerCounters(peer).requests;
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("|song|"), std::string::npos) << requests[0];
    {
        QSettings settings(run.SettingsFile(), QSettings::IniFormat);
        EXPECT_EQ(settings.value(QStringLiteral("properties/search")).toString(), QStringLiteral("song"));
        EXPECT_EQ(settings.value(QStringLiteral("properties/bansearch")).toString(), QStringLiteral("a,b"));
        EXPECT_TRUE(settings.contains(QStringLiteral("properties/_ExtentX")));
    }

    // A search given on the command line is not kept.
    ASSERT_EQ(run.Run({"--search", "other", "--screenshot", run.Path("given.png").string()}, {appServer}), 0)
        << run.Err();
    QSettings settings(run.SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("properties/search")).toString(), QStringLiteral("song"));
    network.Stop();
}

} // namespace
