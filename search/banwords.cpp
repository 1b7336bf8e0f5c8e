#include "search/banwords.h"

#include "channel/cp949.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace velkan::search {

namespace {

// Paths are at most 1503 bytes: their normal form is built on the stack.
constexpr std::size_t kLocalText = 2048;

struct WordParts {
    std::string_view left;
    std::string_view right; // only when split
    bool split = false;
};

WordParts Split(std::string_view word)
{
    const std::size_t caret = cp949::FindByte(word, '^');
    if (caret == cp949::npos) {
        return {word, {}, false};
    }
    return {word.substr(0, caret), word.substr(caret + 1), true};
}

bool Matches(std::string_view normalised, std::string_view word)
{
    const WordParts parts = Split(word);
    return cp949::Contains(normalised, parts.left) &&
           (!parts.split || cp949::Contains(normalised, parts.right));
}

// Lower-cases single-byte letters and drops spaces, a character at a time.
std::size_t LowerWithoutSpaces(std::string_view text, char* out)
{
    std::size_t written = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = cp949::CharLength(text, i);
        char byte = text[i];
        if (length == 1) {
            if (byte == ' ') {
                ++i;
                continue;
            }
            if (byte >= 'A' && byte <= 'Z') {
                byte = static_cast<char>(byte - 'A' + 'a');
            }
            out[written++] = byte;
        } else {
            out[written++] = byte;
            out[written++] = text[i + 1];
        }
        i += length;
    }
    return written;
}

// Removes every occurrence of needle, left to right, in place: what cp949::ReplaceAll with an
// empty replacement gives, without a copy. Reading stays ahead of writing.
std::size_t RemoveAll(char* text, std::size_t size, std::string_view needle)
{
    if (needle.empty()) {
        return size;
    }
    const std::string_view original(text, size);
    std::size_t read = 0;
    std::size_t written = 0;
    while (read < size) {
        if (text[read] == needle[0] && needle.size() <= size - read &&
            std::memcmp(text + read, needle.data(), needle.size()) == 0) {
            read += needle.size();
            continue;
        }
        const std::size_t length = cp949::CharLength(original, read);
        std::memmove(text + written, text + read, length);
        written += length;
        read += length;
    }
    return written;
}

} // namespace

BanWordList::BanWordList(std::vector<std::string> words, std::vector<std::string> stripList)
    : m_words(std::move(words)), m_stripList(std::move(stripList))
{
    std::array<int, 256> bitOfByte;
    bitOfByte.fill(-1);
    int nextBit = 0;
    for (const std::string& word : m_words) {
        std::uint64_t bits = 0;
        const WordParts parts = Split(word);
        for (const std::string_view part : {parts.left, parts.right}) {
            for (const char byte : part) {
                const auto value = static_cast<unsigned char>(byte);
                if (bitOfByte[value] < 0) {
                    bitOfByte[value] = nextBit++ % 64;
                    const std::uint64_t bit = std::uint64_t{1} << bitOfByte[value];
                    m_bitsOfByte[value] |= bit;
                    if (byte >= 'a' && byte <= 'z') {
                        m_bitsOfByte[static_cast<unsigned char>(byte - 'a' + 'A')] |= bit;
                    }
                }
                bits |= std::uint64_t{1} << bitOfByte[value];
            }
        }
        m_bitsOfWord.push_back(bits);
    }
}

bool BanWordList::Bans(std::string_view text) const
{
    if (m_words.empty()) {
        return false;
    }
    std::uint64_t present = 0;
    for (const char byte : text) {
        present |= m_bitsOfByte[static_cast<unsigned char>(byte)];
    }
    if (std::none_of(m_bitsOfWord.begin(), m_bitsOfWord.end(),
                     [&](std::uint64_t bits) { return (present & bits) == bits; })) {
        return false;
    }

    std::array<char, kLocalText> local;
    std::string large;
    char* buffer = local.data();
    if (text.size() > local.size()) {
        large.resize(text.size());
        buffer = large.data();
    }
    std::size_t size = LowerWithoutSpaces(text, buffer);
    for (const std::string& strip : m_stripList) {
        size = RemoveAll(buffer, size, strip);
    }
    const std::string_view normalised(buffer, size);
    return std::any_of(m_words.begin(), m_words.end(),
                       [&](const std::string& word) { return Matches(normalised, word); });
}

bool IsBanned(std::string_view text, const std::vector<std::string>& words,
              const std::vector<std::string>& stripList)
{
    return BanWordList(words, stripList).Bans(text);
}

} // namespace velkan::search
