#include "search/itemfilter.h"

#include "channel/peerprotocol.h"
#include "search/startupconfig.h"

namespace velkan::search {

namespace {

void Follow(BanWordList& list, const std::vector<std::string>& words,
            const std::vector<std::string>& stripList)
{
    if (list.Words() != words || list.StripList() != stripList) {
        list = BanWordList(words, stripList);
    }
}

} // namespace

ItemFilter::ItemFilter(const StartupConfig& config) : m_config(config)
{
    FollowConfig();
}

void ItemFilter::FollowConfig()
{
    Follow(m_strict, m_config.strictBanWords, m_config.stripList);
    Follow(m_plain, m_config.banWords, m_config.stripList);
}

ItemVerdict ItemFilter::Judge(const channel::FoundItemView& item) const
{
    if ((item.flags & kItemAdult) != 0 && m_config.userClass != "A") {
        return ItemVerdict::DropAdult;
    }
    if (m_strict.Bans(item.path)) {
        return ItemVerdict::DropStrictBanWord;
    }
    if ((item.flags & kItemPerson) != 0 && (m_config.options & kOptionStrict) != 0) {
        return ItemVerdict::DropRestOfLine;
    }
    const bool plainWordsApply = (item.flags & (kItemPerson | kItemNoBanWords)) == 0 &&
                                 m_config.userId != kOperatorUserId &&
                                 (m_config.options & kOptionNoPlainBanWords) == 0;
    if (plainWordsApply && m_plain.Bans(item.path)) {
        return ItemVerdict::DropBanWord;
    }
    return ItemVerdict::List;
}

} // namespace velkan::search
