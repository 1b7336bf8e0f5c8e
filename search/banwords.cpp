#include "banwords.h"

#include "cp949.h"

namespace velkan::search {

namespace {

std::string Normalise(std::string_view text, const std::vector<std::string>& stripList)
{
    std::string normalised = cp949::ReplaceAll(cp949::ToLowerAscii(text), " ", "");
    for (const std::string& strip : stripList) {
        normalised = cp949::ReplaceAll(normalised, strip, "");
    }
    return normalised;
}

bool Matches(std::string_view text, std::string_view word)
{
    const std::size_t caret = cp949::FindByte(word, '^');
    if (caret == cp949::npos) {
        return cp949::Contains(text, word);
    }
    return cp949::Contains(text, word.substr(0, caret)) &&
           cp949::Contains(text, word.substr(caret + 1));
}

} // namespace

bool IsBanned(std::string_view text, const std::vector<std::string>& words,
              const std::vector<std::string>& stripList)
{
    if (words.empty()) {
        return false;
    }
    const std::string normalised = Normalise(text, stripList);
    for (const std::string& word : words) {
        if (Matches(normalised, word)) {
            return true;
        }
    }
    return false;
}

} // namespace velkan::search
