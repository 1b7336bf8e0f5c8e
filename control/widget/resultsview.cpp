#include "control/widget/resultsview.h"

#include "velkanfilesearch/filesearchwidget.h"

namespace velkan {

namespace {

using Role = FileSearchWidget::ResultRole;

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

ResultsView::ResultsView(QObject* parent) : QIdentityProxyModel(parent)
{
    // A row's fields change only when rows move or go.
    const auto forget = [this] { m_lastRow.reset(); };
    connect(this, &QAbstractItemModel::layoutAboutToBeChanged, this, forget);
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this, forget);
}

void ResultsView::SetPanel(QAbstractItemModel* rows, control::IVelkanPanelAccess* access)
{
    m_access = rows != nullptr ? access : nullptr;
    m_lastRow.reset();
    setSourceModel(rows);
}

const control::RowView* ResultsView::Fields(int row) const
{
    if (m_lastRow && m_lastRow->first == row) {
        return &m_lastRow->second;
    }
    control::RowView fields;
    if (m_access == nullptr || com::Failed(m_access->Row(row, &fields))) {
        return nullptr;
    }
    m_lastRow.emplace(row, std::move(fields));
    return &m_lastRow->second;
}

QVariant ResultsView::data(const QModelIndex& index, int role) const
{
    if (role < Qt::UserRole) {
        return QIdentityProxyModel::data(index, role);
    }
    // The panel's own roles above Qt::UserRole are not part of what hosts see.
    if (role > Role::RawFolderRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const control::RowView* fields = Fields(index.row());
    if (fields == nullptr) {
        return {};
    }
    switch (static_cast<Role>(role)) {
    case Role::NickRole:
        return Text(fields->nick);
    case Role::NameRole:
        return Text(fields->name);
    case Role::SizeRole:
        return fields->folder ? QVariant() : QVariant(static_cast<qint64>(fields->bytes));
    case Role::DateRole:
        return Text(fields->date);
    case Role::SpeedLevelRole:
        return fields->speedLevel;
    case Role::KindRole:
        return fields->folder ? QStringLiteral("folder") : QStringLiteral("file");
    case Role::FolderRole:
        return Text(fields->folderText);
    case Role::RawFolderRole:
        return Text(fields->rawFolder);
    }
    return {};
}

QHash<int, QByteArray> ResultsView::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractItemModel::roleNames();
    names[Role::NickRole] = QByteArrayLiteral("nick");
    names[Role::NameRole] = QByteArrayLiteral("name");
    names[Role::SizeRole] = QByteArrayLiteral("size");
    names[Role::DateRole] = QByteArrayLiteral("date");
    names[Role::SpeedLevelRole] = QByteArrayLiteral("speedLevel");
    names[Role::KindRole] = QByteArrayLiteral("kind");
    names[Role::FolderRole] = QByteArrayLiteral("folder");
    names[Role::RawFolderRole] = QByteArrayLiteral("rawFolder");
    return names;
}

Qt::ItemFlags ResultsView::flags(const QModelIndex& index) const
{
    return QIdentityProxyModel::flags(index) & ~(Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
}

bool ResultsView::setData(const QModelIndex&, const QVariant&, int)
{
    return false;
}

void ResultsView::sort(int, Qt::SortOrder)
{
    // The panel's order is the user's, set from its column headers.
}

} // namespace velkan
