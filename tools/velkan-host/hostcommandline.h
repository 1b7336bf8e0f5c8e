#pragma once

#include "velkanfilesearch/comhost.h"
#include "tools/hostcommon/commonoptions.h"
#include "tools/hostcommon/propertyoptions.h"

#include <QStringList>

#include <optional>
#include <string>

namespace velkan::host {

// The command line of velkan-host. Texts are UTF-8, as typed.
struct HostOptions {
    PropertyOptions properties;
    // The --properties file's set, already read: the options above apply after it.
    std::optional<comhost::MemoryPropertyBag> stored;
    AppServerOption appServer;
    std::optional<std::string> screenshot;
    // Started with no properties on its command line, as from a menu: the properties of the
    // last run are used and kept for the next.
    [[nodiscard]] bool KeepsProperties() const
    {
        return !stored && !properties.param && !properties.search && !properties.searchBanWord &&
               !properties.replaceParam && !properties.banWord;
    }
};

// What a command line asks for: a window with its options, or a text to print and nothing more
// (a line that is wrong or a property file that is unusable: exit status 2).
struct HostCommandLine {
    using Action = CommandLineAction;
    Action action = Action::Usage;
    HostOptions options;
    std::string text;
};

// arguments as the program got them, its own name first. Needs no display.
HostCommandLine ParseHostCommandLine(const QStringList& arguments);

} // namespace velkan::host
