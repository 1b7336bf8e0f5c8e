#include "tools/velkan-search/rowfeed.h"

namespace velkan::host {

std::vector<ListedRow> RowFeed::TakeNewRows()
{
    int count = 0;
    std::vector<ListedRow> rows;
    if (com::Failed(m_access.RowCount(&count))) {
        return rows;
    }
    for (; m_next < count; ++m_next) {
        ListedRow row;
        row.index = m_next;
        if (com::Failed(m_access.Row(m_next, &row.view))) {
            break;
        }
        if (row.view.folder) {
            m_folderRow = m_next;
            m_folderText = row.view.name;
            m_folderNick = row.view.nick;
        } else if (m_folderRow && row.view.nick == m_folderNick) {
            row.folderRow = m_folderRow;
            row.folderText = m_folderText;
        }
        // Otherwise the file has no folder: a reply's first path without a backslash gets no
        // folder row, and the row above belongs to another server's reply.
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace velkan::host
