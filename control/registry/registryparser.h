#pragma once

#include "control/registry/nameindex.h"
#include "control/registry/registrykeys.h"
#include "control/registry/textlines.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velkan::registry {

// The first line of every registry text.
inline constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// Why a registry text was refused: the line it is on (counted from 1) and what is wrong there.
struct ParseError {
    std::size_t line = 0;
    std::string reason;
    bool operator==(const ParseError&) const = default;
};

// Reads a registry text line by line into its keys and stops at the first line it cannot
// keep, saying which line and why. Every line is looked at once and every key and value is
// found through an index, so a text of any size loads in linear time.
class RegistryParser {
public:
    explicit RegistryParser(std::string_view text);

    std::optional<RegistryKeys> Parse(ParseError* error);

private:
    // Each returns the reason when the line cannot be kept.
    std::optional<std::string> TakeKeyLine(std::string_view line);
    std::optional<std::string> TakeValueLine(std::string_view line);
    // Appends continuation lines while the raw data ends in a backslash.
    std::optional<std::string> TakeContinuation(std::string& data);
    void Store(RegistryValue value);

    TextLines m_lines;
    // Set when a failure lies on an earlier line than the one just read.
    std::optional<std::size_t> m_failedLine;
    RegistryKeys m_keys;
    std::optional<std::size_t> m_current; // the key values go to
    // Keys with many values, by position: their values' positions by name. A few values are
    // faster to scan.
    std::unordered_map<std::size_t, NameIndex> m_valueIndex;
};

} // namespace velkan::registry
