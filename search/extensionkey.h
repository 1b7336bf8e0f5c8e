#pragma once

#include <string_view>

namespace velkan::search {

// The key under which a file name's picture is kept: from the last "." of the whole name to
// its end, or empty when there is no "." or only a leading one. No case folding.
std::string_view ExtensionKey(std::string_view name);

} // namespace velkan::search
