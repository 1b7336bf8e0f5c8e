#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

namespace velkan::ui {

// Finds a named icon in the system's icon themes by reading their folders directly, so that the
// panel never has to choose an icon theme for the whole application it lives in. Follows the
// freedesktop rules as far as the file-type pictures need them: the first theme holding the name
// gives its pictures (the icon then draws from the one closest to the size asked for, at the
// screen's pixel density), and a name not found anywhere is tried again without its last
// dash-separated part ("audio-mpeg", then "audio"). The themes' folders are listed once, so a
// look-up costs a few hash look-ups rather than a file-system query per folder (hicolor alone
// has hundreds).
class ThemeIconLookup {
public:
    // Looks in the folders (each holding theme folders), themes in the order given. Nothing is
    // read until the first Find or ListPictures.
    ThemeIconLookup(QStringList searchFolders, QStringList themes);

    ThemeIconLookup(const ThemeIconLookup&) = delete;
    ThemeIconLookup& operator=(const ThemeIconLookup&) = delete;

    // Reads the themes' index files and lists their folders, once: a call from a worker thread
    // spares the first Find the work, and a Find that comes meanwhile waits for it.
    void ListPictures() const { static_cast<void>(Pictures()); }

    // A folder of a theme's pictures.
    struct Directory {
        QString path;
        int pixels = 0; // the side of its pictures: the nominal size times the scale
    };
    // The theme's picture folders, from its index file in each search folder that has one.
    [[nodiscard]] static std::vector<Directory> DirectoriesOf(const QStringList& searchFolders, const QString& theme);

    // The folders the system keeps icon themes in: $XDG_DATA_HOME/icons, then icons/ under each
    // of $XDG_DATA_DIRS (defaults as the base-directory rules give them).
    [[nodiscard]] static QStringList SystemSearchFolders();

    // The first of names that some theme holds; a null icon when none is found. The icon holds
    // the theme's pictures that it would draw at the given sides in device pixels, for each the
    // smallest at least that large, else the largest: an icon decodes every picture it is given,
    // and the large ones a theme has would cost milliseconds each.
    [[nodiscard]] QIcon Find(const QStringList& names, const std::vector<int>& sides) const;

private:
    struct Picture {
        QString path;
        int pixels = 0;
    };
    // A theme's pictures by icon name, each name's in the order of the theme's directories.
    using PictureIndex = QHash<QString, std::vector<Picture>>;

    [[nodiscard]] static PictureIndex PicturesIn(const std::vector<Directory>& directories);
    // The themes' pictures, listed on first use (once, whichever thread asks first).
    [[nodiscard]] const std::vector<PictureIndex>& Pictures() const;
    // The size of the pictures an icon draws side from: the smallest at least that large, else
    // the largest.
    [[nodiscard]] static int PixelsDrawnFor(const std::vector<Picture>& pictures, int side);
    // The pictures of the name in the theme that the sides call for; null when there is none.
    [[nodiscard]] static QIcon IconOf(const PictureIndex& pictures, const QString& name,
                                      const std::vector<int>& sides);

    const QStringList m_searchFolders;
    const QStringList m_themes;
    mutable std::once_flag m_listed;
    mutable std::vector<PictureIndex> m_pictures;
};

} // namespace velkan::ui
