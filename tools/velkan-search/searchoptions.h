#pragma once

#include "propertyoptions.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velkan::host {

// The command line of velkan-search. Texts are UTF-8, as typed.
struct SearchOptions {
    PropertyOptions properties;
    std::optional<std::string> appServerHost;
    int appServerPort = 0;
    // Long enough for silent servers to be given up on, so that such a search ends by itself.
    int timeoutSeconds = 180;
    bool json = false;
    std::optional<int> connectRow;
    std::optional<int> serverInfoRow;
    std::optional<std::string> screenshot;
    int width = 0; // 0: the panel's own size
    int height = 0;
};

// Larger pictures than this are refused: a picture of 8192 x 8192 already takes 256 MB.
inline constexpr int kMaxPictureSide = 8192;

std::string SearchUsage();

// The options, or the reason the command line is wrong.
std::variant<SearchOptions, std::string> ParseSearchOptions(const std::vector<std::string>& arguments);

} // namespace velkan::host
