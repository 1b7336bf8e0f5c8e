#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velkan::search {

// One found file. A million of these must fit in memory, so the four texts are kept together,
// each cut to its limit at a character boundary, right behind the record when a ResultStore
// holds it, in one block of the record's own otherwise.
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

    // A record that owns a copy of its texts.
    explicit SearchResult(const Fields& fields);
    ~SearchResult();
    SearchResult(const SearchResult&) = delete;
    SearchResult& operator=(const SearchResult&) = delete;

    // The bytes a record takes with its texts behind it, and such a record made in storage of
    // that many bytes (aligned for a SearchResult). It borrows its texts from the storage, so
    // whoever frees the storage need not destroy the record.
    [[nodiscard]] static std::size_t StorageBytes(const Fields& fields);
    static const SearchResult* ConstructAt(void* storage, const Fields& fields);

    [[nodiscard]] std::string_view nick() const { return {m_text, m_nickLength}; }
    [[nodiscard]] std::string_view path() const { return {m_text + m_nickLength, m_pathLength}; }
    [[nodiscard]] std::string_view date() const
    {
        return {m_text + m_nickLength + m_pathLength, m_dateLength};
    }
    [[nodiscard]] std::string_view host() const
    {
        return {m_text + m_nickLength + m_pathLength + m_dateLength, m_hostLength};
    }

    std::int64_t size;
    std::int32_t extra;
    std::int32_t flags;
    std::int32_t speed;
    std::int32_t port;

private:
    struct Texts;
    SearchResult(const Fields& fields, const Texts& texts, char* text, bool owned);

    const char* m_text;
    std::uint16_t m_pathLength;
    std::uint8_t m_nickLength;
    std::uint8_t m_dateLength;
    std::uint8_t m_hostLength;
    bool m_ownsText;
};

} // namespace velkan::search
