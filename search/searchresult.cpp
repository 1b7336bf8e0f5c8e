#include "search/searchresult.h"

#include "channel/cp949.h"

#include <cstring>
#include <new>

namespace velkan::search {

// The four texts cut to their limits, in the order they are kept.
struct SearchResult::Texts {
    explicit Texts(const Fields& fields)
        : all{cp949::CutToFit(fields.nick, kMaxNick), cp949::CutToFit(fields.path, kMaxPath),
              cp949::CutToFit(fields.date, kMaxDate), cp949::CutToFit(fields.host, kMaxHost)}
    {
    }

    [[nodiscard]] std::size_t Bytes() const
    {
        return all[0].size() + all[1].size() + all[2].size() + all[3].size();
    }

    std::string_view all[4];
};

SearchResult::SearchResult(const Fields& fields)
    : SearchResult(fields, Texts(fields), nullptr, true)
{
}

SearchResult::SearchResult(const Fields& fields, const Texts& texts, char* text, bool owned)
    : size(fields.size), extra(fields.extra), flags(fields.flags), speed(fields.speed),
      port(fields.port), m_pathLength(static_cast<std::uint16_t>(texts.all[1].size())),
      m_nickLength(static_cast<std::uint8_t>(texts.all[0].size())),
      m_dateLength(static_cast<std::uint8_t>(texts.all[2].size())),
      m_hostLength(static_cast<std::uint8_t>(texts.all[3].size())), m_ownsText(owned)
{
    if (owned) {
        text = new char[texts.Bytes() == 0 ? 1 : texts.Bytes()];
    }
    char* out = text;
    for (const std::string_view part : texts.all) {
        if (!part.empty()) {
            std::memcpy(out, part.data(), part.size());
            out += part.size();
        }
    }
    m_text = text;
}

SearchResult::~SearchResult()
{
    if (m_ownsText) {
        delete[] m_text;
    }
}

std::size_t SearchResult::StorageBytes(const Fields& fields)
{
    const std::size_t bytes = sizeof(SearchResult) + Texts(fields).Bytes();
    // The next record behind this one starts aligned.
    return (bytes + alignof(SearchResult) - 1) / alignof(SearchResult) * alignof(SearchResult);
}

const SearchResult* SearchResult::ConstructAt(void* storage, const Fields& fields)
{
    char* text = static_cast<char*>(storage) + sizeof(SearchResult);
    return new (storage) SearchResult(fields, Texts(fields), text, false);
}

} // namespace velkan::search
