#include "findreplyhandler.h"

#include "appserverprotocol.h"
#include "imageindexprovider.h"
#include "peerprotocol.h"
#include "resultmodel.h"
#include "resulttexts.h"

namespace velkan::search {

FindReplyHandler::FindReplyHandler(const StartupConfig& config, ResultModel& model,
                                   ImageIndexProvider& images)
    : m_filter(config), m_model(model), m_images(images)
{
}

bool FindReplyHandler::Handle(std::string_view line, std::string_view nick,
                              const channel::ServerEntry* server, int& foundCount)
{
    std::string_view previousFolder; // points into a listed record
    m_rows.clear();
    m_droppedByRowLimit = 0;
    m_filter.FollowConfig();

    const bool isFind = channel::VisitFoundItems(line, [&](const channel::FoundItemView& item) {
        switch (m_filter.Judge(item)) {
        case ItemVerdict::Drop:
            return true;
        case ItemVerdict::DropRestOfLine:
            return false;
        case ItemVerdict::List:
            break;
        }
        const std::string_view folder = FolderOf(item.path);
        const bool newFolder = folder != previousFolder;
        if (!m_model.HasRoomFor(m_rows.size() + (newFolder ? 2 : 1))) {
            ++m_droppedByRowLimit;
            return true;
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
            previousFolder = record->path().substr(0, folder.size());
            const int picture = (item.flags & kItemPerson) != 0  ? kPersonFolderPicture
                                : (item.flags & kItemAdult) != 0 ? kAdultFolderPicture
                                                                 : kClosedFolderPicture;
            m_rows.push_back({record, m_images.BuiltInImageIndex(picture), ResultRow::Kind::Folder});
        }
        m_rows.push_back({record, m_images.ImageIndexFor(record->path()), ResultRow::Kind::File});
        return true;
    });
    if (isFind) {
        foundCount += static_cast<int>(m_rows.size());
        m_model.AppendRows(m_rows);
    }
    return isFind;
}

} // namespace velkan::search
