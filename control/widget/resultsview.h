#pragma once

#include "control/panelseam/velkanpanelaccess.h"

#include <QIdentityProxyModel>

#include <optional>

namespace velkan {

// The panel's results as a host reads them: the panel's own model, row for row in its current
// order (so a row here is the row connectToRow takes), with each row's fields under the named
// roles of FileSearchWidget::ResultRole. Nothing is copied; the fields are read from the panel
// when asked. Read-only: it neither edits nor sorts the panel's rows.
class ResultsView : public QIdentityProxyModel {
    Q_OBJECT

public:
    explicit ResultsView(QObject* parent = nullptr);

    // The panel's model and the seam that reads its rows; null for none.
    void SetPanel(QAbstractItemModel* rows, control::IVelkanPanelAccess* access);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // The row's fields, read once for the several roles a host asks of one row in turn.
    [[nodiscard]] const control::RowView* Fields(int row) const;

    control::IVelkanPanelAccess* m_access = nullptr;
    mutable std::optional<std::pair<int, control::RowView>> m_lastRow;
};

} // namespace velkan
