#include "search/searchresult.h"

#include "channel/cp949.h"

#include <cstring>
#include <new>

namespace velkan::search {

namespace {

std::size_t Aligned(std::size_t bytes, std::size_t alignment)
{
    return (bytes + alignment - 1) / alignment * alignment;
}

char* Copy(char* out, std::string_view text)
{
    if (!text.empty()) {
        std::memcpy(out, text.data(), text.size());
    }
    return out + text.size();
}

} // namespace

ResultOrigin::ResultOrigin(std::string_view nick, std::string_view host, std::int32_t port)
    : m_port(port), m_nickLength(static_cast<std::uint8_t>(nick.size())),
      m_hostLength(static_cast<std::uint8_t>(host.size()))
{
    Copy(Copy(reinterpret_cast<char*>(this + 1), nick), host);
}

std::size_t ResultOrigin::StorageBytes(std::string_view nick, std::string_view host)
{
    return Aligned(sizeof(ResultOrigin) + nick.size() + host.size(), alignof(ResultOrigin));
}

const ResultOrigin* ResultOrigin::ConstructAt(void* storage, std::string_view nick, std::string_view host,
                                              std::int32_t port)
{
    return new (storage) ResultOrigin(nick, host, port);
}

std::string_view SearchResult::CutNick(std::string_view nick)
{
    return cp949::CutToFit(nick, kMaxNick);
}

std::string_view SearchResult::CutHost(std::string_view host)
{
    return cp949::CutToFit(host, kMaxHost);
}

SearchResult::SearchResult(const Fields& fields, const ResultOrigin& origin, bool ownsOrigin)
    : size(fields.size), extra(fields.extra), flags(fields.flags), speed(fields.speed),
      m_ownsOrigin(ownsOrigin), m_origin(&origin)
{
    const std::string_view path = cp949::CutToFit(fields.path, kMaxPath);
    const std::string_view date = cp949::CutToFit(fields.date, kMaxDate);
    m_pathLength = static_cast<std::uint16_t>(path.size());
    m_dateLength = static_cast<std::uint8_t>(date.size());
    // Both places are storage made for the texts, never a constant.
    Copy(Copy(const_cast<char*>(Texts()), path), date);
}

SearchResult::SearchResult(const Fields& fields) : SearchResult(fields, OwnOrigin(fields), true) {}

const ResultOrigin& SearchResult::OwnOrigin(const Fields& fields)
{
    const std::string_view nick = CutNick(fields.nick);
    const std::string_view host = CutHost(fields.host);
    const std::size_t bytes = ResultOrigin::StorageBytes(nick, host) +
                              cp949::CutToFit(fields.path, kMaxPath).size() +
                              cp949::CutToFit(fields.date, kMaxDate).size();
    return *ResultOrigin::ConstructAt(new std::byte[bytes], nick, host, fields.port);
}

SearchResult::~SearchResult()
{
    if (m_ownsOrigin) {
        delete[] reinterpret_cast<const std::byte*>(m_origin);
    }
}

std::size_t SearchResult::StorageBytes(const Fields& fields)
{
    const std::size_t bytes = sizeof(SearchResult) + cp949::CutToFit(fields.path, kMaxPath).size() +
                              cp949::CutToFit(fields.date, kMaxDate).size();
    // The next record behind this one starts aligned.
    return Aligned(bytes, alignof(SearchResult));
}

const SearchResult* SearchResult::ConstructAt(void* storage, const Fields& fields, const ResultOrigin& origin)
{
    return new (storage) SearchResult(fields, origin, false);
}

} // namespace velkan::search
