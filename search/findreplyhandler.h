#pragma once

#include <string_view>

namespace velkan::channel {
struct ServerEntry;
}

namespace velkan::search {

class ImageIndexProvider;
class ResultModel;
struct StartupConfig;

// Turns one "find" reply line into result records and list rows: the adult filter, both
// ban-word lists, the option that ends a line at a person's folder, and a folder row before
// each run of files from one folder.
class FindReplyHandler {
public:
    FindReplyHandler(const StartupConfig& config, ResultModel& model, ImageIndexProvider& images);

    // Appends the line's rows in one batch and adds them to foundCount. Returns false, changing
    // nothing, when the line is not a find reply. server is the sender's list entry, if any.
    bool Handle(std::string_view line, std::string_view nick, const channel::ServerEntry* server,
                int& foundCount);

private:
    const StartupConfig& m_config;
    ResultModel& m_model;
    ImageIndexProvider& m_images;
};

} // namespace velkan::search
