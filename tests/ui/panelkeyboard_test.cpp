#include "ui/bitmapbutton.h"
#include "tests/search/fakes.h"
#include "tests/ui/panelfixture.h"
#include "ui/serverinfodialog.h"
#include "channel/wirekey.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <optional>

using namespace velkan;
using search::PanelButton;
using test::kWaitMs;
using ui::SearchPanel;

namespace {

const char* KeyName(Qt::Key key)
{
    switch (key) {
    case Qt::Key_Return:
        return "Return";
    case Qt::Key_Enter:
        return "Enter";
    case Qt::Key_Space:
        return "Space";
    case Qt::Key_Escape:
        return "Escape";
    default:
        return "?";
    }
}

// The panel searches with a fan-out timer that ticks only when told, so the stop button stays
// enabled for as long as a test needs it.
class PanelKeyboardTest : public test::PanelFixture {
protected:
    SearchPanel& ManualPanel(const std::function<void(ui::PanelSeams&)>& adjust = {})
    {
        return Panel("tester", [&](ui::PanelSeams& seams) {
            seams.search.timer = &m_timer;
            if (adjust) {
                adjust(seams);
            }
        });
    }

    // Starts a search and waits for its fan-out: the stop button is enabled.
    static bool StartFanOut(SearchPanel& panel)
    {
        panel.Engine().StartSearch("song");
        return QTest::qWaitFor([&] { return panel.Engine().IsFanningOut(); }, kWaitMs);
    }

    // Runs a whole search: four rows, the fan-out over and every connection closed.
    bool SearchToTheEnd(SearchPanel& panel)
    {
        if (!StartFanOut(panel)) {
            return false;
        }
        m_timer.Tick(10);
        return QTest::qWaitFor([&] { return panel.Model().rowCount() == 4 &&
                                            panel.Engine().OpenPeerConnections() == 0; },
                               kWaitMs);
    }

