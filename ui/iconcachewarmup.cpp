#include "iconcachewarmup.h"

#include "imagelist.h"

#include <QEvent>
#include <QIcon>
#include <QMimeDatabase>
#include <QWidget>

#include <system_error>

namespace velkan::ui {

namespace {

// A type whose own icon the usual themes lack: looking it up loads the theme, the themes it
// falls back to, and the reader of the picture found for its generic icon.
const QString kSampleFile = QStringLiteral("sample.mp3");

QMimeType SampleType()
{
    return QMimeDatabase().mimeTypeForFile(kSampleFile, QMimeDatabase::MatchExtension);
}

} // namespace

IconCacheWarmUp::IconCacheWarmUp(QWidget* panel) : QObject(panel)
{
    panel->installEventFilter(this);
}

IconCacheWarmUp::~IconCacheWarmUp()
{
    if (m_mimeLoader.joinable()) {
        m_mimeLoader.join();
    }
}

bool IconCacheWarmUp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        try {
            m_mimeLoader = std::thread([] { SampleType(); });
        } catch (const std::system_error&) {
            // No thread to spare: the first look-up loads the database itself, as it always could.
        }
        // Queued: it runs once this paint is done.
        QMetaObject::invokeMethod(this, &IconCacheWarmUp::LoadIconTheme, Qt::QueuedConnection);
    }
    return false;
}

void IconCacheWarmUp::LoadIconTheme()
{
    const QMimeType type = SampleType();
    const QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    [[maybe_unused]] const QPixmap picture = icon.pixmap(ImageList::ImageSize());
}

} // namespace velkan::ui
