#include "findreplyhandler.h"

#include "appserverprotocol.h"
#include "banwords.h"
#include "imageindexprovider.h"
#include "peerprotocol.h"
#include "resultmodel.h"
#include "resulttexts.h"
#include "startupconfig.h"

namespace velkan::search {

namespace {

// Item flag bits of a find reply.
constexpr std::int32_t kItemPerson = 0x08;
constexpr std::int32_t kItemAdult = 0x10;
constexpr std::int32_t kItemNoBanWords = 0x80;

} // namespace

FindReplyHandler::FindReplyHandler(const StartupConfig& config, ResultModel& model,
                                   ImageIndexProvider& images)
    : m_config(config), m_model(model), m_images(images)
{
}

bool FindReplyHandler::Handle(std::string_view line, std::string_view nick,
                              const channel::ServerEntry* server, int& foundCount)
{
    const bool isOperator = m_config.userId == kOperatorUserId;
    std::string_view previousFolder;
    std::vector<ResultRow> rows;

    const bool isFind = channel::ForEachFoundItem(line, [&](channel::FoundItem&& item) {
        if ((item.flags & kItemAdult) != 0 && m_config.userClass != "A") {
            return true;
        }
        if (IsBanned(item.path, m_config.strictBanWords, m_config.stripList)) {
            return true;
        }
        if ((item.flags & kItemPerson) != 0 && (m_config.options & kOptionStrict) != 0) {
            return false; // this item and the rest of its line are dropped
        }
        const bool plainWordsApply = (item.flags & (kItemPerson | kItemNoBanWords)) == 0 &&
                                     !isOperator &&
                                     (m_config.options & kOptionNoPlainBanWords) == 0;
        if (plainWordsApply && IsBanned(item.path, m_config.banWords, m_config.stripList)) {
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
        const std::string_view folder = FolderOf(record->path());
        if (folder != previousFolder) {
            previousFolder = folder;
            const int picture = (item.flags & kItemPerson) != 0  ? kPersonFolderPicture
                                : (item.flags & kItemAdult) != 0 ? kAdultFolderPicture
                                                                 : kClosedFolderPicture;
            rows.push_back({record, m_images.BuiltInImageIndex(picture), ResultRow::Kind::Folder});
        }
        rows.push_back({record, m_images.ImageIndexFor(record->path()), ResultRow::Kind::File});
        return true;
    });
    if (isFind) {
        foundCount += static_cast<int>(rows.size());
        m_model.AppendRows(rows);
    }
    return isFind;
}

} // namespace velkan::search
