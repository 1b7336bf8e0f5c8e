#pragma once

#include "itemfilter.h"
#include "resultrow.h"

#include <string_view>
#include <vector>

namespace velkan::channel {
struct ServerEntry;
}

namespace velkan::search {

class ImageIndexProvider;
class ResultModel;
struct StartupConfig;

// Turns one "find" reply line into result records and list rows: the adult filter, both
// ban-word lists, the option that ends a line at a person's folder, a folder row before each
// run of files from one folder, and the list's row limit.
class FindReplyHandler {
public:
    FindReplyHandler(const StartupConfig& config, ResultModel& model, ImageIndexProvider& images);

    // Appends the line's rows in one batch and adds them to foundCount. Returns false, changing
    // nothing, when the line is not a find reply. server is the sender's list entry, if any.
    bool Handle(std::string_view line, std::string_view nick, const channel::ServerEntry* server,
                int& foundCount);

    // Items of the last handled line that passed every filter but found the list full. An item
    // is listed whole or not at all: its folder row never goes in without its file row.
    [[nodiscard]] int DroppedByRowLimit() const { return m_droppedByRowLimit; }

private:
    ItemFilter m_filter;
    ResultModel& m_model;
    ImageIndexProvider& m_images;
    std::vector<ResultRow> m_rows; // one line's rows; kept to spare an allocation per line
    int m_droppedByRowLimit = 0;
};

} // namespace velkan::search
