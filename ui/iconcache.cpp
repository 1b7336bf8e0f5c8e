#include "ui/iconcache.h"

#include "search/extensionkey.h"

#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <cstdint>
#include <system_error>

namespace velkan::ui {

namespace {

// The themes searched when the application has not chosen one (the offscreen platform, a bare X
// server, a desktop Qt does not know): the desktop's usual file-type pictures, then the base
// theme every other inherits.
const QStringList kFallbackThemes = {QStringLiteral("Adwaita"), QStringLiteral("hicolor")};

// True when the application runs with an icon theme of its own choosing, whose pictures the
// host's other windows show too.
bool ApplicationHasTheme()
{
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QStringLiteral("hicolor");
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

IconCache::IconCache() : IconCache(ThemeIconLookup::SystemSearchFolders(), kFallbackThemes) {}

IconCache::IconCache(QStringList searchFolders, QStringList themes, std::function<void()> beforeListing)
    : m_ownList(std::make_unique<ImageList>())
    , m_list(m_ownList.get())
    , m_themeIcons(std::move(searchFolders), std::move(themes))
    , m_beforeListing(std::move(beforeListing))
{
}

IconCache::~IconCache()
{
    if (m_preparer.joinable())
        m_preparer.join();
}

ImageList& IconCache::Attach(ImageList* list)
{
    m_entries.clear();
    m_waitingKeys.clear();
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

void IconCache::PrepareInBackground(std::function<void()> done)
{
    if (m_preparer.joinable()) {
        // Prepared or on its way already: a look-up waits for whatever is left.
        done();
        return;
    }
    const auto prepare = [this, listThemes = !ApplicationHasTheme(), done = std::move(done)] {
        static_cast<void>(QMimeDatabase().mimeTypeForFile(QStringLiteral("x.txt"), QMimeDatabase::MatchExtension));
        if (m_beforeListing)
            m_beforeListing();
        if (listThemes)
            m_themeIcons.ListPictures();
        m_prepared = true;
        QMetaObject::invokeMethod(&m_receiver, [this] { SwapInWaitingPictures(); }, Qt::QueuedConnection);
        done();
    };
    m_prepared = false;
    try {
        m_preparer = std::thread(prepare);
    } catch (const std::system_error&) {
        // The first look-up loads what it needs itself, as it always could.
        m_prepared = true;
        done();
    }
}

void IconCache::LoadPicturesOf(std::string_view key) const
{
    static_cast<void>(ThemePictures(key));
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
    if (!m_prepared && m_picturesChanged) {
        // The theme's picture would wait for the worker: it comes in place of this one later.
        m_list->Add(GenericFilePicture(key), GenericFilePicture(key, 2));
        m_waitingKeys.emplace_back(key);
        return index;
    }
    // Rows already drawn name later pictures by index: position `index` is filled whatever
    // the theme offers.
    const auto [normal, doubled] = ThemePictures(key);
    if (m_list->Add(normal, doubled) < 0)
        m_list->Add(GenericFilePicture(key), GenericFilePicture(key, 2));
    return index;
}

void IconCache::SwapInWaitingPictures()
{
    bool swapped = false;
    for (const std::string& key : m_waitingKeys) {
        const auto [normal, doubled] = ThemePictures(key);
        swapped = m_list->Replace(IndexOfKey(key), normal, doubled) || swapped;
    }
    m_waitingKeys.clear();
    if (swapped && m_picturesChanged)
        m_picturesChanged();
}

std::pair<QPixmap, QPixmap> IconCache::ThemePictures(std::string_view key) const
{
    // Both sizes, whatever the screens of the moment: the list may be shown on another one later.
    const QIcon icon = ThemeIcon(key);
    if (icon.isNull())
        return {};
    return {icon.pixmap(ImageList::ImageSize(), 1.0), icon.pixmap(ImageList::ImageSize(), 2.0)};
}

QIcon IconCache::ThemeIcon(std::string_view key) const
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
    // The theme is read here rather than chosen for the application: a panel must leave its
    // host's icons as they are.
    if (ApplicationHasTheme())
        return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
    const int side = ImageList::kImageSide;
    return m_themeIcons.Find({mime.iconName(), mime.genericIconName()}, {side, 2 * side});
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
