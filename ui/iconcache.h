#pragma once

#include "search/imageindexprovider.h"
#include "ui/imagelist.h"
#include "ui/themeiconlookup.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace velkan::ui {

// Hands the results list one picture per file extension met, appended to its image list after
// the built-in folder pictures. Extensions are told apart byte by byte: ".MP3" and ".mp3" are
// two entries. Every key has exactly one picture, so the entry count always equals the number
// of pictures in the list.
class IconCache : public search::ImageIndexProvider {
public:
    // Starts with an empty list of its own. File-type pictures come from the application's icon
    // theme when it has chosen one, else straight from the system's theme folders.
    IconCache();
    // Looks for file-type pictures in the themes under the search folders; beforeListing, when
    // given, runs on the worker of PrepareInBackground before it lists the theme folders.
    IconCache(QStringList searchFolders, QStringList themes, std::function<void()> beforeListing = {});
    ~IconCache() override;

    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // Forgets every entry. With a list: keeps using it (without owning it) and enters each
    // picture it already holds as "ORG_<n>". With nullptr: a new empty list of its own.
    ImageList& Attach(ImageList* list);

    // Loads on a worker thread what the first file-type picture needs (the MIME database, the
    // theme folders' listing), then calls done on that thread; a look-up that comes meanwhile
    // waits for it, unless someone listens for changed pictures (see OnPicturesChanged). Without
    // a thread to spare, or when called again, calls done at once.
    void PrepareInBackground(std::function<void()> done);
    // From now on a look-up made while the worker prepares does not wait: it enters the generic
    // picture at once, and once the worker is done the theme's picture takes its place at the
    // same index on this object's thread, after which changed is called (the rows that show it
    // are to be drawn again).
    void OnPicturesChanged(std::function<void()> changed) { m_picturesChanged = std::move(changed); }
    // True when every picture entered is the one it stays: no worker is preparing and none is
    // waiting to be swapped in.
    [[nodiscard]] bool PicturesFinal() const { return m_prepared.load() && m_waitingKeys.empty(); }
    // Makes the extension's pictures as a look-up would, without entering them, so that the
    // image readers and files they need are loaded before a reply asks for them.
    void LoadPicturesOf(std::string_view key) const;

    int ImageIndexFor(std::string_view path) override;
    int BuiltInImageIndex(int picture) override { return picture; }

    [[nodiscard]] ImageList& Images() { return *m_list; }
    [[nodiscard]] const ImageList& Images() const { return *m_list; }
    [[nodiscard]] int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // The index entered under the key, or -1.
    [[nodiscard]] int IndexOfKey(std::string_view key) const;

    // The picture shown for an extension the icon theme has none for: a white page with a
    // folded corner and a band whose colour follows from the key (none for the empty key).
    // At a scale of 2 it is drawn at twice the size, its outline still one pixel wide.
    [[nodiscard]] static QPixmap GenericFilePicture(std::string_view key, int scale = 1);
    // The band colour of GenericFilePicture.
    [[nodiscard]] static QColor BandColor(std::string_view key);

private:
    // The theme's icon for the extension; a null icon when our own picture serves better.
    [[nodiscard]] QIcon ThemeIcon(std::string_view key) const;
    // The theme's pictures for the extension at both sizes; null when it has none.
    [[nodiscard]] std::pair<QPixmap, QPixmap> ThemePictures(std::string_view key) const;
    // Swaps the theme's pictures in for the generic ones entered while the worker prepared.
    void SwapInWaitingPictures();

    std::map<std::string, int, std::less<>> m_entries;
    std::unique_ptr<ImageList> m_ownList;
    ImageList* m_list = nullptr;
    ThemeIconLookup m_themeIcons;
    std::function<void()> m_beforeListing;
    std::function<void()> m_picturesChanged;
    std::vector<std::string> m_waitingKeys;
    std::atomic<bool> m_prepared = true;
    // Receives the worker's word that it is done, on this object's thread; it goes (and any
    // word not yet delivered with it) after the worker has been joined.
    QObject m_receiver;
    std::thread m_preparer;
};

// Where the eight built-in 16 x 16 folder pictures are kept, side by side.
inline const QString kFolderPicturesPath = QStringLiteral(":/bitmaps/220.bmp");

// Cuts the folder strip into its 16 x 16 pictures, with the colour of the strip's first stored
// pixel (the bottom-left one: the file is stored bottom-up) made transparent. An empty list
// when the strip does not load. A strip of twice the size beside it ("@2x") gives each picture
// its twice-size form, with the same colour transparent.
ImageList LoadFolderPictures(const QString& path = kFolderPicturesPath);

} // namespace velkan::ui
