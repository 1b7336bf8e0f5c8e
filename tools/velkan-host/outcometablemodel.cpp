#include "outcometablemodel.h"

#include <array>

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

const std::array<Column, 17> kColumns = {{
    {"Nick", [](const View& v) { return Text(v.nick); }, false},
    {"Host", [](const View& v) { return Text(v.host); }, false},
    {"Port", [](const View& v) { return QVariant(v.port); }, false},
    {"Address", [](const View& v) { return Text(v.address); }, false},
    {"Outcome", [](const View& v) { return Text(v.outcome); }, false},
    {"Items", [](const View& v) { return QVariant(v.items); }, false},
    {"Rows", [](const View& v) { return QVariant(v.rows); }, false},
    {"Adult", [](const View& v) { return QVariant(v.adult); }, false},
    {"Strict words", [](const View& v) { return QVariant(v.strictBanWords); }, false},
    {"Person folder", [](const View& v) { return QVariant(v.personFolder); }, false},
    {"Ban words", [](const View& v) { return QVariant(v.banWords); }, false},
    {"Row bound", [](const View& v) { return QVariant(v.rowLimit); }, false},
    {"Sent", [](const View& v) { return QVariant(static_cast<qlonglong>(v.bytesSent)); }, false},
    {"Received", [](const View& v) { return QVariant(static_cast<qlonglong>(v.bytesReceived)); }, false},
    {"First byte ms", [](const View& v) { return QVariant(v.firstByteMs); }, true},
    {"Close ms", [](const View& v) { return QVariant(v.closeMs); }, true},
    {"Error", [](const View& v) { return Text(v.error); }, false},
}};

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
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant OutcomeTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const Column& column = kColumns[static_cast<std::size_t>(index.column())];
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
    return QString::fromLatin1(kColumns[static_cast<std::size_t>(section)].title);
}

} // namespace velkan::host
