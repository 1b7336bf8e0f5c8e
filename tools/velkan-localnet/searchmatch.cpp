#include "tools/velkan-localnet/searchmatch.h"

#include "channel/cp949.h"

namespace velkan::localnet {

SearchMatcher::SearchMatcher(std::string_view searchText)
{
    const std::string lowered = cp949::ToLowerAscii(searchText);
    std::size_t start = 0;
    // Walk by character: a separator byte inside a double-byte character cuts nothing.
    for (std::size_t i = 0; i <= lowered.size();) {
        const bool end = i == lowered.size();
        if (end || lowered[i] == ' ' || lowered[i] == '^') {
            if (i > start) {
                m_words.push_back(lowered.substr(start, i - start));
            }
            if (end) {
                break;
            }
            start = i + 1;
            ++i;
        } else {
            i += cp949::CharLength(lowered, i);
        }
    }
}

bool SearchMatcher::Matches(std::string_view path) const
{
    if (m_words.empty()) {
        return false;
    }
    const std::string lowered = cp949::ToLowerAscii(path);
    for (const std::string& word : m_words) {
        if (!cp949::Contains(lowered, word)) {
            return false;
        }
    }
    return true;
}

} // namespace velkan::localnet
