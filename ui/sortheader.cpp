#include "ui/sortheader.h"

#include "ui/linedrawing.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>

namespace velkan::ui {

SortHeader::SortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
}

void SortHeader::SetSortIndicator(int column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    m_ownerDrawn.insert(column);
    viewport()->update();
}

void SortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!m_ownerDrawn.contains(logicalIndex)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const bool pressed = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0 &&
                         logicalIndexAt(mapFromGlobal(QCursor::pos())) == logicalIndex &&
                         underMouse();
    painter->save();
    DrawItem(*painter, rect, logicalIndex, pressed);
    painter->restore();
}

void SortHeader::DrawItem(QPainter& painter, const QRect& rect, int column, bool pressed) const
{
    // Edges as right- and bottom-exclusive coordinates, the way the arrow's geometry is given.
    const int left = rect.x();
    const int top = rect.y();
    const int right = rect.x() + rect.width();
    const int bottom = rect.y() + rect.height();

    painter.setClipRect(rect);
    painter.fillRect(rect, palette().color(QPalette::Button));

    QRect text(left, top, rect.width(), rect.height());
    if (pressed) {
        text.adjust(1, 2, 1, 0);
    }
    const int o = (bottom - top) / 4;
    const bool sorted = column == m_sortColumn;
    int textLeft = text.x() + o;
    int textRight = text.x() + text.width() - o - (sorted ? 3 * o : 0);
    if (textLeft < textRight) {
        const QVariant alignmentValue =
            model() ? model()->headerData(column, orientation(), Qt::TextAlignmentRole) : QVariant();
        const Qt::Alignment horizontal =
            alignmentValue.isValid() ? (alignmentValue.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask)
                                     : Qt::AlignLeft;
        const QString title =
            model() ? model()->headerData(column, orientation(), Qt::DisplayRole).toString() : QString();
        const QRect textRect(textLeft, text.y(), textRight - textLeft, text.height());
        const QString shown = painter.fontMetrics().elidedText(title, Qt::ElideRight, textRect.width());
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(textRect, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    }
    if (!sorted) {
        return;
    }
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const int r = right;
    const int b = bottom;
    if (m_ascending) {
        DrawPolyline(painter, light, {{r - 2 * o, o}, {r - o, b - o - 1}, {r - 3 * o - 2, b - o - 1}});
        DrawPolyline(painter, dark, {{r - 3 * o - 1, b - o - 1}, {r - 2 * o, o - 1}});
    } else {
        DrawPolyline(painter, light, {{r - o - 1, o}, {r - 2 * o - 1, b - o}});
        DrawPolyline(painter, dark, {{r - 2 * o - 2, b - o}, {r - 3 * o - 1, o}, {r - o - 1, o}});
    }
}

} // namespace velkan::ui
