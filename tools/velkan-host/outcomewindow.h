#pragma once

#include "control/panelseam/velkanpanelaccess.h"

#include <QWidget>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace velkan::host {

class OutcomeTableModel;

// A window of its own listing what became of each server of the current search, sortable by
// every column, under a line saying how the fetch of the server list went.
class OutcomeWindow : public QWidget {
    Q_OBJECT

public:
    explicit OutcomeWindow(QWidget* parent = nullptr);

    void Show(std::vector<control::ServerOutcomeView> servers, const control::FetchOutcomeView& fetch);

    [[nodiscard]] QTableView& Table() const { return *m_table; }

    // "server list listed: 4 entries, 3 kept, 1 dropped (malformed 1) in 12 ms".
    static QString DescribeFetch(const control::FetchOutcomeView& fetch);

private:
    QLabel* m_fetch;
    OutcomeTableModel* m_model;
    QSortFilterProxyModel* m_sorted;
    QTableView* m_table;
};

} // namespace velkan::host
