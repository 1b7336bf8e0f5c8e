#pragma once

#include "search/itemfilter.h"
#include "search/replytally.h"
#include "search/resultrow.h"

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

    // Appends the line's rows in one batch and adds them to foundCount, and counts what became
    // of its items (LastLine). Returns false, changing nothing, when the line is not a find
    // reply. server is the sender's list entry, if any.
    bool Handle(std::string_view line, std::string_view nick, const channel::ServerEntry* server,
                int& foundCount);
    // The same handling with nothing counted: the baseline that shows what the counting costs.
    bool HandleUncounted(std::string_view line, std::string_view nick,
                         const channel::ServerEntry* server, int& foundCount);

    // What became of the items of the last line Handle took.
    [[nodiscard]] const ReplyTally& LastLine() const { return m_lastLine; }
    // Items of the last handled line that passed every filter but found the list full. An item
    // is listed whole or not at all: its folder row never goes in without its file row.
    [[nodiscard]] int DroppedByRowLimit() const { return m_lastLine.rowLimit; }

private:
    template <typename Counter>
    bool HandleLine(std::string_view line, std::string_view nick,
                    const channel::ServerEntry* server, int& foundCount, Counter counter);

    ItemFilter m_filter;
    ResultModel& m_model;
    ImageIndexProvider& m_images;
    std::vector<ResultRow> m_rows; // one line's rows; kept to spare an allocation per line
    ReplyTally m_lastLine;
};

} // namespace velkan::search
