#include "searchresult.h"

#include "cp949.h"

#include <cstring>

namespace velkan::search {

namespace {

std::uint16_t Length(std::string_view text)
{
    return static_cast<std::uint16_t>(text.size());
}

} // namespace

SearchResult::SearchResult(const Fields& fields)
    : size(fields.size), extra(fields.extra), flags(fields.flags), speed(fields.speed),
      port(fields.port)
{
    const std::string_view texts[] = {
        cp949::CutToFit(fields.nick, kMaxNick),
        cp949::CutToFit(fields.path, kMaxPath),
        cp949::CutToFit(fields.date, kMaxDate),
        cp949::CutToFit(fields.host, kMaxHost),
    };
    m_nickLength = Length(texts[0]);
    m_pathLength = Length(texts[1]);
    m_dateLength = Length(texts[2]);
    m_hostLength = Length(texts[3]);
    std::size_t total = 0;
    for (const std::string_view text : texts) {
        total += text.size();
    }
    m_text = std::make_unique_for_overwrite<char[]>(total == 0 ? 1 : total);
    char* out = m_text.get();
    for (const std::string_view text : texts) {
        if (!text.empty()) {
            std::memcpy(out, text.data(), text.size());
            out += text.size();
        }
    }
}

} // namespace velkan::search