    test::ManualTimer m_timer;
};

TEST_F(PanelKeyboardTest, EnterOnTheListConnectsToTheSelectedRow)
{
    SearchPanel& panel = ManualPanel();
    ASSERT_TRUE(SearchToTheEnd(panel));
    QSignalSpy connected(&panel, &SearchPanel::connectRequested);
    ui::ResultListCtrl& list = panel.ResultList();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(KeyName(key));
        list.setFocus();
        ASSERT_TRUE(list.hasFocus());

        // No row selected: the one message, and no event.
        list.clearSelection();
        m_messages.clear();
        connected.clear();
        QTest::keyClick(&list, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(m_messages, (std::vector<QString>{QStringLiteral("파일을 선택하세요")}));
        EXPECT_EQ(connected.count(), 0);

        // The starred user's file row: the key, unlike a click, does not look at the nickname.
        list.SelectRow(RowOf(panel, "*star", false));
        QTest::keyClick(&list, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        ASSERT_EQ(connected.count(), 1);
        EXPECT_EQ(connected[0][0].toByteArray(), QByteArray("*star"));
        EXPECT_EQ(connected[0][1].toByteArray(), QByteArray("RDpceA")); // Base64 of "D:\x"
        EXPECT_EQ(m_messages.size(), 1u);
        EXPECT_TRUE(list.hasFocus());
    }
}

TEST_F(PanelKeyboardTest, EnterOrSpaceOnAFocusedButtonClicksIt)
{
    SearchPanel& panel = ManualPanel();
    QSignalSpy connected(&panel, &SearchPanel::connectRequested);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(KeyName(key));
        ASSERT_TRUE(SearchToTheEnd(panel));
        panel.ResultList().SelectRow(RowOf(panel, "kim", false));
        // The download button: the connect operation.
        ui::BitmapButton& download = panel.Button(PanelButton::Download);
        download.setEnabled(true);
        download.setFocus();
        ASSERT_TRUE(download.hasFocus());
        connected.clear();
        QTest::keyClick(&download, key);
        ASSERT_EQ(connected.count(), 1);
        EXPECT_EQ(connected[0][0].toByteArray(), QByteArray("kim"));

        // The stop button during a fan-out: the search stops.
        ASSERT_TRUE(StartFanOut(panel));
        ui::BitmapButton& stop = panel.Button(PanelButton::Stop);
        ASSERT_TRUE(stop.isEnabled());
        stop.setFocus();
        QTest::keyClick(&stop, key);
        EXPECT_FALSE(stop.isEnabled());
        EXPECT_FALSE(m_timer.IsActive());
        EXPECT_FALSE(panel.Engine().IsFanningOut());
    }
    EXPECT_TRUE(m_messages.empty());
}

// The panel inside a host dialog that closes on Escape, and a host-wide Escape shortcut.
TEST_F(PanelKeyboardTest, EscapeStopsASearchOrGoesToTheHost)
{
    SearchPanel& panel = ManualPanel();
    ASSERT_TRUE(SearchToTheEnd(panel));
    struct Case {
        const char* name;
        bool searching;
        bool shortcut;
        QWidget* (*focus)(SearchPanel&);
    };
    const Case cases[] = {
        {"searching, list focused", true, false, [](SearchPanel& p) -> QWidget* { return &p.ResultList(); }},
        {"searching, stop focused", true, false, [](SearchPanel& p) -> QWidget* { return &p.Button(PanelButton::Stop); }},
        {"searching, host shortcut", true, true, [](SearchPanel& p) -> QWidget* { return &p.ResultList(); }},
        {"idle, list focused", false, false, [](SearchPanel& p) -> QWidget* { return &p.ResultList(); }},
        {"idle, download focused", false, false, [](SearchPanel& p) -> QWidget* { return &p.Button(PanelButton::Download); }},
        {"idle, host shortcut", false, true, [](SearchPanel& p) -> QWidget* { return &p.ResultList(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDialog host;
        auto* layout = new QVBoxLayout(&host);
        panel.setParent(&host);
        layout->addWidget(&panel);
        int shortcutRuns = 0;
        if (c.shortcut) {
            auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &host);
            QObject::connect(escape, &QShortcut::activated, [&] { ++shortcutRuns; });
        }
        QSignalSpy rejected(&host, &QDialog::rejected);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        if (c.searching) {
            ASSERT_TRUE(StartFanOut(panel));
        }
        panel.Button(PanelButton::Download).setEnabled(true);
        QWidget* focus = c.focus(panel);
        focus->setFocus();
        ASSERT_TRUE(focus->hasFocus());

        QTest::keyClick(focus, Qt::Key_Escape);
        if (c.searching) {
            EXPECT_FALSE(panel.Button(PanelButton::Stop).isEnabled());
            EXPECT_FALSE(panel.Engine().IsFanningOut());
            EXPECT_EQ(rejected.count(), 0);
            EXPECT_TRUE(host.isVisible());
            EXPECT_EQ(shortcutRuns, 0);
        } else {
            EXPECT_EQ(shortcutRuns, c.shortcut ? 1 : 0);
            EXPECT_EQ(rejected.count(), c.shortcut ? 0 : 1);
        }
        layout->removeWidget(&panel);
        panel.setParent(nullptr);
    }
}

TEST_F(PanelKeyboardTest, TabFollowsTheTemplateOrder)
{
    SearchPanel& panel = ManualPanel();
    ASSERT_TRUE(SearchToTheEnd(panel));
    ui::ResultListCtrl& list = panel.ResultList();
    QWidget* const download = &panel.Button(PanelButton::Download);
    QWidget* const stop = &panel.Button(PanelButton::Stop);
    QWidget* const connect = &panel.Button(PanelButton::Connect);
    QWidget* const info = &panel.Button(PanelButton::ServerInfo);
    struct Case {
        const char* name;
        std::map<PanelButton, std::pair<bool, bool>> buttons; // visible, enabled
        std::vector<QWidget*> order;                          // from the first, wrapping round
    };
    const Case cases[] = {
        {"every button shown and enabled",
         {{PanelButton::Download, {true, true}}, {PanelButton::Stop, {true, true}},
          {PanelButton::Connect, {true, true}}, {PanelButton::ServerInfo, {true, true}}},
         {download, stop, &list, connect, info, download}},
        {"as after a search: stop disabled, connect and server information hidden",
         {{PanelButton::Download, {true, true}}, {PanelButton::Stop, {true, false}},
          {PanelButton::Connect, {false, true}}, {PanelButton::ServerInfo, {false, false}}},
         {download, &list, download}},
        {"the operator's, a starred row clicked",
         {{PanelButton::Download, {true, false}}, {PanelButton::Stop, {true, true}},
          {PanelButton::Connect, {false, false}}, {PanelButton::ServerInfo, {true, true}}},
         {stop, &list, info, stop}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [button, state] : c.buttons) {
            panel.SetButtonVisible(button, state.first);
            panel.SetButtonEnabled(button, state.second);
        }
        c.order.front()->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), c.order.front());
        for (std::size_t i = 1; i < c.order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), c.order[i]) << "after Tab " << i;
        }
        for (std::size_t i = c.order.size() - 1; i > 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_EQ(QApplication::focusWidget(), c.order[i - 1]) << "after Shift+Tab " << i;
        }
    }

    // Tab leaves the list from any cell and leaves its current cell where it was.
    list.setCurrentIndex(panel.Model().index(1, 2));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Tab);
    EXPECT_FALSE(list.hasFocus());
    EXPECT_EQ(list.currentIndex(), panel.Model().index(1, 2));
}

