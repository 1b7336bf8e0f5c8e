#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::search {

// A ban-word list and its strip list, prepared once for checking many texts: a text is banned
// when, lower-cased (single-byte letters only), without spaces and without every string of the
// strip list (removed in list order, each from what the one before left), it contains one of
// the words. A word "left^right" needs both parts, anywhere and in any order. An empty word is
// contained in every text. Checking a path allocates nothing.
class BanWordList {
public:
    BanWordList() = default;
    BanWordList(std::vector<std::string> words, std::vector<std::string> stripList);

    [[nodiscard]] bool Bans(std::string_view text) const;

    [[nodiscard]] const std::vector<std::string>& Words() const { return m_words; }
    [[nodiscard]] const std::vector<std::string>& StripList() const { return m_stripList; }

private:
    std::vector<std::string> m_words;
    std::vector<std::string> m_stripList;
    // Most texts hold no word: one pass over a text's bytes tells which bytes of the words it
    // has (a capital letter counting for its small one), and a word one of whose bytes is
    // missing cannot be in the normal form, which only lower-cases and removes. Bytes of the
    // words have a bit each (shared beyond 64, which only lets more texts through to the full
    // check).
    std::array<std::uint64_t, 256> m_bitsOfByte{};
    std::vector<std::uint64_t> m_bitsOfWord;
};

// The same check for one text.
bool IsBanned(std::string_view text, const std::vector<std::string>& words,
              const std::vector<std::string>& stripList);

} // namespace velkan::search
