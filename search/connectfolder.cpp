#include "search/connectfolder.h"

#include "channel/cp949.h"

namespace velkan::search {

std::optional<std::string_view> ConnectFolder(std::string_view path)
{
    // Found by CP949 characters: a backslash byte may be the trail byte of a Korean character.
    const std::size_t slash = cp949::FindLastByte(path, '\\');
    if (slash == cp949::npos || slash == 0) {
        return std::nullopt;
    }
    return path.substr(0, slash);
}

} // namespace velkan::search
