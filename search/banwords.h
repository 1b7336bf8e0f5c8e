#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkan::search {

// True when text, lower-cased (single-byte letters only), without spaces and without every
// string of the strip list (removed in list order, each from what the one before left), contains
// one of the words. A word "left^right" needs both parts, anywhere and in any order. An empty
// word is contained in every text. Nothing is allocated for a text of a path's length.
bool IsBanned(std::string_view text, const std::vector<std::string>& words,
              const std::vector<std::string>& stripList);

} // namespace velkan::search
