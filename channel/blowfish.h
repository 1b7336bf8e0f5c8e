#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace velkan::channel {

// Blowfish in electronic-codebook mode with zero padding. A block's two halves are read
// little-endian (byte 0 least significant), unlike the published test vectors.
//
// The operations take no lock themselves: a caller that shares the object between threads
// holds Lock() around the whole encrypt or decrypt together with its Base64 step.
class BlowFish {
public:
    // Returns false, leaving the object unkeyed, for an empty key. Only the first 72 key
    // bytes reach the schedule.
    [[nodiscard]] bool Initialize(std::string_view key);

    void Encipher(std::uint32_t& left, std::uint32_t& right) const;
    void Decipher(std::uint32_t& left, std::uint32_t& right) const;

    static constexpr std::size_t PaddedLength(std::size_t n) { return (n + 7) / 8 * 8; }

    // Writes PaddedLength(length) bytes, the last block completed with zero bytes, and returns
    // that count. Input and output may be the same buffer (which must then hold the padded
    // length); otherwise no input byte at or past length is read.
    std::size_t EncryptBuffer(const std::uint8_t* input, std::uint8_t* output,
                              std::size_t length) const;

    // Deciphers ceil(length / 8) whole blocks; the input must hold that many. A separate output
    // gets a zero byte after each block, so it must hold one byte more and ends terminated.
    void DecryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t length) const;

    [[nodiscard]] std::unique_lock<std::mutex> Lock() { return std::unique_lock(m_lock); }

private:
    std::uint32_t F(std::uint32_t x) const;

    std::array<std::uint32_t, 18> m_p{};
    std::array<std::uint32_t, 1024> m_s{};
    std::mutex m_lock;
};

} // namespace velkan::channel
