#include "tools/velkan-search/rowfeed.h"

namespace velkan::host {

void RowFeed::PassNewRows(const std::function<void(const ListedRow&)>& pass)
{
    int count = 0;
    if (com::Failed(m_access.RowCount(&count))) {
        return;
    }
    ListedRow row; // its texts' room is reused from row to row
    for (; m_next < count; ++m_next) {
        row.index = m_next;
        row.folderRow.reset();
        row.folderText.clear();
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
        pass(row);
    }
}

} // namespace velkan::host
