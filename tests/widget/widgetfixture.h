#pragma once

// What the widget and Designer tests share: a registry of their own with the built module in it,
// a local network with two sharing users, and the start-up parameter of a user.

#include "channel/blowfish.h"
#include "velkanfilesearch/comhost.h"
#include "channel/cp949convert.h"
#include "tools/velkan-localnet/network.h"
#include "channel/protectedtext.h"
#include "channel/wirekey.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace velkan::test {

inline constexpr int kWaitMs = 10000;

class WidgetFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_directory.isValid());
        qputenv("VELKAN_REGISTRY", RegistryPath().toUtf8());
        m_kimPort = m_network.AddPeer({.nick = "kim",
                           .speed = 150,
                           .files = {{.path = KimPath(), .date = "2004-01-02 10:11", .size = 3072}}});
        m_network.AddPeer({.nick = "lee", .speed = 20, .files = {{.path = "song.bin", .date = "2004-01-03 09:00", .size = 10}}});
        m_network.Start();
    }
    void TearDown() override
    {
        m_network.Stop();
        qunsetenv("VELKAN_REGISTRY");
    }

    void Register() { ASSERT_EQ(comhost::RegisterModule(VELKAN_MODULE_PATH), com::S_OK); }

    [[nodiscard]] QString RegistryPath() const { return m_directory.filePath(QStringLiteral("registry.reg")); }
    [[nodiscard]] quint16 AppServerPort() const { return m_network.AppServerPort(); }

    // A file under a Korean folder: the peer lists it in CP949.
    static std::string KimPath() { return cp949::FromUtf8("D:\\음악\\song 노래.mp3"); }

    static QString Param(std::string_view userId)
    {
        channel::BlowFish cipher;
        EXPECT_TRUE(cipher.Initialize(channel::kWireKey));
        return QString::fromStdString(channel::EncryptToBase64(cipher, "x|" + std::string(userId) + "|c|d|e|A|0|0"));
    }

    QTemporaryDir m_directory;
    localnet::Network m_network;
    std::uint16_t m_kimPort = 0;
};

} // namespace velkan::test
