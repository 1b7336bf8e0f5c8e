#pragma once

#include "ui/iconcache.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace velkan::web {

struct Asset {
    QByteArray contentType;
    QByteArray body;
};

// What the bridge serves to any page: its demo page, the element's script and declarations, the panel's
// pictures as PNG (NAME.png and NAME@2x.png, transparent where the panel draws them so; the
// about box's icon.png), its font (the installed package's file, read
// when asked) and file-type pictures by extension (/icons/16/EXT.png, /icons/32/EXT.png; EXT "_"
// for a name without one).
// None of it is private. Needs a QGuiApplication for the file-type pictures.
class Assets {
public:
    static constexpr int kMaxCachedIcons = 256;
    // The name under /icons/ of the picture for a file without an extension.
    static constexpr const char* kNoExtension = "_";

    explicit Assets(QString fontFile);

    [[nodiscard]] std::optional<Asset> Find(const QByteArray& path);

    [[nodiscard]] static QString DefaultFontFile();

private:
    [[nodiscard]] std::optional<Asset> Picture(const QByteArray& name);
    [[nodiscard]] std::optional<Asset> FileTypePicture(int side, const QByteArray& extension);

    QString m_fontFile;
    ui::IconCache m_icons;
    QHash<QByteArray, QByteArray> m_iconCache; // "16/mp3" -> PNG
    QHash<QByteArray, QByteArray> m_pictures;  // "202@2x" -> PNG
};

} // namespace velkan::web
