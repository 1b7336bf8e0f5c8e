#include "bench/oldthemeiconlookup.h"

#include <QDir>
#include <QFileInfo>

namespace velkan::bench::oldlookup {

OldThemeIconLookup::OldThemeIconLookup(const QStringList& searchFolders, const QStringList& themes)
{
    for (const QString& theme : themes)
        m_themes.push_back(ui::ThemeIconLookup::DirectoriesOf(searchFolders, theme));
}

QIcon OldThemeIconLookup::Find(const QStringList& names) const
{
    for (const QString& fullName : names) {
        for (QString name = fullName; !name.isEmpty();) {
            for (const Theme& theme : m_themes) {
                QIcon icon;
                for (const ui::ThemeIconLookup::Directory& directory : theme) {
                    const QString path = QDir(directory.path).filePath(name + QStringLiteral(".png"));
                    if (QFileInfo::exists(path))
                        icon.addFile(path, QSize(directory.pixels, directory.pixels));
                }
                if (!icon.isNull())
                    return icon;
            }
            const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
            name = dash > 0 ? name.left(dash) : QString();
        }
    }
    return {};
}

} // namespace velkan::bench::oldlookup
