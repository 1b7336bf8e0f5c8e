#pragma once

#include "channel/blowfish.h"
#include "tools/velkan-localnet/network.h"
#include "channel/protectedtext.h"
#include "ui/resultlistctrl.h"
#include "ui/searchpanel.h"
#include "channel/wirekey.h"

#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velkan::test {

inline constexpr int kWaitMs = 10000;

// A start-up parameter for the user ID, of class A.
inline std::string Param(std::string_view userId)
{
    channel::BlowFish cipher;
    EXPECT_TRUE(cipher.Initialize(channel::kWireKey));
    return channel::EncryptToBase64(cipher, "x|" + std::string(userId) + "|c|d|e|A|0|0");
}

inline localnet::SharedFile File(std::string path)
{
    return {.path = std::move(path), .date = "2004-01-02 10:11", .size = 2048};
}

// A local network of two sharing users, "kim" with statistics and "*star", and a panel that
// searches it; each search lists four rows, a folder row and a file row for each user.
class PanelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_kimPort = m_network.AddPeer({.nick = "kim", .speed = 150, .files = {File("C:\\music\\song.mp3")},
                           .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5",
                                    .fileCount = 1234, .totalBytes = 5368709120}});
        m_network.AddPeer({.nick = "*star", .files = {File("D:\\x\\song.txt")}});
        m_network.Start();
    }
    void TearDown() override
    {
        m_panel.reset();
        m_network.Stop();
    }

    // A shown panel whose messages are recorded; `adjust` may change the seams first.
    ui::SearchPanel& Panel(std::string_view userId = "tester",
                           const std::function<void(ui::PanelSeams&)>& adjust = {})
    {
        ui::PanelSeams seams;
        seams.search.appServer = {"127.0.0.1", m_network.AppServerPort(), 10000};
        seams.showMessage = [this](QWidget*, const QString& text) { m_messages.push_back(text); };
        if (adjust) {
            adjust(seams);
        }
        m_panel = std::make_unique<ui::SearchPanel>(std::move(seams));
        m_panel->Initialize({.param = Param(userId)});
        m_panel->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_panel.get()));
        return *m_panel;
    }

    // Searches and waits until the rows are in and every connection has closed.
    bool Search(ui::SearchPanel& panel, std::string_view text, int rows)
    {
        panel.Engine().StartSearch(text);
        return QTest::qWaitFor([&] { return panel.Model().rowCount() == rows && !panel.Engine().IsFanningOut() &&
                                            panel.Engine().OpenPeerConnections() == 0; },
                               kWaitMs);
    }

    int RowOf(ui::SearchPanel& panel, std::string_view nick, bool folder)
    {
        for (int row = 0; row < panel.Model().rowCount(); ++row) {
            const auto& line = panel.Model().Row(row);
            if (line.record->nick() == nick && (line.kind == search::ResultRow::Kind::Folder) == folder) {
                return row;
            }
        }
        return -1;
    }

    void ClickRow(ui::SearchPanel& panel, int row, bool twice = false)
    {
        ui::ResultListCtrl& list = panel.ResultList();
        const QPoint at = list.visualRect(panel.Model().index(row, 1)).center();
        if (twice) {
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        }
    }

    localnet::Network m_network;
    std::uint16_t m_kimPort = 0;
    std::unique_ptr<ui::SearchPanel> m_panel;
    std::vector<QString> m_messages;
};

} // namespace velkan::test
