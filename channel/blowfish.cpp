#include "channel/blowfish.h"

#include "channel/blowfishtables.h"

#include <algorithm>
#include <cstring>

namespace velkan::channel {

namespace {

std::uint32_t LoadLittleEndian(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

void StoreLittleEndian(std::uint32_t word, std::uint8_t* bytes)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
    }
}

} // namespace

bool BlowFish::Initialize(std::string_view key)
{
    if (key.empty()) {
        return false;
    }
    m_p = kBlowFishInitialP;
    m_s = kBlowFishInitialS;

    std::size_t position = 0;
    for (auto& p : m_p) {
        std::uint32_t word = 0;
        for (int k = 0; k < 4; ++k) {
            word = word << 8 | static_cast<std::uint8_t>(key[position]);
            position = (position + 1) % key.size();
        }
        p ^= word;
    }

    std::uint32_t left = 0;
    std::uint32_t right = 0;
    for (std::size_t j = 0; j < m_p.size(); j += 2) {
        Encipher(left, right);
        m_p[j] = left;
        m_p[j + 1] = right;
    }
    for (std::size_t k = 0; k < m_s.size(); k += 2) {
        Encipher(left, right);
        m_s[k] = left;
        m_s[k + 1] = right;
    }
    return true;
}

std::uint32_t BlowFish::F(std::uint32_t x) const
{
    const std::uint32_t a = m_s[x >> 24];
    const std::uint32_t b = m_s[256 + (x >> 16 & 0xFF)];
    const std::uint32_t c = m_s[512 + (x >> 8 & 0xFF)];
    const std::uint32_t d = m_s[768 + (x & 0xFF)];
    return ((a + b) ^ c) + d;
}

void BlowFish::Encipher(std::uint32_t& left, std::uint32_t& right) const
{
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (int round = 0; round < 16; round += 2) {
        l ^= m_p[round];
        r ^= F(l);
        r ^= m_p[round + 1];
        l ^= F(r);
    }
    left = r ^ m_p[17];
    right = l ^ m_p[16];
}

void BlowFish::Decipher(std::uint32_t& left, std::uint32_t& right) const
{
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (int round = 17; round > 1; round -= 2) {
        l ^= m_p[round];
        r ^= F(l);
        r ^= m_p[round - 1];
        l ^= F(r);
    }
    left = r ^ m_p[0];
    right = l ^ m_p[1];
}

std::size_t BlowFish::EncryptBuffer(const std::uint8_t* input, std::uint8_t* output,
                                    std::size_t length) const
{
    const std::size_t padded = PaddedLength(length);
    // An empty input leaves an empty terminated text. Otherwise every output byte is written
    // by a block, and zeroing output[0] first would destroy the input when encrypting in place.
    if (padded == 0) {
        output[0] = 0;
    }
    for (std::size_t offset = 0; offset < padded; offset += 8) {
        std::uint8_t block[8] = {};
        std::memcpy(block, input + offset, std::min<std::size_t>(8, length - offset));
        std::uint32_t left = LoadLittleEndian(block);
        std::uint32_t right = LoadLittleEndian(block + 4);
        Encipher(left, right);
        StoreLittleEndian(left, output + offset);
        StoreLittleEndian(right, output + offset + 4);
    }
    return padded;
}

void BlowFish::DecryptBuffer(const std::uint8_t* input, std::uint8_t* output,
                             std::size_t length) const
{
    const bool inPlace = input == output;
    for (std::size_t offset = 0; offset < PaddedLength(length); offset += 8) {
        std::uint32_t left = LoadLittleEndian(input + offset);
        std::uint32_t right = LoadLittleEndian(input + offset + 4);
        Decipher(left, right);
        StoreLittleEndian(left, output + offset);
        StoreLittleEndian(right, output + offset + 4);
        if (!inPlace) {
            output[offset + 8] = 0;
        }
    }
}

} // namespace velkan::channel
