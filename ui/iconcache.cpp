#include "iconcache.h"

#include "extensionkey.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <cstdint>

namespace velkan::ui {

namespace {

const QString kSystemIconFolder = QStringLiteral("/usr/share/icons");

// Without a desktop (the offscreen platform, a bare X server) Qt names no icon theme and the
// theme's file-type pictures would never be found: look in the system's folder, preferring a
// theme that has small file-type pictures.
void ChooseIconTheme()
{
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QStringLiteral("hicolor"))
        return;
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(kSystemIconFolder)) {
        paths.append(kSystemIconFolder);
        QIcon::setThemeSearchPaths(paths);
    }
    for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("hicolor")}) {
        for (const QString& path : paths) {
            if (QFileInfo::exists(QDir(path).filePath(theme + QStringLiteral("/index.theme")))) {
                QIcon::setThemeName(theme);
                return;
            }
        }
    }
}

// FNV-1a over the key's bytes: stable from run to run, unlike std::hash.
std::uint32_t KeyHash(std::string_view key)
{
    std::uint32_t hash = 2166136261u;
    for (const char byte : key) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

IconCache::IconCache()
    : m_ownList(std::make_unique<ImageList>())
    , m_list(m_ownList.get())
{
    ChooseIconTheme();
}

IconCache::~IconCache() = default;

ImageList& IconCache::Attach(ImageList* list)
{
    m_entries.clear();
    if (list == nullptr) {
        m_ownList = std::make_unique<ImageList>();
        m_list = m_ownList.get();
        return *m_list;
    }
    // A list handed back that the cache made itself stays owned; any other is only borrowed.
    if (list != m_ownList.get())
        m_ownList.reset();
    m_list = list;
    for (int n = 0; n < list->Count(); ++n)
        m_entries.emplace("ORG_" + std::to_string(n), n);
    return *m_list;
}

int IconCache::IndexOfKey(std::string_view key) const
{
    const auto entry = m_entries.find(key);
    return entry == m_entries.end() ? -1 : entry->second;
}

int IconCache::ImageIndexFor(std::string_view path)
{
    const std::string_view key = search::ExtensionKey(path);
    if (const int known = IndexOfKey(key); known >= 0)
        return known;
    const int index = EntryCount();
    m_entries.emplace(std::string(key), index);
    // Rows already drawn name later pictures by index: position `index` is filled whatever
    // the theme offers. The icon is asked for at both sizes, whatever the screens of the moment:
    // the list may be shown on another one later.
    const QIcon icon = ThemeIcon(key);
    const QPixmap picture = icon.isNull() ? QPixmap() : icon.pixmap(ImageList::ImageSize(), 1.0);
    if (m_list->Add(picture, icon.isNull() ? QPixmap() : icon.pixmap(ImageList::ImageSize(), 2.0)) < 0)
        m_list->Add(GenericFilePicture(key), GenericFilePicture(key, 2));
    return index;
}

QIcon IconCache::ThemeIcon(std::string_view key)
{
    if (key.empty())
        return {};
    const QMimeDatabase database;
    const QMimeType mime = database.mimeTypeForFile(
        QStringLiteral("x") + QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())),
        QMimeDatabase::MatchExtension);
    // An extension the database does not know would only get the theme's one generic picture;
    // our own keeps such extensions apart.
    if (!mime.isValid() || mime.isDefault())
        return {};
    return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
}

QColor IconCache::BandColor(std::string_view key)
{
    if (key.empty())
        return {};
    const std::uint32_t hash = KeyHash(key);
    return QColor::fromHsv(static_cast<int>(hash % 360), 160 + static_cast<int>((hash >> 9) % 96),
                           150 + static_cast<int>((hash >> 17) % 80));
}

QPixmap IconCache::GenericFilePicture(std::string_view key, int scale)
{
    QImage image(ImageList::ImageSize() * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    QPen edge(QColor(128, 128, 128));
    edge.setCosmetic(true); // one device pixel at any scale
    // The page from x 2 to 13, its top-right corner folded down over x 10 to 13.
    const QPolygon page({{2, 0}, {9, 0}, {13, 4}, {13, 15}, {2, 15}});
    painter.setPen(edge);
    painter.setBrush(Qt::white);
    painter.drawPolygon(page);
    const QPolygon fold({{9, 0}, {9, 4}, {13, 4}});
    painter.setBrush(QColor(208, 208, 208));
    painter.drawPolygon(fold);
    if (const QColor band = BandColor(key); band.isValid())
        painter.fillRect(4, 9, 8, 3, band);
    painter.end();
    return QPixmap::fromImage(image);
}

ImageList LoadFolderPictures(const QString& path)
{
    ImageList list;
    const QImage strip = QImage(path).convertToFormat(QImage::Format_RGB32);
    if (strip.isNull())
        return list;
    const QImage doubled = QImage(DoubleSizePath(path));
    const bool hasDoubled = doubled.size() == 2 * strip.size();
    // The first pixel stored in a bottom-up bitmap is its bottom-left one.
    const QRgb transparent = strip.pixel(0, strip.height() - 1);
    const auto cut = [transparent](const QImage& from, int x, int side) {
        return QPixmap::fromImage(WithColorTransparent(from.copy(x, 0, side, side), transparent));
    };
    const int side = ImageList::kImageSide;
    for (int x = 0; x + side <= strip.width(); x += side) {
        list.Add(cut(strip, x, side), hasDoubled ? cut(doubled, 2 * x, 2 * side) : QPixmap());
    }
    return list;
}

} // namespace velkan::ui
