#include "ui/themeiconlookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <filesystem>
#include <utility>

namespace velkan::ui {

namespace {

QStringList EnvironmentFolders(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    QStringList folders;
    for (const QString& folder : (value.isEmpty() ? fallback : value).split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // Relative entries are ignored, as the base-directory rules say.
        if (QDir::isAbsolutePath(folder))
            folders.append(folder);
    }
    return folders;
}

} // namespace

QStringList ThemeIconLookup::SystemSearchFolders()
{
    QStringList folders = EnvironmentFolders("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
    folders += EnvironmentFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (QString& folder : folders)
        folder += QStringLiteral("/icons");
    return folders;
}

ThemeIconLookup::ThemeIconLookup(QStringList searchFolders, QStringList themes)
    : m_searchFolders(std::move(searchFolders)), m_themes(std::move(themes))
{
}

std::vector<ThemeIconLookup::Directory> ThemeIconLookup::DirectoriesOf(const QStringList& searchFolders,
                                                                       const QString& theme)
{
    std::vector<Directory> directories;
    for (const QString& folder : searchFolders) {
        const QDir themeFolder(QDir(folder).filePath(theme));
        const QString index = themeFolder.filePath(QStringLiteral("index.theme"));
        if (!QFileInfo::exists(index))
            continue;
        const QSettings settings(index, QSettings::IniFormat);
        for (const QString& directory : settings.value(QStringLiteral("Icon Theme/Directories")).toStringList()) {
            const QVariant size = settings.value(directory + QStringLiteral("/Size"));
            const int scale = settings.value(directory + QStringLiteral("/Scale"), 1).toInt();
            if (!size.isValid() || size.toInt() <= 0 || scale <= 0)
                continue;
            directories.push_back({themeFolder.filePath(directory), size.toInt() * scale});
        }
    }
    return directories;
}

ThemeIconLookup::PictureIndex ThemeIconLookup::PicturesIn(const std::vector<Directory>& directories)
{
    // Read with the standard library, which takes each entry's type from the listing itself:
    // QDir asks for every file's details, several times slower over a theme's thousands.
    PictureIndex pictures;
    for (const Directory& directory : directories) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(QFile::encodeName(directory.path).toStdString(), error), end;
             !error && entry != end; entry.increment(error)) {
            const std::filesystem::path& path = entry->path();
            std::error_code typeError;
            if (path.extension() != ".png" || !entry->is_regular_file(typeError))
                continue;
            pictures[QFile::decodeName(path.stem().c_str())].push_back(
                {QFile::decodeName(path.c_str()), directory.pixels});
        }
    }
    return pictures;
}

const std::vector<ThemeIconLookup::PictureIndex>& ThemeIconLookup::Pictures() const
{
    std::call_once(m_listed, [this] {
        for (const QString& theme : m_themes)
            m_pictures.push_back(PicturesIn(DirectoriesOf(m_searchFolders, theme)));
    });
    return m_pictures;
}

int ThemeIconLookup::PixelsDrawnFor(const std::vector<Picture>& pictures, int side)
{
    int smallestLargeEnough = 0;
    int largest = 0;
    for (const Picture& picture : pictures) {
        if (picture.pixels >= side && (smallestLargeEnough == 0 || picture.pixels < smallestLargeEnough))
            smallestLargeEnough = picture.pixels;
        largest = std::max(largest, picture.pixels);
    }
    return smallestLargeEnough != 0 ? smallestLargeEnough : largest;
}

QIcon ThemeIconLookup::IconOf(const PictureIndex& pictures, const QString& name,
                              const std::vector<int>& sides)
{
    const auto found = pictures.constFind(name);
    if (found == pictures.cend())
        return {};
    std::vector<int> wanted;
    for (const int side : sides)
        wanted.push_back(PixelsDrawnFor(*found, side));
    QIcon icon;
    // Every picture of a wanted size, in the theme's order, so that the icon breaks ties as it
    // would with them all.
    for (const Picture& picture : *found) {
        if (std::ranges::find(wanted, picture.pixels) != wanted.end())
            icon.addFile(picture.path, QSize(picture.pixels, picture.pixels));
    }
    return icon;
}

QIcon ThemeIconLookup::Find(const QStringList& names, const std::vector<int>& sides) const
{
    for (const QString& fullName : names) {
        for (QString name = fullName; !name.isEmpty();) {
            for (const PictureIndex& pictures : Pictures()) {
                if (QIcon icon = IconOf(pictures, name, sides); !icon.isNull())
                    return icon;
            }
            const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
            name = dash > 0 ? name.left(dash) : QString();
        }
    }
    return {};
}

} // namespace velkan::ui
