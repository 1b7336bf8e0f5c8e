#pragma once

#include <optional>
#include <string_view>

namespace velkan::search {

// The folder a Connect event names for a result's full path: the path before its last
// backslash when it holds one after its first character. Nothing otherwise, and the event then
// carries the whole path, unencoded.
std::optional<std::string_view> ConnectFolder(std::string_view path);

} // namespace velkan::search
