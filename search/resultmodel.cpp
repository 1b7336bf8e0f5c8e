#include "search/resultmodel.h"

#include "search/compareresults.h"
#include "channel/cp949convert.h"
#include "search/resultorder.h"
#include "search/resulttexts.h"
#include "search/sidebyside.h"

#include <algorithm>
#include <unordered_map>

namespace velkan::search {

namespace {

const char* const kColumnTitles[kResultColumnCount] = {"서버닉네임", "파일이름", "파일크기",
                                                       "날짜", "속도"};
const Qt::Alignment kColumnAlignments[kResultColumnCount] = {
    Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignHCenter};

} // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultModel::~ResultModel() = default;

const SearchResult* ResultModel::AddRecord(const SearchResult::Fields& fields)
{
    return m_records.Add(fields);
}

void ResultModel::AppendRows(const std::vector<ResultRow>& rows)
{
    const std::size_t count = std::min(rows.size(), RoomLeft());
    if (count == 0) {
        return;
    }
    // Room for a full list at once: a list that grows by doubling copies all its rows in one
    // handler and may hold twice their memory. The pages not yet written take none.
    const std::size_t full = std::min(static_cast<std::size_t>(m_rowLimit), kReservedRows);
    if (m_rows.capacity() < m_rows.size() + count && m_rows.size() + count <= full) {
        m_rows.reserve(full);
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(count) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count));
    endInsertRows();
}

void ResultModel::Clear()
{
    // Give the memory back: a finished search may have held a million rows. The records go
    // with their few large blocks.
    std::vector<ResultRow> rows;
    ResultStore records;
    beginResetModel();
    m_rows.swap(rows);
    std::swap(m_records, records);
    endResetModel();
}

int ResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kResultColumnCount;
}

std::string ResultModel::CellText(int row, int column) const
{
    const ResultRow& line = Row(row);
    const SearchResult& record = *line.record;
    const bool folder = line.kind == ResultRow::Kind::Folder;
    switch (column) {
    case NickColumn:
        return std::string(record.nick());
    case NameColumn:
        return std::string(folder ? FolderOf(record.path()) : FileNameOf(record.path()));
    case SizeColumn: {
        static const std::string kFolderText = cp949::FromUtf8("[폴더]");
        return folder ? kFolderText : SizeText(record.size);
    }
    case DateColumn:
        return folder ? std::string() : std::string(DateColumnText(record.date()));
    default:
        return {};
    }
}

QVariant ResultModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == SpeedColumn) {
            return {};
        }
        return QString::fromStdString(cp949::ToUtf8(CellText(index.row(), index.column())));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kColumnAlignments[index.column()] | Qt::AlignVCenter);
    case ImageRole:
        return Row(index.row()).image;
    case SpeedLevelRole:
        return SpeedLevel(Row(index.row()).record->speed);
    case Qt::AccessibleTextRole:
        // The gauge is only a picture; a screen reader says its level instead.
        if (index.column() == SpeedColumn) {
            return QStringLiteral("%1/%2").arg(SpeedLevel(Row(index.row()).record->speed)).arg(kTopSpeedLevel);
        }
        return {};
    default:
        return {};
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromUtf8(kColumnTitles[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(kColumnAlignments[section] | Qt::AlignVCenter);
    }
    return {};
}

void ResultModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kResultColumnCount) {
        return; // every other column compares equal: the order stays
    }
    ApplyOrder(ResultOrder(m_rows, column, order == Qt::AscendingOrder));
}

void ResultModel::ApplyOrder(const SortBuffer<std::uint32_t>& order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The rows are put in order where they are: a new list of them would take fresh pages.
    const SortBuffer<ResultRow> previous(m_rows.size());
    std::copy(m_rows.begin(), m_rows.end(), previous.begin());
    InTwoHalves(order.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            m_rows[i] = previous[order[i]];
        }
    });
    // A view keeps a few persistent indexes (the current and selected rows) across the sort:
    // one pass over the order, a bit per row telling which to look for, finds where they went.
    const QModelIndexList before = persistentIndexList();
    if (!before.isEmpty()) {
        std::vector<bool> kept(order.size());
        std::unordered_map<int, int> newPosition;
        for (const QModelIndex& index : before) {
            kept[static_cast<std::size_t>(index.row())] = true;
            newPosition.emplace(index.row(), index.row());
        }
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (kept[order[i]]) {
                newPosition[static_cast<int>(order[i])] = static_cast<int>(i);
            }
        }
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& index : before) {
            after.append(this->index(newPosition.at(index.row()), index.column()));
        }
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace velkan::search
