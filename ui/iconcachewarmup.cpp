#include "ui/iconcachewarmup.h"

#include "ui/iconcache.h"

#include <QEvent>
#include <QWidget>

#include <array>
#include <string_view>

namespace velkan::ui {

namespace {

// One extension of each kind that fills most result lists: sound, video, picture, text, archive,
// document and program. The first loads the image readers; each loads its kind's pictures.
constexpr std::array<std::string_view, 7> kSampleKeys = {".mp3", ".avi", ".jpg", ".txt", ".zip", ".doc", ".exe"};

} // namespace

IconCacheWarmUp::IconCacheWarmUp(QWidget* panel, IconCache& icons) : QObject(panel), m_icons(icons)
{
    panel->installEventFilter(this);
    // The cache, a member of the panel, waits for its worker before the panel's children (this
    // object among them) go, so the call below never outlives this object.
    m_icons.PrepareInBackground(
        [this] { QMetaObject::invokeMethod(this, &IconCacheWarmUp::OneWaitOver, Qt::QueuedConnection); });
}

bool IconCacheWarmUp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // Queued: it runs once this paint is done.
        QMetaObject::invokeMethod(this, &IconCacheWarmUp::OneWaitOver, Qt::QueuedConnection);
    }
    return false;
}

void IconCacheWarmUp::OneWaitOver()
{
    if (--m_waits == 0)
        LoadNextPictures();
}

void IconCacheWarmUp::LoadNextPictures()
{
    m_icons.LoadPicturesOf(kSampleKeys[m_nextSample]);
    // One kind per pass of the event loop, so that none holds it long.
    if (++m_nextSample < kSampleKeys.size())
        QMetaObject::invokeMethod(this, &IconCacheWarmUp::LoadNextPictures, Qt::QueuedConnection);
}

} // namespace velkan::ui
