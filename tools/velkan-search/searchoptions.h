#pragma once

#include "tools/hostcommon/commonoptions.h"
#include "tools/hostcommon/propertyoptions.h"

#include <QStringList>

#include <optional>
#include <string>

namespace velkan::host {

// The command line of velkan-search. Texts are UTF-8, as typed.
struct SearchOptions {
    PropertyOptions properties;
    AppServerOption appServer;
    // Long enough for silent servers to be given up on, so that such a search ends by itself.
    int timeoutSeconds = 180;
    bool json = false;
    bool outcomes = false;
    std::optional<int> connectRow;
    std::optional<int> serverInfoRow;
    std::optional<std::string> screenshot;
    int width = 0; // 0: the panel's own size
    int height = 0;
};

// Larger pictures than this are refused: a picture of 8192 x 8192 already takes 256 MB.
inline constexpr int kMaxPictureSide = 8192;

// What a command line asks for: a search with its options, or a text to print and nothing more.
struct SearchCommandLine {
    using Action = CommandLineAction;
    Action action = Action::Usage;
    SearchOptions options;
    std::string text;
};

// arguments as the program got them, its own name first.
SearchCommandLine ParseSearchCommandLine(const QStringList& arguments);

} // namespace velkan::host
