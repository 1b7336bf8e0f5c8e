// ParseStartupConfig reads the properties a web page gives the control: the protected param
// (the user's identity and option bits), the ban words and the strip list.
#include "channel/blowfish.h"
#include "channel/cp949convert.h"
#include "fuzz/fuzz_check.h"
#include "channel/protectedtext.h"
#include "fuzz/reference.h"
#include "search/startupconfig.h"
#include "channel/wirekey.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using velkan::channel::BlowFish;
using velkan::search::StartupConfig;
using velkan::search::StartupProperties;
namespace ref = velkan::fuzz;

namespace {

// The parameter's fields: 2 user ID, 6 user class, 7 option bits, 8 a number kept unused.
constexpr std::size_t kParamFields = 8;

BlowFish& Cipher()
{
    static BlowFish* const cipher = [] {
        auto* keyed = new BlowFish;
        VELKAN_FUZZ_CHECK(keyed->Initialize(velkan::channel::kWireKey));
        return keyed;
    }();
    return *cipher;
}

// What the panel must take from a deciphered parameter text.
void CheckIdentity(const StartupConfig& config, std::string_view plain)
{
    const std::vector<std::string> fields = ref::SplitFields(plain, '|');
    if (fields.size() < kParamFields) {
        VELKAN_FUZZ_CHECK(config.userId.empty() && config.userClass.empty());
        VELKAN_FUZZ_CHECK(config.options == 0 && config.paramNumber == 0);
        VELKAN_FUZZ_CHECK(!config.identityLabel.has_value());
        return;
    }
    VELKAN_FUZZ_CHECK(config.userId == fields[1]);
    VELKAN_FUZZ_CHECK(config.userClass == fields[5]);
    VELKAN_FUZZ_CHECK(config.options == ref::ParseInteger<std::int32_t>(fields[6]));
    VELKAN_FUZZ_CHECK(config.paramNumber == ref::ParseInteger<std::int32_t>(fields[7]));
    // The identity label is the user ID protected again: it reads back as the ID.
    VELKAN_FUZZ_CHECK(config.identityLabel.has_value());
    if (config.userId.empty()) {
        VELKAN_FUZZ_CHECK(config.identityLabel->empty());
    } else {
        VELKAN_FUZZ_CHECK(velkan::channel::DecryptFromBase64(Cipher(), *config.identityLabel) == config.userId);
    }
}

void CheckLists(const StartupConfig& config, const StartupProperties& properties)
{
    static const std::string kDefaultStrip = velkan::cp949::FromUtf8("z|z.z,z^z!zⅡzⅱz/z_");
    static const std::string kDefaultBanWords = velkan::cp949::FromUtf8("로리타,포르노,강간");
    VELKAN_FUZZ_CHECK(config.stripList ==
                      ref::SplitFields(properties.replaceParam.empty() ? kDefaultStrip : properties.replaceParam, 'z'));
    const ref::BanWordLists expected =
        ref::BanWords(properties.searchBanWord.size() <= 1 ? kDefaultBanWords : properties.searchBanWord);
    VELKAN_FUZZ_CHECK(config.banWords == expected.plain);
    VELKAN_FUZZ_CHECK(config.strictBanWords == expected.strict);
}

// The input's pieces between its first two zero bytes.
std::vector<std::string> Pieces(std::string_view input)
{
    std::vector<std::string> pieces;
    for (int i = 0; i < 2; ++i) {
        const std::size_t zero = input.find('\0');
        pieces.emplace_back(input.substr(0, zero));
        input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    }
    pieces.emplace_back(input);
    return pieces;
}

} // namespace

// The param, the SearchBanWord and the replaceParam properties, separated by zero bytes. The
// param goes in twice: as the page's text, and as the plain fields a page would protect.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> pieces = Pieces(std::string_view(reinterpret_cast<const char*>(data), size));
    StartupProperties properties{.param = pieces[0], .search = {}, .searchBanWord = pieces[1], .replaceParam = pieces[2]};

    const StartupConfig asGiven = velkan::search::ParseStartupConfig(Cipher(), properties);
    const std::optional<std::string> deciphered =
        properties.param.empty() ? std::nullopt : velkan::channel::DecryptFromBase64(Cipher(), properties.param);
    CheckIdentity(asGiven, deciphered.value_or(""));
    CheckLists(asGiven, properties);

    // Fields a page protects come back whole: the plain text has no zero byte to cut it.
    const std::string plain = pieces[0];
    properties.param = velkan::channel::EncryptToBase64(Cipher(), plain);
    const StartupConfig protectedByPage = velkan::search::ParseStartupConfig(Cipher(), properties);
    CheckIdentity(protectedByPage, plain);
    CheckLists(protectedByPage, properties);
    return 0;
}
