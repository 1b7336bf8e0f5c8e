#include "ui/imagelist.h"

#include <QPainter>

namespace velkan::ui {

namespace {

// The picture's pixels centred in a square of `side` pixels, scaled down or up to fit with its
// aspect kept; unchanged when it already has that size.
QPixmap Fitted(QPixmap pixmap, int side)
{
    pixmap.setDevicePixelRatio(1);
    if (pixmap.size() == QSize(side, side)) {
        return pixmap;
    }
    const QPixmap scaled = pixmap.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap fitted(side, side);
    fitted.fill(Qt::transparent);
    QPainter painter(&fitted);
    painter.drawPixmap((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    painter.end();
    return fitted;
}

} // namespace

int ImageList::Add(const QPixmap& pixmap, const QPixmap& doubled)
{
    if (pixmap.isNull())
        return -1;
    m_pictures.emplace_back(Fitted(pixmap, kImageSide),
                            doubled.isNull() ? QPixmap() : Fitted(doubled, 2 * kImageSide));
    return Count() - 1;
}

bool ImageList::Replace(int index, const QPixmap& pixmap, const QPixmap& doubled)
{
    if (pixmap.isNull() || index < 0 || index >= Count())
        return false;
    m_pictures[static_cast<std::size_t>(index)] =
        PicturePair(Fitted(pixmap, kImageSide), doubled.isNull() ? QPixmap() : Fitted(doubled, 2 * kImageSide));
    return true;
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
    const PicturePair* picture = Picture(index);
    return picture != nullptr ? picture->Normal() : QPixmap();
}

const PicturePair* ImageList::Picture(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_pictures[static_cast<std::size_t>(index)];
}

} // namespace velkan::ui
