#pragma once

#include <cstdint>
#include <string>

namespace velkan::localnet {

// One file (or special folder) a peer shares, with the fields its find reply lists.
struct SharedFile {
    std::string path; // CP949, folders separated by backslashes, unescaped
    std::string date; // "2004-01-02 10:11"
    std::int64_t size = 0;
    std::int32_t flags = 0;
    std::int32_t extra = 0;

    bool operator==(const SharedFile&) const = default;
};

// Item flags a share may carry.
constexpr std::int32_t kItemSpecial = 0x08; // a special folder, also exempt from ban words
constexpr std::int32_t kItemAdult = 0x10;
constexpr std::int32_t kItemExempt = 0x80; // exempt from ban words

} // namespace velkan::localnet
