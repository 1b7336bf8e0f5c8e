#pragma once

#include "velkanpanelaccess.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velkan::host {

// One row of the results list as velkan-search reports it: its columns as shown, what kind of
// row it is, and for a file row the folder row it sits under.
struct ListedRow {
    int index = 0;
    control::RowView view;
    bool folder = false;
    // The size in bytes as far as the list shows it (see RowFeed); nothing for a folder row.
    std::optional<std::int64_t> sizeBytes;
    // For a file row: the folder row above it, its index and its text as shown.
    std::optional<int> folderRow;
    std::string folderText;
};

} // namespace velkan::host
