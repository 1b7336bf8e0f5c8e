#include "ui/resultlistctrl.h"

#include "ui/enterkey.h"
#include "ui/panelmetrics.h"
#include "ui/picturepair.h"
#include "ui/resultcelldelegate.h"
#include "search/resultmodel.h"
#include "ui/sortheader.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace velkan::ui {

namespace {

constexpr int kGaugeWidth = 33;
constexpr int kGaugeHeight = 12;
constexpr int kGaugeCount = 6;

} // namespace

ResultListCtrl::ResultListCtrl(QWidget* parent)
    : QTableView(parent), m_header(new SortHeader(this)),
      m_delegate(new ResultCellDelegate(ResultColours::FromPalette(palette()), this))
{
    setHorizontalHeader(m_header);
    setItemDelegate(m_delegate);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Every row has the same height, so a million rows cost no layout.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(false);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(m_header, &QHeaderView::sectionClicked, this, &ResultListCtrl::OnColumnClicked);
    ApplyFont();
}

void ResultListCtrl::ApplyFont()
{
    // Heights by the rule the web panel is given too, not by the style's own minimums.
    verticalHeader()->setMinimumSectionSize(ListRowHeight(font()));
    verticalHeader()->setDefaultSectionSize(ListRowHeight(font()));
    m_header->setFixedHeight(ListHeaderHeight(font()));
    QFont cells = font();
    cells.setPixelSize(kCellPixelSize);
    m_delegate->SetCellFont(cells);
}

void ResultListCtrl::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        ApplyFont();
    }
}

void ResultListCtrl::SetResultModel(search::ResultModel* model)
{
    m_model = model;
    setModel(model);
}

void ResultListCtrl::SetSmallImages(const ImageList* images)
{
    m_delegate->SetSmallImages(images);
    viewport()->update();
}

bool ResultListCtrl::LoadSpeedImages(const QString& path)
{
    const QImage strip(path);
    const QImage doubled(DoubleSizePath(path));
    const bool hasDoubled =
        doubled.width() >= 2 * kGaugeWidth * kGaugeCount && doubled.height() >= 2 * kGaugeHeight;
    std::vector<PicturePair> gauges;
    if (strip.width() >= kGaugeWidth * kGaugeCount && strip.height() >= kGaugeHeight) {
        for (int i = 0; i < kGaugeCount; ++i) {
            const QImage gauge = strip.copy(i * kGaugeWidth, 0, kGaugeWidth, kGaugeHeight);
            const QImage gauge2x =
                hasDoubled ? doubled.copy(2 * i * kGaugeWidth, 0, 2 * kGaugeWidth, 2 * kGaugeHeight)
                           : QImage();
            gauges.emplace_back(QPixmap::fromImage(gauge), QPixmap::fromImage(gauge2x));
        }
    }
    const bool loaded = !gauges.empty();
    m_delegate->SetSpeedImages(std::move(gauges));
    viewport()->update();
    return loaded;
}

void ResultListCtrl::OnColumnClicked(int column)
{
    SortByColumn(column, column == m_sortColumn ? !m_ascending : true);
}

void ResultListCtrl::SortByColumn(int column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    m_header->SetSortIndicator(column, ascending);
    if (m_model == nullptr) {
        return;
    }
    m_model->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    // The selected row keeps its selection wherever the sort put it; the list follows it there,
    // up or down only.
    const int selected = SelectedRow();
    if (selected >= 0) {
        const int across = horizontalScrollBar()->value();
        scrollTo(m_model->index(selected, 0));
        horizontalScrollBar()->setValue(across);
    }
}

int ResultListCtrl::SelectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void ResultListCtrl::SelectRow(int row)
{
    if (m_model != nullptr && row >= 0 && row < m_model->rowCount()) {
        selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void ResultListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit resultClicked();
    }
}

void ResultListCtrl::keyPressEvent(QKeyEvent* event)
{
    // The base class would only pass Enter on to the parent; here it is the list's own command.
    if (IsEnterKey(*event)) {
        emit enterPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ResultListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit resultDoubleClicked();
    }
}

} // namespace velkan::ui
