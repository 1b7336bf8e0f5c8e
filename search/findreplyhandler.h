#pragma once

#include "search/itemfilter.h"
#include "search/replytally.h"
#include "search/resultrow.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace velkan::channel {
struct ServerEntry;
}

namespace velkan::search {

class ImageIndexProvider;
class ResultModel;
struct StartupConfig;

// Where the handling of one reply line stands between its parts.
struct ReplyProgress {
    std::size_t next = 0;            // where the next item starts in the line; 0: not begun
    std::string_view previousFolder; // points into a listed record
    ReplyTally tally;                // what became of the items handled so far
    bool done = false;               // every item of the line is handled
};

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
    // Handles the line's next items, at most maxItems of them, from where progress stands, as
    // Handle would: parts handled one after another list exactly what Handle lists. The model
    // must not be cleared between the parts of a line.
    bool HandlePart(std::string_view line, std::string_view nick, const channel::ServerEntry* server,
                    int& foundCount, ReplyProgress& progress, std::size_t maxItems);
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
    bool HandleLine(std::string_view line, std::string_view nick, const channel::ServerEntry* server,
                    int& foundCount, ReplyProgress& progress, std::size_t maxItems, Counter counter);

    ItemFilter m_filter;
    ResultModel& m_model;
    ImageIndexProvider& m_images;
    std::vector<ResultRow> m_rows; // one line's rows; kept to spare an allocation per line
    ReplyTally m_lastLine;
};

} // namespace velkan::search
