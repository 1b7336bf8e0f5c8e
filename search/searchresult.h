#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace velkan::search {

// One found file. A million of these must fit in memory, so the four texts share one heap
// block instead of fixed-width fields; each is cut to its limit at a character boundary.
class SearchResult {
public:
    static constexpr std::size_t kMaxNick = 15;
    static constexpr std::size_t kMaxPath = 1503;
    static constexpr std::size_t kMaxDate = 19;
    static constexpr std::size_t kMaxHost = 15;

    struct Fields {
        std::string_view nick;
        std::string_view path;
        std::string_view date;
        std::string_view host;
        std::int64_t size = 0;
        std::int32_t extra = 0;
        std::int32_t flags = 0;
        std::int32_t speed = 0;
        std::int32_t port = 0;
    };

    explicit SearchResult(const Fields& fields);

    [[nodiscard]] std::string_view nick() const { return Text(0, m_nickLength); }
    [[nodiscard]] std::string_view path() const { return Text(m_nickLength, m_pathLength); }
    [[nodiscard]] std::string_view date() const
    {
        return Text(m_nickLength + m_pathLength, m_dateLength);
    }
    [[nodiscard]] std::string_view host() const
    {
        return Text(m_nickLength + m_pathLength + m_dateLength, m_hostLength);
    }

    std::int64_t size;
    std::int32_t extra;
    std::int32_t flags;
    std::int32_t speed;
    std::int32_t port;

private:
    [[nodiscard]] std::string_view Text(std::size_t offset, std::size_t length) const
    {
        return {m_text.get() + offset, length};
    }

    std::unique_ptr<char[]> m_text;
    std::uint16_t m_nickLength;
    std::uint16_t m_pathLength;
    std::uint16_t m_dateLength;
    std::uint16_t m_hostLength;
};

} // namespace velkan::search
