#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velkan::search {

// What the records of one sender share: its nickname, host and port, kept once for all of
// them rather than in every record. Its texts sit right behind it.
class ResultOrigin {
public:
    ResultOrigin(const ResultOrigin&) = delete;
    ResultOrigin& operator=(const ResultOrigin&) = delete;

    // The bytes an origin of these (already cut) texts takes, and such an origin made in that
    // much storage, aligned for a ResultOrigin.
    [[nodiscard]] static std::size_t StorageBytes(std::string_view nick, std::string_view host);
    static const ResultOrigin* ConstructAt(void* storage, std::string_view nick, std::string_view host,
                                           std::int32_t port);

    [[nodiscard]] std::string_view nick() const { return {Texts(), m_nickLength}; }
    [[nodiscard]] std::string_view host() const { return {Texts() + m_nickLength, m_hostLength}; }
    [[nodiscard]] std::int32_t port() const { return m_port; }
    // Whether it holds exactly these (already cut) values.
    [[nodiscard]] bool Holds(std::string_view nick, std::string_view host, std::int32_t port) const
    {
        return m_port == port && this->nick() == nick && this->host() == host;
    }
    // Just past its texts.
    [[nodiscard]] const char* End() const { return Texts() + m_nickLength + m_hostLength; }

private:
    ResultOrigin(std::string_view nick, std::string_view host, std::int32_t port);
    [[nodiscard]] const char* Texts() const { return reinterpret_cast<const char*>(this + 1); }

    std::int32_t m_port;
    std::uint8_t m_nickLength;
    std::uint8_t m_hostLength;
};

// One found file. A million of these must fit in memory: each text is cut to its limit at a
// character boundary; the path and the date sit right behind the record when a ResultStore
// holds it, and the sender's texts are shared with its other records (ResultOrigin).
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

    // A record of its own, with its own copy of every text.
    explicit SearchResult(const Fields& fields);
    ~SearchResult();
    SearchResult(const SearchResult&) = delete;
    SearchResult& operator=(const SearchResult&) = delete;

    // The nickname and host cut to their limits, as an origin holds them.
    [[nodiscard]] static std::string_view CutNick(std::string_view nick);
    [[nodiscard]] static std::string_view CutHost(std::string_view host);

    // The bytes a stored record takes with its path and date behind it, and such a record made
    // in storage of that many bytes (aligned for a SearchResult) for an origin holding the
    // fields' sender. It needs no destructor run: whoever frees the storage frees it.
    [[nodiscard]] static std::size_t StorageBytes(const Fields& fields);
    static const SearchResult* ConstructAt(void* storage, const Fields& fields, const ResultOrigin& origin);

    [[nodiscard]] std::string_view nick() const { return m_origin->nick(); }
    [[nodiscard]] std::string_view path() const { return {Texts(), m_pathLength}; }
    [[nodiscard]] std::string_view date() const { return {Texts() + m_pathLength, m_dateLength}; }
    [[nodiscard]] std::string_view host() const { return m_origin->host(); }
    [[nodiscard]] std::int32_t port() const { return m_origin->port(); }

    std::int64_t size;
    std::int32_t extra;
    std::int32_t flags;
    std::int32_t speed;

private:
    SearchResult(const Fields& fields, const ResultOrigin& origin, bool ownsOrigin);
    // An origin in a block of its own, with room behind its texts for the path and date.
    static const ResultOrigin& OwnOrigin(const Fields& fields);
    // The path and date: behind the record when stored, behind the origin's texts when the
    // record owns its origin.
    [[nodiscard]] const char* Texts() const
    {
        return m_ownsOrigin ? m_origin->End() : reinterpret_cast<const char*>(this + 1);
    }

    std::uint16_t m_pathLength;
    std::uint8_t m_dateLength;
    bool m_ownsOrigin;
    const ResultOrigin* m_origin;
};

} // namespace velkan::search
