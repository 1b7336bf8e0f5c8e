#include "channel/blowfish.h"
#include "tests/channel/hex.h"
#include "channel/wirekey.h"

#include <gtest/gtest.h>
#include <openssl/blowfish.h>

#include <algorithm>
#include <random>

using velkan::channel::BlowFish;
using velkan::test::FromHex;

namespace {

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's published ECB vectors: halves read most significant byte first.
constexpr Vector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// The same author's variable-length key vectors: prefixes of one key, one plain block.
constexpr const char* kKeyScheduleKey = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
constexpr const char* kKeyScheduleOut[] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
    "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
    "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
    "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
    "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

// Reverses the bytes of each 32-bit half: the published vectors' order to ours and back.
std::vector<std::uint8_t> SwapHalves(std::vector<std::uint8_t> block)
{
    for (std::size_t at = 0; at + 4 <= block.size(); at += 4) {
        std::reverse(block.begin() + static_cast<long>(at), block.begin() + static_cast<long>(at) + 4);
    }
    return block;
}

std::string KeyText(const std::vector<std::uint8_t>& key)
{
    return {key.begin(), key.end()};
}

std::vector<std::uint8_t> Encrypt(BlowFish& cipher, const std::vector<std::uint8_t>& plain)
{
    std::vector<std::uint8_t> out(BlowFish::PaddedLength(plain.size()) + 1, 0xEE);
    out.resize(cipher.EncryptBuffer(plain.data(), out.data(), plain.size()));
    return out;
}

TEST(BlowFish, ReproducesPublishedVectorsThroughTheHalfSwap)
{
    for (const Vector& vector : kEcbVectors) {
        SCOPED_TRACE(vector.key);
        BlowFish cipher;
        ASSERT_TRUE(cipher.Initialize(KeyText(FromHex(vector.key))));
        const auto expected = FromHex(vector.cipher);
        EXPECT_EQ(SwapHalves(Encrypt(cipher, SwapHalves(FromHex(vector.plain)))), expected);
        // Fed straight, the vectors do not come out: the word order is this system's own.
        EXPECT_NE(Encrypt(cipher, FromHex(vector.plain)), expected);

        std::vector<std::uint8_t> block = SwapHalves(expected);
        cipher.DecryptBuffer(block.data(), block.data(), block.size());
        EXPECT_EQ(SwapHalves(block), FromHex(vector.plain));
    }
}

TEST(BlowFish, KeysOfEveryLengthScheduleCyclically)
{
    const auto fullKey = FromHex(kKeyScheduleKey);
    const auto plain = SwapHalves(FromHex("FEDCBA9876543210"));
    for (std::size_t length = 1; length <= std::size(kKeyScheduleOut); ++length) {
        SCOPED_TRACE(length);
        BlowFish cipher;
        ASSERT_TRUE(cipher.Initialize(KeyText({fullKey.begin(), fullKey.begin() + static_cast<long>(length)})));
        EXPECT_EQ(SwapHalves(Encrypt(cipher, plain)), FromHex(kKeyScheduleOut[length - 1]));
    }
}

TEST(BlowFish, AgreesWithOpenSslOnRandomKeysAndBuffers)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> key(1 + random() % 80);
        std::vector<std::uint8_t> plain(8 * (random() % 40));
        for (auto& byte : key) byte = static_cast<std::uint8_t>(random());
        for (auto& byte : plain) byte = static_cast<std::uint8_t>(random());

        BlowFish ours;
        ASSERT_TRUE(ours.Initialize(KeyText(key)));
        BF_KEY theirs;
        // OpenSSL, like our schedule, reads at most 72 key bytes.
        BF_set_key(&theirs, static_cast<int>(key.size()), key.data());
        std::vector<std::uint8_t> expected = SwapHalves(plain);
        for (std::size_t at = 0; at < expected.size(); at += 8) {
            BF_ecb_encrypt(expected.data() + at, expected.data() + at, &theirs, BF_ENCRYPT);
        }
        EXPECT_EQ(Encrypt(ours, plain), SwapHalves(expected)) << "round " << round;
    }
}

TEST(BlowFish, PaddedLength)
{
    const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {1, 8}, {7, 8}, {8, 8}, {9, 16}, {4095, 4096}};
    for (const auto& [length, padded] : cases) {
        EXPECT_EQ(BlowFish::PaddedLength(length), padded) << length;
    }
}

