#include "search/startupconfig.h"

#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "channel/decimal.h"
#include "channel/fieldsplitter.h"
#include "channel/protectedtext.h"

namespace velkan::search {

namespace {

// The parameter's fields: 2 user ID, 6 user class, 7 option bits, 8 a number kept unused.
constexpr std::size_t kParamFields = 8;

void ReadParam(channel::BlowFish& cipher, std::string_view param, StartupConfig& config)
{
    const std::string decoded =
        param.empty() ? std::string() : channel::DecryptFromBase64(cipher, param).value_or("");
    channel::FieldSplitter fields(decoded, '|');
    if (fields.Count() < kParamFields) {
        return;
    }
    fields.Next();
    config.userId = fields.Next();
    fields.Next();
    fields.Next();
    fields.Next();
    config.userClass = fields.Next();
    config.options = decimal::ParseInt32(fields.Next());
    config.paramNumber = decimal::ParseInt32(fields.Next());
    config.identityLabel = channel::EncryptToBase64(cipher, config.userId);
}

} // namespace

std::vector<std::string> ParseStripList(std::string_view replaceParam)
{
    static const std::string kDefault = cp949::FromUtf8("z|z.z,z^z!zⅡzⅱz/z_");
    channel::FieldSplitter fields(replaceParam.empty() ? kDefault : replaceParam, 'z');
    std::vector<std::string> list;
    for (std::size_t i = 0; i < fields.Count(); ++i) {
        list.emplace_back(fields.Next());
    }
    return list;
}

void ParseBanWords(std::string_view searchBanWord, std::vector<std::string>& banWords,
                   std::vector<std::string>& strictBanWords)
{
    static const std::string kDefault = cp949::FromUtf8("로리타,포르노,강간");
    banWords.clear();
    strictBanWords.clear();
    const std::string_view text = searchBanWord.size() <= 1 ? kDefault : searchBanWord;
    std::size_t comma = cp949::FindByte(text, ',');
    if (comma == cp949::npos) {
        banWords.emplace_back(text);
        strictBanWords.emplace_back(text);
        return;
    }
    const auto add = [&](std::string_view piece) {
        if (!piece.empty() && piece.front() == '*') {
            strictBanWords.emplace_back(piece.substr(1));
        } else {
            banWords.emplace_back(piece);
        }
    };
    // A list that opens with "," yields no words: the first piece would end where it starts.
    std::size_t start = 0;
    for (; comma != cp949::npos && comma > 0; comma = cp949::FindByte(text, ',', start)) {
        add(text.substr(start, comma - start));
        start = comma + 1;
    }
    if (start > 0 && start < text.size()) {
        add(text.substr(start));
    }
}

StartupConfig ParseStartupConfig(channel::BlowFish& cipher, const StartupProperties& properties)
{
    StartupConfig config;
    ReadParam(cipher, properties.param, config);
    config.stripList = ParseStripList(properties.replaceParam);
    ParseBanWords(properties.searchBanWord, config.banWords, config.strictBanWords);
    return config;
}

} // namespace velkan::search
