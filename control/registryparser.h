#pragma once

#include "nameindex.h"
#include "registryfile.h"
#include "textlines.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velkan::registry {

// Reads a registry text line by line into a RegistryFile and stops at the first line it cannot
// keep, saying which line and why. Every line is looked at once and every key and value is
// found through an index, so a text of any size loads in linear time.
class RegistryParser {
public:
    explicit RegistryParser(std::string_view text);

    std::optional<RegistryFile> Parse(ParseError* error);

private:
    // Each returns the reason when the line cannot be kept.
    std::optional<std::string> TakeKeyLine(std::string_view line);
    std::optional<std::string> TakeValueLine(std::string_view line);
    // Appends continuation lines while the raw data ends in a backslash.
    std::optional<std::string> TakeContinuation(std::string& data);
    void Store(RegistryFile::Value value);

    TextLines m_lines;
    // Set when a failure lies on an earlier line than the one just read.
    std::optional<std::size_t> m_failedLine;
    RegistryFile m_file;
    std::optional<std::size_t> m_current; // the key values go to
    // Keys with many values, by position: their values' positions by name. A few values are
    // faster to scan.
    std::unordered_map<std::size_t, NameIndex> m_valueIndex;
};

} // namespace velkan::registry
