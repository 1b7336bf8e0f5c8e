#pragma once

#include "search/extensionkey.h"
#include "search/fanouttimer.h"
#include "search/imageindexprovider.h"
#include "search/searchview.h"
#include "search/ticksource.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <map>
#include <string>
#include <vector>

namespace velkan::test {

// The image list's growth rule: eight folder pictures, then one new index per new extension.
class FakeImages final : public search::ImageIndexProvider {
public:
    int ImageIndexFor(std::string_view path) override
    {
        const auto [it, added] = m_keys.try_emplace(std::string(search::ExtensionKey(path)),
                                                    8 + static_cast<int>(m_keys.size()));
        return it->second;
    }
    int BuiltInImageIndex(int picture) override { return picture; }

private:
    std::map<std::string, int> m_keys;
};

// Records everything the engine shows.
class RecordingView final : public search::SearchView {
public:
    struct ButtonState {
        bool enabled = false;
        bool visible = true;
    };

    void SetButtonEnabled(search::PanelButton button, bool enabled) override
    {
        buttons[button].enabled = enabled;
    }
    void SetButtonVisible(search::PanelButton button, bool visible) override
    {
        buttons[button].visible = visible;
    }
    void SetProgressPosition(int percent) override { positions.push_back(percent); }
    void ShowProgressTexts(const QString& progress, const QString& found) override
    {
        progressTexts.push_back(progress);
        foundTexts.push_back(found);
    }
    void SetIdentityLabel(const QString& text) override { identityLabel = text; }
    int SelectedRow() const override { return selectedRow; }
    void ShowMessage(const QString& text) override { messages.push_back(text); }
    void FireConnect(const std::string& nick, const std::string& folder) override
    {
        connects.emplace_back(nick, folder);
    }

    // The template's starting states.
    std::map<search::PanelButton, ButtonState> buttons = {
        {search::PanelButton::Download, {false, true}},
        {search::PanelButton::Stop, {false, true}},
        {search::PanelButton::Connect, {true, false}},
        {search::PanelButton::ServerInfo, {false, false}},
    };
    std::vector<int> positions;
    std::vector<QString> progressTexts;
    std::vector<QString> foundTexts;
    QString identityLabel = QStringLiteral("VELKAN");
    int selectedRow = -1;
    std::vector<QString> messages;
    std::vector<std::pair<std::string, std::string>> connects;
};

class ManualTicks final : public search::TickSource {
public:
    std::uint32_t Now() const override { return now; }
    std::uint32_t now = 1000000;
};

// A fan-out timer that ticks only when the test says so.
class ManualTimer final : public search::FanOutTimer {
public:
    void SetCallback(std::function<void()> onTick) override { m_onTick = std::move(onTick); }
    void Start(int intervalMs) override
    {
        interval = intervalMs;
        m_active = true;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    // Fires while active, at most count times; returns the ticks fired.
    int Tick(int count = 1)
    {
        int fired = 0;
        for (; fired < count && m_active; ++fired) {
            m_onTick();
        }
        return fired;
    }
    int interval = 0;

private:
    std::function<void()> m_onTick;
    bool m_active = false;
};

// Runs the event loop until done() holds or timeoutMs pass; false on the time-out. Unlike
// QTest::qWaitFor it never sleeps between passes, so a connection reading a long line one chunk
// per pass is not slowed down.
inline bool RunEventLoopUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) {
            loop.quit();
        }
    });
    check.start(5);
    if (!done()) {
        loop.exec();
    }
    return done();
}

} // namespace velkan::test
