#include "web/assets.h"

#include "ui/imagelist.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPixmap>

namespace velkan::web {
namespace {

QByteArray Png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

std::optional<Asset> ResourceFile(const QString& path, const char* type)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return Asset{type, file.readAll()};
}

bool IsExtension(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 16) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

} // namespace

Assets::Assets(QString fontFile) : m_fontFile(std::move(fontFile)) {}

QString Assets::DefaultFontFile()
{
    return QStringLiteral("/usr/share/fonts/truetype/nanum/NanumGothic.ttf");
}

std::optional<Asset> Assets::Find(const QByteArray& path)
{
    if (path == "/velkanfilesearch.js") {
        return ResourceFile(QStringLiteral(":/web/velkanfilesearch.js"), "text/javascript; charset=utf-8");
    }
    if (path == "/") {
        return ResourceFile(QStringLiteral(":/web/demo.html"), "text/html; charset=utf-8");
    }
    if (path == "/velkanfilesearch.d.ts") {
        return ResourceFile(QStringLiteral(":/web/velkanfilesearch.d.ts"), "application/typescript; charset=utf-8");
    }
    if (path == "/font/NanumGothic.ttf") {
        QFile file(m_fontFile);
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        return Asset{"font/ttf", file.readAll()};
    }
    if (path == "/pictures/icon.png") {
        return ResourceFile(QStringLiteral(":/icons/velkanfilesearch.png"), "image/png");
    }
    if (path.startsWith("/pictures/") && path.endsWith(".png")) {
        return Picture(path.sliced(10, path.size() - 14));
    }
    for (const int side : {16, 32}) {
        const QByteArray prefix = "/icons/" + QByteArray::number(side) + '/';
        if (path.startsWith(prefix) && path.endsWith(".png")) {
            return FileTypePicture(side, path.sliced(prefix.size(), path.size() - prefix.size() - 4));
        }
    }
    return std::nullopt;
}

std::optional<Asset> Assets::Picture(const QByteArray& name)
{
    // Digits, optionally "@2x": never a path of the caller's making.
    const QByteArray number = name.endsWith("@2x") ? name.chopped(3) : name;
    if (number.isEmpty() || number.size() > 4 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    auto cached = m_pictures.constFind(name);
    if (cached == m_pictures.constEnd()) {
        QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(QString::fromLatin1(name)));
        if (image.isNull()) {
            return std::nullopt;
        }
        // As the panel draws them: the speed gauges opaque, the folder strip without the colour
        // of its first pixel, every other picture without magenta.
        if (number == "220") {
            image = ui::WithColorTransparent(image, image.pixel(0, image.height() - 1));
        } else if (number != "213") {
            image = ui::WithColorTransparent(image, qRgb(255, 0, 255));
        }
        cached = m_pictures.insert(name, Png(image));
    }
    return Asset{"image/png", *cached};
}

std::optional<Asset> Assets::FileTypePicture(int side, const QByteArray& extension)
{
    // "_" is no extension: the picture of a file whose name has none.
    const bool none = extension == kNoExtension;
    if (!none && !IsExtension(extension)) {
        return std::nullopt;
    }
    const QByteArray key = QByteArray::number(side) + '/' + extension;
    auto cached = m_iconCache.constFind(key);
    if (cached == m_iconCache.constEnd()) {
        if (m_iconCache.size() >= kMaxCachedIcons) {
            m_iconCache.clear();
        }
        if (m_icons.EntryCount() >= kMaxCachedIcons) {
            m_icons.Attach(nullptr);
        }
        const std::string file = none ? std::string("x") : "x." + extension.toStdString();
        const int index = m_icons.ImageIndexFor(file);
        const ui::PicturePair* picture = m_icons.Images().Picture(index);
        if (picture == nullptr) {
            return std::nullopt;
        }
        const QPixmap& pixmap = side == 16 || picture->Doubled().isNull() ? picture->Normal() : picture->Doubled();
        QImage image = pixmap.toImage();
        if (image.width() != side) {
            image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        cached = m_iconCache.insert(key, Png(image));
    }
    return Asset{"image/png", *cached};
}

} // namespace velkan::web