class KeyedBlowFish : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Initialize(velkan::channel::kWireKey)); }
    BlowFish m_cipher;
};

TEST_F(KeyedBlowFish, EmptyInputWritesOnlyTheTerminator)
{
    std::uint8_t out[8] = {0x55, 0x55};
    EXPECT_EQ(m_cipher.EncryptBuffer(nullptr, out, 0), 0U);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0x55);
}

TEST_F(KeyedBlowFish, ShortInputIsPaddedWithZerosAndNeverReadPastItsEnd)
{
    // Exactly three bytes on the heap: any read past them is an AddressSanitizer report.
    const std::vector<std::uint8_t> three = {'a', 'b', 'c'};
    const std::vector<std::uint8_t> padded = {'a', 'b', 'c', 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> out(8);
    EXPECT_EQ(m_cipher.EncryptBuffer(three.data(), out.data(), three.size()), 8U);
    EXPECT_EQ(out, Encrypt(m_cipher, padded));

    std::vector<std::uint8_t> plain(9, 0xEE);
    m_cipher.DecryptBuffer(out.data(), plain.data(), out.size());
    EXPECT_EQ(plain, (std::vector<std::uint8_t>{'a', 'b', 'c', 0, 0, 0, 0, 0, 0}));
}

TEST_F(KeyedBlowFish, SeparateOutputGetsAZeroAfterEveryBlockInPlaceGetsNone)
{
    const std::vector<std::uint8_t> plain = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const auto encrypted = Encrypt(m_cipher, plain);

    std::vector<std::uint8_t> separate(17, 0xEE);
    m_cipher.DecryptBuffer(encrypted.data(), separate.data(), encrypted.size());
    EXPECT_EQ(std::vector<std::uint8_t>(separate.begin(), separate.begin() + 16), plain);
    EXPECT_EQ(separate[16], 0);

    std::vector<std::uint8_t> inPlace = encrypted;
    inPlace.push_back(0xEE);
    m_cipher.DecryptBuffer(inPlace.data(), inPlace.data(), encrypted.size());
    EXPECT_EQ(std::vector<std::uint8_t>(inPlace.begin(), inPlace.begin() + 16), plain);
    EXPECT_EQ(inPlace[16], 0xEE);
}

TEST_F(KeyedBlowFish, InPlaceEncryptionPadsInsideTheBuffer)
{
    std::vector<std::uint8_t> buffer = {'h', 'e', 'l', 'l', 'o', 0xEE, 0xEE, 0xEE};
    const auto expected = Encrypt(m_cipher, {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(m_cipher.EncryptBuffer(buffer.data(), buffer.data(), 5), 8U);
    EXPECT_EQ(buffer, expected);
}

TEST_F(KeyedBlowFish, DecryptOfAPartialBlockLengthCoversTheWholeBlock)
{
    const auto encrypted = Encrypt(m_cipher, {'x', 'y'});
    std::vector<std::uint8_t> out(9, 0xEE);
    m_cipher.DecryptBuffer(encrypted.data(), out.data(), 3);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{'x', 'y', 0, 0, 0, 0, 0, 0, 0}));
}

TEST(BlowFish, ReKeyingStartsFromTheInitialTables)
{
    BlowFish once;
    BlowFish twice;
    ASSERT_TRUE(once.Initialize(velkan::channel::kWireKey));
    ASSERT_TRUE(twice.Initialize("another key"));
    ASSERT_TRUE(twice.Initialize(velkan::channel::kWireKey));
    const std::vector<std::uint8_t> plain = {'s', 'a', 'm', 'e'};
    EXPECT_EQ(Encrypt(once, plain), Encrypt(twice, plain));
}

TEST(BlowFish, EmptyKeyIsRejected)
{
    BlowFish cipher;
    EXPECT_FALSE(cipher.Initialize(""));
}

TEST(BlowFish, OnlyTheFirst72KeyBytesCount)
{
    const std::string key72(72, 'k');
    BlowFish shorter;
    BlowFish longer;
    ASSERT_TRUE(shorter.Initialize(key72));
    ASSERT_TRUE(longer.Initialize(key72 + "ignored"));
    EXPECT_EQ(Encrypt(shorter, {1, 2, 3}), Encrypt(longer, {1, 2, 3}));
}

} // namespace
