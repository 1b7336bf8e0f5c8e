#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace velkan::search {

// The fan-out's periodic tick. Tests drive it by hand instead of waiting for real time.
class FanOutTimer {
public:
    virtual ~FanOutTimer() = default;
    virtual void SetCallback(std::function<void()> onTick) = 0;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsActive() const = 0;
};

class QtFanOutTimer final : public FanOutTimer {
public:
    QtFanOutTimer() { m_timer.setTimerType(Qt::PreciseTimer); }
    void SetCallback(std::function<void()> onTick) override
    {
        QObject::disconnect(&m_timer, nullptr, nullptr, nullptr);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
    }
    void Start(int intervalMs) override { m_timer.start(intervalMs); }
    void Stop() override { m_timer.stop(); }
    [[nodiscard]] bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace velkan::search
