#pragma once

#include "listedrow.h"
#include "velkanpanelaccess.h"

#include <string_view>
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

// The bytes a size column text stands for: "1,023B" is 1023; "841,826KB" (whole kilobytes, the
// fraction cut) is 841826 * 1024. Nothing for any other text, a folder row's among them.
std::optional<std::int64_t> BytesOfSizeText(std::string_view text);

} // namespace velkan::host
