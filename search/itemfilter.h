#pragma once

#include <cstdint>

namespace velkan::channel {
struct FoundItemView;
}

namespace velkan::search {

struct StartupConfig;

// Item flag bits of a find reply.
constexpr std::int32_t kItemPerson = 0x08;
constexpr std::int32_t kItemAdult = 0x10;
constexpr std::int32_t kItemNoBanWords = 0x80;

// What becomes of one found item.
enum class ItemVerdict { List, Drop, DropRestOfLine };

// The adult filter, the strict ban words, the option that ends a line at a person's folder and
// the plain ban words, in that order.
ItemVerdict JudgeFoundItem(const channel::FoundItemView& item, const StartupConfig& config);

} // namespace velkan::search
