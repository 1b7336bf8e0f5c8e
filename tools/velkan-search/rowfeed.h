#pragma once

#include "tools/velkan-search/listedrow.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <functional>

namespace velkan::host {

// Reads the rows the panel has added since the last call, in list order, one at a time, so
// that a host can pass them on while the search goes without holding a copy of them. The list
// of a headless search is never sorted, so rows only ever arrive at its end.
class RowFeed {
public:
    explicit RowFeed(control::IVelkanPanelAccess& access) : m_access(access) {}

    void PassNewRows(const std::function<void(const ListedRow&)>& pass);

private:
    control::IVelkanPanelAccess& m_access;
    int m_next = 0;
    std::optional<int> m_folderRow;
    std::string m_folderText;
    std::string m_folderNick;
};

} // namespace velkan::host
