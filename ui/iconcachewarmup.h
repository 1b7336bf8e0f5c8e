#pragma once

#include <QObject>

#include <thread>

class QWidget;

namespace velkan::ui {

// Loads, once the panel has painted for the first time (so that the paint is not delayed), what
// the icon cache's first look-up would otherwise load in the middle of the first reply: the
// MIME database on a worker thread (it is thread-safe), and the icon theme with its image reader
// on the panel's thread, where icons must be made. Nothing waits for it: a reply that comes
// sooner pays for what is not loaded yet, as it would have anyway.
class IconCacheWarmUp : public QObject {
    Q_OBJECT

public:
    // Watches panel for its first paint; owned by panel.
    explicit IconCacheWarmUp(QWidget* panel);
    ~IconCacheWarmUp() override;

    IconCacheWarmUp(const IconCacheWarmUp&) = delete;
    IconCacheWarmUp& operator=(const IconCacheWarmUp&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadIconTheme();

    std::thread m_mimeLoader; // started at the first paint
};

} // namespace velkan::ui
