#pragma once

#include "ui/picturepair.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace velkan::ui {

// The pictures the results list draws beside its rows, all of one size; a row names its
// picture by index, so pictures are only ever appended.
class ImageList {
public:
    static constexpr int kImageSide = 16;

    [[nodiscard]] static QSize ImageSize() { return {kImageSide, kImageSide}; }

    [[nodiscard]] int Count() const { return static_cast<int>(m_pictures.size()); }

    // Appends the picture, fitted into 16 x 16 (centred, aspect kept) when it has another
    // size, and returns its index; -1 for a null picture, which adds nothing. `doubled`, the
    // same picture drawn at twice the size, is fitted into 32 x 32 and drawn on screens of more
    // than one device pixel per pixel; without it they show the 16 x 16 one enlarged.
    int Add(const QPixmap& pixmap, const QPixmap& doubled = {});

    // Puts the pictures, fitted as Add fits them, in place of those at the index, which rows may
    // already name; false (nothing changed) for a null picture or an index outside the list.
    bool Replace(int index, const QPixmap& pixmap, const QPixmap& doubled = {});

    // The picture at the index; a null pixmap outside 0 .. Count() - 1.
    [[nodiscard]] QPixmap Pixmap(int index) const;
    // Both forms of the picture at the index; nullptr outside 0 .. Count() - 1.
    [[nodiscard]] const PicturePair* Picture(int index) const;

private:
    std::vector<PicturePair> m_pictures;
};

// The image with every pixel of exactly the colour `transparent` (alpha ignored) made fully
// transparent and every other pixel opaque; a null image when it cannot be converted.
QImage WithColorTransparent(const QImage& image, QRgb transparent);

} // namespace velkan::ui
