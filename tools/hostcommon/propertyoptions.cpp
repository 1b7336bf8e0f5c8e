#include "propertyoptions.h"

#include <QString>

namespace velkan::host {

bool TakePropertyOption(const std::string& name, const std::string& value, PropertyOptions& options)
{
    std::optional<std::string>* target = name == "--param"       ? &options.param
                                         : name == "--search"    ? &options.search
                                         : name == "--ban-words" ? &options.searchBanWord
                                         : name == "--strip"     ? &options.replaceParam
                                         : name == "--ban-word"  ? &options.banWord
                                                                 : nullptr;
    if (target == nullptr) {
        return false;
    }
    *target = value;
    return true;
}

comhost::MemoryPropertyBag PropertySet(const PropertyOptions& options)
{
    comhost::MemoryPropertyBag bag;
    const std::pair<const char16_t*, const std::optional<std::string>*> entries[] = {
        {u"param", &options.param},          {u"search", &options.search},
        {u"banWord", &options.banWord},      {u"bansearch", &options.searchBanWord},
        {u"replaceParam", &options.replaceParam},
    };
    for (const auto& [name, value] : entries) {
        if (*value) {
            bag.Write(name, QString::fromStdString(**value).toStdU16String());
        }
    }
    return bag;
}

} // namespace velkan::host
