#include "tools/velkan-host/outcometablemodel.h"

#include <vector>

namespace velkan::host {

namespace {

using View = control::ServerOutcomeView;

QVariant Text(const std::string& text)
{
    return QString::fromStdString(text);
}

struct Column {
    const char* title;
    QVariant (*value)(const View&);
    bool blankWhenNegative; // a time that never came
};

// Byte counts sort as 64-bit numbers, every other figure as an int.
template <class T> QVariant Cell(T value)
{
    if constexpr (sizeof(T) > sizeof(int)) {
        return static_cast<qlonglong>(value);
    } else {
        return static_cast<int>(value);
    }
}

// Where a server is and its outcome, each figure that has a title, and the error.
std::vector<Column> MakeColumns()
{
    std::vector<Column> columns = {
        {"Nick", [](const View& v) { return Text(v.nick); }, false},
        {"Host", [](const View& v) { return Text(v.host); }, false},
        {"Port", [](const View& v) { return QVariant(v.port); }, false},
        {"Address", [](const View& v) { return Text(v.address); }, false},
        {"Outcome", [](const View& v) { return Text(v.outcome); }, false},
    };
#define VELKAN_FIGURE_COLUMN(name, path, kind, title)                                              \
    if (const char* heading = title; heading != nullptr) {                                         \
        columns.push_back({heading, [](const View& v) { return Cell(v.name); },                    \
                           search::FigureKind::kind == search::FigureKind::Time});                 \
    }
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_FIGURE_COLUMN)
#undef VELKAN_FIGURE_COLUMN
    columns.push_back({"Error", [](const View& v) { return Text(v.error); }, false});
    return columns;
}

const std::vector<Column>& Columns()
{
    static const std::vector<Column> columns = MakeColumns();
    return columns;
}

} // namespace

OutcomeTableModel::OutcomeTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void OutcomeTableModel::SetOutcomes(std::vector<control::ServerOutcomeView> outcomes)
{
    beginResetModel();
    m_outcomes = std::move(outcomes);
    endResetModel();
}

int OutcomeTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_outcomes.size());
}

int OutcomeTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Columns().size());
}

QVariant OutcomeTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const Column& column = Columns()[static_cast<std::size_t>(index.column())];
    const QVariant value = column.value(m_outcomes[static_cast<std::size_t>(index.row())]);
    switch (role) {
    case kSortRole:
        return value;
    case Qt::DisplayRole:
        return column.blankWhenNegative && value.toInt() < 0 ? QVariant(QString()) : value;
    case Qt::TextAlignmentRole:
        return value.typeId() == QMetaType::QString ? QVariant()
                                                    : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant OutcomeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) {
        return {};
    }
    return QString::fromLatin1(Columns()[static_cast<std::size_t>(section)].title);
}

} // namespace velkan::host
