#include "search/descriptorbudget.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <optional>
#include <sys/resource.h>

namespace velkan::search {

namespace {

// Descriptors open now, or nothing when they cannot be counted.
std::optional<std::int64_t> OpenDescriptors()
{
    DIR* directory = ::opendir("/proc/self/fd");
    if (directory == nullptr) {
        // Out of descriptors: as many open as allowed.
        return errno == EMFILE || errno == ENFILE ? std::optional<std::int64_t>(INT64_MAX)
                                                  : std::nullopt;
    }
    std::int64_t count = 0;
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] != '.') {
            ++count;
        }
    }
    ::closedir(directory);
    return count - 1; // the directory's own
}

} // namespace

int ConnectionsWithinDescriptorLimit(int wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return std::max(wanted, 1);
    }
    const std::int64_t open = OpenDescriptors().value_or(0);
    const auto soft = static_cast<std::int64_t>(std::min<rlim_t>(limit.rlim_cur, INT64_MAX / 2));
    const std::int64_t spare = open >= soft ? 0 : soft - open - kDescriptorMargin;
    return static_cast<int>(std::clamp<std::int64_t>(spare, 1, std::max(wanted, 1)));
}

} // namespace velkan::search
