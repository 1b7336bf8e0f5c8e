#pragma once

#include "control/panelseam/velkanpanelaccess.h"

#include <optional>
#include <string>

namespace velkan::host {

// One row of the results list as velkan-search reports it: the row as the panel gives it, and
// for a file row the folder row it sits under.
struct ListedRow {
    int index = 0;
    control::RowView view;
    // For a file row: the folder row above it, its index and its text as shown.
    std::optional<int> folderRow;
    std::string folderText;
};

} // namespace velkan::host
