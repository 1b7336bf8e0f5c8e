#include "themeiconlookup.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

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

ThemeIconLookup::ThemeIconLookup(const QStringList& searchFolders, const QStringList& themes)
{
    for (const QString& name : themes) {
        Theme theme;
        for (const QString& folder : searchFolders) {
            const QDir themeFolder(QDir(folder).filePath(name));
            const QString index = themeFolder.filePath(QStringLiteral("index.theme"));
            if (!QFileInfo::exists(index))
                continue;
            const QSettings settings(index, QSettings::IniFormat);
            for (const QString& directory : settings.value(QStringLiteral("Icon Theme/Directories")).toStringList()) {
                const QVariant size = settings.value(directory + QStringLiteral("/Size"));
                const int scale = settings.value(directory + QStringLiteral("/Scale"), 1).toInt();
                if (!size.isValid() || size.toInt() <= 0 || scale <= 0)
                    continue;
                theme.directories.push_back({themeFolder.filePath(directory), size.toInt() * scale});
            }
        }
        m_themes.push_back(std::move(theme));
    }
}

QIcon ThemeIconLookup::IconOf(const Theme& theme, const QString& name)
{
    const QString fileName = name + QStringLiteral(".png");
    QIcon icon;
    for (const Directory& directory : theme.directories) {
        const QString path = QDir(directory.path).filePath(fileName);
        if (QFileInfo::exists(path))
            icon.addFile(path, QSize(directory.pixels, directory.pixels));
    }
    return icon;
}

QIcon ThemeIconLookup::Find(const QStringList& names) const
{
    for (const QString& fullName : names) {
        for (QString name = fullName; !name.isEmpty();) {
            for (const Theme& theme : m_themes) {
                if (QIcon icon = IconOf(theme, name); !icon.isNull())
                    return icon;
            }
            const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
            name = dash > 0 ? name.left(dash) : QString();
        }
    }
    return {};
}

} // namespace velkan::ui
