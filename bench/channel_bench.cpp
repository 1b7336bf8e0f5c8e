// Wire-layer throughput, each measured against a baseline in the same run:
//   - BlowFish::EncryptBuffer / DecryptBuffer against OpenSSL's BF_ecb_encrypt,
//   - Base64Codec::Encode / Decode on their own (bytes per second),
//   - LineReceiver::ReceiveLine on one long line against a bare memchr over the same chunks.
// bench/run-benchmarks turns the JSON output into ratios.

#include "channel/base64codec.h"
#include "channel/blowfish.h"
#include "channel/linereceiver.h"
#include "channel/wirekey.h"

#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using velkan::channel::Base64Codec;
using velkan::channel::BlowFish;
using velkan::channel::LineReceiver;

constexpr std::size_t kLineBytes = std::size_t{64} << 20; // the '\n' is its last byte
constexpr std::size_t kChunkBytes = 4096;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "channel_bench: start-up check failed: %s\n", what);
    std::abort();
}

std::vector<std::uint8_t> PseudoRandomBytes(std::size_t size, std::uint32_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

const BlowFish& OurCipher()
{
    static BlowFish* const cipher = [] {
        auto* created = new BlowFish;
        if (!created->Initialize(velkan::channel::kWireKey)) {
            Fail("BlowFish::Initialize refused the key");
        }
        return created;
    }();
    return *cipher;
}

const BF_KEY& OpenSslKey()
{
    static const BF_KEY key = [] {
        BF_KEY made;
        BF_set_key(&made, static_cast<int>(velkan::channel::kWireKey.size()),
                   reinterpret_cast<const unsigned char*>(velkan::channel::kWireKey.data()));
        return made;
    }();
    return key;
}

// Our block halves are little-endian and OpenSSL reads them big-endian, so each half is
// byte-swapped on the way in and out; the result is byte-for-byte ours. length is a
// multiple of 8 here.
void OpenSslEcb(const std::uint8_t* input, std::uint8_t* output, std::size_t length, int mode)
{
    const BF_KEY& key = OpenSslKey();
    for (std::size_t offset = 0; offset < length; offset += 8) {
        std::uint32_t halves[2];
        std::memcpy(halves, input + offset, 8);
        halves[0] = __builtin_bswap32(halves[0]);
        halves[1] = __builtin_bswap32(halves[1]);
        auto* block = reinterpret_cast<unsigned char*>(halves);
        BF_ecb_encrypt(block, block, &key, mode);
        halves[0] = __builtin_bswap32(halves[0]);
        halves[1] = __builtin_bswap32(halves[1]);
        std::memcpy(output + offset, halves, 8);
    }
}

void CheckCiphersAgree()
{
    for (const std::size_t size : {std::size_t{64}, std::size_t{4096}, std::size_t{1} << 20}) {
        const auto plain = PseudoRandomBytes(size, 7);
        std::vector<std::uint8_t> ours(size + 1);
        std::vector<std::uint8_t> theirs(size);
        if (OurCipher().EncryptBuffer(plain.data(), ours.data(), size) != size) {
            Fail("EncryptBuffer returned an unexpected length");
        }
        OpenSslEcb(plain.data(), theirs.data(), size, BF_ENCRYPT);
        if (std::memcmp(ours.data(), theirs.data(), size) != 0) {
            Fail("EncryptBuffer and BF_ecb_encrypt disagree");
        }
        std::vector<std::uint8_t> ourPlain(size + 1);
        std::vector<std::uint8_t> theirPlain(size);
        OurCipher().DecryptBuffer(ours.data(), ourPlain.data(), size);
        OpenSslEcb(theirs.data(), theirPlain.data(), size, BF_DECRYPT);
        if (std::memcmp(ourPlain.data(), theirPlain.data(), size) != 0 ||
            std::memcmp(ourPlain.data(), plain.data(), size) != 0) {
            Fail("DecryptBuffer and BF_ecb_encrypt (decrypt) disagree");
        }
    }
}

void BM_EncryptOurs(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto input = PseudoRandomBytes(size, 1);
    std::vector<std::uint8_t> output(size + 1);
    const BlowFish& cipher = OurCipher();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cipher.EncryptBuffer(input.data(), output.data(), size));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_EncryptOpenSSL(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto input = PseudoRandomBytes(size, 1);
    std::vector<std::uint8_t> output(size);
    for (auto _ : state) {
        OpenSslEcb(input.data(), output.data(), size, BF_ENCRYPT);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_DecryptOurs(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto input = PseudoRandomBytes(size, 2);
    std::vector<std::uint8_t> output(size + 1); // DecryptBuffer terminates a separate output
    const BlowFish& cipher = OurCipher();
    for (auto _ : state) {
        cipher.DecryptBuffer(input.data(), output.data(), size);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_DecryptOpenSSL(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto input = PseudoRandomBytes(size, 2);
    std::vector<std::uint8_t> output(size);
    for (auto _ : state) {
        OpenSslEcb(input.data(), output.data(), size, BF_DECRYPT);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_Base64Encode(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto raw = PseudoRandomBytes(size, 3);
    const std::string_view bytes(reinterpret_cast<const char*>(raw.data()), raw.size());
    for (auto _ : state) {
        std::string text = Base64Codec::Encode(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// Counted in raw bytes (what the text decodes to), so encode and decode rates compare.
void BM_Base64Decode(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto raw = PseudoRandomBytes(size, 3);
    const std::string text =
        Base64Codec::Encode(std::string_view(reinterpret_cast<const char*>(raw.data()), size));
    for (auto _ : state) {
        auto bytes = Base64Codec::Decode(text);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// One line of kLineBytes, printable, no zero byte and no '\r', ended by its only '\n'.
const std::string& LongLine()
{
    static const std::string line = [] {
        std::string text(kLineBytes, 'x');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char>('a' + i % 26);
        }
        text.back() = '\n';
        return text;
    }();
    return line;
}

std::size_t ReceiveLongLine()
{
    const std::string& text = LongLine();
    LineReceiver receiver;
    std::size_t length = 0;
    for (std::size_t offset = 0; offset < text.size(); offset += kChunkBytes) {
        auto line = receiver.ReceiveLine(std::string_view(text).substr(offset, kChunkBytes));
        if (line) {
            length = line->size();
        }
    }
    return length;
}

std::size_t ScanLongLine()
{
    const std::string& text = LongLine();
    std::size_t position = 0;
    for (std::size_t offset = 0; offset < text.size(); offset += kChunkBytes) {
        const std::size_t size = std::min(kChunkBytes, text.size() - offset);
        const void* found = std::memchr(text.data() + offset, '\n', size);
        benchmark::DoNotOptimize(found);
        if (found != nullptr) {
            position = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        }
    }
    return position;
}

void CheckLongLine()
{
    if (ReceiveLongLine() != kLineBytes - 1) {
        Fail("ReceiveLine did not return the whole long line");
    }
    if (ScanLongLine() != kLineBytes - 1) {
        Fail("memchr scan did not find the terminator at the end");
    }
}

void BM_ReceiveLine(benchmark::State& state)
{
    LongLine();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReceiveLongLine());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLineBytes));
}

void BM_MemchrChunks(benchmark::State& state)
{
    LongLine();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScanLongLine());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLineBytes));
}

void CipherSizes(benchmark::internal::Benchmark* b)
{
    b->Arg(64)->Arg(4096)->Arg(1 << 20);
}

BENCHMARK(BM_EncryptOurs)->Apply(CipherSizes);
BENCHMARK(BM_EncryptOpenSSL)->Apply(CipherSizes);
BENCHMARK(BM_DecryptOurs)->Apply(CipherSizes);
BENCHMARK(BM_DecryptOpenSSL)->Apply(CipherSizes);
BENCHMARK(BM_Base64Encode)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_Base64Decode)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_ReceiveLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrChunks)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    CheckCiphersAgree();
    CheckLongLine();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
