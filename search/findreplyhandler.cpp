#include "search/findreplyhandler.h"

#include "channel/appserverprotocol.h"
#include "search/imageindexprovider.h"
#include "channel/peerprotocol.h"
#include "search/resultmodel.h"
#include "search/resulttexts.h"

#include <cstdint>
#include <optional>

namespace velkan::search {

namespace {

// Counts each item under the rule that decided it.
struct TallyCounter {
    ReplyTally& tally;

    void Parsed() { ++tally.items; }
    void Dropped(ItemVerdict verdict)
    {
        switch (verdict) {
        case ItemVerdict::DropAdult:
            ++tally.adult;
            break;
        case ItemVerdict::DropStrictBanWord:
            ++tally.strictBanWords;
            break;
        case ItemVerdict::DropRestOfLine:
            ++tally.personFolder;
            break;
        case ItemVerdict::DropBanWord:
            ++tally.banWords;
            break;
        case ItemVerdict::List:
            break;
        }
    }
    void NoRoom() { ++tally.rowLimit; }
    void Listed(int rows)
    {
        ++tally.listed;
        tally.rows += rows;
    }
};

struct NoCounter {
    void Parsed() {}
    void Dropped(ItemVerdict) {}
    void NoRoom() {}
    void Listed(int) {}
};

} // namespace

FindReplyHandler::FindReplyHandler(const StartupConfig& config, ResultModel& model,
                                   ImageIndexProvider& images)
    : m_filter(config), m_model(model), m_images(images)
{
}

bool FindReplyHandler::Handle(std::string_view line, std::string_view nick,
                              const channel::ServerEntry* server, int& foundCount)
{
    ReplyProgress progress;
    const bool isFind = HandlePart(line, nick, server, foundCount, progress, SIZE_MAX);
    m_lastLine = progress.tally;
    return isFind;
}

bool FindReplyHandler::HandlePart(std::string_view line, std::string_view nick,
                                  const channel::ServerEntry* server, int& foundCount,
                                  ReplyProgress& progress, std::size_t maxItems)
{
    return HandleLine(line, nick, server, foundCount, progress, maxItems, TallyCounter{progress.tally});
}

bool FindReplyHandler::HandleUncounted(std::string_view line, std::string_view nick,
                                       const channel::ServerEntry* server, int& foundCount)
{
    ReplyProgress progress;
    return HandleLine(line, nick, server, foundCount, progress, SIZE_MAX, NoCounter{});
}

template <typename Counter>
bool FindReplyHandler::HandleLine(std::string_view line, std::string_view nick,
                                  const channel::ServerEntry* server, int& foundCount,
                                  ReplyProgress& progress, std::size_t maxItems, Counter counter)
{
    if (progress.next == 0) {
        const std::optional<std::size_t> start = channel::FoundItemsStart(line);
        if (!start) {
            return false;
        }
        progress.next = *start;
    }
    m_rows.clear();
    m_filter.FollowConfig();

    std::size_t visited = 0;
    bool restDropped = false;
    const bool walked = channel::VisitFoundItemsFrom(line, progress.next, [&](const channel::FoundItemView& item) {
        ++visited;
        counter.Parsed();
        const ItemVerdict verdict = m_filter.Judge(item);
        if (verdict != ItemVerdict::List) {
            counter.Dropped(verdict);
            restDropped = verdict == ItemVerdict::DropRestOfLine;
            return !restDropped && visited < maxItems;
        }
        const std::string_view folder = FolderOf(item.path);
        const bool newFolder = folder != progress.previousFolder;
        if (!m_model.HasRoomFor(m_rows.size() + (newFolder ? 2 : 1))) {
            counter.NoRoom();
            return visited < maxItems;
        }
        const SearchResult* record = m_model.AddRecord({
            .nick = nick,
            .path = item.path,
            .date = item.date,
            .host = server ? std::string_view(server->host) : std::string_view(),
            .size = item.size,
            .extra = item.extra,
            .flags = item.flags,
            .speed = server ? server->speed : 0,
            .port = server ? server->port : 0,
        });
        if (newFolder) {
            progress.previousFolder = record->path().substr(0, folder.size());
            const int picture = (item.flags & kItemPerson) != 0  ? kPersonFolderPicture
                                : (item.flags & kItemAdult) != 0 ? kAdultFolderPicture
                                                                 : kClosedFolderPicture;
            m_rows.push_back({record, m_images.BuiltInImageIndex(picture), ResultRow::Kind::Folder});
        }
        m_rows.push_back({record, m_images.ImageIndexFor(record->path()), ResultRow::Kind::File});
        counter.Listed(newFolder ? 2 : 1);
        return visited < maxItems;
    });
    progress.done = walked || restDropped;
    foundCount += static_cast<int>(m_rows.size());
    m_model.AppendRows(m_rows);
    return true;
}

} // namespace velkan::search
