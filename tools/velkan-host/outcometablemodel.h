#pragma once

#include "control/panelseam/velkanpanelaccess.h"

#include <QAbstractTableModel>

#include <vector>

namespace velkan::host {

// The outcomes of a search's servers, one row each, every figure a column. The sort role gives
// numbers as numbers, so that a proxy sorts every column by its value.
class OutcomeTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kSortRole = Qt::UserRole;

    explicit OutcomeTableModel(QObject* parent = nullptr);

    void SetOutcomes(std::vector<control::ServerOutcomeView> outcomes);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<control::ServerOutcomeView> m_outcomes;
};

} // namespace velkan::host
