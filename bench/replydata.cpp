#include "bench/replydata.h"

#include "tools/velkan-localnet/replies.h"
#include "tools/velkan-localnet/sharegenerator.h"

#include <algorithm>
#include <string_view>

namespace velkan::bench {

namespace {

constexpr std::size_t kPeers = 500;

std::string_view FolderPart(std::string_view path)
{
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

} // namespace

std::vector<std::string> GeneratedReplyLines(std::size_t lines, std::size_t itemsPerLine,
                                             std::uint64_t seed)
{
    std::vector<std::string> replies;
    replies.reserve(lines);
    std::vector<localnet::SharedFile> pool;
    std::size_t peer = 0;
    while (replies.size() < lines) {
        while (pool.size() < itemsPerLine) {
            std::vector<localnet::SharedFile> share = localnet::GenerateShare(seed, peer++);
            pool.insert(pool.end(), share.begin(), share.end());
        }
        std::vector<localnet::SharedFile> items(pool.begin(),
                                                pool.begin() + static_cast<std::ptrdiff_t>(itemsPerLine));
        pool.erase(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(itemsPerLine));
        std::stable_sort(items.begin(), items.end(),
                         [](const localnet::SharedFile& a, const localnet::SharedFile& b) {
                             return FolderPart(a.path) < FolderPart(b.path);
                         });
        std::string line = "find";
        for (const localnet::SharedFile& item : items) {
            line.append(">").append(localnet::FormatFoundItem(item));
        }
        replies.push_back(std::move(line));
    }
    return replies;
}

channel::ServerEntry GeneratedServer(std::size_t index, std::uint64_t seed)
{
    const std::size_t peer = index % kPeers;
    return {.nick = localnet::GenerateNick(seed, peer),
            .host = "127.0.0.1",
            .port = static_cast<std::int32_t>(20000 + peer),
            .speed = localnet::GenerateSpeed(seed, peer),
            .flags = 0};
}

} // namespace velkan::bench
