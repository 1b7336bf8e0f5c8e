#pragma once

#include <QObject>

#include <cstddef>

class QWidget;

namespace velkan::ui {

class IconCache;

// Loads what the icon cache's first look-ups would otherwise load in the middle of the first
// reply: from the panel's start, the MIME database and the theme folders' listing on a worker
// thread (the panel's thread goes on to its first paint meanwhile); then, once both the worker
// and the first paint are done, the pictures of the common kinds of file on the panel's thread,
// where icons must be made, one per pass of the event loop. A reply that comes before the worker
// is done gets the generic picture for now (the cache swaps the theme's in afterwards); one that
// comes before the pictures are loaded pays for them itself, as it would have anyway.
class IconCacheWarmUp : public QObject {
    Q_OBJECT

public:
    // Starts the worker and watches panel for its first paint; owned by panel, whose cache
    // icons is.
    IconCacheWarmUp(QWidget* panel, IconCache& icons);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One of the worker and the first paint is done; the pictures start after the second.
    void OneWaitOver();
    void LoadNextPictures();

    IconCache& m_icons;
    int m_waits = 2; // the worker and the first paint
    std::size_t m_nextSample = 0;
};

} // namespace velkan::ui
