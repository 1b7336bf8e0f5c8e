#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

#include <vector>

namespace velkan::ui {

// Finds a named icon in the system's icon themes by reading their folders directly, so that the
// panel never has to choose an icon theme for the whole application it lives in. Follows the
// freedesktop rules as far as the file-type pictures need them: the first theme holding the name
// gives every size it has (the icon then draws from the one closest to the size asked for, at
// the screen's pixel density), and a name not found anywhere is tried again without its last
// dash-separated part ("audio-mpeg", then "audio").
class ThemeIconLookup {
public:
    // Reads the themes' index files from the folders (each holding theme folders), themes in
    // the order given.
    ThemeIconLookup(const QStringList& searchFolders, const QStringList& themes);

    // The folders the system keeps icon themes in: $XDG_DATA_HOME/icons, then icons/ under each
    // of $XDG_DATA_DIRS (defaults as the base-directory rules give them).
    [[nodiscard]] static QStringList SystemSearchFolders();

    // The first of names that some theme holds, with each size the theme has of it; a null icon
    // when none is found.
    [[nodiscard]] QIcon Find(const QStringList& names) const;

private:
    struct Directory {
        QString path;
        int pixels = 0; // the side of its pictures: the nominal size times the scale
    };
    struct Theme {
        std::vector<Directory> directories;
    };

    // Every picture of the name in the theme, each at its size; null when there is none.
    [[nodiscard]] static QIcon IconOf(const Theme& theme, const QString& name);

    std::vector<Theme> m_themes;
};

} // namespace velkan::ui
