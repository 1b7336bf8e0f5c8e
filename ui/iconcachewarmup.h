#pragma once

#include <QObject>

#include <cstddef>
#include <thread>

class QWidget;

namespace velkan::ui {

// Loads, once the panel has painted for the first time (so that the paint is not delayed), what
// the icon cache's first look-ups would otherwise load in the middle of the first reply: the
// MIME database on a worker thread (it is thread-safe), then, on the panel's thread where icons
// must be made, the icon theme and the pictures of the common kinds of file, one per pass of the
// event loop. Nothing waits for it: a reply that comes sooner pays for what is not loaded yet,
// as it would have anyway.
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
    void LoadNextPicture();

    std::thread m_mimeLoader; // started at the first paint
    std::size_t m_nextSample = 0;
};

} // namespace velkan::ui
