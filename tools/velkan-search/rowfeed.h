#pragma once

#include "tools/velkan-search/listedrow.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <vector>

namespace velkan::host {

// Reads the rows the panel has added since the last call, in list order, so that a host can
// pass them on while the search goes. The list of a headless search is never sorted, so rows
// only ever arrive at its end.
class RowFeed {
public:
    explicit RowFeed(control::IVelkanPanelAccess& access) : m_access(access) {}

    [[nodiscard]] std::vector<ListedRow> TakeNewRows();

private:
    control::IVelkanPanelAccess& m_access;
    int m_next = 0;
    std::optional<int> m_folderRow;
    std::string m_folderText;
    std::string m_folderNick;
};

} // namespace velkan::host
