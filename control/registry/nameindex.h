#pragma once

#include "control/registry/registrytext.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velkan::registry {

// Positions of names in a list the caller keeps, found without regard to ASCII case. One array
// of slots (open addressing, at most half full) and no copy of the names: a registry of any size
// is indexed without an allocation per key, which keeps the time per key of a large file near
// that of a small one.
class NameIndex {
public:
    [[nodiscard]] bool Empty() const { return m_count == 0; }
    void Clear();
    // Room for count names without growing.
    void Reserve(std::size_t count);

    // The position recorded for a name equal to name; nameAt(position) gives the caller's names.
    template <class NameAt> [[nodiscard]] std::optional<std::size_t> Find(std::string_view name, const NameAt& nameAt) const
    {
        if (m_slots.empty()) {
            return std::nullopt;
        }
        const std::size_t hash = Hash(name);
        for (std::size_t at = hash & Mask();; at = (at + 1) & Mask()) {
            const Slot& slot = m_slots[at];
            if (slot.position == kFree) {
                return std::nullopt;
            }
            if (slot.hash == hash && SameName(nameAt(slot.position), name)) {
                return slot.position;
            }
        }
    }

    // Records position for name, which the index must not hold yet.
    void Insert(std::string_view name, std::size_t position);

private:
    static constexpr std::size_t kFree = static_cast<std::size_t>(-1);
    struct Slot {
        std::size_t hash = 0;
        std::size_t position = kFree;
    };

    static std::size_t Hash(std::string_view name);
    [[nodiscard]] std::size_t Mask() const { return m_slots.size() - 1; }
    void Place(std::size_t hash, std::size_t position);
    void Rebuild(std::size_t slotCount);

    std::vector<Slot> m_slots; // a power of two in size, or empty
    std::size_t m_count = 0;
};

} // namespace velkan::registry
