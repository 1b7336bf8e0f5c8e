#include "banwords.h"

#include "cp949.h"

#include <array>
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

// Normalising lower-cases single-byte letters and removes bytes, nothing else: a byte of the
// normal form is a byte of the text, or a capital letter of it lower-cased.
bool MayOccur(std::string_view text, char byte)
{
    if (text.find(byte) != std::string_view::npos) {
        return true;
    }
    return byte >= 'a' && byte <= 'z' &&
           text.find(static_cast<char>(byte - 'a' + 'A')) != std::string_view::npos;
}

bool MayContain(std::string_view text, std::string_view part)
{
    for (const char byte : part) {
        if (!MayOccur(text, byte)) {
            return false;
        }
    }
    return true;
}

// False only when the word cannot be in the text's normal form, found without building it.
bool MayMatch(std::string_view text, std::string_view word)
{
    const WordParts parts = Split(word);
    return MayContain(text, parts.left) && (!parts.split || MayContain(text, parts.right));
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

bool IsBanned(std::string_view text, const std::vector<std::string>& words,
              const std::vector<std::string>& stripList)
{
    bool mayMatch = false;
    for (const std::string& word : words) {
        if (MayMatch(text, word)) {
            mayMatch = true;
            break;
        }
    }
    if (!mayMatch) {
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
    for (const std::string& strip : stripList) {
        size = RemoveAll(buffer, size, strip);
    }
    const std::string_view normalised(buffer, size);
    for (const std::string& word : words) {
        if (Matches(normalised, word)) {
            return true;
        }
    }
    return false;
}

} // namespace velkan::search
