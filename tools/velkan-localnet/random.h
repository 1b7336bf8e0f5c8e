#pragma once

#include <cstddef>
#include <cstdint>

namespace velkan::localnet {

// A small generator whose sequence is the same on every platform and standard library, so a
// seed names the same network everywhere (std::uniform_int_distribution does not promise that).
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    // splitmix64
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform enough in [0, bound) for test data; bound must not be 0.
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

    // True in percent cases out of a hundred.
    bool Chance(unsigned percent) { return Below(100) < percent; }

    template <typename T, std::size_t N> const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }

private:
    std::uint64_t m_state;
};

// Mixes two numbers into one seed, so neighbouring peers get unrelated sequences.
constexpr std::uint64_t MixSeed(std::uint64_t seed, std::uint64_t index)
{
    std::uint64_t z = seed * 0x9E3779B97F4A7C15ULL + index + 0x632BE59BD9B4E019ULL;
    z = (z ^ (z >> 31)) * 0xBF58476D1CE4E5B9ULL;
    return z ^ (z >> 29);
}

} // namespace velkan::localnet
