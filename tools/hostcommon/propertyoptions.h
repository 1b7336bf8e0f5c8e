#pragma once

#include "velkanfilesearch/comhost.h"

#include <optional>
#include <string>

class QCommandLineParser;

namespace velkan::host {

// The control's five properties as a host's command line gives them (UTF-8); an option not
// given is left out of the stored set, so the control keeps its own value.
struct PropertyOptions {
    std::optional<std::string> param;         // --param
    std::optional<std::string> search;        // --search
    std::optional<std::string> searchBanWord; // --ban-words
    std::optional<std::string> replaceParam;  // --strip
    std::optional<std::string> banWord;       // --ban-word
};

// The five as options of a Qt command-line parser, and their values once it has parsed.
void AddPropertyOptions(QCommandLineParser& parser);
PropertyOptions ReadPropertyOptions(const QCommandLineParser& parser);

// The stored property set under the names the control persists them by.
comhost::MemoryPropertyBag PropertySet(const PropertyOptions& options);

} // namespace velkan::host
