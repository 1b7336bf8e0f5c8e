#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How a result's numbers and path are shown in the list and the server-information window.
namespace velkan::search {

// Bytes below 1024 as "1,023B", otherwise whole kilobytes as "5,242,880KB": the list has no
// larger unit.
std::string SizeText(std::int64_t bytes);

// The server-information window's shared size: B, KB, MB or GB, each step cutting the fraction.
std::string InfoSizeText(std::int64_t bytes);

// The folder part of a path: everything before its last backslash; empty when there is none or
// the path starts with it.
std::string_view FolderOf(std::string_view path);

// What follows the last backslash; the whole path when there is none.
std::string_view FileNameOf(std::string_view path);

// The date column shows the first ten characters of the date text.
std::string_view DateColumnText(std::string_view date);

// The five-step gauge level for a server's speed figure, 1 to kTopSpeedLevel.
inline constexpr int kTopSpeedLevel = 5;
int SpeedLevel(std::int32_t speed);

} // namespace velkan::search
