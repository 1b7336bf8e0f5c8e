#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::channel {
class BlowFish;
}

namespace velkan::search {

// The control's properties as the panel reads them at start-up, in CP949.
struct StartupProperties {
    std::string param;         // protected: Base64 of the encrypted "|"-separated fields
    std::string search;        // a search to start at once when not empty
    std::string searchBanWord; // ban words, "," separated, strict ones written "*word"
    std::string replaceParam;  // strings removed before ban-word matching, "z" separated
};

// What the panel keeps of its start-up properties for the whole of its life.
struct StartupConfig {
    std::string userId;
    std::string userClass;
    std::int32_t options = 0;
    std::int32_t paramNumber = 0;
    std::vector<std::string> banWords;
    std::vector<std::string> strictBanWords;
    std::vector<std::string> stripList;
    // The protected user ID for the identity label; nothing when param did not carry the
    // identity, in which case the label keeps its own text.
    std::optional<std::string> identityLabel;
};

// Option bits carried in param.
constexpr std::int32_t kOptionNoPlainBanWords = 0x20;
constexpr std::int32_t kOptionStrict = 0x40;

// The user ID of the service's operators: no plain ban words, and the server-information
// button.
inline constexpr std::string_view kOperatorUserId = "velkan";

StartupConfig ParseStartupConfig(channel::BlowFish& cipher, const StartupProperties& properties);

// Exposed for tests: the two list builders.
std::vector<std::string> ParseStripList(std::string_view replaceParam);
void ParseBanWords(std::string_view searchBanWord, std::vector<std::string>& banWords,
                   std::vector<std::string>& strictBanWords);

} // namespace velkan::search
