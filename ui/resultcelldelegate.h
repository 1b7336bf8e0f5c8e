#pragma once

#include "ui/picturepair.h"
#include "ui/resultcolours.h"

#include <QStyledItemDelegate>

#include <vector>

namespace velkan::ui {

class ImageList;

// Paints every cell of the results list itself: the row band or the selection, the file-type
// picture before the file name, the speed gauge, and text clipped to its cell. A text that its
// cell cuts short is shown whole as the cell's tooltip.
class ResultCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    ResultCellDelegate(const ResultColours& colours, QObject* parent = nullptr);

    // The pictures of the file-name column; none draws no picture there.
    void SetSmallImages(const ImageList* images) { m_smallImages = images; }
    // The six gauge pictures; an empty list leaves the speed column blank.
    void SetSpeedImages(std::vector<PicturePair> images) { m_speedImages = std::move(images); }
    // The font of the cell texts.
    void SetCellFont(const QFont& font) { m_cellFont = font; }
    [[nodiscard]] const QFont& CellFont() const { return m_cellFont; }

    // Where a cell's text is drawn: the cell less the room before the text.
    [[nodiscard]] QRect TextRect(QRect cell, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    struct CellColours {
        QColor text;
        QColor background;
    };

    [[nodiscard]] CellColours ColoursFor(const QStyleOptionViewItem& option, int row) const;
    // The file-name column's picture of the row; nullptr when there is none.
    [[nodiscard]] const PicturePair* SmallImage(const QModelIndex& index) const;
    // The width an image cell gives its picture: 0 when nothing is drawn.
    [[nodiscard]] static int ImageWidth(QRect cell, const PicturePair* image);
    // Returns the picture's width, 0 when nothing was drawn.
    int DrawImageCell(QPainter& painter, QRect cell, const QColor& background,
                      const PicturePair* image) const;
    void DrawTextCell(QPainter& painter, QRect cell, const CellColours& colours,
                      const QModelIndex& index) const;

    ResultColours m_colours;
    QFont m_cellFont;
    const ImageList* m_smallImages = nullptr;
    std::vector<PicturePair> m_speedImages;
};

} // namespace velkan::ui
