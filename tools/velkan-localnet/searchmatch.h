#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkan::localnet {

// The test a peer applies to each shared path: the search text is cut into words at spaces
// and "^" (empty words dropped), and a path matches when every word occurs in it, ignoring
// the case of ASCII letters and never inside a double-byte character. No words, no match.
class SearchMatcher {
public:
    explicit SearchMatcher(std::string_view searchText);

    [[nodiscard]] const std::vector<std::string>& Words() const { return m_words; }
    [[nodiscard]] bool Matches(std::string_view path) const;

private:
    std::vector<std::string> m_words; // lower-cased
};

} // namespace velkan::localnet
