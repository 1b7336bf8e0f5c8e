#pragma once

#include "channel/appserverprotocol.h"
#include "tools/velkan-localnet/sharedfile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The reply lines the local servers send, without their "\r\n".
namespace velkan::localnet {

// "<", ">" and "|" separate the parts of a find reply, so a path carries them escaped.
std::string EscapePath(std::string_view path);

// "path|date|size|flags|extra" with the path escaped.
std::string FormatFoundItem(const SharedFile& file);

// "find" followed by ">item" for every file whose path matches the search text, in order.
std::string FindReply(std::span<const SharedFile> files, std::string_view searchText);

// The figures a peer reports about itself; the count and total default to its share's.
struct InfoFigures {
    std::string download1 = "0";
    std::string download2 = "0";
    std::string upload1 = "0";
    std::string upload2 = "0";
    std::optional<std::int64_t> fileCount;
    std::optional<std::int64_t> totalBytes;
};

// "/info d1,d2,u1,u2,count,totalbytes"
std::string InfoReply(const InfoFigures& figures, std::span<const SharedFile> files);

// "nick,host,port,speed,flags" for every entry, joined by "|".
std::string ServerListLine(std::span<const channel::ServerEntry> entries);

} // namespace velkan::localnet
