#include "itemfilter.h"

#include "banwords.h"
#include "peerprotocol.h"
#include "startupconfig.h"

namespace velkan::search {

ItemVerdict JudgeFoundItem(const channel::FoundItemView& item, const StartupConfig& config)
{
    if ((item.flags & kItemAdult) != 0 && config.userClass != "A") {
        return ItemVerdict::Drop;
    }
    if (IsBanned(item.path, config.strictBanWords, config.stripList)) {
        return ItemVerdict::Drop;
    }
    if ((item.flags & kItemPerson) != 0 && (config.options & kOptionStrict) != 0) {
        return ItemVerdict::DropRestOfLine;
    }
    const bool plainWordsApply = (item.flags & (kItemPerson | kItemNoBanWords)) == 0 &&
                                 config.userId != kOperatorUserId &&
                                 (config.options & kOptionNoPlainBanWords) == 0;
    if (plainWordsApply && IsBanned(item.path, config.banWords, config.stripList)) {
        return ItemVerdict::Drop;
    }
    return ItemVerdict::List;
}

} // namespace velkan::search