struct MessageBoxSeen {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons;
    int buttonCount = 0;
    bool okPicture = false;  // the OK button carries an icon
    bool boxPicture = false; // the box shows a picture beside its text
};

// A desktop whose platform theme puts pictures on the standard dialog buttons.
class ButtonPictureStyle : public QProxyStyle {
public:
    ButtonPictureStyle() : QProxyStyle(QStringLiteral("Fusion")) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1 : QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The application's style for a scope; a new style of the previous one's name follows it.
class ScopedApplicationStyle {
public:
    explicit ScopedApplicationStyle(QStyle* style) : m_previous(QApplication::style()->name())
    {
        QApplication::setStyle(style);
    }
    ~ScopedApplicationStyle() { QApplication::setStyle(m_previous); }
    ScopedApplicationStyle(const ScopedApplicationStyle&) = delete;
    ScopedApplicationStyle& operator=(const ScopedApplicationStyle&) = delete;

private:
    QString m_previous;
};

// Looks for the modal message box every 10 ms, at most kWaitMs long; notes what it shows and
// closes it with its own button.
void CloseMessageBoxWhenShown(std::optional<MessageBoxSeen>& seen, int triesLeft = kWaitMs / 10)
{
    QTimer::singleShot(10, [&seen, triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (triesLeft > 0) {
                CloseMessageBoxWhenShown(seen, triesLeft - 1);
            }
            return;
        }
        const QAbstractButton* ok = box->button(QMessageBox::Ok);
        seen = MessageBoxSeen{box->text(),
                              box->windowTitle(),
                              box->icon(),
                              box->standardButtons(),
                              static_cast<int>(box->buttons().size()),
                              ok != nullptr && !ok->icon().isNull(),
                              !box->iconPixmap().isNull()};
        box->button(QMessageBox::Ok) != nullptr ? box->button(QMessageBox::Ok)->click() : box->reject();
    });
}

TEST_F(PanelKeyboardTest, TheMessageBoxHasTextAndAPlainOkOnly)
{
    struct Case {
        const char* what;
        std::function<QStyle*()> style; // nothing: the style the platform gave the application
    };
    const Case cases[] = {
        {"the platform's style", nullptr},
        {"Fusion", [] { return QStyleFactory::create(QStringLiteral("Fusion")); }},
        {"pictures on dialog buttons", [] { return new ButtonPictureStyle; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<ScopedApplicationStyle> style;
        if (c.style) {
            style.emplace(c.style());
        }
        // The product's own message box, not the recording one.
        SearchPanel& panel = ManualPanel([](ui::PanelSeams& seams) { seams.showMessage = nullptr; });
        ui::ResultListCtrl& list = panel.ResultList();
        list.setFocus();
        std::optional<MessageBoxSeen> seen;
        CloseMessageBoxWhenShown(seen);
        QTest::keyClick(&list, Qt::Key_Return);
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->text, QStringLiteral("파일을 선택하세요"));
        EXPECT_EQ(seen->title, QString());
        EXPECT_EQ(seen->icon, QMessageBox::NoIcon);
        EXPECT_EQ(seen->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(seen->buttonCount, 1);
        EXPECT_FALSE(seen->okPicture);
        EXPECT_FALSE(seen->boxPicture);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    // The last row did ask for a picture on the button, so the box had one to leave off.
    ButtonPictureStyle pictures;
    EXPECT_NE(pictures.styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons, nullptr, nullptr, nullptr), 0);
    EXPECT_FALSE(pictures.standardIcon(QStyle::SP_DialogOkButton).isNull());
}

TEST_F(PanelKeyboardTest, ServerInformationWindowClosesOnEnterAndEscape)
{
    channel::BlowFish cipher;
    ASSERT_TRUE(cipher.Initialize(channel::kWireKey));
    struct Case {
        Qt::Key key;
        bool onButton;
        QDialog::DialogCode result;
    };
    const Case cases[] = {
        {Qt::Key_Return, true, QDialog::Accepted},  {Qt::Key_Enter, true, QDialog::Accepted},
        {Qt::Key_Escape, true, QDialog::Rejected},  {Qt::Key_Return, false, QDialog::Accepted},
        {Qt::Key_Enter, false, QDialog::Accepted},  {Qt::Key_Escape, false, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(KeyName(c.key)) + (c.onButton ? " on the OK button" : " on the window"));
        ui::ServerInfoDialog dialog(cipher, "kim", "127.0.0.1", m_kimPort);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.setResult(-1);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QWidget* target = c.onButton ? static_cast<QWidget*>(&dialog.OkButton()) : &dialog;
        if (c.onButton) {
            dialog.OkButton().setFocus();
            ASSERT_TRUE(dialog.OkButton().hasFocus());
        }
        QTest::keyClick(target, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_FALSE(dialog.isVisible());
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished[0][0].toInt(), c.result);
    }
}

} // namespace
