#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <vector>

namespace velkan::ui {

// Finds a named picture in the system's icon themes by reading their folders directly, so that
// the panel never has to choose an icon theme for the whole application it lives in. Follows the
// freedesktop rules as far as the file-type pictures need them: the first theme holding the name
// wins, the folder closest to the wanted size is taken, and a name not found anywhere is tried
// again without its last dash-separated part ("audio-mpeg", then "audio").
class ThemeIconLookup {
public:
    // Reads the themes' index files from the folders (each holding theme folders), themes in
    // the order given.
    ThemeIconLookup(const QStringList& searchFolders, const QStringList& themes);

    // The folders the system keeps icon themes in: $XDG_DATA_HOME/icons, then icons/ under each
    // of $XDG_DATA_DIRS (defaults as the base-directory rules give them).
    [[nodiscard]] static QStringList SystemSearchFolders();

    // The first of names that some theme holds, as a picture of side × side; a null picture
    // when none is found.
    [[nodiscard]] QPixmap Find(const QStringList& names, int side) const;

private:
    struct Directory {
        QString path;
        int size = 0;
    };
    struct Theme {
        std::vector<Directory> directories;
    };

    [[nodiscard]] QString BestFile(const Theme& theme, const QString& name, int side) const;

    std::vector<Theme> m_themes;
};

} // namespace velkan::ui
