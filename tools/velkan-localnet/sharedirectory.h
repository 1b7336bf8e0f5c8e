#pragma once

#include "tools/velkan-localnet/sharedfile.h"

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

namespace velkan::localnet {

// The regular files under directory, walked recursively (symbolic links to folders are not
// followed, unreadable folders are skipped), as a peer sharing it would list them: the path
// is virtualRoot (CP949) followed by the relative path with backslashes, converted from UTF-8
// to CP949, and a file whose path CP949 cannot hold is left out. Sizes and local modification
// times are the file's own. Sorted by path; at most maxFiles files. Throws
// std::filesystem::filesystem_error when directory cannot be opened.
std::vector<SharedFile> ShareDirectory(const std::filesystem::path& directory,
                                       std::string_view virtualRoot,
                                       std::size_t maxFiles = 100000);

} // namespace velkan::localnet
