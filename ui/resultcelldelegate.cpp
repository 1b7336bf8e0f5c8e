#include "resultcelldelegate.h"

#include "compareresults.h"
#include "imagelist.h"
#include "resultmodel.h"

#include <QPainter>

namespace velkan::ui {

using search::ResultModel;

ResultCellDelegate::ResultCellDelegate(const ResultColours& colours, QObject* parent)
    : QStyledItemDelegate(parent), m_colours(colours)
{
}

ResultCellDelegate::CellColours ResultCellDelegate::ColoursFor(const QStyleOptionViewItem& option,
                                                               int row) const
{
    // The list selects whole rows and always shows its selection, focused or not.
    if (option.state.testFlag(QStyle::State_Selected)) {
        return {m_colours.highlightText, m_colours.highlight};
    }
    return {m_colours.windowText, row % 2 == 0 ? m_colours.window : kOddRowColour};
}

void ResultCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    const CellColours colours = ColoursFor(option, index.row());
    QRect cell = option.rect;
    painter->save();
    painter->setClipRect(cell);
    switch (index.column()) {
    case search::NameColumn: {
        const int image = index.data(ResultModel::ImageRole).toInt();
        const QPixmap picture = m_smallImages != nullptr ? m_smallImages->Pixmap(image) : QPixmap();
        const int width = DrawImageCell(*painter, cell, colours.background, &picture);
        cell.setLeft(cell.left() + width + 2);
        DrawTextCell(*painter, cell, colours, index);
        break;
    }
    case search::SpeedColumn: {
        const int level = index.data(ResultModel::SpeedLevelRole).toInt();
        const QPixmap* gauge = level >= 0 && level < static_cast<int>(m_speedImages.size())
                                   ? &m_speedImages[static_cast<std::size_t>(level)]
                                   : nullptr;
        DrawImageCell(*painter, cell, colours.background, gauge);
        break;
    }
    default:
        DrawTextCell(*painter, cell, colours, index);
        break;
    }
    painter->restore();
}

int ResultCellDelegate::DrawImageCell(QPainter& painter, QRect cell, const QColor& background,
                                      const QPixmap* image) const
{
    painter.fillRect(cell, background);
    cell.setLeft(cell.left() + 2);
    if (image == nullptr || image->isNull() || cell.width() <= 0) {
        return 0;
    }
    const int width = image->width();
    const int height = image->height();
    // Bottom is exclusive here, as the cell's geometry is reckoned.
    const int bottom = cell.top() + cell.height();
    const int y = (cell.top() + bottom) / 2 - height / 2;
    painter.drawPixmap(QPoint(cell.left(), y), *image,
                       QRect(0, 0, std::min(cell.width(), width), std::min(cell.height(), height)));
    return width;
}

void ResultCellDelegate::DrawTextCell(QPainter& painter, QRect cell, const CellColours& colours,
                                      const QModelIndex& index) const
{
    painter.fillRect(cell, colours.background);
    cell.setLeft(cell.left() + 3);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty() || cell.width() <= 0) {
        return;
    }
    const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                           Qt::AlignHorizontal_Mask;
    painter.setClipRect(cell, Qt::IntersectClip);
    painter.setPen(colours.text);
    painter.drawText(cell, static_cast<int>(alignment | Qt::AlignVCenter | Qt::TextSingleLine), text);
}

} // namespace velkan::ui
