#include "tools/velkan-localnet/sharedirectory.h"

#include "channel/cp949convert.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace velkan::localnet {

namespace {

std::string LocalDate(std::filesystem::file_time_type when)
{
    const auto system = std::chrono::file_clock::to_sys(when);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return "1970-01-01 00:00";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

} // namespace

std::vector<SharedFile> ShareDirectory(const std::filesystem::path& directory,
                                       std::string_view virtualRoot, std::size_t maxFiles)
{
    namespace fs = std::filesystem;
    std::vector<SharedFile> share;
    std::error_code error;
    for (fs::recursive_directory_iterator it(directory,
                                             fs::directory_options::skip_permission_denied),
         end;
         it != end && share.size() < maxFiles; it.increment(error)) {
        if (error) {
            break;
        }
        if (!it->is_regular_file(error) || error) {
            continue;
        }
        std::string path(virtualRoot);
        bool representable = true;
        for (const fs::path& part : it->path().lexically_relative(directory)) {
            const std::optional<std::string> name = cp949::FromUtf8Strict(part.string());
            if (!name) {
                representable = false;
                break;
            }
            path.append("\\").append(*name);
        }
        const std::uintmax_t size = it->file_size(error);
        const fs::file_time_type modified = it->last_write_time(error);
        if (!representable || error) {
            continue;
        }
        share.push_back({std::move(path), LocalDate(modified), static_cast<std::int64_t>(size),
                         0, 0});
    }
    std::sort(share.begin(), share.end(),
              [](const SharedFile& a, const SharedFile& b) { return a.path < b.path; });
    return share;
}

} // namespace velkan::localnet
