#include "control/registry/nameindex.h"

namespace velkan::registry {

namespace {

constexpr std::size_t kFirstSlots = 16;

std::size_t SlotsFor(std::size_t count)
{
    std::size_t slots = kFirstSlots;
    while (slots / 2 < count) {
        slots *= 2;
    }
    return slots;
}

} // namespace

void NameIndex::Clear()
{
    m_slots.clear();
    m_count = 0;
}

void NameIndex::Reserve(std::size_t count)
{
    if (SlotsFor(count) > m_slots.size()) {
        Rebuild(SlotsFor(count));
    }
}

void NameIndex::Insert(std::string_view name, std::size_t position)
{
    if (m_count + 1 > m_slots.size() / 2) {
        Rebuild(SlotsFor(m_count + 1));
    }
    Place(Hash(name), position);
    ++m_count;
}

std::size_t NameIndex::Hash(std::string_view name)
{
    // FNV-1a over the lower-cased bytes, so that names equal but for case meet.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 1099511628211ULL;
    }
    // The low bits pick the slot: fold the better-mixed high bits into them.
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

void NameIndex::Place(std::size_t hash, std::size_t position)
{
    std::size_t at = hash & Mask();
    while (m_slots[at].position != kFree) {
        at = (at + 1) & Mask();
    }
    m_slots[at] = Slot{hash, position};
}

void NameIndex::Rebuild(std::size_t slotCount)
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(slotCount, Slot{});
    for (const Slot& slot : old) {
        if (slot.position != kFree) {
            Place(slot.hash, slot.position);
        }
    }
}

} // namespace velkan::registry
