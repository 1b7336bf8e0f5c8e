#include "ui/resultcelldelegate.h"

#include "search/compareresults.h"
#include "ui/imagelist.h"
#include "search/resultmodel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace velkan::ui {

using search::ResultModel;

namespace {

constexpr int kImageOffset = 2; // before a picture
constexpr int kTextGap = 2;     // between the file-name picture and its text
constexpr int kTextOffset = 3;  // before a text

} // namespace

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

const PicturePair* ResultCellDelegate::SmallImage(const QModelIndex& index) const
{
    const int image = index.data(ResultModel::ImageRole).toInt();
    return m_smallImages != nullptr ? m_smallImages->Picture(image) : nullptr;
}

int ResultCellDelegate::ImageWidth(QRect cell, const PicturePair* image)
{
    cell.setLeft(cell.left() + kImageOffset);
    if (image == nullptr || image->IsNull() || cell.width() <= 0) {
        return 0;
    }
    return image->Size().width();
}

QRect ResultCellDelegate::TextRect(QRect cell, const QModelIndex& index) const
{
    if (index.column() == search::NameColumn) {
        cell.setLeft(cell.left() + ImageWidth(cell, SmallImage(index)) + kTextGap);
    }
    cell.setLeft(cell.left() + kTextOffset);
    return cell;
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
        const int width = DrawImageCell(*painter, cell, colours.background, SmallImage(index));
        cell.setLeft(cell.left() + width + kTextGap);
        DrawTextCell(*painter, cell, colours, index);
        break;
    }
    case search::SpeedColumn: {
        const int level = index.data(ResultModel::SpeedLevelRole).toInt();
        const PicturePair* gauge = level >= 0 && level < static_cast<int>(m_speedImages.size())
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
                                      const PicturePair* image) const
{
    painter.fillRect(cell, background);
    const int width = ImageWidth(cell, image);
    if (width == 0) {
        return 0;
    }
    cell.setLeft(cell.left() + kImageOffset);
    const int height = image->Size().height();
    // Bottom is exclusive here, as the cell's geometry is reckoned.
    const int bottom = cell.top() + cell.height();
    const int y = (cell.top() + bottom) / 2 - height / 2;
    image->Draw(painter, QPoint(cell.left(), y),
                QRect(0, 0, std::min(cell.width(), width), std::min(cell.height(), height)));
    return width;
}

void ResultCellDelegate::DrawTextCell(QPainter& painter, QRect cell, const CellColours& colours,
                                      const QModelIndex& index) const
{
    painter.fillRect(cell, colours.background);
    cell.setLeft(cell.left() + kTextOffset);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty() || cell.width() <= 0) {
        return;
    }
    const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                           Qt::AlignHorizontal_Mask;
    painter.setClipRect(cell, Qt::IntersectClip);
    painter.setFont(m_cellFont);
    painter.setPen(colours.text);
    painter.drawText(cell, static_cast<int>(alignment | Qt::AlignVCenter | Qt::TextSingleLine), text);
}

bool ResultCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    const int room = std::max(0, TextRect(option.rect, index).width());
    if (text.isEmpty() || QFontMetrics(m_cellFont).horizontalAdvance(text) <= room) {
        QToolTip::hideText();
        return true;
    }
    // The names come from other users: shown as they are, never read as markup, on one line.
    QToolTip::showText(event->globalPos(),
                       QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()),
                       view->viewport(), option.rect);
    return true;
}

} // namespace velkan::ui
