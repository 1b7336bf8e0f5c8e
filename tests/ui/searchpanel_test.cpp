#include "ui/bitmapbutton.h"
#include "tests/ui/panelfixture.h"
#include "ui/serverinfodialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace velkan;
using search::PanelButton;
using test::kWaitMs;
using ui::SearchPanel;

namespace {

class SearchPanelTest : public test::PanelFixture {
protected:
    SearchPanel& Panel(std::string_view userId = "tester")
    {
        return PanelFixture::Panel(userId, [this](ui::PanelSeams& seams) {
            seams.runDialog = [this](ui::ServerInfoDialog& dialog) {
                QSignalSpy shown(&dialog, &ui::ServerInfoDialog::valuesShown);
                dialog.show();
                shown.wait(kWaitMs);
                m_dialogTexts = {dialog.TitleText(), dialog.DownloadText(), dialog.UploadText(),
                                 dialog.SharedCountText(), dialog.SharedSizeText()};
            };
        });
    }

    struct State {
        bool visible;
        bool enabled;
        bool operator==(const State&) const = default;
    };
    static State StateOf(SearchPanel& panel, PanelButton button)
    {
        const ui::BitmapButton& widget = panel.Button(button);
        return {!widget.isHidden(), widget.isEnabled()};
    }

    std::vector<QString> m_dialogTexts;
};

TEST_F(SearchPanelTest, ButtonStatesThroughASearch)
{
    SearchPanel& panel = Panel();
    // As the template makes them.
    EXPECT_EQ(StateOf(panel, PanelButton::Download), (State{true, false}));
    EXPECT_EQ(StateOf(panel, PanelButton::Stop), (State{true, false}));
    EXPECT_EQ(StateOf(panel, PanelButton::Connect), (State{false, true}));
    EXPECT_EQ(StateOf(panel, PanelButton::ServerInfo), (State{false, false}));
    EXPECT_EQ(panel.FoundLabel().text(), QStringLiteral("0 개"));

    panel.Engine().StartSearch("song");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.Engine().IsFanningOut(); }, kWaitMs));
    EXPECT_EQ(StateOf(panel, PanelButton::Stop), (State{true, true}));
    EXPECT_EQ(StateOf(panel, PanelButton::Download), (State{true, false}));
    EXPECT_EQ(StateOf(panel, PanelButton::Connect), (State{false, false}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.Model().rowCount() == 4 && !panel.Engine().IsFanningOut(); }, kWaitMs));
    EXPECT_EQ(StateOf(panel, PanelButton::Stop), (State{true, false}));
    EXPECT_EQ(panel.ProgressBar().value(), 100);
    EXPECT_EQ(panel.FoundLabel().text(), QStringLiteral("4 개"));
    EXPECT_EQ(StateOf(panel, PanelButton::ServerInfo), (State{false, false})); // not the operator

    ClickRow(panel, RowOf(panel, "kim", false));
    EXPECT_EQ(StateOf(panel, PanelButton::Download), (State{true, true}));
    EXPECT_EQ(StateOf(panel, PanelButton::Connect), (State{false, true}));
    ClickRow(panel, RowOf(panel, "*star", true));
    EXPECT_EQ(StateOf(panel, PanelButton::Download), (State{true, false}));
    EXPECT_EQ(StateOf(panel, PanelButton::Connect), (State{false, false}));
    // A keyboard move to another row changes no button.
    QTest::keyClick(&panel.ResultList(), panel.ResultList().SelectedRow() == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(StateOf(panel, PanelButton::Download), (State{true, false}));
}

