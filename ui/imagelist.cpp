#include "imagelist.h"

#include <QPainter>

namespace velkan::ui {

int ImageList::Add(const QPixmap& pixmap)
{
    if (pixmap.isNull())
        return -1;
    if (pixmap.size() == ImageSize()) {
        m_pixmaps.push_back(pixmap);
    } else {
        const QPixmap scaled =
            pixmap.scaled(ImageSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmap fitted(ImageSize());
        fitted.fill(Qt::transparent);
        QPainter painter(&fitted);
        painter.drawPixmap((kImageSide - scaled.width()) / 2, (kImageSide - scaled.height()) / 2,
                           scaled);
        painter.end();
        m_pixmaps.push_back(fitted);
    }
    return Count() - 1;
}

QImage WithColorTransparent(const QImage& image, QRgb transparent)
{
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    if (masked.isNull())
        return masked;
    const QRgb key = transparent & RGB_MASK;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            line[x] = (line[x] & RGB_MASK) == key ? 0u : line[x] | ~RGB_MASK;
    }
    return masked;
}

QPixmap ImageList::Pixmap(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_pixmaps[static_cast<std::size_t>(index)];
}

} // namespace velkan::ui
