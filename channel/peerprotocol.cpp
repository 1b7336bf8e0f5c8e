#include "channel/peerprotocol.h"

#include "channel/cp949.h"
#include "channel/decimal.h"
#include "channel/fieldsplitter.h"

#include <array>
#include <cmath>
#include <cstring>

namespace velkan::channel {

namespace {

struct Escape {
    std::string_view text;
    char byte;
};
constexpr Escape kEscapes[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&0x7c;", '|'}};

// Reverses the escapes in one walk and returns the length written, or npos when the result
// would not fit capacity. The three escapes cannot overlap (each has its "&" only in front) and
// no result byte completes another, so one walk gives what replacing each in turn gives. The
// walk goes a character at a time: an "&" that is the second half of a character is no escape.
std::size_t Unescape(std::string_view field, char* out, std::size_t capacity)
{
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < field.size()) {
        std::string_view piece;
        std::size_t consumed = 0;
        if (field[i] == '&') {
            for (const Escape& escape : kEscapes) {
                if (field.substr(i).starts_with(escape.text)) {
                    piece = std::string_view(&escape.byte, 1);
                    consumed = escape.text.size();
                    break;
                }
            }
        }
        if (consumed == 0) {
            consumed = cp949::CharLength(field, i);
            piece = field.substr(i, consumed);
        }
        if (piece.size() > capacity - written) {
            return cp949::npos;
        }
        std::memcpy(out + written, piece.data(), piece.size());
        written += piece.size();
        i += consumed;
    }
    return written;
}

// Cuts an item into exactly five fields the way FieldSplitter cuts any list ("|" as a whole
// character, the item trimmed at both ends, each field after the first without leading white
// space, an empty last field not counted), in one walk and without a copy. False for any other
// number of fields.
bool SplitFiveFields(std::string_view item, std::array<std::string_view, 5>& fields)
{
    const std::size_t size = item.size();
    std::size_t i = 0;
    while (i < size && cp949::IsSpace(item[i])) {
        ++i;
    }
    std::size_t count = 0;
    std::size_t fieldStart = i;
    std::size_t trimmedEnd = i; // just past the last character that is neither "|" nor white space
    while (i < size) {
        if (item[i] == '|') {
            if (count == fields.size()) {
                return false;
            }
            fields[count++] = item.substr(fieldStart, i - fieldStart);
            ++i;
            while (i < size && cp949::IsSpace(item[i])) {
                ++i;
            }
            fieldStart = i;
            continue;
        }
        const std::size_t length = cp949::CharLength(item, i);
        if (!cp949::IsSpace(item[i])) {
            trimmedEnd = i + length;
        }
        i += length;
    }
    if (trimmedEnd > fieldStart) {
        if (count == fields.size()) {
            return false;
        }
        fields[count++] = item.substr(fieldStart, trimmedEnd - fieldStart);
    }
    return count == fields.size();
}

} // namespace

std::string FindRequest(int number, std::string_view searchText, std::string_view userId)
{
    std::string request = "/find " + std::to_string(number) + "|";
    request.append(searchText).append("|").append(userId);
    return request;
}

std::string UnescapePath(std::string_view field)
{
    std::string path(field.size(), '\0');
    path.resize(Unescape(field, path.data(), path.size())); // never longer than the field
    return path;
}

std::optional<std::size_t> FoundItemsStart(std::string_view line)
{
    std::size_t start = 0;
    return detail::IsFindReply(line, start) ? std::optional(start) : std::nullopt;
}

namespace detail {

bool IsFindReply(std::string_view line, std::size_t& itemsStart)
{
    // The first ">"-separated token must be "find" exactly.
    const std::size_t start = line.find_first_not_of('>');
    if (start == std::string_view::npos || line.compare(start, 4, "find") != 0) {
        return false;
    }
    itemsStart = start + 4;
    return itemsStart == line.size() || line[itemsStart] == '>';
}

std::optional<FoundItemView> ReadFoundItem(std::string_view token, PathBuffer& buffer)
{
    std::array<std::string_view, 5> fields;
    if (!SplitFiveFields(token, fields)) {
        return std::nullopt;
    }
    FoundItemView item;
    const std::string_view path = fields[0];
    if (path.find('&') == std::string_view::npos) {
        item.path = path;
    } else {
        const std::size_t length = Unescape(path, buffer.data(), buffer.size());
        if (length == cp949::npos) {
            return std::nullopt;
        }
        item.path = std::string_view(buffer.data(), length);
    }
    if (item.path.size() > FoundItem::kMaxPath) {
        return std::nullopt; // a cut path would name another file
    }
    item.date = cp949::CutToFit(fields[1], FoundItem::kMaxDate);
    item.size = decimal::ParseInt64(fields[2]);
    item.flags = decimal::ParseInt32(fields[3]);
    item.extra = decimal::ParseInt32(fields[4]);
    return item;
}

} // namespace detail

std::optional<std::vector<FoundItem>> ParseFindReply(std::string_view line)
{
    std::vector<FoundItem> items;
    if (!ForEachFoundItem(line, [&](FoundItem&& item) {
            items.push_back(std::move(item));
            return true;
        })) {
        return std::nullopt;
    }
    return items;
}

std::optional<ServerInfo> ParseServerInfoReply(std::string_view line)
{
    constexpr std::string_view kPrefix = "/info ";
    if (!line.starts_with(kPrefix)) {
        return std::nullopt;
    }
    FieldSplitter fields(line.substr(kPrefix.size()), ',');
    if (fields.Count() != 6) {
        return std::nullopt;
    }
    std::array<std::string_view, 4> figures;
    for (std::string_view& figure : figures) {
        figure = fields.Next();
        if (figure.size() > kMaxInfoFigure) {
            return std::nullopt;
        }
    }
    // Beyond 2^53 a double no longer holds every whole number, so the grouped digits would lie.
    constexpr double kMaxExactCount = 9007199254740992.0;
    const double count = decimal::ParseDouble(fields.Next());
    if (!std::isfinite(count) || std::fabs(count) > kMaxExactCount) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> size = decimal::ParseInt64InRange(fields.Next());
    if (!size) {
        return std::nullopt;
    }
    ServerInfo info;
    info.download = std::string(figures[0]) + "/";
    info.download += figures[1];
    info.upload = std::string(figures[2]) + "/";
    info.upload += figures[3];
    info.fileCount = count;
    info.totalSize = *size;
    return info;
}

} // namespace velkan::channel