TEST_F(SearchPanelTest, DoubleClickConnectsEvenOnAStarredRow)
{
    SearchPanel& panel = Panel();
    ASSERT_TRUE(Search(panel, "song", 4));
    QSignalSpy connected(&panel, &SearchPanel::connectRequested);
    ClickRow(panel, RowOf(panel, "*star", false), true);
    ASSERT_EQ(connected.count(), 1);
    EXPECT_EQ(connected[0][0].toByteArray(), QByteArray("*star"));
    EXPECT_EQ(connected[0][1].toByteArray(), QByteArray("RDpceA")); // Base64 of "D:\x"

    // The download button runs the same operation; with no row selected it says so.
    panel.ResultList().clearSelection();
    QTest::mouseClick(&panel.Button(PanelButton::Stop), Qt::LeftButton); // disabled: nothing
    panel.Button(PanelButton::Download).setEnabled(true);
    QTest::mouseClick(&panel.Button(PanelButton::Download), Qt::LeftButton);
    EXPECT_EQ(m_messages, (std::vector<QString>{QStringLiteral("파일을 선택하세요")}));
    EXPECT_EQ(connected.count(), 1);
}

TEST_F(SearchPanelTest, OperatorAsksAServerForItsStatistics)
{
    SearchPanel& panel = Panel("velkan");
    ASSERT_TRUE(Search(panel, "song", 4));
    EXPECT_EQ(StateOf(panel, PanelButton::ServerInfo), (State{true, false}));
    ClickRow(panel, RowOf(panel, "kim", true)); // a folder row carries the nickname too
    ASSERT_EQ(StateOf(panel, PanelButton::ServerInfo), (State{true, true}));
    QTest::mouseClick(&panel.Button(PanelButton::ServerInfo), Qt::LeftButton);
    EXPECT_EQ(m_dialogTexts, (std::vector<QString>{QStringLiteral("kim 서버 정보"), QStringLiteral("3/10"),
                                                   QStringLiteral("0/5"), QStringLiteral("1,234"),
                                                   QStringLiteral("5GB")}));
}

TEST_F(SearchPanelTest, LayoutFollowsEveryResize)
{
    SearchPanel& panel = Panel();
    for (const QSize size : {QSize(800, 600), QSize(640, 400), panel.TemplateSize()}) {
        panel.resize(size);
        const int cx = size.width();
        const int cy = size.height();
        EXPECT_EQ(panel.ResultList().geometry(), QRect(0, 56, cx - 2, cy - 90));
        EXPECT_EQ(panel.Button(PanelButton::Stop).geometry(), QRect(cx - 85, cy - 25, 90, 22));
        EXPECT_EQ(panel.Button(PanelButton::Download).geometry(), QRect(cx - 170, cy - 25, 90, 22));
        EXPECT_EQ(panel.Button(PanelButton::Connect).geometry(), QRect(cx - 255, cy - 25, 90, 22));
        EXPECT_EQ(panel.Button(PanelButton::ServerInfo).geometry(), QRect(cx - 340, cy - 25, 90, 22));
        EXPECT_EQ(panel.ProgressBar().geometry().right() + 1, cx - 50);
        EXPECT_EQ(panel.ProgressLabel().geometry().left(), cx - 49);
        const int width = cx - 2;
        const std::vector<int> expected = {80, std::max(0, width - 311), 80, 80, 50};
        std::vector<int> widths;
        for (int column = 0; column < 5; ++column) {
            widths.push_back(panel.ResultList().columnWidth(column));
        }
        EXPECT_EQ(widths, expected) << cx;
    }
}

TEST_F(SearchPanelTest, TextsAndColours)
{
    SearchPanel& panel = Panel();
    ASSERT_TRUE(Search(panel, "song", 4));
    EXPECT_EQ(panel.ProgressLabel().text(), QStringLiteral("100%\n"));
    EXPECT_EQ(panel.ProgressLabel().palette().color(QPalette::WindowText), QColor(150, 52, 100));
    EXPECT_EQ(panel.FoundLabel().palette().color(QPalette::WindowText), QColor(150, 52, 100));
    EXPECT_EQ(panel.IdentityLabel().palette().color(QPalette::WindowText), QColor(254, 254, 254));
    EXPECT_NE(panel.IdentityLabel().text(), QStringLiteral("VELKAN"));
    EXPECT_EQ(panel.grab().toImage().pixelColor(1, panel.height() - 30), QColor(Qt::white));
}

} // namespace
