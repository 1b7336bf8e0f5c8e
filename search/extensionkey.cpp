#include "search/extensionkey.h"

#include "channel/cp949.h"

namespace velkan::search {

std::string_view ExtensionKey(std::string_view name)
{
    const std::size_t dot = cp949::FindLastByte(name, '.');
    return dot == cp949::npos || dot == 0 ? std::string_view{} : name.substr(dot);
}

} // namespace velkan::search
