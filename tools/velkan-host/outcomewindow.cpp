#include "tools/velkan-host/outcomewindow.h"

#include "tools/velkan-host/outcometablemodel.h"

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace velkan::host {

OutcomeWindow::OutcomeWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_fetch(new QLabel(this)), m_model(new OutcomeTableModel(this)),
      m_sorted(new QSortFilterProxyModel(this)), m_table(new QTableView(this))
{
    setWindowTitle(QStringLiteral("Server outcomes"));
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(OutcomeTableModel::kSortRole);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder); // the order contacted until a header is clicked
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fetch);
    layout->addWidget(m_table);
    resize(900, 400);
}

void OutcomeWindow::Show(std::vector<control::ServerOutcomeView> servers, const control::FetchOutcomeView& fetch)
{
    m_fetch->setText(DescribeFetch(fetch));
    m_model->SetOutcomes(std::move(servers));
    m_table->resizeColumnsToContents();
}

QString OutcomeWindow::DescribeFetch(const control::FetchOutcomeView& fetch)
{
    QString text = QStringLiteral("server list %1%2").arg(QString::fromStdString(fetch.outcome),
                                                          fetch.reused ? QStringLiteral(" (reused)") : QString());
    if (fetch.outcome == "listed") {
        const int dropped = fetch.entries - fetch.kept;
        text += QStringLiteral(": %1 entries, %2 kept, %3 dropped").arg(fetch.entries).arg(fetch.kept).arg(dropped);
        if (dropped > 0) {
            text += QStringLiteral(" (malformed %1, bad port %2, host too long %3, hidden %4, hidden by option %5)")
                        .arg(fetch.malformed)
                        .arg(fetch.badPort)
                        .arg(fetch.hostTooLong)
                        .arg(fetch.hidden)
                        .arg(fetch.hiddenByOption);
        }
    }
    if (!fetch.error.empty()) {
        text += QStringLiteral(": ") + QString::fromStdString(fetch.error);
    }
    return text + QStringLiteral(" in %1 ms").arg(fetch.elapsedMs);
}

} // namespace velkan::host
