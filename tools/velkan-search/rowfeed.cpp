#include "rowfeed.h"

#include <limits>

namespace velkan::host {

namespace {

constexpr std::int64_t kKilobyte = 1024;

} // namespace

std::optional<std::int64_t> BytesOfSizeText(std::string_view text)
{
    std::int64_t unit = 1;
    if (text.ends_with("KB")) {
        unit = kKilobyte;
        text.remove_suffix(2);
    } else if (text.ends_with("B")) {
        text.remove_suffix(1);
    } else {
        return std::nullopt;
    }
    std::int64_t value = 0;
    bool digits = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // Thousands are grouped by commas, three digits after each.
        if (c == ',' && digits && (text.size() - i - 1) % 4 == 3) {
            continue;
        }
        if (c < '0' || c > '9' || value > (std::numeric_limits<std::int64_t>::max() / kKilobyte - 9) / 10) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        digits = true;
    }
    return digits ? std::optional(value * unit) : std::nullopt;
}

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
        row.sizeBytes = BytesOfSizeText(row.view.size);
        // A folder row shows a marker where a file row shows its size; nothing else tells them apart
        // through the panel's columns.
        row.folder = !row.sizeBytes;
        if (row.folder) {
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
