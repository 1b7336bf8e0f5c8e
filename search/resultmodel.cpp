#include "resultmodel.h"

#include "compareresults.h"
#include "cp949convert.h"
#include "resulttexts.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace velkan::search {

namespace {

const char* const kColumnTitles[kResultColumnCount] = {"서버닉네임", "파일이름", "파일크기",
                                                       "날짜", "속도"};
const Qt::Alignment kColumnAlignments[kResultColumnCount] = {
    Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignHCenter};

// A row's sort key beside its position, kept as small as the bare key allows: sorting moves
// these around a million times, and the comparisons touch only this compact array and the
// text it points to.
struct TextKey {
    const char* data;
    std::uint32_t size;
    std::uint32_t row;

    // Unsigned bytes, a prefix first.
    friend int Compare(const TextKey& a, const TextKey& b)
    {
        return std::string_view(a.data, a.size).compare(std::string_view(b.data, b.size));
    }
};

struct NumberKey {
    std::int64_t value;
    std::uint32_t row;

    friend int Compare(const NumberKey& a, const NumberKey& b)
    {
        return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
    }
};

// Sorts row positions by one key per row; ties keep the current order.
template <typename Key, typename KeyOf>
std::vector<std::uint32_t> SortedOrder(const std::vector<ResultRow>& rows, KeyOf keyOf, bool ascending)
{
    std::vector<Key> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        keys[i] = keyOf(*rows[i].record, static_cast<std::uint32_t>(i));
    }
    // Two comparators rather than one that tests the direction on every comparison.
    const auto ascendingOrder = [](const Key& a, const Key& b) {
        const int order = Compare(a, b);
        return order != 0 ? order < 0 : a.row < b.row;
    };
    const auto descendingOrder = [](const Key& a, const Key& b) {
        const int order = Compare(a, b);
        return order != 0 ? order > 0 : a.row < b.row;
    };
    if (ascending) {
        std::sort(keys.begin(), keys.end(), ascendingOrder);
    } else {
        std::sort(keys.begin(), keys.end(), descendingOrder);
    }
    std::vector<std::uint32_t> order(rows.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        order[i] = keys[i].row;
    }
    return order;
}

TextKey MakeTextKey(std::string_view text, std::uint32_t row)
{
    return {text.data(), static_cast<std::uint32_t>(text.size()), row};
}

} // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultModel::~ResultModel() = default;

const SearchResult* ResultModel::AddRecord(const SearchResult::Fields& fields)
{
    m_records.push_back(std::make_unique<SearchResult>(fields));
    return m_records.back().get();
}

void ResultModel::AppendRows(const std::vector<ResultRow>& rows)
{
    if (rows.empty()) {
        return;
    }
    const int first = RowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

void ResultModel::Clear()
{
    beginResetModel();
    // Give the memory back: a finished search may have held a million rows.
    std::vector<ResultRow>().swap(m_rows);
    std::vector<std::unique_ptr<SearchResult>>().swap(m_records);
    endResetModel();
}

int ResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
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
    const bool ascending = order == Qt::AscendingOrder;
    switch (column) {
    case NickColumn:
        ApplyOrder(SortedOrder<TextKey>(
            m_rows, [](const SearchResult& r, std::uint32_t row) { return MakeTextKey(r.nick(), row); },
            ascending));
        break;
    case NameColumn:
        ApplyOrder(SortedOrder<TextKey>(
            m_rows, [](const SearchResult& r, std::uint32_t row) { return MakeTextKey(r.path(), row); },
            ascending));
        break;
    case DateColumn:
        ApplyOrder(SortedOrder<TextKey>(
            m_rows, [](const SearchResult& r, std::uint32_t row) { return MakeTextKey(r.date(), row); },
            ascending));
        break;
    case SizeColumn:
        ApplyOrder(SortedOrder<NumberKey>(
            m_rows, [](const SearchResult& r, std::uint32_t row) { return NumberKey{r.size, row}; },
            ascending));
        break;
    case SpeedColumn:
        ApplyOrder(SortedOrder<NumberKey>(
            m_rows, [](const SearchResult& r, std::uint32_t row) { return NumberKey{r.speed, row}; },
            ascending));
        break;
    default:
        break; // every other column compares equal: the order stays
    }
}

void ResultModel::ApplyOrder(const std::vector<std::uint32_t>& order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<ResultRow> sorted(m_rows.size());
    std::vector<int> newPosition(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted[i] = m_rows[order[i]];
        newPosition[order[i]] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.append(this->index(newPosition[static_cast<std::size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace velkan::search
