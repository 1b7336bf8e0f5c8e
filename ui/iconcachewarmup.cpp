#include "iconcachewarmup.h"

#include "imagelist.h"

#include <QEvent>
#include <QIcon>
#include <QMimeDatabase>
#include <QWidget>

#include <array>
#include <system_error>

namespace velkan::ui {

namespace {

// One file of each kind that fills most result lists: sound, video, picture, text, archive,
// document and program. Looking up the first loads the theme and the themes it falls back to
// (the usual themes lack its own icon); each one loads its kind's picture at both sizes.
const std::array<QString, 7> kSampleFiles = {
    QStringLiteral("x.mp3"), QStringLiteral("x.avi"), QStringLiteral("x.jpg"), QStringLiteral("x.txt"),
    QStringLiteral("x.zip"), QStringLiteral("x.doc"), QStringLiteral("x.exe"),
};

QMimeType TypeOf(const QString& file)
{
    return QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
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
            m_mimeLoader = std::thread([] { TypeOf(kSampleFiles[0]); });
        } catch (const std::system_error&) {
            // No thread to spare: the first look-up loads the database itself, as it always could.
        }
        // Queued: it runs once this paint is done.
        QMetaObject::invokeMethod(this, &IconCacheWarmUp::LoadNextPicture, Qt::QueuedConnection);
    }
    return false;
}

void IconCacheWarmUp::LoadNextPicture()
{
    const QMimeType type = TypeOf(kSampleFiles[m_nextSample]);
    const QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    // Both sizes, as the icon cache asks for them.
    for (const qreal scale : {1.0, 2.0}) {
        [[maybe_unused]] const QPixmap picture = icon.pixmap(ImageList::ImageSize(), scale);
    }
    // One picture per pass of the event loop, so that none holds it long.
    if (++m_nextSample < kSampleFiles.size()) {
        QMetaObject::invokeMethod(this, &IconCacheWarmUp::LoadNextPicture, Qt::QueuedConnection);
    }
}

} // namespace velkan::ui
