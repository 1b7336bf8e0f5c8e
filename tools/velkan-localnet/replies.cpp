#include "tools/velkan-localnet/replies.h"

#include "channel/cp949.h"
#include "tools/velkan-localnet/searchmatch.h"

namespace velkan::localnet {

std::string EscapePath(std::string_view path)
{
    return cp949::ReplaceAll(
        cp949::ReplaceAll(cp949::ReplaceAll(path, "<", "&lt;"), ">", "&gt;"), "|", "&0x7c;");
}

std::string FormatFoundItem(const SharedFile& file)
{
    std::string item = EscapePath(file.path);
    item.append("|").append(file.date);
    item.append("|").append(std::to_string(file.size));
    item.append("|").append(std::to_string(file.flags));
    item.append("|").append(std::to_string(file.extra));
    return item;
}

std::string FindReply(std::span<const SharedFile> files, std::string_view searchText)
{
    const SearchMatcher matcher(searchText);
    std::string reply = "find";
    for (const SharedFile& file : files) {
        if (matcher.Matches(file.path)) {
            reply.append(">").append(FormatFoundItem(file));
        }
    }
    return reply;
}

std::string InfoReply(const InfoFigures& figures, std::span<const SharedFile> files)
{
    std::int64_t total = 0;
    for (const SharedFile& file : files) {
        total += file.size;
    }
    const std::int64_t count =
        figures.fileCount.value_or(static_cast<std::int64_t>(files.size()));
    std::string reply = "/info ";
    reply.append(figures.download1).append(",").append(figures.download2).append(",");
    reply.append(figures.upload1).append(",").append(figures.upload2).append(",");
    reply.append(std::to_string(count)).append(",");
    reply.append(std::to_string(figures.totalBytes.value_or(total)));
    return reply;
}

std::string ServerListLine(std::span<const channel::ServerEntry> entries)
{
    std::string line;
    for (const channel::ServerEntry& entry : entries) {
        if (!line.empty()) {
            line += '|';
        }
        line.append(entry.nick).append(",").append(entry.host);
        line.append(",").append(std::to_string(entry.port));
        line.append(",").append(std::to_string(entry.speed));
        line.append(",").append(std::to_string(entry.flags));
    }
    return line;
}

} // namespace velkan::localnet
